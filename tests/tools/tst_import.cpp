// Importing an old Access catalogue: the checks made on the tables read
// from it and the all-or-nothing writing of the new file, then tabrix-admin
// import on the catalogue of the fixtures and on copies altered byte by byte.
#include "store/importer.h"
#include "tools/admincommand.h"

#include <QTemporaryDir>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QString none = QStringLiteral("<NULL>"); // how tableRows shows a field with no value

std::optional<QString> text(const char *utf8) { return QString::fromUtf8(utf8); }

// Numbers written "001|002"; "~" is a field with no value, "''" an empty text.
Fields refs(const QString &written)
{
    Fields fields;
    for (const QString &ref : written.split('|', Qt::SkipEmptyParts))
        fields.push_back(ref == "~" ? std::nullopt : std::optional<QString>(ref == "''" ? "" : ref));
    return fields;
}

SourceTable list(const QString &name, const Fields &numbers)
{
    SourceTable table{name, {"ref", name.toLower() == "melvi" ? "lieu" : "nom", "auteur", "url", "lien"}, {}, {}};
    for (const auto &ref : numbers)
        table.rows.push_back({ref, text("Nom"), text("Zoé"), std::nullopt, text("")});
    return table;
}

// A whole old catalogue whose zarpo list holds these numbers.
std::vector<SourceTable> catalogueWithZarpo(const Fields &numbers)
{
    return {list("zarpo", numbers), list("melvi", refs("001")), list("trunda", refs("001")), list("titres", refs("001")),
            SourceTable{"auteurs", {"nom"}, {{text("Zoé")}}, {}}};
}

// How a duplicate's row is shown.
QString shown(int line, const QString &ref)
{
    return QStringLiteral("\n    ligne %1 : « %2 », « Nom », « Zoé », sans valeur, texte vide").arg(line).arg(ref);
}

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

using Tables = std::map<QString, std::vector<QStringList>>;

// What the fixture holds, read by hand from its pages.
const Tables fixtureRows = {
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

Q_DECLARE_METATYPE(Patches)
Q_DECLARE_METATYPE(Tables)

class TestImport : public QObject {
    Q_OBJECT

private slots:
    void checksNumbers_data()
    {
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QStringList>("warnings"); // each the start of a warning
        QTest::addColumn<QStringList>("problems");
        const QString notThree = "zarpo, ligne %1 : le numéro « %2 » n'est pas écrit sur trois chiffres.";
        QTest::newRow("in order") << "001|002|003" << QStringList{} << QStringList{};
        QTest::newRow("none yet") << "" << QStringList{} << QStringList{};
        QTest::newRow("several gaps") << "003|001|007|009|011"
            << QStringList{"zarpo : il manque les numéros 002, 004 à 006, 008 et 010 ; le programme refusera tout "
                           "ajout à cette liste tant que ses numéros ne se suivront pas depuis 001."} << QStringList{};
        QTest::newRow("not on three digits") << "1|0002| 003|004|abc|~|''"
            << QStringList{notThree.arg(1).arg("1"), notThree.arg(2).arg("0002"), notThree.arg(3).arg(" 003"),
                           notThree.arg(5).arg("abc"), "zarpo, ligne 6 : l'entrée n'a pas de numéro.", notThree.arg(7).arg("")}
            << QStringList{};
        QTest::newRow("zero") << "000|001" << QStringList{"zarpo, ligne 1 : le numéro « 000 » ne compte pas"} << QStringList{};
        QTest::newRow("one number, two spellings") << "001|002|2"
            << QStringList{notThree.arg(3).arg("2"), "zarpo : le numéro 002 est écrit de plusieurs façons : « 002 », « 2 »."}
            << QStringList{};
        QTest::newRow("three times") << "001|002|001|001" << QStringList{}
            << QStringList{"zarpo : le numéro « 001 » figure 3 fois :" + shown(1, "001") + shown(3, "001") + shown(4, "001")};
        QTest::newRow("text like a placeholder") << "%3|%3" << QStringList{notThree.arg(1).arg("%3"), notThree.arg(2).arg("%3")}
            << QStringList{"zarpo : le numéro « %3 » figure 2 fois :" + shown(1, "%3") + shown(2, "%3")};
    }

    void checksNumbers()
    {
        QFETCH(QString, numbers);
        QFETCH(QStringList, warnings);
        QFETCH(QStringList, problems);
        const ImportPlan plan = planImport(catalogueWithZarpo(refs(numbers)));
        QCOMPARE(plan.problems, problems);
        QCOMPARE(plan.warnings.size(), warnings.size());
        for (int i = 0; i < warnings.size(); ++i)
            QVERIFY2(plan.warnings.at(i).startsWith(warnings.at(i)), qPrintable(plan.warnings.at(i)));
        QVERIFY(plan.notices.isEmpty());
        Fields brought; // every row as it stands, in its order
        for (const Fields &fields : plan.tables.at(0).rows)
            brought.push_back(fields.front());
        QCOMPARE(brought, refs(numbers));
    }

    // Names are matched whatever their letter case, columns whatever their
    // order; what is not ours is named, not silently dropped.
    void matchesTablesAndColumns()
    {
        std::vector<SourceTable> source = catalogueWithZarpo({});
        source[0] = {"ZARPO", {"Lien", "note", "URL", "Auteur", "Nom", "REF"}, {}, {"photo"}};
        source[0].rows.push_back({text("forum"), text("à revoir"), std::nullopt, text("  Zoé  "), text("Île"), text("001")});
        source[1].name = "Melvi";
        const ImportPlan plan = planImport(source);
        QVERIFY2(plan.problems.isEmpty(), qPrintable(plan.problems.join('\n')));
        const ImportTable &table = plan.tables.at(0);
        QVERIFY(table.table == "zarpo" && table.found);
        QCOMPARE(table.columns, (QStringList{"ref", "nom", "auteur", "url", "lien"}));
        QCOMPARE(table.rows, (std::vector<Fields>{{text("001"), text("Île"), text("  Zoé  "), std::nullopt, text("forum")}}));
        QCOMPARE(plan.tables.at(1).columns.at(1), QStringLiteral("lieu"));
        QCOMPARE(plan.warnings, (QStringList{"La colonne « note » de la table « zarpo » n'est pas reprise.",
                                             "La colonne « photo » de la table « zarpo » n'est pas reprise."}));
    }

    // Every row and field arrives exactly as the (altered) fixture holds it,
    // and the tool says what it did. (The program opening a converted
    // catalogue: see the welcome tests.)
    void bringsEveryFieldOver_data()
    {
        QTest::addColumn<Patches>("patches");
        QTest::addColumn<Tables>("tables");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("the fixture") << Patches{} << fixtureRows
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
        QTest::newRow("no titres list") << Patches{{ucs2("titres"), ucs2("vieux_")}} << altered
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
        writeBytes(dir.file("ancien.mdb"), patched(patches));
        const ToolRun run = runAdmin({"import", dir.file("ancien.mdb"), dir.catalogue()});
        QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(run.err)); // no word from the Access library
        for (const auto &[table, rows] : tables)
            verifyRows(tableRows(dir.catalogue(), table), rows);
        verifySaid(run.out, said);
        const QStringList written = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(written, (QStringList{"ancien.mdb", "Tabrix.mdb"})); // no temporary file left
    }

    void refusesAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("said");
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

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
