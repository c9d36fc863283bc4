// "Ajouter" in the real window: the checks in their order with their
// messages, what is stored, the grid row, the authors recorded, the next
// number proposed.
//
// "MAJ" in the real window: the checks and messages, the question before
// rewriting another entry than the loaded one, the record rewritten, and the
// grid row that shows the number, wherever sorting has put it.
//
// A catalogue that cannot be written, or that is no longer the one the grid
// shows: the add and the update leave the grid, the file and the typed
// fields as they were, and say why.
//
// The blocks are ones SQLite enforces whoever the user is, on the program's
// own connection: a full disk (the file may not grow, and the long typed
// name needs new pages), a rule of the file that refuses the values. Or
// the file changed under the program: another copy of the catalogue written
// over it, or put in its place. A file that may only be read, or another
// program holding it, is the reliability tests' business.
//
// "Annuler" and Ctrl+Z in the real window: each undoes the list's last
// change after a question naming it, step by step, exactly (a link that had
// no value gets none back), also after the program was closed and started
// again; with nothing left, the button is disabled.

#include "support/programfixture.h"
#include "tools/admincommand.h"

#include "store/entrynumber.h"

#include <QLocale>

#include <sqlite3.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// No message: the entry is written.
const QString none, noName = QStringLiteral("Nom non renseigné.");

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

void addCase(const char *tag, const QStringList &typed, const QString &message, int list = 0, int entries = 57,
             int gapAt = 0, const char *locale = "")
{
    QTest::newRow(tag) << AddCase{typed, message, list, entries, gapAt, locale};
}

// `gridRow` is the row that shows the typed number (0 for none), `current`
// the row clicked, `shown` the header clicked first (0: none); `extra` is
// one more entry.
struct UpdateCase {
    QStringList typed;
    QString message; // empty when the entry is rewritten
    int gridRow, list, current, shown;
    QString extra, locale;
    bool answer = true; // to the question before rewriting another entry than the loaded one
};

void updateCase(const char *tag, const QStringList &typed, const QString &message, int gridRow, int list = 0,
                int current = 5, int shown = 0, const char *extra = "", const char *locale = "", bool answer = true)
{
    QTest::newRow(tag) << UpdateCase{typed, message, gridRow, list, current, shown, extra, locale, answer};
}

} // namespace

Q_DECLARE_METATYPE(AddCase)
Q_DECLARE_METATYPE(UpdateCase)

class TestAddUpdate : public QObject {
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
        const QString taken = QStringLiteral("N° 058 déjà existant.");

        // The number, with 57 entries in the grid: locale-aware "is this a
        // number", then three characters, then the value at its start against
        // the grid's count, then three digits.
        const QString nan = notNumeric("zarpo");
        auto rows = [](const QString &message, const QStringList &numbers, const char *locale = "") {
            for (const QString &number : numbers)
                addCase(qPrintable(("«" + number + "» " + locale).trimmed()), input(number), message, 0, 57, 0, locale);
        };
        rows(none, {"058"});
        rows(length, {"58", "0058", ".5"});
        rows(follows, {"057", "059", "-58", "1.5"}); // 1.5 reads as 1
        rows(follows, {"1.5", "1,5"}, "fr_FR");
        rows(digits, {" 58", "+58", "58."});
        rows(digits, {"58,"}, "fr_FR");
        rows(nan, {"1,5", "", "   ", "+", "+-5", "- 5", "5 8", "abc", "58a", "1e3", "٥٨"});
        rows(nan, {"1,5.2"}, "fr_FR");
        addCase("first entry of an empty list", input("001"), none, 0, 0);
        addCase("999 entries: full", input("999"),
            "La liste zarpo est pleine : elle compte déjà 999 entrées, le plus grand numéro possible sur 3 chiffres. "
            "Aucune entrée ne peut y être ajoutée.", 0, 999);
        for (const auto &[list, word, number] : {std::tuple{1, "melvi", "x"}, {2, "trunda", ""}, {3, "titres", "?"}})
            addCase(word, input(number, "Lieu"), notNumeric(word), list, 5);

        // The apostrophe comes first, whatever else is wrong.
        addCase("apostrophe, empty number", {"", "", "O'Brien", "", ""}, apostrophe);
        addCase("apostrophe at the end", input("058", "Nom", "Zoé'"), apostrophe);
        addCase("apostrophe in melvi", input("006", "Lieu", "'"), apostrophe, 1, 5);
        addCase("typographic apostrophe is fine", input("058", "Nom", "L’Ours"), none);

        // Name and author, after the number.
        addCase("name of blanks", input("058", "   "), noName);
        addCase("name before author", input("058", "", ""), noName);
        addCase("empty author", input("058", "Nom", ""), QStringLiteral("Auteur non renseigné."));
        addCase("author of blanks", input("058", "Nom", " \t "), QStringLiteral("Auteur non renseigné."));
        addCase("number before name", {"", "", "", "", ""}, nan);
        addCase("length before name", {"58", "", "", "", ""}, length);
        addCase("sequence before name", {"057", "", "", "", ""}, follows);

        // Every text is stored exactly as typed: a known author in another
        // letter case too, and empty links become "Non disponible".
        addCase("known author in another case", {"058", "Nom", "zOÉ", "", ""}, none);
        addCase("accents make another author", {"058", "Nom", "Zoe", "", ""}, none);
        addCase("titres records a new author", {"058", "Nom", "Ysolde", "", ""}, none, 3);
        addCase("surrounding blanks", {"001", "  Nom  ", " Zoé ", " https://x.fr/a.jpg ", "\t"}, none, 0, 0);

        // A list with a gap asks for a number it already has.
        addCase("taken, empty image link", {"058", "Nom", "Zoé", "", "https://www.norvane.fr/t58"}, taken, 0, 57, 30);
        addCase("taken, both empty", {"058", "Nom", "Zoé", "", ""}, taken, 3, 57, 57);
    }

    void checks()
    {
        QFETCH(AddCase, c);
        QLocale::setDefault(QLocale(c.locale)); // none: C
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
            QVERIFY(p.tab(category).grid->row() == int(grid.size()) - 1 && rowInView(*p.tab(category).grid, int(grid.size()) - 1));
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
    }

    void update_data()
    {
        QTest::addColumn<UpdateCase>("c");


        updateCase("the clicked entry", input("005", "Nouveau nom", "Adèle"), none, 5);
        // Another entry than the loaded one: asked first; "Non" changes nothing.
        updateCase("another number's entry", input("012", "Autre", "Bruno"), none, 12);
        updateCase("another number's entry, Non", input("012", "Autre", "Bruno"), none, 12, 0, 5, 0, "", "", false);
        updateCase("apostrophe accepted", input("003", "Lieu", "O'Brien"), none, 3, 1, 3);
        updateCase("known author in another case", input("005", "Nom", "bRUNO"), none, 5);
        updateCase("cleared links", {"004", "Nom", "Zoé", "", ""}, none, 4, 2, 4);
        updateCase("number of any length", input("0099", "Ancien", "Zoé"), none, 10, 0, 1, 0, "0099");
        // The grid was re-sorted: the row is looked up by its number.
        updateCase("sorted by name", {"007", "Renommé", "Zoé", "", ""}, none, 7, 0, 1, 1);
        updateCase("sorted by author", {"003", "Nom", "Zoé", "", ""}, none, 5, 3, 2, 2);

        updateCase("unknown number", {"042", "Nom", "Zoé", "", ""}, "N° 042 inconnu.", 0);
        updateCase("French 1,5 is a number", {"1,5", "Nom", "Zoé", "", ""}, "N° 1,5 inconnu.", 0, 0, 5, 0, "", "fr_FR");
        updateCase("name of blanks", {"005", "  ", "Zoé", "", ""}, noName, 0, 3);
        updateCase("empty author", {"005", "Nom", "", "", ""}, "Auteur non renseigné.", 0);
        updateCase("number before name and author", {"", "", "", "", ""}, "Numéro de zarpo non numérique ou absent.", 0);
        updateCase("name before author", {"005", "", "", "", ""}, noName, 0);
    }

    void update()
    {
        QFETCH(UpdateCase, c);
        QLocale::setDefault(QLocale(c.locale)); // none: C
        const Category &category = categories()[std::size_t(c.list)];
        std::vector<Entry> entries = numberedEntries(12, {"Zoé", "Adèle", "Bruno"});
        if (!c.extra.isEmpty())
            entries.push_back(entry(c.extra, "Hérité", "Zoé"));
        ProgramFixture p(category, entries);
        QVERIFY(p.ok);
        Grid &grid = *p.tab(category).grid;
        if (c.shown > 0)
            clickCell(grid, 0, c.shown);
        clickCell(grid, c.current, 0); // loads that entry
        QVERIFY(c.gridRow == 0 || grid.text(c.gridRow, 0) == c.typed[0]); // the row this case means
        auto expected = p.tables();
        const auto rows = p.grid(category);
        const QStringList old = rows[std::size_t(c.gridRow)];
        const QString loaded = grid.text(c.current, 0);
        p.type(category, c.typed);
        p.services.answers = {c.answer};

        p.press(category, true);

        // The question comes after the checks, for an existing entry not loaded.
        QCOMPARE(p.services.questions.size(), c.typed[0] != loaded && c.message.isEmpty() ? 1 : 0);
        for (const QString &part : {"Entrée remplacée : n° " + c.typed[0] + " « " + old[1],
                                    "Nouvelles valeurs : n° " + c.typed[0] + " « " + c.typed[1] + " »",
                                    "l'entrée chargée est le n° " + loaded})
            QVERIFY2(p.services.questions.value(0, part).contains(part), qPrintable(p.services.questions.value(0)));
        if (c.message.isEmpty() && c.answer) {
            QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
            QCOMPARE(p.fields(category), QStringList(5));
            for (QStringList &r : expected[std::size_t(c.list)])
                if (r[0] == c.typed[0]) // new authors are never recorded by "MAJ"; an empty link is "Non disponible"
                    r = stored(c.typed);
            QVERIFY(p.grid(category).size() == rows.size() && p.grid(category)[std::size_t(grid.row())] == c.typed.mid(0, 3));
        } else {
            QCOMPARE(p.onlyMessage(), c.message.isEmpty() ? QStringLiteral("0 messages") : c.message);
            QVERIFY(p.services.messages.isEmpty() || p.services.messages[0].icon == MessageIcon::Exclamation);
            QCOMPARE(p.fields(category), c.typed);
            QVERIFY(grid.row() == c.current && p.grid(category) == rows);
        }
        QVERIFY(p.tables() == expected);
    }

    void write_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QByteArray>("block"); // SQL that puts the block on, or "copy" / "replace"
        QTest::addColumn<QByteArray>("lift");  // SQL that lifts it
        QTest::addColumn<QString>("cause");    // what the message gives as the reason
        const QString changed = "un autre programme a modifié le catalogue depuis son affichage (la liste %1 compte "
                                "maintenant 11 entrées, la grille en montre 12) ; rien n'a été écrit. Relancez Tabrix";
        for (const bool update : {false, true}) {
            const auto row = [update](const char *tag, const QByteArray &block, const QByteArray &lift, const QString &cause) {
                QTest::addRow("%s, %s", update ? "MAJ" : "Ajouter", tag) << update << block << lift << cause;
            };
            // No lower than the pages the file has.
            row("disk full", "PRAGMA max_page_count = 1", "PRAGMA max_page_count = 1073741823", "le disque est plein");
            row("a rule of the file refuses",
                QByteArray("CREATE TEMP TRIGGER refuse BEFORE ") + (update ? "UPDATE ON main.titres" : "INSERT ON main.zarpo")
                    + " BEGIN SELECT RAISE(ABORT, 'refusé'); END",
                "DROP TRIGGER temp.refuse", "une règle du catalogue (contrainte ajoutée au fichier) refuse");
            row("another catalogue written over it", "copy", {}, changed.arg(update ? "titres" : "zarpo"));
            row("another catalogue put in its place", "replace", {},
                "déplacé, supprimé ou remplacé par un autre depuis le démarrage de Tabrix ; rien n'a été écrit. Relancez Tabrix");
        }
    }

    void write()
    {
        QFETCH(bool, update);
        QFETCH(QByteArray, block);
        QFETCH(QByteArray, lift);
        QFETCH(QString, cause);
        const Category &category = update ? titres() : zarpo();
        ProgramFixture p;
        QVERIFY(p.start(category.tabIndex));
        clickCell(*p.tab(category).grid, 5, 0);
        const QStringList typed{update ? "005" : "013", QString(20000, QLatin1Char('x')), "Nouvelle", "", ""};
        p.type(category, typed);
        const auto grid = p.grid(category);
        if (block == "copy" || block == "replace") {
            // Another catalogue whose lists hold 11 entries, written over the file or put in its place.
            ProgramDir other;
            createEmptyCatalogue(other.catalogue());
            for (const Category &c : categories())
                insertEntries(other.catalogue(), c, numberedEntries(11));
            if (block == "copy")
                writeBytes(p.dir.catalogue(), fileBytes(other.catalogue()));
            else
                QVERIFY(QFile::remove(p.dir.catalogue()) && QFile::copy(other.catalogue(), p.dir.catalogue()));
        } else
            QCOMPARE(sqlite3_exec(p.window->catalogue().handle(), block, nullptr, nullptr, nullptr), SQLITE_OK);
        const auto before = p.tables();
        p.press(category, update);

        verifySaid(p.onlyMessage(), {update ? "L'entrée n° 005 n'a pas été modifiée" : "L'entrée n° 013 n'a pas été enregistrée", cause});
        QVERIFY(p.services.messages.size() == 1 && p.services.messages[0].icon == MessageIcon::Critical);
        QCOMPARE(p.fields(category), typed); // the link boxes too
        QVERIFY(p.tab(category).grid->row() == 5 && p.grid(category) == grid && p.tables() == before);
        if (lift.isEmpty())
            return;
        QCOMPARE(sqlite3_exec(p.window->catalogue().handle(), lift, nullptr, nullptr, nullptr), SQLITE_OK);

        // Nothing half-done stays behind: once the block is gone, the same
        // press goes through.
        p.press(category, update);
        QCOMPARE(p.services.messages.size(), 1);
        QCOMPARE(p.reread(category, typed[0]), stored(typed));
        QCOMPARE(tableRows(p.dir.catalogue(), "auteurs").size(), update ? 2u : 3u);
    }

    void updatesStepByStep()
    {
        ProgramFixture p;
        execute(p.dir.catalogue(), "UPDATE titres SET url = NULL, lien = NULL WHERE ref = '005'");
        const auto original = p.tables();
        QVERIFY(p.start());
        CategoryTab &tab = p.tab(titres());
        QVERIFY(!tab.undoButton->isEnabled());
        const auto rows = [&] { return tableRows(p.dir.catalogue(), "titres"); };

        std::vector<std::vector<QStringList>> states{rows()};
        for (const QString &name : {"Corrigé", "Recorrigé"}) {
            clickCell(*tab.grid, 5, 0); // loads the entry: no question
            p.type(titres(), {"005", name, "Zoé", "https://images.norvane.fr/n.jpg", ""});
            p.press(titres(), true);
            states.push_back(rows());
        }
        QVERIFY2(p.services.messages.isEmpty() && p.services.questions.isEmpty(), qPrintable(p.services.lastText()));
        QCOMPARE(states[2][4][1], QStringLiteral("Recorrigé"));

        // "Non" changes nothing; Ctrl+Z then the button go back one step each.
        p.services.answers = {false, true, true};
        QVERIFY(p.activate());
        QTest::mouseClick(tab.name, Qt::LeftButton); // in a box emptied by the save
        for (int step = 0; step < 3; ++step) {
            if (step < 2)
                QTest::keyClick(tab.name, Qt::Key_Z, Qt::ControlModifier);
            else
                click(tab.undoButton);
            QTRY_COMPARE(p.services.questions.size(), step + 1); // a shortcut clicks its button a moment later
            QVERIFY(rows() == states[std::size_t(step == 0 ? 2 : 2 - step)]);
        }
        QCOMPARE(p.services.questions[0],
                 "Annuler la MAJ du n° 005 dans la liste Vasquo ?\n\nL'entrée redeviendra « Corrigé » (auteur : Zoé) "
                 "au lieu de « Recorrigé » (auteur : Zoé).");
        QCOMPARE(p.grid(titres())[5], (QStringList{"005", "Énigme 5", "Zoé"}));
        QVERIFY(p.services.messages.isEmpty() && !tab.undoButton->isEnabled());
        p.window.reset();
        QVERIFY(p.tables() == original); // the NULL links too
    }

    void addAfterRestart()
    {
        ProgramFixture p;
        const auto original = p.tables();
        QVERIFY(p.start());
        p.type(zarpo(), {"013", "Nouveau", "Ysolde", "", ""});
        p.press(zarpo(), false);
        QCOMPARE(int(p.grid(zarpo()).size()), fixtureEntries + 2);
        p.window.reset();

        QVERIFY(p.start());
        CategoryTab &tab = p.tab(zarpo());
        QVERIFY(tab.undoButton->isEnabled());
        click(tab.undoButton);
        QCOMPARE(p.services.questions,
                 QStringList{"Annuler l'ajout du n° 013 « Nouveau » (auteur : Ysolde) dans la liste Zarpo ?\n\n"
                             "L'entrée sera supprimée, ainsi que l'auteur « Ysolde » que cet ajout avait enregistré."});
        QVERIFY(int(p.grid(zarpo()).size()) == fixtureEntries + 1 && !tab.undoButton->isEnabled());
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
        p.window.reset();
        QVERIFY(p.tables() == original); // the authors and the schema too
    }
};

QTEST_MAIN(TestAddUpdate)
#include "tst_addupdate.moc"
