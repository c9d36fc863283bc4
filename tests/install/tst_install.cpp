// Installing: cmake --install puts the program, its tool, the sample finder,
// the menu entry and the icon in one folder of the user's choice; the
// Debian package puts that folder at /opt/tabrix and the menu entry and
// icon where the desktop finds them. Menu entries pass desktop-file-validate,
// and the package passes lintian. With Qt's French translation the package
// recommends, Qt's own texts (dialog buttons, the context menu of the text
// boxes) appear in French once the program has loaded it.
#include "app/qtfrench.h"
#include "tools/admincommand.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>

using tabrix::test::fileBytes;
using tabrix::test::ToolRun;
using tabrix::test::verifySaid;

namespace {

// The program's output and error output together in `out`.
ToolRun run(const QString &name, const QStringList &arguments)
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
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAll()), {}};
}

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
    const ToolRun words = run("sh", {"-c", "printf '%s\\n' " + keys["Exec"].replace("%%", "%")});
    QCOMPARE((QStringList{words.out, keys["TryExec"], keys["Icon"]}), (QStringList{program + "\n", program, icon}));
    const ToolRun validated = run("desktop-file-validate", {path});
    QVERIFY2(validated.status == 0 && validated.out.trimmed().isEmpty(), qPrintable(validated.out));
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
        const ToolRun installed = run("cmake", {"--install", buildDir, "--prefix", prefix.path()});
        QVERIFY2(installed.status == 0, qPrintable(installed.out));
        QCOMPARE(folderFiles(prefix.path()), QStringList({"Fendrel.exe", "tabrix", "tabrix-admin", "tabrix.desktop", "tabrix.svg"}));
        for (const QString name : {"tabrix", "tabrix-admin", "Fendrel.exe"})
            QVERIFY2(QFileInfo(prefix.filePath(name)).isExecutable(), qPrintable(name));
        verifyDesktopFile(prefix.filePath("tabrix.desktop"), prefix.filePath("tabrix"), prefix.filePath("tabrix.svg"));
        const ToolRun drawn = run("identify", {"-format", "%w %h", prefix.filePath("tabrix.svg")}); // the icon draws
        QVERIFY2(drawn.status == 0 && drawn.out.trimmed() == "128 128", qPrintable(drawn.out));

        // The installed tool works there, and installing again keeps the catalogue.
        const QString catalogue = prefix.filePath("Tabrix.mdb");
        const ToolRun demo = run(prefix.filePath("tabrix-admin"), {"demo", catalogue});
        QVERIFY2(demo.status == 0, qPrintable(demo.out));
        QCOMPARE(run(prefix.filePath("tabrix-admin"), {"check", catalogue}).status, 0);
        const QByteArray before = fileBytes(catalogue);
        QCOMPARE(run("cmake", {"--install", buildDir, "--prefix", prefix.path()}).status, 0);
        QVERIFY(fileBytes(catalogue) == before);
    }

    void debianPackage()
    {
        QTemporaryDir out;
        const ToolRun packed = run("cpack", {"-G", "DEB", "--config", buildDir + "/CPackConfig.cmake", "-B", out.path()});
        QVERIFY2(packed.status == 0, qPrintable(packed.out));
        const QStringList debs = QDir(out.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = out.filePath(debs.first());
        const ToolRun fields = run("dpkg-deb", {"-f", deb, "Package", "Depends"});
        verifySaid(fields.out, {"Package: tabrix\n", "libqt6widgets6", "libsqlite3-0", "imagemagick"});

        const QString root = out.filePath("contenu");
        QCOMPARE(run("dpkg-deb", {"-x", deb, root}).status, 0);
        QCOMPARE(folderFiles(root), QStringList({"opt", "usr"}));
        QCOMPARE(folderFiles(root + "/opt/tabrix"), QStringList({"Fendrel.exe", "tabrix", "tabrix-admin"})); // no catalogue, no menu entry
        QCOMPARE(folderFiles(root + "/usr/share/applications"), QStringList{"tabrix.desktop"});
        QCOMPARE(folderFiles(root + "/usr/share/icons/hicolor/scalable/apps"), QStringList{"tabrix.svg"});
        verifyDesktopFile(root + "/usr/share/applications/tabrix.desktop", "/opt/tabrix/tabrix", "tabrix");

        // Debian's own checker finds no error and no warning (the /opt placement is overridden, with its reason).
        const ToolRun checked = run("lintian", {"--fail-on", "error,warning", "--no-tag-display-limit", deb});
        QVERIFY2(checked.status == 0, qPrintable(checked.out));
    }

    void qtTextsInFrench()
    {
        QVERIFY2(tabrix::installQtFrench(*qApp),
                 qPrintable("no qtbase_fr in " + QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        // One sample each: a dialog button, an entry of a text box's menu.
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove('&') + " / "
                     + menu->actions().constLast()->text().remove('&').section('\t', 0, 0),
                 QStringLiteral("Annuler / Tout sélectionner"));
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
