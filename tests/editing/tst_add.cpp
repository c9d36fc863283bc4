// "Ajouter": the checks in their order with their messages, what is stored,
// the grid row, and the authors recorded by the zarpo list.

#include "listfixture.h"

#include <QLocale>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;
using editing::Outcome;

namespace {

const QString notNumericZarpo = QStringLiteral("Numéro de zarpo non numérique ou absent.");
const QString threeCharacters = QStringLiteral("Le numéro doit être sur 3 caractères.");
const QString follows58 = QStringLiteral("Le numéro ne suit pas. Il doit être égal à 58");
const QString threeDigits058 = QStringLiteral("Le numéro doit être écrit avec 3 chiffres : 058.");
const QString noName = QStringLiteral("Nom non renseigné.");
const QString noAuthor = QStringLiteral("Auteur non renseigné.");
const QString apostrophe = QStringLiteral("Apostrophe non autorisée dans le pseudo.");
const QString imageUrl = QStringLiteral("https://images.norvane.fr/p.jpg");
const QString forumLink = QStringLiteral("https://www.norvane.fr/t58");

} // namespace

class AddTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void checks_data();
    void checks();
    void newRowIsLastCurrentAndVisible();
    void newRowGoesToTheBottomOfASortedGrid();
    void authors_data();
    void authors();
    void roundTrip_data();
    void roundTrip();
};

void AddTest::checks_data()
{
    QTest::addColumn<int>("list");       // index in categories()
    QTest::addColumn<QString>("locale"); // "" for the C locale
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("gapAt");      // a number missing from the list, 0 for none
    QTest::addColumn<Fields>("typed");
    QTest::addColumn<QString>("message"); // empty when the entry is added
    QTest::addColumn<QString>("urlAfter"); // the link boxes after a refusal
    QTest::addColumn<QString>("linkAfter");

    const QString none;
    auto row = [](const char *tag) -> QTestData & { return QTest::newRow(tag); };

    // The number that comes next, with a grid of 57 entries (58 rows).
    row("058 is next") << 0 << none << 57 << 0 << Fields{"058", "Nom", "Zoé", imageUrl, forumLink} << none << none << none;
    row("58 is too short") << 0 << none << 57 << 0 << Fields{"58", "Nom", "Zoé", imageUrl, forumLink} << threeCharacters << imageUrl << forumLink;
    row("0058 is too long") << 0 << none << 57 << 0 << Fields{"0058", "Nom", "Zoé", imageUrl, forumLink} << threeCharacters << imageUrl << forumLink;
    row("057 does not follow") << 0 << none << 57 << 0 << Fields{"057", "Nom", "Zoé", imageUrl, forumLink} << follows58 << imageUrl << forumLink;
    row("059 does not follow") << 0 << none << 57 << 0 << Fields{"059", "Nom", "Zoé", imageUrl, forumLink} << follows58 << imageUrl << forumLink;
    row("-58 does not follow") << 0 << none << 57 << 0 << Fields{"-58", "Nom", "Zoé", imageUrl, forumLink} << follows58 << imageUrl << forumLink;
    row("first entry of an empty list") << 0 << none << 0 << 0 << Fields{"001", "Nom", "Zoé", imageUrl, forumLink} << none << none << none;
    row("999 entries: 1000 cannot be typed") << 0 << none << 999 << 0 << Fields{"999", "Nom", "Zoé", imageUrl, forumLink}
        << QStringLiteral("Le numéro ne suit pas. Il doit être égal à 1000") << imageUrl << forumLink;
    row("999 entries: 000") << 0 << none << 999 << 0 << Fields{"000", "Nom", "Zoé", imageUrl, forumLink}
        << QStringLiteral("Le numéro ne suit pas. Il doit être égal à 1000") << imageUrl << forumLink;

    // Numbers that read as numbers but are not written as a list writes them.
    row("leading blank") << 0 << none << 57 << 0 << Fields{" 58", "Nom", "Zoé", imageUrl, forumLink} << threeDigits058 << imageUrl << forumLink;
    row("trailing blank") << 0 << none << 57 << 0 << Fields{"58 ", "Nom", "Zoé", imageUrl, forumLink} << threeDigits058 << imageUrl << forumLink;
    row("sign") << 0 << none << 57 << 0 << Fields{"+58", "Nom", "Zoé", imageUrl, forumLink} << threeDigits058 << imageUrl << forumLink;
    row("decimal point") << 0 << none << 57 << 0 << Fields{"58.", "Nom", "Zoé", imageUrl, forumLink} << threeDigits058 << imageUrl << forumLink;
    row("French decimal comma") << 0 << "fr_FR" << 57 << 0 << Fields{"58,", "Nom", "Zoé", imageUrl, forumLink} << threeDigits058 << imageUrl << forumLink;
    row("French 1,5 reads as 1") << 0 << "fr_FR" << 57 << 0 << Fields{"1,5", "Nom", "Zoé", imageUrl, forumLink} << follows58 << imageUrl << forumLink;
    row("1,5 is no number in C") << 0 << none << 57 << 0 << Fields{"1,5", "Nom", "Zoé", imageUrl, forumLink} << notNumericZarpo << imageUrl << forumLink;
    row("1.5 reads as 1") << 0 << none << 57 << 0 << Fields{"1.5", "Nom", "Zoé", imageUrl, forumLink} << follows58 << imageUrl << forumLink;

    // Not numbers at all, with the list's own word.
    row("empty number") << 0 << none << 57 << 0 << Fields{"", "Nom", "Zoé", imageUrl, forumLink} << notNumericZarpo << imageUrl << forumLink;
    row("letters") << 0 << none << 57 << 0 << Fields{"abc", "Nom", "Zoé", imageUrl, forumLink} << notNumericZarpo << imageUrl << forumLink;
    row("inner blank") << 0 << none << 57 << 0 << Fields{"5 8", "Nom", "Zoé", imageUrl, forumLink} << notNumericZarpo << imageUrl << forumLink;
    row("exponent") << 0 << none << 57 << 0 << Fields{"1e3", "Nom", "Zoé", imageUrl, forumLink} << notNumericZarpo << imageUrl << forumLink;
    row("blanks only") << 0 << none << 57 << 0 << Fields{"   ", "Nom", "Zoé", imageUrl, forumLink} << notNumericZarpo << imageUrl << forumLink;
    row("melvi word") << 1 << none << 5 << 0 << Fields{"x", "Lieu", "Zoé", imageUrl, forumLink}
        << QStringLiteral("Numéro de melvi non numérique ou absent.") << imageUrl << forumLink;
    row("trunda word") << 2 << none << 5 << 0 << Fields{"", "Nom", "Zoé", imageUrl, forumLink}
        << QStringLiteral("Numéro de trunda non numérique ou absent.") << imageUrl << forumLink;
    row("titres word") << 3 << none << 5 << 0 << Fields{"?", "Nom", "Zoé", imageUrl, forumLink}
        << QStringLiteral("Numéro de titres non numérique ou absent.") << imageUrl << forumLink;

    // The apostrophe comes first, anywhere in the author, whatever else is wrong.
    row("apostrophe, empty number") << 0 << none << 57 << 0 << Fields{"", "", "O'Brien", "", ""} << apostrophe << none << none;
    row("apostrophe at the end") << 0 << none << 57 << 0 << Fields{"058", "Nom", "Zoé'", imageUrl, forumLink} << apostrophe << imageUrl << forumLink;
    row("apostrophe in melvi") << 1 << none << 5 << 0 << Fields{"006", "Lieu", "'", imageUrl, forumLink} << apostrophe << imageUrl << forumLink;
    row("typographic apostrophe is fine") << 0 << none << 57 << 0 << Fields{"058", "Nom", "L’Ours", imageUrl, forumLink} << none << none << none;

    // Name and author, after the number.
    row("name of blanks") << 0 << none << 57 << 0 << Fields{"058", "   ", "Zoé", imageUrl, forumLink} << noName << imageUrl << forumLink;
    row("empty name") << 0 << none << 57 << 0 << Fields{"058", "", "", imageUrl, forumLink} << noName << imageUrl << forumLink;
    row("empty author") << 0 << none << 57 << 0 << Fields{"058", "Nom", "", imageUrl, forumLink} << noAuthor << imageUrl << forumLink;
    row("author of blanks") << 0 << none << 57 << 0 << Fields{"058", "Nom", " \t ", imageUrl, forumLink} << noAuthor << imageUrl << forumLink;
    row("number before name") << 0 << none << 57 << 0 << Fields{"", "", "", "", ""} << notNumericZarpo << none << none;
    row("length before name") << 0 << none << 57 << 0 << Fields{"58", "", "", "", ""} << threeCharacters << none << none;
    row("sequence before name") << 0 << none << 57 << 0 << Fields{"057", "", "", "", ""} << follows58 << none << none;

    // Empty links become "Non disponible".
    row("empty links") << 0 << none << 57 << 0 << Fields{"058", "Nom", "Zoé", "", ""} << none << none << none;
    row("links of blanks kept") << 0 << none << 57 << 0 << Fields{"058", "Nom", "Zoé", "  ", " "} << none << none << none;

    // A list with a gap asks for a number it already has.
    const QString taken = QStringLiteral("N° 058 déjà existant.");
    row("taken number, empty image forumLink") << 0 << none << 57 << 30 << Fields{"058", "Nom", "Zoé", "", forumLink}
        << taken << notAvailable() << forumLink;
    row("taken number, empty forum forumLink") << 2 << none << 57 << 1 << Fields{"058", "Nom", "Zoé", imageUrl, ""}
        << taken << imageUrl << notAvailable();
    row("taken number, both empty") << 3 << none << 57 << 57 << Fields{"058", "Nom", "Zoé", "", ""}
        << taken << notAvailable() << notAvailable();
}

void AddTest::checks()
{
    QFETCH(int, list);
    QFETCH(QString, locale);
    QFETCH(int, entries);
    QFETCH(int, gapAt);
    QFETCH(Fields, typed);
    QFETCH(QString, message);
    QFETCH(QString, urlAfter);
    QFETCH(QString, linkAfter);

    if (!locale.isEmpty())
        QLocale::setDefault(QLocale(locale));
    const Category &category = categories()[std::size_t(list)];
    ListFixture f(category, entriesWithGap(entries, gapAt));
    const std::vector<QStringList> tableBefore = f.table();
    const std::vector<QStringList> gridBefore = f.gridRows();
    const QStringList authorsBefore = f.authors();
    f.type(typed);

    const Outcome outcome = f.add();

    if (!message.isEmpty()) {
        QCOMPARE(outcome, Outcome::Refused);
        QCOMPARE(f.services.messages.size(), 1);
        QCOMPARE(f.services.messages[0].text, message);
        QCOMPARE(f.services.messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(f.fields(), (Fields{typed.number, typed.name, typed.author, urlAfter, linkAfter}));
        QVERIFY(f.table() == tableBefore);
        QVERIFY(f.gridRows() == gridBefore);
        QCOMPARE(f.authors(), authorsBefore);
        return;
    }

    QCOMPARE(outcome, Outcome::Saved);
    QVERIFY2(f.services.messages.isEmpty(), qPrintable(f.services.lastText()));
    const QString storedUrl = typed.url.isEmpty() ? notAvailable() : typed.url;
    const QString storedLink = typed.link.isEmpty() ? notAvailable() : typed.link;
    std::vector<QStringList> table = tableBefore;
    table.push_back({typed.number, typed.name, typed.author, storedUrl, storedLink});
    QVERIFY(f.table() == table);
    std::vector<QStringList> grid = gridBefore;
    grid.push_back({typed.number, typed.name, typed.author});
    QVERIFY(f.gridRows() == grid);
    QCOMPARE(f.tab->grid->rows(), entries + 2);
    QCOMPARE(f.fields(), Fields{});
}

void AddTest::newRowIsLastCurrentAndVisible()
{
    ListFixture f(trunda(), numberedEntries(57));
    f.tab->resize(800, 300);
    f.tab->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.tab.get()));
    f.tab->grid->setTopRow(1);
    f.tab->grid->setCurrentCell(3, 0);
    f.type({"058", "Nom", "Zoé", "", ""});

    QCOMPARE(f.add(), Outcome::Saved);

    Grid &grid = *f.tab->grid;
    QCOMPARE(grid.rows(), 59);
    QCOMPARE(grid.row(), 58);
    QCOMPARE(grid.text(58, 0), QStringLiteral("058"));
    const QRect shown = grid.visualRect(grid.model()->index(57, 0));
    QVERIFY(grid.viewport()->rect().contains(shown));
    QVERIFY(grid.topRow() > 1);
}

void AddTest::newRowGoesToTheBottomOfASortedGrid()
{
    ListFixture f(melvi(), numberedEntries(12, {"Zoé", "Adèle", "Bruno"}), {}, SortColumn::Author);
    const std::vector<QStringList> before = f.gridRows();
    f.type({"013", "Aaa", "Aaron", "", ""});

    QCOMPARE(f.add(), Outcome::Saved);

    std::vector<QStringList> expected = before;
    expected.push_back({"013", "Aaa", "Aaron"});
    QVERIFY(f.gridRows() == expected);
}

void AddTest::authors_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QStringList>("known");  // auteurs before
    QTest::addColumn<QStringList>("added");  // authors of successive adds
    QTest::addColumn<QStringList>("after");  // auteurs afterwards

    QTest::newRow("new author recorded once") << 0 << QStringList{"Adèle"} << QStringList{"Ysolde", "Ysolde"}
                                              << QStringList{"Adèle", "Ysolde"};
    QTest::newRow("other letter case is known") << 0 << QStringList{"Élodie"} << QStringList{"ÉLODIE", "élodie"}
                                                << QStringList{"Élodie"};
    QTest::newRow("case of the first add kept") << 0 << QStringList{} << QStringList{"mAx", "MAX", "max"}
                                                << QStringList{"mAx"};
    QTest::newRow("recorded as typed") << 0 << QStringList{} << QStringList{"  Néo ; «N» "}
                                       << QStringList{"  Néo ; «N» "};
    QTest::newRow("accents make another author") << 0 << QStringList{"Zoe"} << QStringList{"Zoé"}
                                                 << QStringList{"Zoe", "Zoé"};
    QTest::newRow("melvi never records") << 1 << QStringList{"Adèle"} << QStringList{"Ysolde"} << QStringList{"Adèle"};
    QTest::newRow("trunda never records") << 2 << QStringList{} << QStringList{"Ysolde"} << QStringList{};
    QTest::newRow("titres never records") << 3 << QStringList{"Adèle"} << QStringList{"Ysolde", "Bob"}
                                          << QStringList{"Adèle"};
}

void AddTest::authors()
{
    QFETCH(int, list);
    QFETCH(QStringList, known);
    QFETCH(QStringList, added);
    QFETCH(QStringList, after);

    ListFixture f(categories()[std::size_t(list)], numberedEntries(3), known);
    int next = 4;
    for (const QString &author : added) {
        f.type({editing::threeDigitText(next++), "Nom", author, "", ""});
        QCOMPARE(f.add(), Outcome::Saved);
    }
    QCOMPARE(f.authors(), after);
    QCOMPARE(int(f.table().size()), 3 + int(added.size()));
}

void AddTest::roundTrip_data()
{
    QTest::addColumn<Fields>("typed");

    QTest::newRow("accents") << Fields{"001", "Église Saint-Étienne, œuvre à Noël", "Zoé Ærø", "https://i.norvane.fr/é.jpg",
                                       "https://www.norvane.fr/forum/à-propos"};
    QTest::newRow("quotes") << Fields{"001", "L'\"Œil\" du ‘chat’ « ici »", "\"Z\" «Zoé»", "https://x.fr/a?b='c'",
                                      "https://www.norvane.fr/t?x=\"1\""};
    QTest::newRow("semicolons") << Fields{"001", "a;b;;c;", ";Zoé;", "https://x.fr/a;b", ";"};
    QTest::newRow("surrounding blanks") << Fields{"001", "  Nom entouré  ", " Zoé ", " https://x.fr/a.jpg ", "\t"};
    QTest::newRow("query-like text") << Fields{"001", "x\"); DROP TABLE zarpo;--", "%_\\", "?1", "NULL"};
    QTest::newRow("beyond the basic plane") << Fields{"001", "Puzzle 🧩 ★", "名前", "https://x.fr/🧩.png", "Non disponible "};
}

void AddTest::roundTrip()
{
    QFETCH(Fields, typed);

    ListFixture f(zarpo());
    f.type(typed);
    QCOMPARE(f.add(), Outcome::Saved);

    const QStringList expected{typed.number, typed.name, typed.author, typed.url, typed.link};
    QCOMPARE(f.table().size(), std::size_t(1));
    QCOMPARE(f.table()[0], expected);
    QCOMPARE(f.gridRows()[0], (QStringList{typed.number, typed.name, typed.author}));
    QCOMPARE(f.authors(), QStringList{typed.author});

    // Read back by the program itself, through a fresh connection.
    f.catalogue.reset();
    f.catalogue = openCatalogue(f.dir.catalogue());
    const Result<std::optional<Entry>> found = f.catalogue->find(zarpo(), typed.number);
    QVERIFY(found && found->has_value());
    const Entry &e = **found;
    QCOMPARE(e.name, typed.name);
    QCOMPARE(e.author, typed.author);
    QCOMPARE(e.url.value_or("<none>"), typed.url);
    QCOMPARE(e.link.value_or("<none>"), typed.link);
}

QTEST_MAIN(AddTest)
#include "tst_add.moc"
