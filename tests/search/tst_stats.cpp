// The per-list author counts of the "Stats" tab: the grouped count against a
// hand-worked catalogue and against the one-query-per-author count, their
// order, and the grids the tab change fills with them.

#include "searchtest.h"

#include "store/french.h"
#include "store/schema.h"
#include "store/stats.h"

#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// A catalogue whose counts are worked out by hand in the tests below.
void writeHandCatalogue(const QString &path)
{
    createEmptyCatalogue(path);
    // "ZOÉ" repeats "Zoé" in another case and the blank name counts nothing:
    // neither gets a row of its own. "Noël" has no entry in zarpo.
    insertAuthors(path, {"Zoé", "Hélène", "Benoît", "Mistral", "élodie", "Noël", "Emma", "ZOÉ", " "});
    insertEntries(path, zarpo(), {
        entry("001", "a", "Zoé"),
        entry("002", "b", "Hélène"),
        entry("003", "c", "ZOÉ"),
        entry("004", "d", "Inconnu"), // not in auteurs: not counted
        entry("005", "e", "Benoît"),
        entry("006", "f", "zoé"),     // the last entry of Zoé: shown so
        entry("007", "g", "Hélène"),
        entry("008", "h", "ÉLODIE"),
        entry("009", "i", "Benoît"),
        entry("010", "j", "Emma"),
        entry("011", "k", ""),        // no author
    });
    insertEntries(path, melvi(), {
        entry("001", "Étretat", "mistral"),
        entry("002", "Nice", "Noël"),
        entry("003", "Lyon", "MISTRAL"),
        entry("004", "Brest", "mistral"),
        entry("005", "Caen", " Noël "), // surrounding blanks: still Noël
    });
    // trunda stays empty.
    insertEntries(path, titres(), {entry("001", "Titre", "Mistral")});
    execute(path, QStringLiteral("INSERT INTO titres (ref, nom, auteur) VALUES ('002', 'Sans auteur', NULL)"));
}

using Rows = QList<QStringList>;

// What the four statistics grids show for the hand-worked catalogue.
Rows expectedRows(const Category &category)
{
    switch (category.id) {
    case 0:
        // Benoît and Hélène tie on 2, ÉLODIE and Emma on 1: French order.
        return {{"zoé", "3"}, {"Benoît", "2"}, {"Hélène", "2"}, {"ÉLODIE", "1"}, {"Emma", "1"}, {"", ""}};
    case 1:
        return {{"mistral", "3"}, {" Noël ", "2"}, {"", ""}};
    case 2:
        return {{"", ""}};
    default:
        return {{"Mistral", "1"}, {"", ""}};
    }
}

Rows asRows(const std::vector<AuthorCount> &counts)
{
    Rows rows;
    for (const AuthorCount &c : counts)
        rows << QStringList{c.author, QString::number(c.count)};
    return rows;
}

} // namespace

class TestStats : public QObject {
    Q_OBJECT
private slots:
    void countsInStoredOrderOfAuthors();
    void groupedCountEqualsOneByOne_data();
    void groupedCountEqualsOneByOne();
    void rankingOrdersTiesInFrenchOrder();
    void tabChangeFillsTheFourGrids();
    void emptyAuthorTableGivesEmptyGrids();
    void gridsFollowTheCatalogue();
};

void TestStats::countsInStoredOrderOfAuthors()
{
    ProgramDir dir;
    writeHandCatalogue(dir.catalogue());
    auto catalogue = openCatalogue(dir.catalogue());

    const Result<std::vector<AuthorCount>> counts = authorCounts(*catalogue, zarpo());
    QVERIFY2(counts.ok(), qPrintable(counts.ok() ? QString() : counts.error()));
    // Before ranking: the order of auteurs.
    const Rows expected = {{"zoé", "3"}, {"Hélène", "2"}, {"Benoît", "2"}, {"ÉLODIE", "1"}, {"Emma", "1"}};
    QCOMPARE(asRows(*counts), expected);

    const Result<std::vector<AuthorCount>> reference = authorCountsOneByOne(*catalogue, zarpo());
    QVERIFY(reference.ok());
    QCOMPARE(asRows(*reference), expected);
}

void TestStats::groupedCountEqualsOneByOne_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("authors");
    QTest::addColumn<unsigned>("seed");
    QTest::newRow("full lists, 300 authors") << 999 << 300 << 7u;
    QTest::newRow("small lists, many authors") << 40 << 120 << 11u;
    QTest::newRow("one author") << 250 << 1 << 3u;
}

void TestStats::groupedCountEqualsOneByOne()
{
    QFETCH(int, entries);
    QFETCH(int, authors);
    QFETCH(unsigned, seed);
    ProgramDir dir;
    SampleShape shape;
    shape.entries = {entries, entries, entries / 2, entries};
    shape.authors = authors;
    shape.seed = seed;
    const Status created = createSampleCatalogue(dir.catalogue(), shape);
    QVERIFY2(created.ok(), qPrintable(created.ok() ? QString() : created.error()));
    // Letter cases the sample does not write, and authors auteurs does not know.
    for (const Category &c : categories()) {
        execute(dir.catalogue(), QStringLiteral("UPDATE %1 SET auteur = upper(auteur) WHERE rowid % 7 = 0").arg(c.table));
        execute(dir.catalogue(), QStringLiteral("UPDATE %1 SET auteur = lower(auteur) WHERE rowid % 11 = 0").arg(c.table));
        execute(dir.catalogue(), QStringLiteral("UPDATE %1 SET auteur = 'Inconnu' WHERE rowid % 13 = 0").arg(c.table));
        execute(dir.catalogue(), QStringLiteral("UPDATE %1 SET auteur = auteur || ' ' WHERE rowid % 17 = 0").arg(c.table));
    }
    auto catalogue = openCatalogue(dir.catalogue());

    const std::vector<Result<std::vector<AuthorCount>>> everyList = authorCountsOfEveryList(*catalogue);
    QCOMPARE(everyList.size(), categories().size());
    for (const Category &category : categories()) {
        const Result<std::vector<AuthorCount>> grouped = authorCounts(*catalogue, category);
        const Result<std::vector<AuthorCount>> reference = authorCountsOneByOne(*catalogue, category);
        QVERIFY(grouped.ok());
        QVERIFY(reference.ok());
        QVERIFY(!grouped->empty() || entries == 0);
        QCOMPARE(asRows(*grouped), asRows(*reference));
        const Result<std::vector<AuthorCount>> &together = everyList[std::size_t(category.id)];
        QVERIFY(together.ok());
        QCOMPARE(asRows(*together), asRows(*reference));
    }
}

void TestStats::rankingOrdersTiesInFrenchOrder()
{
    std::vector<AuthorCount> counts = {
        {"Zoé", 2}, {"émile", 5}, {"Emma", 2}, {"Édith", 2}, {"Benoît", 7}, {"edith", 2}, {"Œdipe", 2}, {"Odile", 2},
    };
    rankAuthorCounts(counts);
    const Rows expected = {{"Benoît", "7"}, {"émile", "5"}, {"edith", "2"}, {"Édith", "2"}, {"Emma", "2"},
                           {"Odile", "2"},  {"Œdipe", "2"}, {"Zoé", "2"}};
    QCOMPARE(asRows(counts), expected);
}

void TestStats::tabChangeFillsTheFourGrids()
{
    ProgramDir dir;
    writeHandCatalogue(dir.catalogue());
    RecordingServices services;
    auto window = startProgram(dir, services);
    QVERIFY(window);
    MainForm &form = window->form();

    form.onglet->setCurrentIndex(4);
    for (const Category &category : categories()) {
        const Grid &grid = *form.statsGrids[std::size_t(category.id)];
        QCOMPARE(grid.text(0, 0), QStringLiteral("Auteur"));
        QCOMPARE(grid.text(0, 1), QStringLiteral("Posts"));
        QCOMPARE(grid.columnWidth(0), pixels(1500));
        QCOMPARE(grid.columnWidth(1), pixels(700));
        const QModelIndex cell = grid.model()->index(0, 0);
        QCOMPARE(grid.model()->data(cell, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignLeft | Qt::AlignBottom));
        QCOMPARE(grid.model()->data(cell.siblingAtColumn(1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(dataRows(grid), expectedRows(category));
    }
    QVERIFY(services.messages.isEmpty());
}

void TestStats::emptyAuthorTableGivesEmptyGrids()
{
    ProgramDir dir;
    createEmptyCatalogue(dir.catalogue());
    insertEntries(dir.catalogue(), zarpo(), numberedEntries(12, {"Zoé", "Hélène"}));
    RecordingServices services;
    auto window = startProgram(dir, services);
    QVERIFY(window);

    window->form().onglet->setCurrentIndex(4);
    for (const Grid *grid : window->form().statsGrids) {
        QCOMPARE(grid->text(0, 0), QStringLiteral("Auteur"));
        QCOMPARE(dataRows(*grid), (Rows{{"", ""}}));
    }
    QVERIFY(services.messages.isEmpty());
}

void TestStats::gridsFollowTheCatalogue()
{
    ProgramDir dir;
    writeHandCatalogue(dir.catalogue());
    RecordingServices services;
    auto window = startProgram(dir, services);
    QVERIFY(window);
    MainForm &form = window->form();
    form.onglet->setCurrentIndex(4);

    // Two more Emma entries tie her with Zoé, ahead in French order; Noël's
    // first zarpo entry gives him a row there.
    QVERIFY(window->catalogue().append(zarpo(), entry("012", "l", "EMMA")).ok());
    QVERIFY(window->catalogue().append(zarpo(), entry("013", "m", "Emma")).ok());
    QVERIFY(window->catalogue().append(zarpo(), entry("014", "n", "Noël")).ok());
    form.onglet->setCurrentIndex(0);
    const Rows expected = {{"Emma", "3"}, {"zoé", "3"}, {"Benoît", "2"}, {"Hélène", "2"},
                           {"ÉLODIE", "1"}, {"Noël", "1"}, {"", ""}};
    QCOMPARE(dataRows(*form.statsGrids[0]), expected);
}

QTEST_MAIN(TestStats)
#include "tst_stats.moc"
