// Installing: cmake --install puts the program, its tool, the sample finder,
// the menu entry and the icon in one folder of the user's choice; the
// Debian package puts that folder at /opt/tabrix and the menu entry and
// icon where the desktop finds them. Menu entries pass desktop-file-validate,
// and the package passes lintian.
#include "tools/admincommand.h"

#include <QStandardPaths>

using tabrix::test::fileBytes;

namespace {

struct Ran {
    int status = -1;
    QString output;
};

Ran run(const QString &name, const QStringList &arguments)
{
    const QString program = name.contains('/') ? name : QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        qFatal("%s is missing: run scripts/setup.sh", qPrintable(name));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit;
    if (!ended)
        process.kill();
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

const QString buildDir = QFileInfo(QStringLiteral(TABRIX_PROGRAM_PATH)).absolutePath();

QStringList folderFiles(const QString &path) // sorted by name
{
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// A value of the desktop file format read back: string escapes first, then,
// for a command line, its words ("…" quoting with \ inside, %% for %).
QString unescape(const QString &value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype escape = value[i] == '\\' && i + 1 < value.size() ? QStringLiteral("sntr").indexOf(value[++i]) : -2;
        text += escape >= 0 ? QStringLiteral(" \n\t\r").at(escape) : value[i];
    }
    return text;
}

QStringList commandWords(const QString &value)
{
    const QString line = unescape(value);
    QStringList words{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\' && i + 1 < line.size())
            words.last() += line[++i];
        else if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ' ' && !quoted)
            words << QString();
        else
            words.last() += line.mid(i, 2) == "%%" ? line[i++] : line[i];
    }
    words.removeAll(QString());
    return words;
}

// Checks where the menu entry points and that the desktop's own validator accepts it.
void verifyDesktopFile(const QString &path, const QString &program, const QString &icon)
{
    std::map<QString, QString> keys;
    bool inEntry = false;
    for (const QString &line : QString::fromUtf8(fileBytes(path)).split('\n')) {
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.contains('='))
            keys[line.section('=', 0, 0)] = line.section('=', 1);
    }
    QCOMPARE(commandWords(keys["Exec"]), QStringList{program});
    QCOMPARE(unescape(keys["TryExec"]), program);
    QCOMPARE(unescape(keys["Icon"]), icon);
    const Ran validated = run("desktop-file-validate", {path});
    QVERIFY2(validated.status == 0 && validated.output.trimmed().isEmpty(), qPrintable(validated.output));
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void installsOneProgramFolder()
    {
        // Blanks, accents, an apostrophe and the characters a command line
        // reserves (CMake itself installs into no folder with a backslash or a ";").
        const QDir prefix(m_root.filePath("Mes programmes/Tabrix l'été a$b\"c`d%e"));
        const Ran installed = run("cmake", {"--install", buildDir, "--prefix", prefix.path()});
        QVERIFY2(installed.status == 0, qPrintable(installed.output));
        QCOMPARE(folderFiles(prefix.path()), QStringList({"Fendrel.exe", "tabrix", "tabrix-admin", "tabrix.desktop", "tabrix.svg"}));
        for (const QString name : {"tabrix", "tabrix-admin", "Fendrel.exe"})
            QVERIFY2(QFileInfo(prefix.filePath(name)).isExecutable(), qPrintable(name));
        verifyDesktopFile(prefix.filePath("tabrix.desktop"), prefix.filePath("tabrix"), prefix.filePath("tabrix.svg"));
        const Ran drawn = run("identify", {"-format", "%w %h", prefix.filePath("tabrix.svg")}); // the icon draws
        QVERIFY2(drawn.status == 0 && drawn.output.trimmed() == "128 128", qPrintable(drawn.output));

        // The installed tool works there, and installing again keeps the catalogue.
        const QString catalogue = prefix.filePath("Tabrix.mdb");
        const Ran demo = run(prefix.filePath("tabrix-admin"), {"demo", catalogue});
        QVERIFY2(demo.status == 0, qPrintable(demo.output));
        QCOMPARE(run(prefix.filePath("tabrix-admin"), {"check", catalogue}).status, 0);
        const QByteArray before = fileBytes(catalogue);
        QCOMPARE(run("cmake", {"--install", buildDir, "--prefix", prefix.path()}).status, 0);
        QVERIFY(fileBytes(catalogue) == before);
    }

    void debianPackage()
    {
        QTemporaryDir out;
        const Ran packed = run("cpack", {"-G", "DEB", "--config", buildDir + "/CPackConfig.cmake", "-B", out.path()});
        QVERIFY2(packed.status == 0, qPrintable(packed.output));
        const QStringList debs = QDir(out.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = out.filePath(debs.first());
        const Ran fields = run("dpkg-deb", {"-f", deb, "Package", "Depends"});
        for (const QString text : {"Package: tabrix\n", "libqt6widgets6", "libsqlite3-0", "imagemagick"})
            QVERIFY2(fields.status == 0 && fields.output.contains(text), qPrintable(fields.output));

        const QString root = out.filePath("contenu");
        QCOMPARE(run("dpkg-deb", {"-x", deb, root}).status, 0);
        QCOMPARE(folderFiles(root), QStringList({"opt", "usr"}));
        QCOMPARE(folderFiles(root + "/opt/tabrix"), QStringList({"Fendrel.exe", "tabrix", "tabrix-admin"})); // no catalogue, no menu entry
        QCOMPARE(folderFiles(root + "/usr/share/applications"), QStringList{"tabrix.desktop"});
        QCOMPARE(folderFiles(root + "/usr/share/icons/hicolor/scalable/apps"), QStringList{"tabrix.svg"});
        verifyDesktopFile(root + "/usr/share/applications/tabrix.desktop", "/opt/tabrix/tabrix", "tabrix");

        // Debian's own checker finds no error and no warning (the /opt placement is overridden, with its reason).
        const Ran checked = run("lintian", {"--fail-on", "error,warning", "--no-tag-display-limit", deb});
        QVERIFY2(checked.status == 0, qPrintable(checked.output));
    }

private:
    QTemporaryDir m_root;
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
