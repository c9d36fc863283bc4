#pragma once

// Runs the real tabrix-admin as a user would, and helpers around its files.

#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <map>

#include <unistd.h>

namespace tabrix::test {

struct ToolRun {
    int status = -1; // -1: crashed or never ended
    QString out;
    QString err;
};

struct RunOptions {
    QStringList environment; // NAME=value, added to the test's own
    QString output;          // a file for standard output
    bool ordinaryUser = false; // run as "nobody" when the test runs as root
    QString workingDirectory;
};

// Runs `program` (a path, or a name looked for on PATH) to its end.
inline ToolRun runProgram(const QString &program, const QStringList &arguments, const RunOptions &options = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : options.environment)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    if (environment.contains("LD_PRELOAD")) // a sanitized build accepts the library loaded first
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(options.workingDirectory);
    process.setStandardOutputFile(options.output); // none: read below
    const bool asNobody = options.ordinaryUser && ::geteuid() == 0;
    process.start(asNobody ? "setpriv" : program,
                  (asNobody ? QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} : QStringList()) + arguments);
    const bool ended = process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit; // else killed on leaving
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) + (ended ? QString() : process.errorString())};
}

inline ToolRun runAdmin(const QStringList &arguments, const RunOptions &options = {})
{
    return runProgram(QStringLiteral(TABRIX_ADMIN_PATH), arguments, options);
}

inline QString legacyFixture() { return QStringLiteral(TABRIX_FIXTURES_DIR "/legacy-jet4.mdb"); }

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
             qPrintable(path));
}

// Every file of a folder (hidden ones too) with its content.
inline std::map<QString, QByteArray> folderContent(const QString &path)
{
    std::map<QString, QByteArray> content;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        content[name] = fileBytes(dir.filePath(name));
    return content;
}

// Compares table rows one by one, so that a failure shows the row.
inline void verifyRows(const std::vector<QStringList> &actual, const std::vector<QStringList> &expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (std::size_t row = 0; row < expected.size(); ++row)
        QCOMPARE(actual[row], expected[row]);
}

// Fails unless `output` holds each of `texts`.
inline void verifySaid(const QString &output, const QStringList &texts)
{
    for (const QString &text : texts)
        QVERIFY2(output.contains(text), qPrintable("« " + text + " » not in:\n" + output));
}

} // namespace tabrix::test
