// Hostile text typed into every edit field of a list and into the search
// box: very long texts, quotes, semicolons and SQL, right-to-left and
// combining characters, control characters, broken UTF-16. Each text is
// either stored and read back exactly as typed, or refused with a message
// and nothing written; the program never crashes and the texts never change
// what a query does.

#include "programfixture.h"

#include "editing/numbertext.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

namespace {

enum class Field { Number, Name, Author, Url, Link };

struct Hostile {
    const char *tag;
    QString text;
    bool storable; // false: control characters or broken UTF-16
};

QString repeatedTo(const QString &piece, int size)
{
    QString text;
    while (text.size() < size)
        text += piece;
    text.truncate(size);
    return text;
}

QString chars(std::initializer_list<char16_t> units)
{
    QString text;
    for (char16_t u : units)
        text += QChar(u);
    return text;
}

const std::vector<Hostile> &hostileTexts()
{
    static const std::vector<Hostile> texts = {
        {"10000 characters", repeatedTo(QStringLiteral("Énigme « ; » 'x' \"y\" "), 10000), true},
        {"10000 digits", QString(10000, QLatin1Char('7')), true},
        {"quotes", QStringLiteral("O'Hara \"le\" '' \"\" ` ’ «»"), true},
        {"statement end", QStringLiteral("x'); DROP TABLE zarpo; --"), true},
        {"always true", QStringLiteral("' OR '1'='1"), true},
        {"SQL keywords", QStringLiteral("SELECT * FROM auteurs; DELETE FROM melvi WHERE 1=1; VACUUM; ATTACH 'x' AS y"), true},
        {"parameters", QStringLiteral("?1 ?2 :nom @x $y %s %1 %n"), true},
        {"right to left", QStringLiteral("\u202Eabc\u202C שלום עולם مرحبا \u200F"), true},
        {"combining", QStringLiteral("e\u0301\u0301\u0301 Z\u0351\u0358\u0360\u0489alg\u0300o \u0E01\u0E34\u0E4A"), true},
        {"outside the BMP", QStringLiteral("😀 𝔄𝔟 \U0010FFFD"), true},
        {"noncharacters", chars({u'a', 0xFFFE, u'b', 0xFFFF, 0xFDD0}), true},
        {"markup", QStringLiteral("<b>gras</b> &amp; <script>x</script>"), true},
        {"tabulations", QStringLiteral("a\tb\t\tc"), true},
        {"line breaks", QStringLiteral("a\nb\r\nc\rd"), false},
        {"NUL", chars({u'a', 0x0000, u'b'}), false},
        {"escape and C1", chars({u'a', 0x001B, u'[', u'3', u'1', u'm', 0x007F, 0x0085, 0x009B}), false},
        {"lone high surrogate", chars({u'a', 0xD83D, u'b'}), false},
        {"lone low surrogate", chars({0xDE00, u'a'}), false},
        {"reversed pair", chars({0xDE00, 0xD83D}), false},
        {"ends on a high surrogate", chars({u'a', 0xD800}), false},
    };
    return texts;
}

const char *fieldName(Field field)
{
    switch (field) {
    case Field::Number: return "number";
    case Field::Name: return "name";
    case Field::Author: return "author";
    case Field::Url: return "image link";
    case Field::Link: return "forum link";
    }
    return "?";
}

QString &fieldOf(Fields &f, Field field)
{
    switch (field) {
    case Field::Number: return f.number;
    case Field::Name: return f.name;
    case Field::Author: return f.author;
    case Field::Url: return f.url;
    case Field::Link: return f.link;
    }
    return f.name;
}

// What the store holds for an entry, as the edit fields would show it.
Fields stored(Catalogue &catalogue, const Category &category, const QString &ref)
{
    const Result<std::optional<Entry>> found = catalogue.find(category, ref);
    if (!found || !found->has_value())
        return {};
    const Entry &e = **found;
    return {e.ref, e.name, e.author, e.url.value_or(QStringLiteral("<NULL>")), e.link.value_or(QStringLiteral("<NULL>"))};
}

std::vector<QStringList> schema(const QString &path)
{
    return tableRows(path, QStringLiteral("sqlite_master"));
}

} // namespace

Q_DECLARE_METATYPE(Field)

class HostileTest : public QObject {
    Q_OBJECT
private slots:
    void add_data() { cases(); }
    void add();
    void update_data() { cases(); }
    void update();
    void search_data();
    void search();

private:
    void cases();
};

void HostileTest::cases()
{
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("storable");
    for (Field field : {Field::Number, Field::Name, Field::Author, Field::Url, Field::Link})
        for (const Hostile &h : hostileTexts())
            QTest::addRow("%s, %s", fieldName(field), h.tag) << field << h.text << h.storable;
}

void HostileTest::add()
{
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(bool, storable);

    ProgramFixture p;
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
    const QString path = p.dir.catalogue();
    const auto schemaBefore = schema(path);
    const auto tablesBefore = p.tables();
    // On the list that also records its authors.
    const Category &category = zarpo();
    Fields typed{"013", "Nom", "Ysolde", "https://images.norvane.fr/a.jpg", "https://www.norvane.fr/t1"};
    fieldOf(typed, field) = text;
    p.type(category, typed);
    // The box holds the text exactly as it was typed.
    QCOMPARE(p.fields(category), typed);
    const auto gridBefore = p.grid(category);

    p.pressAdd(category);

    // The author box refuses an apostrophe before anything else; a number
    // must be the next one.
    const bool refused = field == Field::Number || !storable || (field == Field::Author && text.contains(u'\''));
    if (refused) {
        QCOMPARE(p.services.messages.size(), 1);
        QVERIFY(!p.services.messages[0].text.isEmpty());
        QCOMPARE(p.fields(category), typed);
        QVERIFY(p.grid(category) == gridBefore);
        QVERIFY(p.tables() == tablesBefore);
        if (field != Field::Number && !text.contains(u'\''))
            QCOMPARE(p.services.messages[0].text,
                     QStringLiteral("Le champ « %1 » contient un caractère qui ne peut pas être enregistré "
                                    "(caractère de contrôle ou caractère invalide).")
                         .arg(QStringList{"N°", "Nom", "Auteur", "Lien image", "Lien Norvane"}.at(int(field))));
    } else {
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
        QCOMPARE(p.grid(category).back(), (QStringList{typed.number, typed.name, typed.author}));
        // Read back from the file by another connection: exactly as typed.
        p.window.reset();
        std::unique_ptr<Catalogue> reopened = openCatalogue(path);
        QCOMPARE(stored(*reopened, category, typed.number), typed);
        const Result<std::vector<QString>> authors = reopened->authors();
        QVERIFY(authors);
        QCOMPARE(authors->back(), typed.author);
        reopened.reset();
        // Nothing else changed.
        auto tablesAfter = p.tables();
        QCOMPARE(tablesAfter[std::size_t(category.id)].size(), std::size_t(fixtureEntries + 1));
        tablesAfter[std::size_t(category.id)].pop_back();
        tablesAfter.back().pop_back();
        QVERIFY(tablesAfter == tablesBefore);
    }
    QVERIFY(schema(path) == schemaBefore);
}

void HostileTest::update()
{
    QFETCH(Field, field);
    QFETCH(QString, text);
    QFETCH(bool, storable);

    ProgramFixture p;
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
    const QString path = p.dir.catalogue();
    const auto schemaBefore = schema(path);
    const auto tablesBefore = p.tables();
    const Category &category = titres();
    Fields typed{"004", "Nom", "Ysolde", "https://images.norvane.fr/a.jpg", "https://www.norvane.fr/t1"};
    fieldOf(typed, field) = text;
    p.type(category, typed);
    QCOMPARE(p.fields(category), typed);
    const auto gridBefore = p.grid(category);

    p.pressUpdate(category);

    // A number must be one the list has.
    const bool refused = field == Field::Number || !storable;
    if (refused) {
        QCOMPARE(p.services.messages.size(), 1);
        QVERIFY(!p.services.messages[0].text.isEmpty());
        QCOMPARE(p.fields(category), typed);
        QVERIFY(p.grid(category) == gridBefore);
        QVERIFY(p.tables() == tablesBefore);
    } else {
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
        QCOMPARE(p.grid(category)[4], (QStringList{typed.number, typed.name, typed.author}));
        p.window.reset();
        std::unique_ptr<Catalogue> reopened = openCatalogue(path);
        QCOMPARE(stored(*reopened, category, typed.number), typed);
        reopened.reset();
        auto tablesAfter = p.tables();
        auto &rows = tablesAfter[std::size_t(category.id)];
        QCOMPARE(rows[3], (QStringList{typed.number, typed.name, typed.author, typed.url, typed.link}));
        rows[3] = tablesBefore[std::size_t(category.id)][3];
        QVERIFY(tablesAfter == tablesBefore);
    }
    QVERIFY(schema(path) == schemaBefore);
}

void HostileTest::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("storable");
    for (const Hostile &h : hostileTexts())
        QTest::addRow("%s", h.tag) << h.text << h.storable;
}

// A criterion is only looked for in the names: a name that holds it is
// found, and nothing else.
void HostileTest::search()
{
    QFETCH(QString, text);
    QFETCH(bool, storable);

    ProgramFixture p;
    // A stored name made of the text, between other words.
    const QString name = QStringLiteral("avant ") + text + QStringLiteral(" après");
    if (storable)
        insertEntries(p.dir.catalogue(), melvi(), {entry(QStringLiteral("013"), name, QStringLiteral("Zoé"))});
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
    MainForm &form = p.window->form();
    form.searchOptions[std::size_t(melvi().id)]->click();
    form.cherche->setText(text);
    form.btSearch->click();

    const QString criterion = text.trimmed();
    QCOMPARE(form.cherche->text(), criterion);
    if (criterion.isEmpty()) {
        QCOMPARE(p.services.lastText(), QStringLiteral("Pas de critère de recherche."));
        return;
    }
    QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
    Grid &results = *form.grilleSearch;
    if (storable) {
        QCOMPARE(form.nbTrouve->text(), QStringLiteral("1 élément(s) trouvé(s)."));
        QCOMPARE(results.text(1, 0), QStringLiteral("013"));
        QCOMPARE(results.text(1, 1), name);
    } else {
        QCOMPARE(form.nbTrouve->text(), QStringLiteral("0 élément trouvé."));
        QCOMPARE(results.text(1, 1), QStringLiteral("Non trouvé"));
    }
}

QTEST_MAIN(HostileTest)
#include "tst_hostile.moc"
