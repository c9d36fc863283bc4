// "MAJ" in the real window: the checks and messages, the question before
// rewriting another entry than the loaded one, the record rewritten, and the
// grid row that shows the number, wherever sorting has put it.

#include "support/programfixture.h"

#include <QLocale>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QString img = QStringLiteral("https://images.norvane.fr/new.jpg");
const QString forum = QStringLiteral("https://www.norvane.fr/t-new");

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

void row(const char *tag, const QStringList &typed, const QString &message, int gridRow, int list = 0,
         int current = 5, int shown = 0, const char *extra = "", const char *locale = "", bool answer = true)
{
    QTest::newRow(tag) << UpdateCase{typed, message, gridRow, list, current, shown, extra, locale, answer};
}

} // namespace

Q_DECLARE_METATYPE(UpdateCase)

class TestUpdate : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void update_data()
    {
        QTest::addColumn<UpdateCase>("c");

        const QString none;
        const QString noName = QStringLiteral("Nom non renseigné.");

        row("the clicked entry", {"005", "Nouveau nom", "Adèle", img, forum}, none, 5);
        // Another entry than the loaded one: asked first; "Non" changes nothing.
        row("another number's entry", {"012", "Autre", "Bruno", img, forum}, none, 12);
        row("another number's entry, Non", {"012", "Autre", "Bruno", img, forum}, none, 12, 0, 5, 0, "", "", false);
        row("apostrophe accepted", {"003", "Lieu", "O'Brien", img, forum}, none, 3, 1, 3);
        row("known author in another case", {"005", "Nom", "bRUNO", img, forum}, none, 5);
        row("cleared links", {"004", "Nom", "Zoé", "", ""}, none, 4, 2, 4);
        row("number of any length", {"0099", "Ancien", "Zoé", img, forum}, none, 10, 0, 1, 0, "0099");
        // The grid was re-sorted: the row is looked up by its number.
        row("sorted by name", {"007", "Renommé", "Zoé", "", ""}, none, 7, 0, 1, 1);
        row("sorted by author", {"003", "Nom", "Zoé", "", ""}, none, 5, 3, 2, 2);

        row("unknown number", {"042", "Nom", "Zoé", "", ""}, "N° 042 inconnu.", 0);
        row("French 1,5 is a number", {"1,5", "Nom", "Zoé", "", ""}, "N° 1,5 inconnu.", 0, 0, 5, 0, "", "fr_FR");
        row("name of blanks", {"005", "  ", "Zoé", "", ""}, noName, 0, 3);
        row("empty author", {"005", "Nom", "", "", ""}, "Auteur non renseigné.", 0);
        row("number before name and author", {"", "", "", "", ""}, "Numéro de zarpo non numérique ou absent.", 0);
        row("name before author", {"005", "", "", "", ""}, noName, 0);
    }

    void update()
    {
        QFETCH(UpdateCase, c);
        if (!c.locale.isEmpty())
            QLocale::setDefault(QLocale(c.locale));
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
                    r = c.typed.mid(0, 3) << (c.typed[3].isEmpty() ? notAvailable() : c.typed[3])
                                          << (c.typed[4].isEmpty() ? notAvailable() : c.typed[4]);
            QCOMPARE(p.grid(category)[std::size_t(grid.row())], c.typed.mid(0, 3));
            QCOMPARE(p.grid(category).size(), rows.size());
        } else {
            QCOMPARE(p.onlyMessage(), c.message.isEmpty() ? QStringLiteral("0 messages") : c.message);
            QVERIFY(p.services.messages.isEmpty() || p.services.messages[0].icon == MessageIcon::Exclamation);
            QCOMPARE(p.fields(category), c.typed);
            QCOMPARE(grid.row(), c.current);
            QVERIFY(p.grid(category) == rows);
        }
        QVERIFY(p.tables() == expected);
    }
};

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
