// tabrix-admin import on the old Access catalogue of the fixtures and on
// copies of it altered byte by byte.
#include "app/startup.h"
#include "tools/admincommand.h"
#include "ui/grid.h"

#include <QTemporaryDir>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QString none = QStringLiteral("<NULL>"); // how tableRows shows a field with no value

// A text as Jet 4 stores it uncompressed (UCS-2); compressed texts are Latin-1.
QByteArray ucs2(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    return bytes;
}

// The fixture with each `from` (standing exactly once) replaced by `to` of the same length.
using Patches = std::vector<std::pair<QByteArray, QByteArray>>;
QByteArray patched(const Patches &patches)
{
    QByteArray bytes = fileBytes(legacyFixture());
    for (const auto &[from, to] : patches) {
        if (from.size() != to.size() || bytes.count(from) != 1)
            qFatal("bad patch %s", from.constData());
        bytes.replace(from, to);
    }
    return bytes;
}

// What the fixture holds, read by hand from its pages.
const std::map<QString, std::vector<QStringList>> fixtureRows = {
    {"zarpo", {{"001", "Les Misérables", "Victor Hugo", "http://example.org/miserables", "voir 002"},
               {"002", "Noël à la forêt", "Émile Zola", none, ""},
               {"007", "L'Œuvre — « spécial »", "Zoé Dupré", "http://example.org/oeuvre", none}}},
    {"melvi", {{"001", "Château d'Île-de-France", "Hélène Bœuf", "http://example.org/chateau", "lien simple"},
               {"003", "Besançon", "François Çà", none, none}}},
    {"trunda", {{"010", "ça déménage", "Jérôme Lefèvre", "http://example.org/t10", "x"}}},
    {"titres", {{"005", "Où êtes-vous, Noël ?", "Zoé Dupré", none, "titre non compressé"},
                {"006", "plain ascii", "Anon", "http://example.org/6", "y"}}},
    {"auteurs", {{"Victor Hugo"}, {"Émile Zola"}, {"Zoé Dupré"}, {"Hélène Bœuf"}, {"François Çà"}, {"Jérôme Lefèvre"}, {"Anon"}}},
};

} // namespace

using Tables = std::map<QString, std::vector<QStringList>>;
Q_DECLARE_METATYPE(Patches)
Q_DECLARE_METATYPE(Tables)

class ImportTest : public QObject {
    Q_OBJECT

private slots:
    // Every row and field arrives exactly as the (altered) fixture holds it,
    // the tool says what it did, and the program opens the result.
    void bringsEveryFieldOver_data()
    {
        QTest::addColumn<Patches>("patches");
        QTest::addColumn<Tables>("tables");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("the fixture")
            << Patches{} << fixtureRows
            << QStringList{"Jet 4", "zarpo     : 3 lignes lues, 3 écrites", "melvi     : 2 lignes lues, 2 écrites",
                           "trunda    : 1 ligne lue, 1 écrite", "titres    : 2 lignes lues, 2 écrites",
                           "auteurs   : 7 lignes lues, 7 écrites",
                           "zarpo : il manque les numéros 003 à 006 ; le programme refusera tout ajout"};
        // Blanks around a text, letter case and a number not on three digits,
        // in compressed and uncompressed texts.
        Tables altered = fixtureRows;
        altered["titres"][1][1] = " PLAIN ASC ";
        altered["zarpo"][0][4] = " Voir 2 ";
        altered["zarpo"][2][0] = "07 ";
        QTest::newRow("blanks, case, odd number")
            << Patches{{ucs2("plain ascii"), ucs2(" PLAIN ASC ")}, {"voir 002", " Voir 2 "}, {"007", "07 "}} << altered
            << QStringList{"zarpo, ligne 3 : le numéro « 07  » n'est pas écrit sur trois chiffres."};
        // The catalogue of the version before the Vasquo list.
        altered = fixtureRows;
        altered["titres"] = {};
        QTest::newRow("no titres list")
            << Patches{{ucs2("titres"), ucs2("vieux_")}} << altered
            << QStringList{"La table « titres » (liste Vasquo) manque dans l'ancien fichier : elle est créée vide.",
                           "titres    : absente de l'ancien fichier, créée vide (0 ligne écrite)",
                           "La table « vieux_ » n'est pas reprise"};
    }

    void bringsEveryFieldOver()
    {
        QFETCH(Patches, patches);
        QFETCH(Tables, tables);
        QFETCH(QStringList, said);
        ProgramDir dir;
        const QString source = patches.empty() ? legacyFixture() : dir.file("ancien.mdb");
        if (!patches.empty())
            writeBytes(source, patched(patches));
        const ToolRun run = runAdmin({"import", source, dir.catalogue()});
        QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(run.err)); // no word from the Access library
        for (const auto &[table, rows] : tables)
            verifyRows(tableRows(dir.catalogue(), table), rows);
        verifySaid(run.out, said);
        QStringList written = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        written.removeOne("ancien.mdb");
        QCOMPARE(written, QStringList{"Tabrix.mdb"}); // no temporary file left

        RecordingServices services;
        auto window = startProgram(dir, services);
        QVERIFY2(window, qPrintable(services.lastText()));
        auto *grid = window->findChild<Grid *>("zarpo");
        QCOMPARE(grid->rows(), 4);
        QCOMPARE(grid->text(3, 1), QStringLiteral("L'Œuvre — « spécial »"));
    }

    void refusesAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("number twice")
            << patched({{"007", "002"}})
            << QStringList{"Le catalogue ne peut pas être importé :", "zarpo : le numéro « 002 » figure 2 fois :\n"
                           "    ligne 2 : « 002 », « Noël à la forêt », « Émile Zola », sans valeur, texte vide\n"
                           "    ligne 3 : « 002 », « L'Œuvre — « spécial » », « Zoé Dupré », « http://example.org/oeuvre », "
                           "sans valeur"};
        QTest::newRow("list missing") << patched({{ucs2("zarpo"), ucs2("zarpy")}}) << QStringList{"« zarpo » manque."};
        QTest::newRow("text file") << QByteArray("ref;nom\n001;Noël\n") << QStringList{"n'est pas une base Access."};
        QTest::newRow("cut short") << patched({}).left(39 * 4096)
                                   << QStringList{"ne peut pas être lue : la table « zarpo » est incomplète"};
    }

    void refusesAndWritesNothing()
    {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, said);
        QTemporaryDir work;
        writeBytes(work.filePath("ancien.mdb"), source);
        const auto before = folderContent(work.path());

        const ToolRun run = runAdmin({"import", work.filePath("ancien.mdb"), work.filePath("Tabrix.mdb")});
        QCOMPARE(run.status, 1);
        verifySaid(run.err, said << "Rien n'a été écrit.");
        QVERIFY(folderContent(work.path()) == before);
    }
};

QTEST_MAIN(ImportTest)
#include "tst_import.moc"
