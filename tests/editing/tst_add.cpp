// "Ajouter" in the real window: the checks in their order with their
// messages, what is stored, the grid row, the authors recorded, the next
// number proposed.

#include "support/programfixture.h"

#include "store/entrynumber.h"

#include <QLocale>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// The record typed fields are stored as: an empty link is "Non disponible".
QStringList stored(const QStringList &f)
{
    return {f[0], f[1], f[2], f[3].isEmpty() ? notAvailable() : f[3], f[4].isEmpty() ? notAvailable() : f[4]};
}

QStringList input(const QString &number, const QString &name = "Nom", const QString &author = "Zoé")
{
    return {number, name, author, "https://images.norvane.fr/p.jpg", "https://www.norvane.fr/t58"};
}

QString notNumeric(const char *word)
{
    return QStringLiteral("Numéro de %1 non numérique ou absent.").arg(QLatin1String(word));
}

// `entries` in list `list` (index in categories()), numbered without gaps
// except that `gapAt` (when not 0) is left out and the numbering goes one
// further: the next number is then one the list already has. An empty
// message when the entry is added.
struct AddCase {
    QStringList typed;
    QString message;
    int list, entries, gapAt;
    QString locale;
};

void row(const char *tag, const QStringList &typed, const QString &message, int list = 0, int entries = 57,
         int gapAt = 0, const char *locale = "")
{
    QTest::newRow(tag) << AddCase{typed, message, list, entries, gapAt, locale};
}

} // namespace

Q_DECLARE_METATYPE(AddCase)

class TestAdd : public QObject {
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
        row("empty author", input("058", "Nom", ""), QStringLiteral("Auteur non renseigné."));
        row("author of blanks", input("058", "Nom", " \t "), QStringLiteral("Auteur non renseigné."));
        row("number before name", {"", "", "", "", ""}, nan);
        row("length before name", {"58", "", "", "", ""}, length);
        row("sequence before name", {"057", "", "", "", ""}, follows);

        // Every text is stored exactly as typed: a known author in another
        // letter case too, and empty links become "Non disponible".
        row("known author in another case", {"058", "Nom", "zOÉ", "", ""}, none);
        row("accents make another author", {"058", "Nom", "Zoe", "", ""}, none);
        row("titres records a new author", {"058", "Nom", "Ysolde", "", ""}, none, 3);
        row("surrounding blanks", {"001", "  Nom  ", " Zoé ", " https://x.fr/a.jpg ", "\t"}, none, 0, 0);

        // A list with a gap asks for a number it already has.
        row("taken, empty image link", {"058", "Nom", "Zoé", "", "https://www.norvane.fr/t58"}, taken, 0, 57, 30);
        row("taken, both empty", {"058", "Nom", "Zoé", "", ""}, taken, 3, 57, 57);
    }

    void checks()
    {
        QFETCH(AddCase, c);
        if (!c.locale.isEmpty())
            QLocale::setDefault(QLocale(c.locale));
        const Category &category = categories()[std::size_t(c.list)];
        std::vector<Entry> all = numberedEntries(c.entries + (c.gapAt > 0));
        if (c.gapAt > 0)
            all.erase(all.begin() + (c.gapAt - 1));
        ProgramFixture p([&](const QString &path) { insertEntries(path, category, all); insertAuthors(path, {"Zoé"}); });
        QVERIFY(p.start());
        auto expected = p.tables();
        auto grid = p.grid(category);
        p.type(category, c.typed);

        p.press(category, false);

        QStringList after = c.typed;
        if (c.message.isEmpty()) {
            QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
            expected[std::size_t(c.list)].push_back(stored(c.typed));
            grid.push_back(stored(c.typed).mid(0, 3));
            if (c.typed[2].compare(QStringLiteral("Zoé"), Qt::CaseInsensitive) != 0)
                expected[4].push_back({c.typed[2]});
            after = QStringList(5);
            // The new row is the current one, brought into view.
            QCOMPARE(p.tab(category).grid->row(), int(grid.size()) - 1);
            QVERIFY(rowInView(*p.tab(category).grid, int(grid.size()) - 1));
        } else {
            QCOMPARE(p.onlyMessage(), c.message);
            QCOMPARE(p.services.messages[0].icon, MessageIcon::Exclamation);
            // The duplicate test comes after the empty link boxes are filled.
            if (c.message.endsWith("déjà existant."))
                after = stored(c.typed);
        }
        QCOMPARE(p.fields(category), after);
        QVERIFY(p.grid(category) == grid);
        QVERIFY(p.tables() == expected); // the other lists too
    }

    // Each add records its author once, in the letter case of its first add,
    // offers it at once in every list's box and proposes the next number in
    // grey.
    void authorsOfSuccessiveAdds()
    {
        ProgramFixture p([](const QString &path) { insertEntries(path, zarpo(), numberedEntries(3)); insertAuthors(path, {"Adèle"}); });
        QVERIFY(p.start(zarpo().tabIndex));
        const QStringList added{"mAx", "Ysolde", "MAX", "max", "Ysolde"};
        for (int n = 4; n < 4 + added.size(); ++n) {
            QCOMPARE(p.tab(zarpo()).number->placeholderText(), threeDigitText(n));
            p.type(zarpo(), {threeDigitText(n), "Nom", added[n - 4], "", ""});
            p.press(zarpo(), false);
        }
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
        QCOMPARE(p.tab(zarpo()).number->placeholderText(), QStringLiteral("009"));
        QVERIFY(tableRows(p.dir.catalogue(), "auteurs") == (std::vector<QStringList>{{"Adèle"}, {"mAx"}, {"Ysolde"}}));
        for (const CategoryTab *tab : p.form().tabs)
            for (const QString author : {"mAx", "Ysolde"})
                QVERIFY(tab->author->findText(author, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0);
        QCOMPARE(int(tableRows(p.dir.catalogue(), "zarpo").size()), 8);
    }
};

QTEST_MAIN(TestAdd)
#include "tst_add.moc"
