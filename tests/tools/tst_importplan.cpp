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

std::optional<QString> text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

SourceTable list(const QString &name, const std::vector<std::optional<QString>> &refs)
{
    SourceTable table{name, {"ref", name.toLower() == "melvi" ? "lieu" : "nom", "auteur", "url", "lien"}, {}, {}};
    for (const auto &ref : refs)
        table.rows.push_back({ref, text("Nom"), text("Zoé"), std::nullopt, text("")});
    return table;
}

SourceTable authors()
{
    return SourceTable{"auteurs", {"nom"}, {{text("Zoé")}}, {}};
}

// A whole old catalogue whose zarpo list holds these numbers.
std::vector<SourceTable> catalogueWithZarpo(const std::vector<std::optional<QString>> &refs)
{
    return {list("zarpo", refs), list("melvi", {text("001")}), list("trunda", {text("001")}),
            list("titres", {text("001")}), authors()};
}

const ImportTable *planned(const ImportPlan &plan, const QString &table)
{
    for (const ImportTable &t : plan.tables)
        if (t.table == table)
            return &t;
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<std::optional<QString>>)

class ImportPlanTest : public QObject {
    Q_OBJECT

private slots:
    void checksNumbers_data()
    {
        QTest::addColumn<std::vector<std::optional<QString>>>("refs");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QStringList>("problems");

        QTest::newRow("in order") << std::vector<std::optional<QString>>{text("001"), text("002"), text("003")}
                                  << QStringList{} << QStringList{};
        QTest::newRow("none yet") << std::vector<std::optional<QString>>{} << QStringList{} << QStringList{};
        QTest::newRow("several gaps")
            << std::vector<std::optional<QString>>{text("003"), text("001"), text("007"), text("009"), text("011")}
            << QStringList{"zarpo : il manque les numéros 002, 004 à 006, 008 et 010 ; le programme refusera tout "
                           "ajout à cette liste tant que ses numéros ne se suivront pas depuis 001."}
            << QStringList{};
        QTest::newRow("two missing side by side")
            << std::vector<std::optional<QString>>{text("001"), text("004")}
            << QStringList{"zarpo : il manque les numéros 002 et 003 ;"} << QStringList{};
        QTest::newRow("short, long and blank numbers")
            << std::vector<std::optional<QString>>{text("1"), text("0002"), text(" 003"), text("004")}
            << QStringList{"zarpo, ligne 1 : le numéro « 1 » n'est pas écrit sur trois chiffres.",
                           "zarpo, ligne 2 : le numéro « 0002 » n'est pas écrit sur trois chiffres.",
                           "zarpo, ligne 3 : le numéro «  003 » n'est pas écrit sur trois chiffres."}
            << QStringList{};
        QTest::newRow("not a number")
            << std::vector<std::optional<QString>>{text("001"), text("abc"), std::nullopt, text("")}
            << QStringList{"zarpo, ligne 2 : le numéro « abc » n'est pas écrit sur trois chiffres.",
                           "zarpo, ligne 3 : l'entrée n'a pas de numéro.",
                           "zarpo, ligne 4 : le numéro «  » n'est pas écrit sur trois chiffres."}
            << QStringList{};
        QTest::newRow("zero") << std::vector<std::optional<QString>>{text("000"), text("001")}
                              << QStringList{"zarpo, ligne 1 : le numéro « 000 » ne compte pas : les numéros vont de 001 à 999."}
                              << QStringList{};
        QTest::newRow("one number, two spellings")
            << std::vector<std::optional<QString>>{text("001"), text("002"), text("2")}
            << QStringList{"zarpo, ligne 3 : le numéro « 2 » n'est pas écrit sur trois chiffres.",
                           "zarpo : le numéro 002 est écrit de plusieurs façons : « 002 », « 2 »."}
            << QStringList{};
        QTest::newRow("three times")
            << std::vector<std::optional<QString>>{text("001"), text("002"), text("001"), text("001")}
            << QStringList{}
            << QStringList{"zarpo : le numéro « 001 » figure 3 fois :\n"
                           "    ligne 1 : « 001 », « Nom », « Zoé », sans valeur, texte vide\n"
                           "    ligne 3 : « 001 », « Nom », « Zoé », sans valeur, texte vide\n"
                           "    ligne 4 : « 001 », « Nom », « Zoé », sans valeur, texte vide"};
        QTest::newRow("text that looks like a placeholder")
            << std::vector<std::optional<QString>>{text("%3"), text("%3")}
            << QStringList{"zarpo, ligne 1 : le numéro « %3 » n'est pas écrit sur trois chiffres.",
                           "zarpo, ligne 2 : le numéro « %3 » n'est pas écrit sur trois chiffres."}
            << QStringList{"zarpo : le numéro « %3 » figure 2 fois :\n"
                           "    ligne 1 : « %3 », « Nom », « Zoé », sans valeur, texte vide\n"
                           "    ligne 2 : « %3 », « Nom », « Zoé », sans valeur, texte vide"};
    }

    void checksNumbers()
    {
        QFETCH(std::vector<std::optional<QString>>, refs);
        QFETCH(QStringList, warnings);
        QFETCH(QStringList, problems);

        const ImportPlan plan = planImport(catalogueWithZarpo(refs));
        QCOMPARE(plan.problems.size(), problems.size());
        for (int i = 0; i < problems.size(); ++i)
            QCOMPARE(plan.problems.at(i), problems.at(i));
        QCOMPARE(plan.warnings.size(), warnings.size());
        for (int i = 0; i < warnings.size(); ++i)
            QVERIFY2(plan.warnings.at(i).startsWith(warnings.at(i)), qPrintable(plan.warnings.at(i)));
        QVERIFY(plan.notices.isEmpty());
        // Every row is brought over as it stands, in its order.
        const ImportTable *zarpoTable = planned(plan, "zarpo");
        QVERIFY(zarpoTable);
        QCOMPARE(zarpoTable->rows.size(), refs.size());
        for (std::size_t i = 0; i < refs.size(); ++i)
            QCOMPARE(zarpoTable->rows[i].front(), refs[i]);
    }

    // Names are matched whatever their letter case, columns whatever their
    // order; what is not ours is named, not silently dropped.
    void matchesTablesAndColumns()
    {
        SourceTable zarpoTable{"ZARPO", {"Lien", "note", "URL", "Auteur", "Nom", "REF"}, {}, {"photo"}};
        zarpoTable.rows.push_back({text("forum"), text("à revoir"), std::nullopt, text("  Zoé  "), text("Île"), text("001")});
        std::vector<SourceTable> source = {zarpoTable, list("Melvi", {}), list("trunda", {}), list("titres", {}),
                                           authors(), SourceTable{"Brouillon", {"x"}, {}, {}}};
        const ImportPlan plan = planImport(source);

        QVERIFY2(plan.problems.isEmpty(), qPrintable(plan.problems.join('\n')));
        const ImportTable *table = planned(plan, "zarpo");
        QVERIFY(table && table->found);
        QCOMPARE(table->columns, (QStringList{"ref", "nom", "auteur", "url", "lien"}));
        QCOMPARE(table->rows.size(), std::size_t(1));
        const Fields expected = {text("001"), text("Île"), text("  Zoé  "), std::nullopt, text("forum")};
        QCOMPARE(table->rows.front(), expected);
        QCOMPARE(planned(plan, "melvi")->columns.at(1), QStringLiteral("lieu"));
        QCOMPARE(plan.warnings, (QStringList{"La colonne « note » de la table « zarpo » n'est pas reprise.",
                                             "La colonne « photo » de la table « zarpo » n'est pas reprise.",
                                             "La table « Brouillon » n'est pas reprise : elle ne fait pas partie du catalogue."}));
    }

    void refusesWhatCannotBeBroughtOver_data()
    {
        QTest::addColumn<QString>("drop");
        QTest::addColumn<QString>("problem");
        QTest::newRow("zarpo") << "zarpo" << "La table « zarpo » manque.";
        QTest::newRow("trunda") << "trunda" << "La table « trunda » manque.";
        QTest::newRow("auteurs") << "auteurs" << "La table « auteurs » manque.";
        QTest::newRow("a column") << "melvi.lieu" << "La table « melvi » n'a pas de colonne « lieu ».";
        QTest::newRow("a binary column") << "melvi.lien*" << "La colonne « lien » de la table « melvi » ne contient pas du texte.";
    }

    void refusesWhatCannotBeBroughtOver()
    {
        QFETCH(QString, drop);
        QFETCH(QString, problem);
        std::vector<SourceTable> source = catalogueWithZarpo({text("001")});
        for (auto it = source.begin(); it != source.end(); ++it) {
            if (it->name == drop) {
                source.erase(it);
                break;
            }
            if (drop.startsWith(it->name + '.')) {
                QString column = drop.section('.', 1);
                const bool binary = column.endsWith('*');
                column.remove('*');
                const int at = int(it->columns.indexOf(column));
                it->columns.removeAt(at);
                for (Fields &row : it->rows)
                    row.erase(row.begin() + at);
                if (binary)
                    it->skippedColumns << column;
            }
        }
        const ImportPlan plan = planImport(source);
        QCOMPARE(plan.problems, QStringList{problem});
    }

    void createsAMissingTitres()
    {
        std::vector<SourceTable> source = catalogueWithZarpo({text("001")});
        source.erase(source.begin() + 3);
        const ImportPlan plan = planImport(source);
        QVERIFY(plan.problems.isEmpty());
        QCOMPARE(plan.notices, QStringList{"La table « titres » (liste Vasquo) manque dans l'ancien fichier : elle est créée vide."});
        const ImportTable *table = planned(plan, "titres");
        QVERIFY(table && !table->found && table->rows.empty());
    }

    // The writer keeps texts, blanks and values-versus-nothing as given, and
    // when anything goes wrong leaves no file at all.
    void writesAllOrNothing()
    {
        QTemporaryDir work;
        const QString target = QDir(work.path()).filePath("Tabrix.mdb");
        ImportPlan plan = planImport(catalogueWithZarpo({text("001"), text("002")}));
        plan.tables[0].rows[1][1] = text(" « Œuvre » — fin ");
        const auto written = writeImport(plan, target);
        QVERIFY2(written, written ? "" : qPrintable(written.error()));
        QCOMPARE(*written, (std::vector<int>{2, 1, 1, 1, 1}));
        QCOMPARE(tableRows(target, "zarpo"),
                 (std::vector<QStringList>{{"001", "Nom", "Zoé", "<NULL>", ""}, {"002", " « Œuvre » — fin ", "Zoé", "<NULL>", ""}}));
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"Tabrix.mdb"});

        // A second time: the file is there and stays as it is.
        const auto again = writeImport(plan, target);
        QVERIFY(!again);
        QVERIFY2(again.error().contains("existe déjà : il n'est pas remplacé."), qPrintable(again.error()));
        QCOMPARE(tableRows(target, "zarpo").size(), std::size_t(2));

        // A plan that slipped a duplicate past the checks: the unique index
        // refuses it and nothing appears.
        ImportPlan broken = plan;
        broken.tables[0].rows[1][0] = text("001");
        const QString other = QDir(work.path()).filePath("autre.mdb");
        const auto refused = writeImport(broken, other);
        QVERIFY(!refused);
        QVERIFY2(refused.error().contains("Rien n'a été écrit."), qPrintable(refused.error()));
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"Tabrix.mdb"});

        const auto nowhere = writeImport(plan, QDir(work.path()).filePath("absent/Tabrix.mdb"));
        QVERIFY(!nowhere);
        QVERIFY2(nowhere.error().contains("n'existe pas"), qPrintable(nowhere.error()));
    }
};

QTEST_MAIN(ImportPlanTest)
#include "tst_importplan.moc"
