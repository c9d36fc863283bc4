#pragma once

// Runs the real tabrix-admin, as a user would from a terminal.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <map>

namespace tabrix::test {

struct ToolRun {
    int status = -1; // -1: crashed or never ended
    QString out;
    QString err;
};

inline ToolRun runAdmin(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TABRIX_ADMIN_PATH), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file of a folder (hidden ones too) with its content, to see that
// nothing was added, removed or changed.
inline std::map<QString, QByteArray> folderContent(const QString &path)
{
    std::map<QString, QByteArray> content;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        content[name] = fileBytes(dir.filePath(name));
    return content;
}

} // namespace tabrix::test
