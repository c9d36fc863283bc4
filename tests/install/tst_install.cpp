// Installing: cmake --install puts the program, its tool, the sample finder,
// the menu entry and the icon in one folder of the user's choice; the
// Debian package puts that folder at /opt/tabrix and the menu entry and
// icon where the desktop finds them. Menu entries pass desktop-file-validate.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <map>

namespace {

struct Ran {
    int status = -1;
    QString output;
};

Ran run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Ran ran;
    if (!process.waitForFinished(180000))
        process.kill();
    else if (process.exitStatus() == QProcess::NormalExit)
        ran.status = process.exitCode();
    process.waitForFinished();
    ran.output = QString::fromUtf8(process.readAll());
    return ran;
}

QString tool(const QString &name)
{
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        qFatal("%s is missing: run scripts/setup.sh", qPrintable(name));
    return path;
}

QString buildDir()
{
    return QFileInfo(QStringLiteral(TABRIX_PROGRAM_PATH)).absolutePath();
}

QString sourceDir()
{
    QFile cache(QDir(buildDir()).filePath("CMakeCache.txt"));
    if (cache.open(QIODevice::ReadOnly))
        for (const QByteArray &line : cache.readAll().split('\n'))
            if (line.startsWith("Tabrix_SOURCE_DIR:STATIC="))
                return QString::fromUtf8(line.mid(line.indexOf('=') + 1));
    qFatal("no source folder in the build's CMakeCache.txt");
}

bool withFinder()
{
    return QFileInfo::exists(QDir(sourceDir()).filePath("tools/fendrel/Fendrel.exe"));
}

// A value of the desktop file format's string type, read back.
QString unescapeString(const QString &value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        text += next == QLatin1Char('s')   ? QChar(' ')
                : next == QLatin1Char('n') ? QChar('\n')
                : next == QLatin1Char('t') ? QChar('\t')
                : next == QLatin1Char('r') ? QChar('\r')
                                           : next;
    }
    return text;
}

// The words of an Exec command line, read back as a desktop would.
QStringList commandWords(const QString &value)
{
    const QString line = unescapeString(value);
    QStringList words;
    QString word;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < line.size()) {
            word += line[++i];
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c == QLatin1Char('%') && i + 1 < line.size() && line[i + 1] == QLatin1Char('%')) {
            word += c;
            ++i;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (!word.isEmpty())
                words << word;
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

std::map<QString, QString> desktopEntry(const QString &path)
{
    std::map<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    bool inEntry = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.contains(QLatin1Char('=')))
            keys[line.section(QLatin1Char('='), 0, 0)] = line.section(QLatin1Char('='), 1);
    }
    return keys;
}

// What the menu entry says in French, wherever it is installed.
void verifyFrenchTexts(const std::map<QString, QString> &keys)
{
    const QString comment = "Tenir à jour les listes Zarpo, Melvi, Trunda et Vasquo des énigmes du forum Norvane";
    QCOMPARE(keys.at("Type"), QString("Application"));
    QCOMPARE(keys.at("Name"), QString("Tabrix"));
    QCOMPARE(keys.at("Name[fr]"), QString("Tabrix"));
    QCOMPARE(keys.at("GenericName"), QString("Catalogue d'énigmes en images"));
    QCOMPARE(keys.at("Comment"), comment);
    QCOMPARE(keys.at("Comment[fr]"), comment);
}

void verifyValid(const QString &desktopFile)
{
    const Ran validated = run(tool("desktop-file-validate"), {desktopFile});
    QVERIFY2(validated.status == 0 && validated.output.trimmed().isEmpty(), qPrintable(validated.output));
}

QStringList folderFiles(const QString &path)
{
    QStringList names = QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void installsOneProgramFolder_data();
    void installsOneProgramFolder();
    void installedToolWorksAndReinstallKeepsTheCatalogue();
    void iconIsAWellFormedSvg();
    void debianPackage();

private:
    QTemporaryDir m_root;
};

void TestInstall::installsOneProgramFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << "Tabrix";
    QTest::newRow("blanks, accents, apostrophe") << "Mes programmes/Tabrix l'été";
    // (CMake itself installs into no folder with a backslash or a ";".)
    QTest::newRow("characters a command line reserves") << "a$b\"c`d%e";
}

void TestInstall::installsOneProgramFolder()
{
    QFETCH(QString, folder);
    const QString prefix = QDir(m_root.path()).filePath(folder);
    const Ran installed = run(tool("cmake"), {"--install", buildDir(), "--prefix", prefix});
    QVERIFY2(installed.status == 0, qPrintable(installed.output));

    QStringList expected = {"tabrix", "tabrix-admin", "tabrix.desktop", "tabrix.svg"};
    if (withFinder())
        expected << "Fendrel.exe";
    expected.sort();
    QCOMPARE(folderFiles(prefix), expected);
    for (const QString name : {"tabrix", "tabrix-admin", "Fendrel.exe"})
        if (expected.contains(name))
            QVERIFY2(QFileInfo(QDir(prefix).filePath(name)).isExecutable(), qPrintable(name));

    const QString desktopFile = QDir(prefix).filePath("tabrix.desktop");
    const auto keys = desktopEntry(desktopFile);
    verifyFrenchTexts(keys);
    if (QTest::currentTestFailed())
        return;
    const QString program = QDir(prefix).filePath("tabrix");
    QCOMPARE(commandWords(keys.at("Exec")), QStringList{program});
    QCOMPARE(unescapeString(keys.at("TryExec")), program);
    QCOMPARE(unescapeString(keys.at("Icon")), QDir(prefix).filePath("tabrix.svg"));
    verifyValid(desktopFile);
}

void TestInstall::installedToolWorksAndReinstallKeepsTheCatalogue()
{
    const QString prefix = QDir(m_root.path()).filePath("avec catalogue");
    QCOMPARE(run(tool("cmake"), {"--install", buildDir(), "--prefix", prefix}).status, 0);
    const QString admin = QDir(prefix).filePath("tabrix-admin");
    const QString catalogue = QDir(prefix).filePath("Tabrix.mdb");
    const Ran demo = run(admin, {"demo", catalogue});
    QVERIFY2(demo.status == 0, qPrintable(demo.output));
    const Ran checked = run(admin, {"check", catalogue});
    QVERIFY2(checked.status == 0, qPrintable(checked.output));

    QFile file(catalogue);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QCOMPARE(run(tool("cmake"), {"--install", buildDir(), "--prefix", prefix}).status, 0);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == before);
}

void TestInstall::iconIsAWellFormedSvg()
{
    const QString icon = QDir(sourceDir()).filePath("packaging/tabrix.svg");
    QFile file(icon);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QStringLiteral("svg"));
    QCOMPARE(xml.attributes().value("viewBox"), QStringLiteral("0 0 128 128"));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

    // And it draws: ImageMagick renders it to a 128 × 128 picture.
    const Ran drawn = run(tool("identify"), {"-format", "%w %h", icon});
    QVERIFY2(drawn.status == 0, qPrintable(drawn.output));
    QCOMPARE(drawn.output.trimmed(), QStringLiteral("128 128"));
}

void TestInstall::debianPackage()
{
    QTemporaryDir out;
    const Ran packed = run(tool("cpack"), {"-G", "DEB", "--config", QDir(buildDir()).filePath("CPackConfig.cmake"),
                                           "-B", out.path()});
    QVERIFY2(packed.status == 0, qPrintable(packed.output));
    const QStringList debs = QDir(out.path()).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = QDir(out.path()).filePath(debs.first());

    const Ran fields = run(tool("dpkg-deb"), {"-f", deb, "Package", "Version", "Depends"});
    QVERIFY2(fields.status == 0, qPrintable(fields.output));
    QVERIFY2(fields.output.contains("Package: tabrix\n"), qPrintable(fields.output));
    QVERIFY2(fields.output.contains("Version: 4.3.1\n"), qPrintable(fields.output));
    for (const QString dependency : {"libqt6widgets6", "libsqlite3-0", "imagemagick"})
        QVERIFY2(fields.output.contains(dependency), qPrintable(fields.output));

    const QString root = QDir(out.path()).filePath("contenu");
    QCOMPARE(run(tool("dpkg-deb"), {"-x", deb, root}).status, 0);
    QStringList program = {"tabrix", "tabrix-admin"};
    if (withFinder())
        program << "Fendrel.exe";
    program.sort();
    QCOMPARE(folderFiles(root + "/opt/tabrix"), program); // no catalogue, no menu entry
    QCOMPARE(folderFiles(root + "/usr/share/applications"), QStringList{"tabrix.desktop"});
    QCOMPARE(folderFiles(root + "/usr/share/icons/hicolor/scalable/apps"), QStringList{"tabrix.svg"});
    QCOMPARE(folderFiles(root), QStringList({"opt", "usr"}));

    const QString desktopFile = root + "/usr/share/applications/tabrix.desktop";
    const auto keys = desktopEntry(desktopFile);
    verifyFrenchTexts(keys);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(keys.at("Exec"), QString("/opt/tabrix/tabrix"));
    QCOMPARE(keys.at("TryExec"), QString("/opt/tabrix/tabrix"));
    QCOMPARE(keys.at("Icon"), QString("tabrix"));
    verifyValid(desktopFile);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
