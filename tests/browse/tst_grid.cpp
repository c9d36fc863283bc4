// The grids of the four lists under the mouse and the keyboard: header
// clicks re-sort, "<<" and ">>" show the top and the end, a click or a key
// loads the current row, painted in the loaded row's colour. A click on an
// entry loads it into the edit fields and, with "Afficher" ticked, opens
// what the selected option says; a list that cannot be read is told as such.

#include "support/programfixture.h"

#include "browse/browse.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QRadioButton>
#include <QUrl>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Stored out of number order, with accents and letter case that a plain
// code-point sort would put in the wrong places.
std::vector<Entry> mixedEntries()
{
    return {entry("004", "Echo", "Zoé"), entry("001", "Fable", "zoe"),  entry("006", "Abricot", "Bruno"),
            entry("003", "Zoé", "anna"), entry("005", "zoe", "emile"), entry("002", "école", "Éric")};
}

const QString img = QStringLiteral("https://images.norvane.fr/002.jpg");
const QString forum = QStringLiteral("http://www.norvane.fr/t002");
const QString noValue = QStringLiteral("<NULL>"); // a link with no value
const QString gone = QStringLiteral("<gone>");    // entry 002 deleted once shown

// Entry 002 of `table` with these links, clicked with "Afficher" ticked and
// an option "window" ("Img fenêtre"), "web" ("Img WEB") or "norvane"
// ("Norvane"), or "off": "Img WEB" with "Afficher" not ticked; what opens:
// the link handed to the browser, "picture" for the picture window, or
// nothing.
struct LoadCase {
    QString table, url, link, option, opened;
};

void row(const QByteArray &tag, const QString &table, const QString &url, const QString &link, const char *option,
         const QString &opened = {})
{
    QTest::newRow(tag.constData()) << LoadCase{table, url, link, option, opened};
}

// One row for each list (by its id) and each of these values of `name`.
void listRows(const char *name, std::initializer_list<int> values)
{
    QTest::addColumn<int>("list");
    QTest::addColumn<int>(name);
    for (const Category &category : categories())
        for (const int value : values)
            QTest::addRow("%s %d", qPrintable(category.table), value) << category.id << value;
}

} // namespace

Q_DECLARE_METATYPE(LoadCase)

class TestGrid : public QObject {
    Q_OBJECT
    QList<QUrl> m_opened;

public slots:
    // Stands in for the browser: records every link the system is asked to open.
    void open(const QUrl &url) { m_opened << url; }

private slots:
    void headerSortsByColumn_data() { listRows("column", {0, 1, 2}); }

    void headerSortsByColumn()
    {
        QFETCH(int, list);
        QFETCH(int, column);
        // The first texts of each column in this order, then the last ones,
        // equal to a French reader, in either order (here in code-point order).
        const QStringList heads[] = {{"001", "002", "003", "004", "005", "006"}, {"Abricot", "Echo", "école", "Fable"},
                                     {"anna", "Bruno", "emile", "Éric"}};
        const Category &category = categories()[std::size_t(list)];
        ProgramFixture running(category, mixedEntries());
        QVERIFY(running.ok);
        Grid &grid = *running.tab(category).grid;
        // An entry loaded, then one field changed by hand: a sort keeps both.
        clickCell(grid, 3, 1);
        typeText(running.tab(category).name, QStringLiteral(" tapé"));

        clickCell(grid, 0, (column + 1) % 3); // another order first
        clickCell(grid, 0, column);
        QStringList texts = columnTexts(grid, column);
        std::sort(texts.begin() + heads[column].size(), texts.end());
        QCOMPARE(texts, heads[column] + (column ? QStringList{"Zoé", "zoe"} : QStringList()));
        texts = columnTexts(grid, column);
        clickCell(grid, 0, column); // always ascending: the same header again changes nothing
        QCOMPARE(columnTexts(grid, column), texts);
        for (const Entry &e : mixedEntries()) // rows move whole
            QCOMPARE(dataRows(grid)[columnTexts(grid, 0).indexOf(e.ref)], (QStringList{e.ref, e.name, e.author}));
        QCOMPARE(running.fields(category), (QStringList{"003", " tapéZoé", "anna", notAvailable(), notAvailable()}));
        QVERIFY(running.services.messages.isEmpty());
    }

    void sortShowsEndAndKeepsCurrentEntry()
    {
        // More entries than the grid shows at once, among them "Vieux-Port 7"
        // and "vieux-port 63", stored 63 first.
        std::vector<Entry> entries = numberedEntries(60, {"Zoé", "anna", "Bruno"});
        entries[6].name = QStringLiteral("vieux-port 63");
        entries[7].name = QStringLiteral("Vieux-Port 7");
        ProgramFixture running(zarpo(), entries);
        QVERIFY(running.ok);
        Grid &grid = *running.tab(zarpo()).grid;
        clickCell(grid, 3, 0);

        // Numbers in names go by their value.
        clickCell(grid, 0, 1);
        const QStringList names = columnTexts(grid, 1);
        QCOMPARE(names.mid(0, 3) + names.mid(57), (QStringList{"Énigme 1", "Énigme 2", "Énigme 3", "Énigme 60",
                                                               "Vieux-Port 7", "vieux-port 63"}));
        clickCell(grid, 0, 2);
        QVERIFY(rowInView(grid, grid.rows() - 1) && !rowInView(grid, 1));
        // The current row, where a correction is written, still shows entry 003.
        QVERIFY(grid.row() != 3);
        QCOMPARE(grid.text(grid.row(), 0), QStringLiteral("003"));
    }

    void scrollButtons_data() { listRows("entries", {80, 0}); }

    // An entry near the end loaded by a click, then a hand-made change (on
    // an empty list, a number typed): the buttons only scroll.
    void scrollButtons()
    {
        QFETCH(int, list);
        QFETCH(int, entries);
        const Category &category = categories()[std::size_t(list)];
        ProgramFixture running(category, numberedEntries(entries, {"Zoé", "anna"}));
        QVERIFY(running.ok);
        CategoryTab &tab = running.tab(category);
        Grid &grid = *tab.grid;
        const auto seen = [&] {
            return QList<int>{grid.rows(), grid.topRow(), grid.row(), rowInView(grid, 80), rowInView(grid, 1)};
        };
        click(tab.bottomButton);
        QCOMPARE(rowInView(grid, 78), entries > 0);
        if (entries)
            clickCell(grid, 78, 1);
        typeText(entries ? static_cast<QWidget *>(tab.author) : tab.number, entries ? "-Élodie" : "001");
        const QStringList before = running.fields(category);
        click(tab.topButton);
        QCOMPARE(seen(), (entries ? QList<int>{81, 1, 78, 0, 1} : QList<int>{1, 0, 0, 0, 0}));
        click(tab.bottomButton);
        QCOMPARE(seen().mid(entries ? 2 : 0), (entries ? QList<int>{78, 1, 0} : QList<int>{1, 0, 0, 0, 0}));
        QCOMPARE(paintedCells(grid), (entries ? QStringList{"78:0b", "78:1b", "78:2b"} : QStringList()));
        QCOMPARE(running.fields(category), before);
        QVERIFY(running.services.messages.isEmpty());
    }

    // A click on the row, Return, keypad Enter or Space.
    void clickOrKeyLoadsTheRow()
    {
        ProgramFixture running(zarpo(), numberedEntries(5, {"Zoé", "anna"}), true);
        QVERIFY(running.ok);
        const QStringList fourth{"004", "Énigme 4", "anna", "https://images.norvane.fr/004.jpg", "https://www.norvane.fr/t004"};
        for (const int key : {0, int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space)}) {
            for (const Category &category : categories()) {
                click(running.form().onglet->tabButton(category.tabIndex));
                CategoryTab &tab = running.tab(category);
                Grid &grid = *tab.grid;
                // Row 2 loaded by a click; the arrows then only move to row 4.
                clickCell(grid, 2, 2);
                for (const Qt::Key arrow : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right})
                    QTest::keyClick(&grid, arrow);
                QCOMPARE(paintedCells(grid) << running.fields(category)[0], (QStringList{"2:0b", "2:1b", "2:2b", "002"}));
                // Loaded, then loaded again after a change; only the loaded row
                // shows it, not the header.
                for (const char *typed : {"", " tapé"}) {
                    typeText(tab.name, typed);
                    key ? QTest::keyClick(&grid, Qt::Key(key)) : clickCell(grid, 4, 2);
                    QVERIFY2(running.fields(category) == fourth, qPrintable(QString::number(key)));
                    QCOMPARE(paintedCells(grid), (QStringList{"4:0b", "4:1b", "4:2b"}));
                }
                QVERIFY(colourName(paintedColour(grid, 0, 1)) != QLatin1String("b"));
            }
        }
    }

    void initTestCase()
    {
        for (const char *scheme : {"http", "https", "ftp", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    void init() { m_opened.clear(); }

    void clickOpensWhatOptionsSay_data()
    {
        QTest::addColumn<LoadCase>("c");

        const QString nd = notAvailable();
        for (const Category &category : categories()) {
            const QString &t = category.table;
            const QByteArray word = t.toUtf8() + ' ';
            row(word + "not ticked", t, img, forum, "off");
            row(word + "web", t, img, forum, "web", img);
            row(word + "norvane", t, img, forum, "norvane", forum);
            row(word + "window", t, img, forum, "window", "picture");
            // The image link comes first, whatever the option.
            for (const char *option : {"window", "web", "norvane"}) {
                row(word + "url non disponible " + option, t, nd, forum, option);
                row(word + "url empty " + option, t, "", forum, option);
            }
        }

        // A link with no value passes the conditions and shows as an empty text.
        row("trunda url null window", "trunda", noValue, forum, "window", "picture");
        row("trunda url null web", "trunda", noValue, forum, "web");
        row("titres link null web", "titres", img, noValue, "web", img);
        row("melvi link null norvane", "melvi", img, noValue, "norvane");

        // Only "Vasquo" entries also need a forum link.
        for (const QString &link : {nd, QString()}) {
            const QByteArray what = link.isEmpty() ? "empty " : "non disponible ";
            row("zarpo link " + what + "web", "zarpo", img, link, "web", img);
            row("melvi link " + what + "window", "melvi", img, link, "window", "picture");
            row("trunda link " + what + "norvane", "trunda", img, link, "norvane");
            for (const char *option : {"window", "web", "norvane"})
                row("titres link " + what + option, "titres", img, link, option);
        }

        // Only web addresses reach the browser, as a browser would take them.
        const QString blanks = "https://hote/mon dossier/mon image.jpg", accents = "https://www.norvane.fr/énigme été";
        row("melvi url with blanks web", "melvi", blanks, forum, "web", blanks);
        row("zarpo link with accents norvane", "zarpo", img, accents, "norvane", accents);
        row("zarpo url file path web", "zarpo", "C:\\images\\002.jpg", forum, "web");
        row("melvi link file norvane", "melvi", img, "file:///tmp/t002.html", "norvane");

        // No record answers the click: the link boxes are emptied, nothing opens.
        row("zarpo entry gone web", "zarpo", gone, forum, "web");
    }

    void clickOpensWhatOptionsSay()
    {
        QFETCH(LoadCase, c);
        const Category &category = *categoryByTable(c.table);
        const auto field = [](const QString &text) { return text == noValue ? std::nullopt : std::optional<QString>(text); };
        ProgramFixture running(category, {entry("001", "Avant", "anna", "https://i.fr/001.jpg", "https://www.norvane.fr/t001"),
                                   entry("002", "Été à Lyon", "Zoé", field(c.url == gone ? img : c.url), field(c.link)),
                                   entry("003", "Après", "Bruno", "https://i.fr/003.jpg", "https://www.norvane.fr/t003")});
        QVERIFY(running.ok);
        CategoryTab &tab = running.tab(category);
        const bool picture = c.opened == "picture";
        if (tab.showCheck->isChecked() != (c.option != "off"))
            click(tab.showCheck);
        click(c.option == "window" ? tab.windowOption : c.option == "norvane" ? tab.forumOption : tab.webOption);
        for (QLineEdit *box : {tab.url, tab.link}) // left from an earlier entry
            box->setText(QStringLiteral("https://www.norvane.fr/ancien"));
        if (c.url == gone)
            execute(running.dir.catalogue(), QStringLiteral("DELETE FROM %1 WHERE ref = '002'").arg(c.table));

        QStringList pictures;
        if (picture) // the picture window, shown by the picture tests, stands aside
            browse::loadEntry(running.form(), running.window->context(), category, 2,
                              [&pictures](MainForm &, Context &, const Category &shownIn) { pictures << shownIn.table; });
        else
            clickCell(*tab.grid, tab.grid->rowShowing(0, "002"), 1);

        const auto shown = [](const QString &link) { return link == noValue || link == gone ? QString() : link; };
        QCOMPARE(running.fields(category), (QStringList{"002", "Été à Lyon", "Zoé", shown(c.url), c.url == gone ? "" : shown(c.link)}));
        QCOMPARE(m_opened, c.opened.isEmpty() || picture ? QList<QUrl>{} : QList<QUrl>{QUrl(c.opened)});
        QCOMPARE(pictures, picture ? QStringList{c.table} : QStringList{});
        QVERIFY(running.services.messages.isEmpty());
    }

    // After an entry click, then a header click.
    void readFailureIsShown()
    {
        for (const bool header : {false, true}) {
            const QString message = header ? "La liste melvi n'a pas pu être lue" : "Le n° 001 n'a pas pu être lu";
            ProgramFixture running(melvi(), numberedEntries(3));
            QVERIFY(running.ok);
            CategoryTab &tab = running.tab(melvi());
            tab.showCheck->setChecked(true);
            tab.webOption->setChecked(true);
            const QString typed = QStringLiteral("https://images.norvane.fr/ancien.jpg");
            typeInto(tab.url, typed);
            const QStringList shown = columnTexts(*tab.grid, 1);

            execute(running.dir.catalogue(), QStringLiteral("DROP TABLE melvi"));
            header ? clickCell(*tab.grid, 0, 1) : clickCell(*tab.grid, 1, 1);

            QVERIFY2(running.onlyMessage().startsWith(message) && running.services.messages[0].icon == MessageIcon::Critical,
                     qPrintable(running.onlyMessage()));
            QCOMPARE(columnTexts(*tab.grid, 1), shown);
            QCOMPARE(running.fields(melvi()), (header ? QStringList{"", "", "", typed, ""}
                                          : QStringList{"001", "Énigme 1", "Zoé", "", ""}));
            QVERIFY(m_opened.isEmpty());
        }
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
