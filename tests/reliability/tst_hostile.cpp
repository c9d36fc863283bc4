// Hostile text typed into each edit field of a list and into the search box.
// Each text is either stored and read back exactly as typed, or refused with
// a message and nothing written; it never changes what a query does. Each
// text stands for a distinct way to go wrong.

#include "support/programfixture.h"

#include <QLabel>
#include <QRadioButton>

using namespace tabrix;
using namespace tabrix::test;

namespace {

struct Hostile {
    const char *tag;
    QString text;
    bool storable; // false: control characters or broken UTF-16
};

QString units(std::initializer_list<char16_t> list)
{
    return QString(reinterpret_cast<const QChar *>(list.begin()), qsizetype(list.size()));
}

const std::vector<Hostile> &hostileTexts()
{
    static const std::vector<Hostile> texts = {
        {"10000 characters, SQL",
         QStringLiteral("\"); DROP TABLE auteurs; -- « Île » %_ ?1 :nom ").repeated(400).left(10000), true},
        {"right to left, combining, outside the BMP, noncharacters",
         QStringLiteral("\u202Eabc\u202C שלום مرحبا e\u0301\u0301 Z\u0351\u0489 😀 \U0010FFFD ") + units({0xFFFE, 0xFDD0}),
         true},
        {"tabulations", QStringLiteral("a\tb\t\tc"), true},
        {"line breaks", QStringLiteral("a\nb\r\nc\rd"), false},
        {"NUL", units({u'a', 0x0000, u'b'}), false},
        {"escape, DEL, C1", units({u'a', 0x001B, u'[', u'm', 0x007F, 0x0085, 0x009B}), false},
        {"broken surrogates", units({0xDE00, u'a', 0xD83D, u'b', 0xDE00, 0xD83D, 0xD800}), false},
    };
    return texts;
}

const char *const fieldNames[] = {"number", "name", "author", "image link", "forum link"};

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void edit_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("storable");
        for (const bool update : {false, true})
            for (int field = 0; field < 5; ++field)
                for (const Hostile &h : hostileTexts())
                    QTest::addRow("%s, %s, %s", update ? "MAJ" : "Ajouter", fieldNames[field], h.tag)
                        << update << field << h.text << h.storable;
    }

    void edit()
    {
        QFETCH(bool, update);
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, storable);
        ProgramFixture p;
        QVERIFY2(p.start(), qPrintable(p.services.lastText()));
        auto expected = p.tables();
        // A new entry on the list that records authors; an update on another.
        const Category &category = update ? titres() : zarpo();
        QStringList typed{update ? "004" : "013", "Nom", "Ysolde", "https://images.norvane.fr/a.jpg", "https://www.norvane.fr/t1"};
        typed[field] = text;
        p.type(category, typed);
        const auto gridBefore = p.grid(category);
        p.press(category, update);
        // A number must be the next one or a known one; an added author may
        // not hold an apostrophe.
        const bool apostrophe = !update && field == 2 && text.contains(u'\'');
        if (field == 0 || !storable || apostrophe) {
            QCOMPARE(p.services.messages.size(), 1);
            if (field > 0 && !apostrophe)
                QCOMPARE(p.services.lastText(), QStringLiteral("Le champ « %1 » contient un caractère qui ne peut pas être "
                                                               "enregistré (caractère de contrôle ou caractère invalide).")
                                                    .arg(QStringList{"", category.nameLabel, "Auteur", "Lien image", "Lien Norvane"}[field]));
            QCOMPARE(p.fields(category), typed);
            QVERIFY(p.grid(category) == gridBefore);
        } else {
            QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
            QCOMPARE(p.grid(category)[update ? 4 : fixtureEntries + 1], typed.mid(0, 3));
            auto &rows = expected[std::size_t(category.id)];
            if (update) {
                rows[3] = typed;
            } else {
                rows.push_back(typed);
                expected[4].push_back({typed[2]}); // its new author
            }
        }
        // A search for the name finds it where it was stored, and nothing
        // else; any text may be searched for.
        if (field == 1) {
            p.search(category.searchOption, text);
            QCOMPARE(p.find<QLineEdit>("cherche")->text(), text.trimmed());
            QCOMPARE(p.services.messages.size(), qsizetype(!storable));
            QCOMPARE(p.find<QLabel>(QStringLiteral("nb_trouvé"))->text(),
                     storable ? QStringLiteral("1 élément(s) trouvé(s).") : QStringLiteral("0 élément trouvé."));
            QCOMPARE(p.find<Grid>("grille_search")->text(1, 1), storable ? text : QStringLiteral("Non trouvé"));
        }
        // The file, read by another connection, holds the text as typed and
        // nothing else changed.
        p.window.reset();
        QVERIFY(p.tables() == expected);
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
