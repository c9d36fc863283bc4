// "MAJ": the checks and messages, the record rewritten, and the grid row
// that shows the number, wherever sorting has put it.

#include "listfixture.h"

#include <QLocale>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;
using editing::Outcome;

namespace {

const QString img = QStringLiteral("https://images.norvane.fr/new.jpg");
const QString forum = QStringLiteral("https://www.norvane.fr/t-new");

// `gridRow` is the row that receives the fields (0 for none), `current` the
// row last clicked, `shown` the grid's order; `extra` is one more entry,
// stored after the grid was filled when `late`.
struct UpdateCase {
    Fields typed;
    QString message; // empty when the entry is rewritten
    int gridRow, list, current, shown;
    QString extra;
    bool late;
    QString locale;
    bool answer = true; // to the question before rewriting another entry than the current row's
};

void row(const char *tag, const Fields &typed, const QString &message, int gridRow, int list = 0, int current = 5,
         int shown = 0, const char *extra = "", bool late = false, const char *locale = "", bool answer = true)
{
    QTest::newRow(tag) << UpdateCase{typed, message, gridRow, list, current, shown, extra, late, locale, answer};
}

} // namespace

Q_DECLARE_METATYPE(UpdateCase)

class UpdateTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void update_data()
    {
        QTest::addColumn<UpdateCase>("c");

        const QString none;
        const QString notNumeric = QStringLiteral("Numéro de zarpo non numérique ou absent.");
        const QString noName = QStringLiteral("Nom non renseigné.");

        row("the clicked entry", {"005", "Nouveau nom", "Adèle", img, forum}, none, 5);
        // Another entry than the loaded one: asked first; "Non" changes nothing.
        row("another number's entry", {"012", "Autre", "Bruno", img, forum}, none, 12);
        row("another number's entry, Non", {"012", "Autre", "Bruno", img, forum}, "", 0, 0, 5, 0, "", false, "", false);
        row("apostrophe accepted", {"003", "Lieu", "O'Brien", img, forum}, none, 3, 1, 3);
        row("cleared links", {"004", "Nom", "Zoé", "", ""}, none, 4, 2, 4);
        row("accents and quotes", {"002", "L'Île « été »;", "D'Artagnan Œ", "https://i.fr/île.jpg", "\";DROP TABLE t;--"},
            none, 2, 1, 2);
        row("number of any length", {"0099", "Ancien", "Zoé", img, forum}, none, 10, 0, 1, 0, "0099");
        // The grid was re-sorted: the row is looked up by its number.
        row("sorted by name", {"007", "Renommé", "Zoé", "", ""}, none, 7, 0, 1, 1);
        row("sorted by author", {"003", "Nom", "Zoé", "", ""}, none, 5, 3, 2, 2);
        // Stored by another program after the grid was filled: nothing is written.
        row("entry missing from the grid", {"013", "Tardif", "Zoé", "", ""},
            "L'entrée n° 013 n'a pas été modifiée : un autre programme a modifié le catalogue depuis son affichage (la "
            "liste zarpo compte maintenant 13 entrées, la grille en montre 12) ; rien n'a été écrit. Relancez Tabrix "
            "pour voir le catalogue tel qu'il est maintenant.",
            0, 0, 4, 0, "013", true);

        row("unknown number", {"042", "Nom", "Zoé", "", ""}, "N° 042 inconnu.", 0);
        row("French 1,5 is a number", {"1,5", "Nom", "Zoé", "", ""}, "N° 1,5 inconnu.", 0, 0, 5, 0, "", false, "fr_FR");
        row("name of blanks", {"005", "  ", "Zoé", "", ""}, noName, 0, 3);
        row("empty author", {"005", "Nom", "", "", ""}, "Auteur non renseigné.", 0);
        row("number before name and author", {}, notNumeric, 0);
        row("name before author", {"005", "", "", "", ""}, noName, 0);
    }

    void update()
    {
        QFETCH(UpdateCase, c);
        const Fields &typed = c.typed;

        if (!c.locale.isEmpty())
            QLocale::setDefault(QLocale(c.locale));
        const Category &category = categories()[std::size_t(c.list)];
        std::vector<Entry> entries = numberedEntries(12, {"Zoé", "Adèle", "Bruno"});
        if (!c.extra.isEmpty() && !c.late)
            entries.push_back(entry(c.extra, "Hérité", "Zoé"));
        ListFixture f(category, entries, {"Zoé"}, SortColumn(c.shown));
        if (c.late)
            insertEntries(f.dir.catalogue(), category, {entry(c.extra, "Ajouté ailleurs", "Zoé")});
        f.tab->grid->setCurrentCell(c.current, 0);
        if (c.gridRow > 0)
            QCOMPARE(f.tab->grid->text(c.gridRow, 0), typed.number); // the row this case means
        Snapshot expected = f.snapshot();
        f.type(typed);
        f.services.answers = {c.answer};
        const QString loaded = f.tab->grid->text(c.current, 0);

        const Outcome outcome = f.update();

        QCOMPARE(f.tab->grid->row(), c.current);
        // The question comes after the checks, for an existing entry not loaded.
        const bool asked = typed.number != loaded && (c.message.isEmpty() || c.late) && c.gridRow >= 0;
        QCOMPARE(f.services.questions.size(), asked ? 1 : 0);
        if (asked && !c.late) {
            const QString question = f.services.questions.first();
            const auto old = std::find_if(expected.table.begin(), expected.table.end(),
                                          [&](const QStringList &r) { return r[0] == typed.number; });
            for (const QString &part : {"Entrée remplacée : n° " + typed.number + " « " + old->value(1),
                                        "Nouvelles valeurs : n° " + typed.number + " « " + typed.name + " »",
                                        "l'entrée chargée est le n° " + loaded})
                QVERIFY2(question.contains(part), qPrintable(question));
        }
        if (!c.answer) {
            QCOMPARE(outcome, Outcome::Refused);
            QVERIFY(f.services.messages.isEmpty());
            QCOMPARE(f.fields(), typed);
        } else if (c.message.isEmpty()) {
            QCOMPARE(outcome, Outcome::Saved);
            QVERIFY2(f.services.messages.isEmpty(), qPrintable(f.services.lastText()));
            QCOMPARE(f.fields(), Fields{});
            for (QStringList &r : expected.table)
                if (r[0] == typed.number)
                    r = typed.stored();
            if (c.gridRow > 0)
                expected.grid[std::size_t(c.gridRow - 1)] = typed.stored().mid(0, 3);
            QCOMPARE(f.reread(typed.number), typed.stored());
        } else {
            const bool failed = c.late;
            QCOMPARE(outcome, failed ? Outcome::Failed : Outcome::Refused);
            QCOMPARE(f.onlyMessage(failed ? MessageIcon::Critical : MessageIcon::Exclamation), c.message);
            QCOMPARE(f.fields(), typed);
        }
        QVERIFY(f.snapshot() == expected); // new authors are never recorded by "MAJ"
    }
};

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
