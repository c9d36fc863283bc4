// Installing: cmake --install puts the program, its tool, the sample finder,
// the menu entry and the icon in one folder of the user's choice; the
// Debian package puts that folder at /opt/tabrix and the menu entry and
// icon where the desktop finds them. Menu entries pass desktop-file-validate,
// and the package passes lintian. With Qt's French translation the package
// recommends, Qt's own texts (dialog buttons, for one) appear in French once
// the program has loaded it.
#include "app/qtfrench.h"
#include "tools/admincommand.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QPushButton>

using namespace tabrix::test;

namespace {

// What the program says, on either output.
QString said(const ToolRun &run) { return run.out + run.err; }

// Fails, with what it said, unless the program ended well.
void verifyRan(const ToolRun &run) { QVERIFY2(run.status == 0, qPrintable(said(run))); }

const QString buildDir = QFileInfo(QStringLiteral(TABRIX_PROGRAM_PATH)).absolutePath();

QStringList folderFiles(const QString &path) // sorted by name
{
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// A string value of the desktop file format read back.
QString unescape(const QString &value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype escape = value[i] == '\\' && i + 1 < value.size() ? QStringLiteral("sntr").indexOf(value[++i]) : -2;
        text += escape >= 0 ? QStringLiteral(" \n\t\r").at(escape) : value[i];
    }
    return text;
}

// Checks where the menu entry points and that the desktop's own validator
// accepts it. The command line of Exec quotes as the shell's double quotes
// do, with %% for %: the shell gives back its words.
void verifyDesktopFile(const QString &path, const QString &program, const QString &icon)
{
    std::map<QString, QString> keys; // of the first group, [Desktop Entry]
    for (const QString &line : QString::fromUtf8(fileBytes(path)).section("\n[", 0, 0).split('\n'))
        keys[line.section('=', 0, 0)] = unescape(line.section('=', 1));
    const ToolRun words = runProgram("sh", {"-c", "printf '%s\\n' " + keys["Exec"].replace("%%", "%")});
    QCOMPARE((QStringList{words.out, keys["TryExec"], keys["Icon"]}), (QStringList{program + "\n", program, icon}));
    const ToolRun validated = runProgram("desktop-file-validate", {path});
    QVERIFY2(validated.status == 0 && said(validated).trimmed().isEmpty(), qPrintable(said(validated)));
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
        verifyRan(runProgram("cmake", {"--install", buildDir, "--prefix", prefix.path()}));
        QCOMPARE(folderFiles(prefix.path()), QStringList({"Fendrel.exe", "tabrix", "tabrix-admin", "tabrix.desktop", "tabrix.svg"}));
        for (const QString name : {"tabrix", "tabrix-admin", "Fendrel.exe"})
            QVERIFY2(QFileInfo(prefix.filePath(name)).isExecutable(), qPrintable(name));
        verifyDesktopFile(prefix.filePath("tabrix.desktop"), prefix.filePath("tabrix"), prefix.filePath("tabrix.svg"));
        const ToolRun drawn = runProgram("identify", {"-format", "%w %h", prefix.filePath("tabrix.svg")}); // the icon draws
        QVERIFY2(drawn.status == 0 && drawn.out.trimmed() == "128 128", qPrintable(said(drawn)));

        // The installed tool works there, and installing again keeps the catalogue.
        const QString catalogue = prefix.filePath("Tabrix.mdb");
        verifyRan(runProgram(prefix.filePath("tabrix-admin"), {"demo", catalogue}));
        verifyRan(runProgram(prefix.filePath("tabrix-admin"), {"check", catalogue}));
        const QByteArray before = fileBytes(catalogue);
        QCOMPARE(runProgram("cmake", {"--install", buildDir, "--prefix", prefix.path()}).status, 0);
        QVERIFY(fileBytes(catalogue) == before);
    }

    void debianPackage()
    {
        QTemporaryDir out;
        verifyRan(runProgram("cpack", {"-G", "DEB", "--config", buildDir + "/CPackConfig.cmake", "-B", out.path()}));
        const QStringList debs = QDir(out.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = out.filePath(debs.first());
        const ToolRun fields = runProgram("dpkg-deb", {"-f", deb, "Package", "Depends", "Recommends"});
        verifySaid(fields.out, {"Package: tabrix\n", "libqt6widgets6", "libsqlite3-0", "imagemagick", "qt6-translations-l10n"});

        const QString root = out.filePath("contenu");
        QCOMPARE(runProgram("dpkg-deb", {"-x", deb, root}).status, 0);
        QCOMPARE(folderFiles(root) + folderFiles(root + "/opt/tabrix") + folderFiles(root + "/usr/share/applications")
                     + folderFiles(root + "/usr/share/icons/hicolor/scalable/apps"), // no catalogue, no menu entry in /opt
                 QStringList({"opt", "usr", "Fendrel.exe", "tabrix", "tabrix-admin", "tabrix.desktop", "tabrix.svg"}));
        verifyDesktopFile(root + "/usr/share/applications/tabrix.desktop", "/opt/tabrix/tabrix", "tabrix");

        // Debian's own checker finds no error and no warning (the /opt placement is overridden, with its reason).
        verifyRan(runProgram("lintian", {"--fail-on", "error,warning", "--no-tag-display-limit", deb}));

        // With Qt's French translation, which the package recommends, Qt's own texts are French.
        QVERIFY2(tabrix::installQtFrench(*qApp),
                 qPrintable("no qtbase_fr in " + QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel); // a sample of Qt's own texts
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove('&'), QStringLiteral("Annuler"));
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
