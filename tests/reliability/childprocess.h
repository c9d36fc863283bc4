#pragma once

// Drives reliability_child, the other process of the reliability tests.

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <signal.h>

namespace tabrix::test {

class ChildProcess {
public:
    explicit ChildProcess(const QStringList &arguments)
    {
        m_process.setProgram(QStringLiteral(TABRIX_CHILD_PATH));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
    }

    ~ChildProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            kill();
        }
    }

    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() { return m_process.waitForStarted(10000); }
    qint64 pid() const { return m_process.processId(); }

    // Waits until the child has written this line; false when it ended or
    // took more than `timeoutMs` first.
    bool waitForLine(const QString &line, int timeoutMs = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            collect();
            if (m_lines.contains(line))
                return true;
            if (m_process.state() == QProcess::NotRunning || clock.elapsed() > timeoutMs)
                return false;
            m_process.waitForReadyRead(100);
        }
    }

    // SIGKILL: no chance to finish anything.
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(20000);
        collect();
    }

    bool finish(int timeoutMs = 20000)
    {
        const bool ended = m_process.waitForFinished(timeoutMs);
        collect();
        return ended;
    }

    void write(const QByteArray &bytes)
    {
        m_process.write(bytes);
        m_process.waitForBytesWritten(5000);
    }
    void closeInput() { m_process.closeWriteChannel(); }

    // Every whole line written so far.
    const QStringList &lines()
    {
        collect();
        return m_lines;
    }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }
    QProcess &process() { return m_process; }

private:
    void collect()
    {
        m_pending += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines << QString::fromUtf8(m_pending.left(end));
            m_pending.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
};

} // namespace tabrix::test
