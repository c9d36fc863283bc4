// "MAJ": the checks and messages, the record rewritten, and the grid row
// that shows the number, wherever sorting has put it.

#include "listfixture.h"

#include <QLocale>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;
using editing::Outcome;

namespace {

const QStringList someAuthors{"Zoé", "Adèle", "Bruno"};
const QString imageUrl = QStringLiteral("https://images.norvane.fr/new.jpg");
const QString forumLink = QStringLiteral("https://www.norvane.fr/t-new");

} // namespace

class UpdateTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void update_data();
    void update();
    void roundTrip_data();
    void roundTrip();
};

void UpdateTest::update_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("extraRefs"); // entries stored with these numbers, beyond 001 … 012
    QTest::addColumn<QStringList>("lateRefs");  // entries stored after the grid was filled
    QTest::addColumn<int>("shown");             // the grid's order: 0 number, 1 name, 2 author
    QTest::addColumn<int>("current");           // the row last clicked
    QTest::addColumn<Fields>("typed");
    QTest::addColumn<QString>("message");       // empty when the entry is rewritten
    QTest::addColumn<int>("gridRow");           // the row that receives the fields, 0 for none

    const QString none;
    const QStringList no;
    auto row = [](const char *tag) -> QTestData & { return QTest::newRow(tag); };

    row("the clicked entry") << 0 << none << no << no << 0 << 5 << Fields{"005", "Nouveau nom", "Adèle", imageUrl, forumLink}
        << none << 5;
    row("another number's entry") << 0 << none << no << no << 0 << 5 << Fields{"012", "Autre", "Bruno", imageUrl, forumLink}
        << none << 12;
    row("apostrophe accepted") << 1 << none << no << no << 0 << 3 << Fields{"003", "Lieu", "O'Brien", imageUrl, forumLink}
        << none << 3;
    row("cleared links") << 2 << none << no << no << 0 << 4 << Fields{"004", "Nom", "Zoé", "", ""} << none << 4;
    row("cleared image link") << 3 << none << no << no << 0 << 4 << Fields{"004", "Nom", "Zoé", "", forumLink} << none << 4;
    row("links of blanks kept") << 0 << none << no << no << 0 << 4 << Fields{"004", "Nom", "Zoé", " ", "  "} << none << 4;
    row("a new author is not recorded") << 0 << none << no << no << 0 << 6 << Fields{"006", "Nom", "Inconnu", "", ""}
        << none << 6;
    row("number of any length") << 0 << none << QStringList{"0099"} << no << 0 << 1
        << Fields{"0099", "Ancien", "Zoé", imageUrl, forumLink} << none << 10;
    row("decimal number") << 2 << none << QStringList{"7.5"} << no << 0 << 1
        << Fields{"7.5", "Entre-deux", "Zoé", imageUrl, forumLink} << none << 13;

    // The grid was re-sorted: the row is looked up by its number.
    row("sorted by name") << 0 << none << no << no << 1 << 1 << Fields{"007", "Renommé", "Zoé", "", ""} << none << 10;
    row("sorted by author") << 3 << none << no << no << 2 << 2 << Fields{"003", "Nom", "Zoé", "", ""} << none << 5;
    // The entry is stored but not shown: no grid row changes.
    row("entry missing from the grid") << 0 << none << no << QStringList{"013"} << 0 << 4
        << Fields{"013", "Tardif", "Zoé", "", ""} << none << 0;

    // Refusals.
    row("unknown number") << 0 << none << no << no << 0 << 5 << Fields{"042", "Nom", "Zoé", "", ""}
        << QStringLiteral("N° 042 inconnu.") << 0;
    row("no length test") << 0 << none << no << no << 0 << 5 << Fields{"12", "Nom", "Zoé", "", ""}
        << QStringLiteral("N° 12 inconnu.") << 0;
    row("French 1,5 is a number") << 0 << "fr_FR" << no << no << 0 << 5 << Fields{"1,5", "Nom", "Zoé", "", ""}
        << QStringLiteral("N° 1,5 inconnu.") << 0;
    row("1,5 is no number in C") << 0 << none << no << no << 0 << 5 << Fields{"1,5", "Nom", "Zoé", "", ""}
        << QStringLiteral("Numéro de zarpo non numérique ou absent.") << 0;
    row("empty number") << 2 << none << no << no << 0 << 5 << Fields{"", "Nom", "Zoé", "", ""}
        << QStringLiteral("Numéro de trunda non numérique ou absent.") << 0;
    row("letters") << 1 << none << no << no << 0 << 5 << Fields{"abc", "Lieu", "Zoé", "", ""}
        << QStringLiteral("Numéro de melvi non numérique ou absent.") << 0;
    row("name of blanks") << 3 << none << no << no << 0 << 5 << Fields{"005", "  ", "Zoé", "", ""}
        << QStringLiteral("Nom non renseigné.") << 0;
    row("empty author") << 0 << none << no << no << 0 << 5 << Fields{"005", "Nom", "", "", ""}
        << QStringLiteral("Auteur non renseigné.") << 0;
    row("number before name and author") << 0 << none << no << no << 0 << 5 << Fields{"", "", "", "", ""}
        << QStringLiteral("Numéro de zarpo non numérique ou absent.") << 0;
    row("name before author") << 0 << none << no << no << 0 << 5 << Fields{"005", "", "", "", ""}
        << QStringLiteral("Nom non renseigné.") << 0;
}

void UpdateTest::update()
{
    QFETCH(int, list);
    QFETCH(QString, locale);
    QFETCH(QStringList, extraRefs);
    QFETCH(QStringList, lateRefs);
    QFETCH(int, shown);
    QFETCH(int, current);
    QFETCH(Fields, typed);
    QFETCH(QString, message);
    QFETCH(int, gridRow);

    if (!locale.isEmpty())
        QLocale::setDefault(QLocale(locale));
    const Category &category = categories()[std::size_t(list)];
    std::vector<Entry> entries = numberedEntries(12, someAuthors);
    for (const QString &ref : extraRefs)
        entries.push_back(entry(ref, "Hérité " + ref, "Zoé"));
    ListFixture f(category, entries, {"Zoé"}, SortColumn(shown));
    for (const QString &ref : lateRefs)
        insertEntries(f.dir.catalogue(), category, {entry(ref, "Ajouté ailleurs", "Zoé")});
    f.tab->grid->setCurrentCell(current, 0);
    if (gridRow > 0)
        QCOMPARE(f.tab->grid->text(gridRow, 0), typed.number); // the row meant by this case
    const std::vector<QStringList> tableBefore = f.table();
    const std::vector<QStringList> gridBefore = f.gridRows();
    f.type(typed);

    const Outcome outcome = f.update();

    QCOMPARE(f.authors(), QStringList{"Zoé"});
    QCOMPARE(f.tab->grid->row(), current);
    if (!message.isEmpty()) {
        QCOMPARE(outcome, Outcome::Refused);
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].text, message);
        QCOMPARE(f.services.messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(f.fields(), typed);
        QVERIFY(f.table() == tableBefore);
        QVERIFY(f.gridRows() == gridBefore);
        return;
    }

    QCOMPARE(outcome, Outcome::Saved);
    QVERIFY2(f.services.messages.isEmpty(), qPrintable(f.services.lastText()));
    QCOMPARE(f.fields(), Fields{});

    std::vector<QStringList> table = tableBefore;
    int rewritten = 0;
    for (QStringList &r : table) {
        if (r[0] == typed.number) {
            r = QStringList{typed.number, typed.name, typed.author, typed.url.isEmpty() ? notAvailable() : typed.url,
                            typed.link.isEmpty() ? notAvailable() : typed.link};
            ++rewritten;
        }
    }
    QCOMPARE(rewritten, 1);
    QCOMPARE(f.table(), table);

    std::vector<QStringList> grid = gridBefore;
    if (gridRow > 0)
        grid[std::size_t(gridRow - 1)] = QStringList{typed.number, typed.name, typed.author};
    QCOMPARE(f.gridRows(), grid);
}

void UpdateTest::roundTrip_data()
{
    QTest::addColumn<Fields>("typed");

    QTest::newRow("accents and apostrophes") << Fields{"002", "L'Île-d'Yeu, « été » à Noël", "D'Artagnan Œ",
                                                       "https://i.norvane.fr/île.jpg", "https://www.norvane.fr/t?p='é'"};
    QTest::newRow("quotes and semicolons") << Fields{"002", "\"a\";'b';`c`", "«Zoé»;", ";;", "\";DROP TABLE melvi;--"};
    QTest::newRow("surrounding blanks") << Fields{"002", "  Lieu  ", "\tZoé ", " x ", " "};
}

void UpdateTest::roundTrip()
{
    QFETCH(Fields, typed);

    ListFixture f(melvi(), numberedEntries(3));
    f.tab->grid->setCurrentCell(2, 0);
    f.type(typed);
    QCOMPARE(f.update(), Outcome::Saved);

    QCOMPARE(f.table()[1], (QStringList{typed.number, typed.name, typed.author, typed.url, typed.link}));
    QCOMPARE(f.gridRows()[1], (QStringList{typed.number, typed.name, typed.author}));

    f.catalogue.reset();
    f.catalogue = openCatalogue(f.dir.catalogue());
    const Result<std::optional<Entry>> found = f.catalogue->find(melvi(), typed.number);
    QVERIFY(found && found->has_value());
    QCOMPARE((*found)->name, typed.name);
    QCOMPARE((*found)->author, typed.author);
    QCOMPARE((*found)->url.value_or("<none>"), typed.url);
    QCOMPARE((*found)->link.value_or("<none>"), typed.link);
}

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
