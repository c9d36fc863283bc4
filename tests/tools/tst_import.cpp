// tabrix-admin import, run as the user runs it, on the old Access catalogue
// of the fixtures and on copies of it altered byte by byte.
#include "support/testsupport.h"
#include "ui/grid.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QString none = QStringLiteral("<NULL>"); // how tableRows shows a field with no value

QString fixture()
{
    return QStringLiteral(TABRIX_FIXTURES_DIR "/legacy-jet4.mdb");
}

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run runAdmin(const QStringList &arguments, const QString &workingDirectory = {})
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(TABRIX_ADMIN_PATH), arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.code = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A text as the Jet 4 engine stores it without compression (UCS-2).
QByteArray ucs2(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

// A text as the Jet 4 engine stores it compressed (one byte a character).
QByteArray packed(const QString &text)
{
    return text.toLatin1();
}

struct Patch {
    QByteArray from;
    QByteArray to;
};

// Writes a copy of the fixture with each `from`, which stands exactly once in
// the file, replaced by `to` of the same length.
bool writePatched(const QString &path, const std::vector<Patch> &patches)
{
    QFile in(fixture());
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = in.readAll();
    for (const Patch &patch : patches) {
        if (patch.from.size() != patch.to.size() || bytes.count(patch.from) != 1)
            return false;
        bytes.replace(patch.from, patch.to);
    }
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the fixture holds, read by hand from its pages: compressed and
// uncompressed texts, fields with no value and an empty text.
const std::vector<QStringList> fixtureZarpo = {
    {"001", "Les Misérables", "Victor Hugo", "http://example.org/miserables", "voir 002"},
    {"002", "Noël à la forêt", "Émile Zola", none, ""},
    {"007", "L'Œuvre — « spécial »", "Zoé Dupré", "http://example.org/oeuvre", none},
};
const std::vector<QStringList> fixtureMelvi = {
    {"001", "Château d'Île-de-France", "Hélène Bœuf", "http://example.org/chateau", "lien simple"},
    {"003", "Besançon", "François Çà", none, none},
};
const std::vector<QStringList> fixtureTrunda = {
    {"010", "ça déménage", "Jérôme Lefèvre", "http://example.org/t10", "x"},
};
const std::vector<QStringList> fixtureTitres = {
    {"005", "Où êtes-vous, Noël ?", "Zoé Dupré", none, "titre non compressé"},
    {"006", "plain ascii", "Anon", "http://example.org/6", "y"},
};
const std::vector<QStringList> fixtureAuteurs = {
    {"Victor Hugo"}, {"Émile Zola"}, {"Zoé Dupré"}, {"Hélène Bœuf"}, {"François Çà"}, {"Jérôme Lefèvre"}, {"Anon"},
};

} // namespace

class ImportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(fixture()), qPrintable(fixture()));
        QVERIFY(QFileInfo::exists(QStringLiteral(TABRIX_ADMIN_PATH)));
    }

    void bringsEveryFieldOverExactly()
    {
        QTemporaryDir work;
        const QString target = QDir(work.path()).filePath("Tabrix.mdb");
        const Run run = runAdmin({"import", fixture(), target});
        QVERIFY2(run.code == 0, qPrintable(run.err));

        QCOMPARE(tableRows(target, "zarpo"), fixtureZarpo);
        QCOMPARE(tableRows(target, "melvi"), fixtureMelvi);
        QCOMPARE(tableRows(target, "trunda"), fixtureTrunda);
        QCOMPARE(tableRows(target, "titres"), fixtureTitres);
        QCOMPARE(tableRows(target, "auteurs"), fixtureAuteurs);
        QCOMPARE(entriesOf(work.path()), QStringList{"Tabrix.mdb"});

        // What it did, per table, and the gaps the program will object to.
        QVERIFY2(run.out.contains("Jet 4"), qPrintable(run.out));
        QVERIFY2(run.out.contains("zarpo     : 3 lignes lues, 3 écrites"), qPrintable(run.out));
        QVERIFY2(run.out.contains("melvi     : 2 lignes lues, 2 écrites"), qPrintable(run.out));
        QVERIFY2(run.out.contains("trunda    : 1 ligne lue, 1 écrite"), qPrintable(run.out));
        QVERIFY2(run.out.contains("titres    : 2 lignes lues, 2 écrites"), qPrintable(run.out));
        QVERIFY2(run.out.contains("auteurs   : 7 lignes lues, 7 écrites"), qPrintable(run.out));
        QVERIFY2(run.out.contains("zarpo : il manque les numéros 003 à 006 ; le programme refusera tout ajout"),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains("melvi : il manque le numéro 002 ;"), qPrintable(run.out));
        QVERIFY2(run.out.contains("trunda : il manque les numéros 001 à 009 ;"), qPrintable(run.out));
        QVERIFY2(run.out.contains("titres : il manque les numéros 001 à 004 ;"), qPrintable(run.out));
        QVERIFY(!run.out.contains("manque dans l'ancien fichier"));

        // The store reads a link with no value and an empty link apart.
        auto catalogue = openCatalogue(target);
        const auto found = catalogue->find(zarpo(), "002");
        QVERIFY(found && found->has_value());
        QCOMPARE((*found)->url, std::nullopt);
        QCOMPARE((*found)->link, std::optional<QString>(QString()));
    }

    void programStartsOnTheResult()
    {
        ProgramDir dir;
        const Run run = runAdmin({"import", fixture(), dir.catalogue()});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        RecordingServices services;
        auto window = startProgram(dir, services);
        QVERIFY2(window, qPrintable(services.lastText()));
        auto *grid = window->findChild<Grid *>("zarpo");
        QVERIFY(grid);
        QCOMPARE(grid->rows(), 4);
        QCOMPARE(grid->text(3, 0), QStringLiteral("007"));
        QCOMPARE(grid->text(3, 1), QStringLiteral("L'Œuvre — « spécial »"));
        auto *titresGrid = window->findChild<Grid *>("titres");
        QVERIFY(titresGrid);
        QCOMPARE(titresGrid->text(1, 1), QStringLiteral("Où êtes-vous, Noël ?"));
    }

    // Blanks around a text, letter case and a number not written on three
    // digits arrive as they are, in compressed and uncompressed texts.
    void keepsBlanksCaseAndOddNumbers()
    {
        QTemporaryDir work;
        const QString source = QDir(work.path()).filePath("ancien.mdb");
        QVERIFY(writePatched(source, {{ucs2("plain ascii"), ucs2(" PLAIN ASC ")},
                                      {packed("voir 002"), packed(" Voir 2 ")},
                                      {packed("007"), packed("07 ")}}));
        const QString target = QDir(work.path()).filePath("nouveau.mdb");
        const Run run = runAdmin({"import", source, target});
        QVERIFY2(run.code == 0, qPrintable(run.err));

        const auto titresRows = tableRows(target, "titres");
        QCOMPARE(titresRows.at(1).at(1), QStringLiteral(" PLAIN ASC "));
        const auto zarpoRows = tableRows(target, "zarpo");
        QCOMPARE(zarpoRows.at(0).at(4), QStringLiteral(" Voir 2 "));
        QCOMPARE(zarpoRows.at(2).at(0), QStringLiteral("07 "));
        QVERIFY2(run.out.contains("zarpo, ligne 3 : le numéro « 07  » n'est pas écrit sur trois chiffres."),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains("zarpo : il manque les numéros 003 à 006 ;"), qPrintable(run.out));
    }

    // The catalogue of the version before the Vasquo list: brought over with
    // an empty titres, and the tool says so.
    void createsTheMissingTitresList()
    {
        QTemporaryDir work;
        const QString source = QDir(work.path()).filePath("ancien.mdb");
        QVERIFY(writePatched(source, {{ucs2("titres"), ucs2("vieux_")}}));
        const QString target = QDir(work.path()).filePath("Tabrix.mdb");
        const Run run = runAdmin({"import", source, target});
        QVERIFY2(run.code == 0, qPrintable(run.err));

        QVERIFY2(run.out.contains("La table « titres » (liste Vasquo) manque dans l'ancien fichier : elle est créée vide."),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains("titres    : absente de l'ancien fichier, créée vide (0 ligne écrite)"), qPrintable(run.out));
        QVERIFY2(run.out.contains("La table « vieux_ » n'est pas reprise"), qPrintable(run.out));
        QCOMPARE(tableRows(target, "titres"), std::vector<QStringList>{});
        QCOMPARE(tableRows(target, "zarpo"), fixtureZarpo);
        QCOMPARE(tableRows(target, "auteurs"), fixtureAuteurs);
        auto catalogue = openCatalogue(target);
        QCOMPARE(*catalogue->count(titres()), 0);
    }

    void refusesAndWritesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("number twice, uncompressed")
            << "titres twice"
            << QStringList{"Le catalogue ne peut pas être importé :",
                           "titres : le numéro « 005 » figure 2 fois :\n"
                           "    ligne 1 : « 005 », « Où êtes-vous, Noël ? », « Zoé Dupré », sans valeur, « titre non compressé »\n"
                           "    ligne 2 : « 005 », « plain ascii », « Anon », « http://example.org/6 », « y »"};
        QTest::newRow("number twice, compressed")
            << "zarpo twice"
            << QStringList{"zarpo : le numéro « 002 » figure 2 fois :\n"
                           "    ligne 2 : « 002 », « Noël à la forêt », « Émile Zola », sans valeur, texte vide\n"
                           "    ligne 3 : « 002 », « L'Œuvre — « spécial » », « Zoé Dupré », « http://example.org/oeuvre », sans valeur"};
        QTest::newRow("list missing") << "zarpo missing" << QStringList{"La table « zarpo » manque."};
        QTest::newRow("target exists") << "target exists" << QStringList{"existe déjà : il n'est pas remplacé."};
        QTest::newRow("text file") << "text" << QStringList{"n'est pas une base Access."};
        QTest::newRow("empty file") << "empty" << QStringList{"n'est pas une base Access."};
        QTest::newRow("already converted") << "sqlite" << QStringList{"il est déjà au format de Tabrix"};
        QTest::newRow("cut short") << "truncated" << QStringList{"ne peut pas être lue : la table « zarpo » est incomplète"};
        QTest::newRow("no such file") << "missing" << QStringList{"est introuvable."};
    }

    void refusesAndWritesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, expected);

        QTemporaryDir work;
        const QString source = QDir(work.path()).filePath("ancien.mdb");
        const QString target = QDir(work.path()).filePath("Tabrix.mdb");
        const QByteArray kept = "à garder tel quel";
        if (kind == "titres twice")
            QVERIFY(writePatched(source, {{ucs2("006") + ucs2("plain"), ucs2("005") + ucs2("plain")}}));
        else if (kind == "zarpo twice")
            QVERIFY(writePatched(source, {{packed("007"), packed("002")}}));
        else if (kind == "zarpo missing")
            QVERIFY(writePatched(source, {{ucs2("zarpo"), ucs2("zarpy")}}));
        else if (kind == "truncated") {
            // Pages up to the first list's rows only.
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contentOf(fixture()).left(39 * 4096));
        } else if (kind != "missing") {
            QVERIFY(writePatched(source, {}));
            QFile file(source);
            if (kind == "text") {
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                file.write("ref;nom;auteur\n001;Noël;Zoé\n");
            } else if (kind == "empty") {
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            } else if (kind == "sqlite") {
                QVERIFY(file.remove());
                createEmptyCatalogue(source);
            } else if (kind == "target exists") {
                QFile existing(target);
                QVERIFY(existing.open(QIODevice::WriteOnly));
                existing.write(kept);
            }
        }
        const QStringList before = entriesOf(work.path());
        const QByteArray sourceBefore = contentOf(source);

        const Run run = runAdmin({"import", source, target});
        QCOMPARE(run.code, 1);
        for (const QString &text : expected)
            QVERIFY2(run.err.contains(text), qPrintable(run.err));
        QVERIFY2(run.err.contains("Rien n'a été écrit."), qPrintable(run.err));
        QVERIFY2(!run.out.contains("Catalogue créé"), qPrintable(run.out));

        QCOMPARE(entriesOf(work.path()), before);
        QCOMPARE(contentOf(source), sourceBefore);
        if (kind == "target exists")
            QCOMPARE(contentOf(target), kept);
        else
            QVERIFY(!QFileInfo::exists(target));
    }

    // The program refuses an Access catalogue with the command that converts
    // it; typed as shown, beside the program, that command does the job.
    void programGivesTheCommandThatConverts()
    {
        ProgramDir dir;
        QVERIFY(QFile::copy(fixture(), dir.catalogue()));
        QVERIFY(QFile::setPermissions(dir.catalogue(), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link(QStringLiteral(TABRIX_ADMIN_PATH), dir.file("tabrix-admin")));

        RecordingServices services;
        QVERIFY(!startProgram(dir, services));
        const QString message = services.lastText();
        QVERIFY2(message.contains("est une base Access de l'ancien programme"), qPrintable(message));
        const QString command = message.section(QStringLiteral("\n\n"), 1, 1);
        QCOMPARE(command, QStringLiteral("cd %1 && mv -n Tabrix.mdb Tabrix-access.mdb && "
                                         "./tabrix-admin import Tabrix-access.mdb Tabrix.mdb")
                              .arg(QDir(dir.path()).absolutePath()));
        QVERIFY2(message.endsWith("L'ancien fichier est gardé sous le nom « Tabrix-access.mdb »."), qPrintable(message));

        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        QVERIFY(shell.waitForFinished(30000));
        QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());

        QCOMPARE(contentOf(dir.file("Tabrix-access.mdb")), contentOf(fixture()));
        services.clear();
        auto window = startProgram(dir, services);
        QVERIFY2(window, qPrintable(services.lastText()));
        QCOMPARE(tableRows(dir.catalogue(), "melvi"), fixtureMelvi);
    }

    // The old file is never put where it would replace another, and a folder
    // with blanks and an apostrophe is quoted for the shell.
    void commandKeepsEveryOldFile()
    {
        QTemporaryDir work;
        const QString folder = QDir(work.path()).filePath("Catalogue d'Hélène");
        QVERIFY(QDir().mkpath(folder));
        const QString catalogue = QDir(folder).filePath("Tabrix.mdb");
        QVERIFY(QFile::copy(fixture(), catalogue));
        QFile previous(QDir(folder).filePath("Tabrix-access.mdb"));
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.close();

        const Catalogue::Opened opened = Catalogue::open(catalogue);
        const auto *failure = std::get_if<Catalogue::OpenFailure>(&opened);
        QVERIFY(failure);
        QCOMPARE(failure->problem, Catalogue::Problem::AccessFile);
        const QString quoted = QStringLiteral("'%1'").arg(QDir(folder).absolutePath().replace("'", "'\\''"));
        QVERIFY2(failure->message.contains(
                     QStringLiteral("cd %1 && mv -n Tabrix.mdb Tabrix-access-2.mdb && "
                                    "./tabrix-admin import Tabrix-access-2.mdb Tabrix.mdb")
                         .arg(quoted)),
                 qPrintable(failure->message));

        QVERIFY(QFile::link(QStringLiteral(TABRIX_ADMIN_PATH), QDir(folder).filePath("tabrix-admin")));
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), failure->message.section(QStringLiteral("\n\n"), 1, 1)});
        QVERIFY(shell.waitForFinished(30000));
        QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());
        QCOMPARE(contentOf(QDir(folder).filePath("Tabrix-access-2.mdb")), contentOf(fixture()));
        QCOMPARE(contentOf(QDir(folder).filePath("Tabrix-access.mdb")), QByteArray());
        QCOMPARE(tableRows(catalogue, "titres"), fixtureTitres);
    }
};

QTEST_MAIN(ImportTest)
#include "tst_import.moc"
