// "Ajouter": the checks in their order with their messages, what is stored,
// the grid row, and the authors recorded by the zarpo list.

#include "listfixture.h"

#include <QLocale>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;
using editing::Outcome;

namespace {

const QString img = QStringLiteral("https://images.norvane.fr/p.jpg");
const QString forum = QStringLiteral("https://www.norvane.fr/t58");

Fields input(const QString &number, const QString &name = "Nom", const QString &author = "Zoé")
{
    return {number, name, author, img, forum};
}

QString notNumeric(const char *word)
{
    return QStringLiteral("Numéro de %1 non numérique ou absent.").arg(QLatin1String(word));
}

// `count` entries numbered without gaps, except that `gapAt` (when not 0) is
// left out and the numbering goes one further: the grid then asks for a
// number the list already has.
std::vector<Entry> entriesWithGap(int count, int gapAt)
{
    std::vector<Entry> all = numberedEntries(gapAt > 0 ? count + 1 : count);
    if (gapAt > 0)
        all.erase(all.begin() + (gapAt - 1));
    return all;
}

// `entries` in list `list` (index in categories()), `gapAt` as above; an
// empty message when the entry is added.
struct AddCase {
    Fields typed;
    QString message;
    int list, entries, gapAt;
    QString locale;
};

void row(const char *tag, const Fields &typed, const QString &message, int list = 0, int entries = 57,
         int gapAt = 0, const char *locale = "")
{
    QTest::newRow(tag) << AddCase{typed, message, list, entries, gapAt, locale};
}

} // namespace

Q_DECLARE_METATYPE(AddCase)

class AddTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void checks_data()
    {
        QTest::addColumn<AddCase>("c");

        const QString length = QStringLiteral("Le numéro doit être sur 3 caractères.");
        const QString follows = QStringLiteral("Le numéro ne suit pas. Il doit être égal à 58");
        const QString digits = QStringLiteral("Le numéro doit être écrit avec 3 chiffres : 058.");
        const QString apostrophe = QStringLiteral("Apostrophe non autorisée dans le pseudo.");
        const QString noName = QStringLiteral("Nom non renseigné.");
        const QString noAuthor = QStringLiteral("Auteur non renseigné.");
        const QString taken = QStringLiteral("N° 058 déjà existant.");
        const QString none;

        // The number, with 57 entries in the grid: locale-aware "is this a
        // number", then three characters, then the value at its start against
        // the grid's count, then three digits.
        const QString nan = notNumeric("zarpo");
        auto rows = [](const QString &message, const QStringList &numbers, const char *locale = "") {
            for (const QString &number : numbers)
                row(qPrintable(("«" + number + "» " + locale).trimmed()), input(number), message, 0, 57, 0, locale);
        };
        rows(none, {"058"});
        rows(length, {"58", "0058", ".5"});
        rows(follows, {"057", "059", "-58", "1.5"}); // 1.5 reads as 1
        rows(follows, {"1.5", "1,5"}, "fr_FR");
        rows(digits, {" 58", "+58", "58."});
        rows(digits, {"58,"}, "fr_FR");
        rows(nan, {"1,5", "", "   ", "+", "+-5", "- 5", "5 8", "abc", "58a", "1e3", "٥٨"});
        rows(nan, {"1,5.2"}, "fr_FR");
        row("first entry of an empty list", input("001"), none, 0, 0);
        row("999 entries: full", input("999"),
            "La liste zarpo est pleine : elle compte déjà 999 entrées, le plus grand numéro possible sur 3 chiffres. "
            "Aucune entrée ne peut y être ajoutée.", 0, 999);
        row("melvi word", input("x", "Lieu"), notNumeric("melvi"), 1, 5);
        row("trunda word", input(""), notNumeric("trunda"), 2, 5);
        row("titres word", input("?"), notNumeric("titres"), 3, 5);

        // The apostrophe comes first, whatever else is wrong.
        row("apostrophe, empty number", {"", "", "O'Brien", "", ""}, apostrophe);
        row("apostrophe at the end", input("058", "Nom", "Zoé'"), apostrophe);
        row("apostrophe in melvi", input("006", "Lieu", "'"), apostrophe, 1, 5);
        row("typographic apostrophe is fine", input("058", "Nom", "L’Ours"), none);

        // Name and author, after the number.
        row("name of blanks", input("058", "   "), noName);
        row("name before author", input("058", "", ""), noName);
        row("empty author", input("058", "Nom", ""), noAuthor);
        row("author of blanks", input("058", "Nom", " \t "), noAuthor);
        row("number before name", {}, nan);
        row("length before name", {"58", "", "", "", ""}, length);
        row("sequence before name", {"057", "", "", "", ""}, follows);

        // Empty links become "Non disponible" (blanks are kept: see below).
        row("empty links", {"058", "Nom", "Zoé", "", ""}, none);

        // Every text is stored exactly as typed.
        row("accents", {"001", "Église Saint-Étienne, œuvre 🧩", "Zoé Ærø 名前", "https://i.fr/é.jpg", "à-propos"}, none,
            0, 0);
        row("quotes", {"001", "L'\"Œil\" du ‘chat’ « ici »", "\"Z\" «Zoé»", "https://x.fr/a?b='c'", "'"}, none, 0, 0);
        row("query-like", {"001", "x\"); DROP TABLE zarpo;--", "%_\\;", "?1;", "NULL"}, none, 0, 0);
        row("surrounding blanks", {"001", "  Nom  ", " Zoé ", " https://x.fr/a.jpg ", "\t"}, none, 0, 0);

        // A list with a gap asks for a number it already has.
        row("taken, empty image link", {"058", "Nom", "Zoé", "", forum}, taken, 0, 57, 30);
        row("taken, both empty", {"058", "Nom", "Zoé", "", ""}, taken, 3, 57, 57);
    }

    void checks()
    {
        QFETCH(AddCase, c);
        const Fields &typed = c.typed;

        if (!c.locale.isEmpty())
            QLocale::setDefault(QLocale(c.locale));
        const Category &category = categories()[std::size_t(c.list)];
        ListFixture f(category, entriesWithGap(c.entries, c.gapAt));
        Snapshot expected = f.snapshot();
        f.type(typed);

        const Outcome outcome = f.add();

        Fields after;
        if (c.message.isEmpty()) {
            QCOMPARE(outcome, Outcome::Saved);
            QVERIFY2(f.services.messages.isEmpty(), qPrintable(f.services.lastText()));
            expected.table.push_back(typed.stored());
            expected.grid.push_back(typed.stored().mid(0, 3));
            if (!expected.authors.contains(typed.author))
                expected.authors << typed.author;
            QCOMPARE(f.reread(typed.number), typed.stored()); // as the program reads it back
        } else {
            QCOMPARE(outcome, Outcome::Refused);
            QCOMPARE(f.onlyMessage(MessageIcon::Exclamation), c.message);
            after = typed;
            // The duplicate test comes after the empty link boxes are filled.
            if (c.message.endsWith("déjà existant."))
                after = {typed.number, typed.name, typed.author, typed.stored()[3], typed.stored()[4]};
        }
        QCOMPARE(f.fields(), after);
        QVERIFY(f.snapshot() == expected);
    }

    void newRowIsLastCurrentAndInView()
    {
        // Whatever the grid's order, the add shows the entry as the last row
        // (the main window then sorts it into place).
        ListFixture f(trunda(), numberedEntries(57, {"Zoé", "Adèle", "Bruno"}), {}, SortColumn::Author);
        f.tab->resize(800, 300);
        f.tab->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.tab.get()));
        Grid &grid = *f.tab->grid;
        grid.setTopRow(1);
        grid.setCurrentCell(3, 0);
        Rows expected = f.gridRows();
        f.type({"058", "Aaa", "Aaron", "", ""});

        QCOMPARE(f.add(), Outcome::Saved);

        expected.push_back({"058", "Aaa", "Aaron"});
        QVERIFY(f.gridRows() == expected);
        QCOMPARE(grid.row(), 58);
        QVERIFY(grid.viewport()->rect().contains(grid.visualRect(grid.model()->index(57, 0))));
        QVERIFY(grid.topRow() > 1);
    }

    void authors_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QStringList>("known"); // auteurs before
        QTest::addColumn<QStringList>("added"); // authors of successive adds
        QTest::addColumn<QStringList>("after");

        using L = QStringList;
        QTest::newRow("new author recorded once") << 0 << L{"Adèle"} << L{"Ysolde", "Ysolde"} << L{"Adèle", "Ysolde"};
        QTest::newRow("other letter case is known") << 0 << L{"Élodie"} << L{"ÉLODIE", "élodie"} << L{"Élodie"};
        QTest::newRow("case of the first add kept") << 0 << L{} << L{"mAx", "MAX", "max"} << L{"mAx"};
        QTest::newRow("accents make another author") << 0 << L{"Zoe"} << L{"Zoé"} << L{"Zoe", "Zoé"};
        QTest::newRow("titres records too") << 3 << L{"Adèle"} << L{"Ysolde", "Bob"} << L{"Adèle", "Ysolde", "Bob"};
    }

    void authors()
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
};

QTEST_MAIN(AddTest)
#include "tst_add.moc"
