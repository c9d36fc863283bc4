// Import and export as the user runs them: export writes CSV files that,
// read back as a spreadsheet reads them, give every field of every table
// exactly as stored; import checks the tables read from an old Access
// catalogue and writes the new file all or nothing, on the catalogue of the
// fixtures and on copies altered byte by byte. (Names taken, outputs that
// fail and interruptions: see tst_admin.)
#include "tools/admincommand.h"

#include "store/importer.h"

#include <QRegularExpression>
#include <QStringEncoder>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Reads a file strictly as a spreadsheet does: a byte-order mark, ";"
// between fields, CRLF after every line, "" for a quote in a quoted field;
// anything else leaves a `problem`. Rows come as tableRows gives them: an
// empty cell without quotes is a field with no value, "<NULL>".
std::vector<QStringList> parseCsv(const QByteArray &bytes, QString &problem)
{
    static const QRegularExpression field(QStringLiteral("(?:\"((?:[^\"]|\"\")*)\"|([^;\"\\r\\n]*))(;|\\r\\n)"));
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        problem = QStringLiteral("no byte-order mark");
    const QString text = QString::fromUtf8(bytes.mid(3));
    std::vector<QStringList> records(1);
    for (qsizetype at = 0; at < text.size() && problem.isEmpty();) {
        const auto match = field.match(text, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch())
            problem = QStringLiteral("unexpected text at %1: %2").arg(at).arg(text.mid(at, 20));
        const QString plain = match.captured(2), quoted = match.captured(1).replace("\"\"", "\"");
        records.back() << (match.capturedStart(1) >= 0 ? quoted : plain.isEmpty() ? "<NULL>" : plain);
        if ((at = match.capturedEnd()) < text.size() && match.captured(3) == "\r\n")
            records.emplace_back();
    }
    return records;
}

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
    SourceTable table{name, {"ref", "nom", "auteur", "url", "lien"}, {}, {}};
    for (const auto &ref : numbers)
        table.rows.push_back({ref, text("Nom"), text("Zoé"), std::nullopt, text("")});
    return table;
}

// A whole old catalogue whose zarpo list holds these numbers. Its melvi
// table is named in capitals, with its columns in another order, one column
// not ours and one more in its schema only.
std::vector<SourceTable> catalogueWithZarpo(const Fields &numbers)
{
    return {list("zarpo", numbers),
            {"MELVI", {"Lien", "note", "URL", "Auteur", "Lieu", "REF"},
             {{text("forum"), text("à revoir"), std::nullopt, text("  Zoé  "), text("Île"), text("001")}}, {"photo"}},
            list("trunda", refs("001")), list("titres", refs("001")), SourceTable{"auteurs", {"nom"}, {{text("Zoé")}}, {}}};
}

// How a duplicate's row is shown: its line, then its number.
const QString shown = QStringLiteral("\n    ligne %1 : « %2 », « Nom », « Zoé », sans valeur, texte vide");

// A text as Jet 4 stores it uncompressed (UCS-2); compressed texts are Latin-1.
QByteArray ucs2(const QString &text) { return QStringEncoder(QStringConverter::Utf16LE)(text); }

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

Q_DECLARE_METATYPE(Tables)

class TestConvert : public QObject {
    Q_OBJECT

private slots:
    // Into a folder that does not exist yet, with a blank and an accent.
    void exportReadsBackAsStored()
    {
        ProgramDir dir;
        const QString path = dir.catalogue();
        createEmptyCatalogue(path);
        insertEntries(path, zarpo(), {entry("001", "Le \"grand\" phare; Étretat", "Zoé", std::nullopt, QString()),
                                      entry("002", "ligne 1\nligne 2", "Hélène", "https://img.norvane.fr/a;b.jpg"),
                                      entry("003", "  blancs autour\t", "Sœur Anne", "=SOMME(1;2)", "retour\r\nà la ligne"),
                                      entry("004", "", "O'Brien", "\"", "\"\""),
                                      entry("005", "Puzzle 🧩 ‘guillemets’ « français », virgule", "Lætitia", "a,b", "x")});
        insertEntries(path, melvi(), {entry("001", "Île de Ré", "Maëlle", std::nullopt, std::nullopt),
                                      entry("002", "Cœur;de;Lyon", "Zoé")});
        // trunda stays empty: its file holds the header line only.
        execute(path, "INSERT INTO titres VALUES (NULL, NULL, NULL, NULL, NULL), ('007', 'Noël', 'Zoé', NULL, ''); "
                      "INSERT INTO auteurs VALUES (NULL), ('Zoé'), ('O''Brien'), (''), ('a;b'), ('\"cité\"')");
        const QString exported = dir.file("sauvegardes/catalogue été");
        const ToolRun run = runAdmin({"export", path, exported});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        std::vector<std::pair<QString, QStringList>> tables{{"auteurs", {"nom"}}}; // each read below, and nothing beside them
        for (const Category &category : categories())
            tables.push_back({category.table, {"ref", category.nameField, "auteur", "url", "lien"}});
        QCOMPARE(QDir(exported).entryList(QDir::Files | QDir::Hidden).size(), qsizetype(tables.size()));
        for (const auto &[table, header] : tables) {
            QString problem;
            const auto read = parseCsv(fileBytes(QDir(exported).filePath(table + ".csv")), problem);
            QVERIFY2(problem.isEmpty(), qPrintable(table + ": " + problem));
            QCOMPARE(read.front(), header);
            verifyRows({read.begin() + 1, read.end()}, tableRows(path, table));
        }
    }

    void checksNumbers_data()
    {
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QStringList>("problems");
        const QString notThree = "zarpo, ligne %1 : le numéro « %2 » n'est pas écrit sur trois chiffres.";
        const auto row = [](const char *tag, const QString &numbers, const QStringList &warnings, const QStringList &problems = {}) {
            QTest::newRow(tag) << numbers << warnings << problems;
        };
        row("in order", "001|002|003", {});
        row("none yet", "", {});
        row("several gaps", "003|001|007|009|011", {"zarpo : il manque les numéros 002, 004 à 006, 008 et 010 ; le programme "
                                                    "refusera tout ajout à cette liste tant que ses numéros ne se suivront pas depuis 001."});
        row("not on three digits", "1|0002| 003|004|abc|~|''",
            {notThree.arg(1).arg("1"), notThree.arg(2).arg("0002"), notThree.arg(3).arg(" 003"), notThree.arg(5).arg("abc"),
             "zarpo, ligne 6 : l'entrée n'a pas de numéro.", notThree.arg(7).arg("")});
        row("zero", "000|001", {"zarpo, ligne 1 : le numéro « 000 » ne compte pas : les numéros vont de 001 à 999."});
        row("one number, two spellings", "001|002|2",
            {notThree.arg(3).arg("2"), "zarpo : le numéro 002 est écrit de plusieurs façons : « 002 », « 2 »."});
        row("three times", "001|002|001|001", {},
            {"zarpo : le numéro « 001 » figure 3 fois :" + shown.arg(1).arg("001") + shown.arg(3).arg("001") + shown.arg(4).arg("001")});
        row("text like a placeholder", "%3|%3", {notThree.arg(1).arg("%3"), notThree.arg(2).arg("%3")},
            {"zarpo : le numéro « %3 » figure 2 fois :" + shown.arg(1).arg("%3") + shown.arg(2).arg("%3")});
    }

    void checksNumbers()
    {
        QFETCH(QString, numbers);
        QFETCH(QStringList, warnings);
        QFETCH(QStringList, problems);
        const ImportPlan plan = planImport(catalogueWithZarpo(refs(numbers)));
        QCOMPARE(plan.problems + plan.notices, problems);
        const QString notOurs = "La colonne « %1 » de la table « melvi » n'est pas reprise."; // named, not silently dropped
        QCOMPARE(plan.warnings, (warnings + QStringList{notOurs.arg("note"), notOurs.arg("photo")}));
        QCOMPARE(plan.tables.at(0).rows, list("zarpo", refs(numbers)).rows); // every row as it stands, in its order
        // Names matched whatever their letter case, columns whatever their order.
        const ImportTable &melvi = plan.tables.at(1);
        QCOMPARE(melvi.table + (melvi.found ? " : " : " absente : ") + plan.tables.at(0).columns.join(' ') + " / " + melvi.columns.join(' '),
                 QStringLiteral("melvi : ref nom auteur url lien / ref lieu auteur url lien"));
        QCOMPARE(melvi.rows, (std::vector<Fields>{{text("001"), text("Île"), text("  Zoé  "), std::nullopt, text("forum")}}));
    }

    // Every row and field arrives exactly as the (altered) fixture holds it,
    // and the tool says what it did; a file it cannot bring over is refused
    // with the reason, and nothing is written. (The program opening a
    // converted catalogue: see the welcome tests.)
    void bringsEveryFieldOver_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<Tables>("tables"); // none: refused
        QTest::addColumn<QStringList>("said");
        QTest::newRow("the fixture") << patched({}) << fixtureRows
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
            << patched({{ucs2("plain ascii"), ucs2(" PLAIN ASC ")}, {"voir 002", " Voir 2 "}, {"007", "07 "}}) << altered
            << QStringList{"zarpo, ligne 3 : le numéro « 07  » n'est pas écrit sur trois chiffres."};
        // The catalogue of the version before the Vasquo list.
        altered = fixtureRows;
        altered["titres"] = {};
        QTest::newRow("no titres list") << patched({{ucs2("titres"), ucs2("vieux_")}}) << altered
            << QStringList{"La table « titres » (liste Vasquo) manque dans l'ancien fichier : elle est créée vide.",
                           "titres    : absente de l'ancien fichier, créée vide (0 ligne écrite)",
                           "La table « vieux_ » n'est pas reprise"};
        QTest::newRow("list missing") << patched({{ucs2("zarpo"), ucs2("zarpy")}}) << Tables{} << QStringList{"« zarpo » manque."};
        QTest::newRow("text file") << QByteArray("ref;nom\n001;Noël\n") << Tables{} << QStringList{"n'est pas une base Access."};
        QTest::newRow("cut short") << patched({}).left(39 * 4096) << Tables{}
                                   << QStringList{"ne peut pas être lue : la table « zarpo » est incomplète"};
    }

    void bringsEveryFieldOver()
    {
        QFETCH(QByteArray, source);
        QFETCH(Tables, tables);
        QFETCH(QStringList, said);
        const bool refused = tables.empty();
        ProgramDir dir;
        writeBytes(dir.file("ancien.mdb"), source);
        const ToolRun run = runAdmin({"import", dir.file("ancien.mdb"), dir.catalogue()});
        QCOMPARE(run.status, int(refused));
        QVERIFY2(refused || run.err.isEmpty(), qPrintable(run.err)); // no word from the Access library
        for (const auto &[table, rows] : tables)
            verifyRows(tableRows(dir.catalogue(), table), rows);
        verifySaid(refused ? run.err : run.out, refused ? said << "Rien n'a été écrit." : said);
        const QStringList written = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(written, (refused ? QStringList{"ancien.mdb"} : QStringList{"ancien.mdb", "Tabrix.mdb"})); // no temporary file left
        QVERIFY(fileBytes(dir.file("ancien.mdb")) == source); // only read
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
