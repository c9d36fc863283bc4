// The checks an import makes on the tables read from an old catalogue, and
// the all-or-nothing writing of the new file.
#include "support/testsupport.h"

#include "store/importer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

namespace {

std::optional<QString> text(const char *utf8) { return QString::fromUtf8(utf8); }

// Numbers written "001|002"; "~" is a field with no value.
Fields refs(const QString &written)
{
    Fields fields;
    for (const QString &ref : written.split('|', Qt::SkipEmptyParts, Qt::CaseSensitive))
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
    return {list("zarpo", numbers), list("melvi", refs("001")), list("trunda", refs("001")),
            list("titres", refs("001")), SourceTable{"auteurs", {"nom"}, {{text("Zoé")}}, {}}};
}

// How a duplicate's row is shown.
QString shown(int line, const QString &ref)
{
    return QStringLiteral("\n    ligne %1 : « %2 », « Nom », « Zoé », sans valeur, texte vide").arg(line).arg(ref);
}

} // namespace

class ImportPlanTest : public QObject {
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
        QTest::newRow("several gaps")
            << "003|001|007|009|011"
            << QStringList{"zarpo : il manque les numéros 002, 004 à 006, 008 et 010 ; le programme refusera tout "
                           "ajout à cette liste tant que ses numéros ne se suivront pas depuis 001."}
            << QStringList{};
        QTest::newRow("not on three digits")
            << "1|0002| 003|004|abc|~|''"
            << QStringList{notThree.arg(1).arg("1"), notThree.arg(2).arg("0002"), notThree.arg(3).arg(" 003"),
                           notThree.arg(5).arg("abc"), "zarpo, ligne 6 : l'entrée n'a pas de numéro.", notThree.arg(7).arg("")}
            << QStringList{};
        QTest::newRow("zero") << "000|001" << QStringList{"zarpo, ligne 1 : le numéro « 000 » ne compte pas"} << QStringList{};
        QTest::newRow("one number, two spellings")
            << "001|002|2"
            << QStringList{notThree.arg(3).arg("2"), "zarpo : le numéro 002 est écrit de plusieurs façons : « 002 », « 2 »."}
            << QStringList{};
        QTest::newRow("three times") << "001|002|001|001" << QStringList{}
                                     << QStringList{"zarpo : le numéro « 001 » figure 3 fois :" + shown(1, "001")
                                                    + shown(3, "001") + shown(4, "001")};
        QTest::newRow("text like a placeholder")
            << "%3|%3" << QStringList{notThree.arg(1).arg("%3"), notThree.arg(2).arg("%3")}
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

    // A write refused halfway (here by the unique index, for a duplicate
    // past the checks) leaves no file at all.
    void writesAllOrNothing()
    {
        QTemporaryDir work;
        ImportPlan plan = planImport(catalogueWithZarpo(refs("001|002")));
        plan.tables[0].rows[1][0] = text("001");
        const auto refused = writeImport(plan, work.filePath("Tabrix.mdb"));
        QVERIFY2(!refused && refused.error().contains("n'a pas pu être créé"), refused ? "" : qPrintable(refused.error()));
        QVERIFY(QDir(work.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
};

QTEST_MAIN(ImportPlanTest)
#include "tst_importplan.moc"
