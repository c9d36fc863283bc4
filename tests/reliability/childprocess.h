#pragma once

// reliability_child, the other process of the reliability tests; killed
// with SIGKILL (QProcess::kill) when dropped still running.

#include <QElapsedTimer>
#include <QProcess>

namespace tabrix::test {

class ChildProcess : public QProcess {
public:
    explicit ChildProcess(const QStringList &arguments) { start(QStringLiteral(TABRIX_CHILD_PATH), arguments); }
    ~ChildProcess() override { stop(); }
    void stop() { kill(); waitForFinished(); }

    // Every whole line written so far.
    QStringList lines()
    {
        m_out += readAllStandardOutput();
        QStringList all = QString::fromUtf8(m_out).split(u'\n');
        all.removeLast();
        return all;
    }

    // Whether the child writes this line within 20 s.
    bool waitForLine(const QString &line)
    {
        QElapsedTimer clock;
        clock.start();
        while (!lines().contains(line) && state() != NotRunning && clock.elapsed() < 20000)
            waitForReadyRead(100);
        return lines().contains(line);
    }

private:
    QByteArray m_out;
};

} // namespace tabrix::test
