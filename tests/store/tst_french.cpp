// The French sort key: worked examples of what the grid tests do not sort,
// and the quick paths (plain ASCII, character by character for the letters
// of French) against the full rule. (Case folding of authors: see the
// editing tests' authors.)
#include "store/french.h"

#include <QtTest>

using namespace tabrix;

class TestFrench : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::newRow("oe ligature") << "Sœur Anne, Œuvre" << "soeur anne, oeuvre";
        QTest::newRow("ae ligature") << "Lætitia" << "laetitia";
        QTest::newRow("sharp s") << "Straße" << "strasse";
        QTest::newRow("y diaeresis") << "ŸVELINE ÿ" << "yveline y";
        QTest::newRow("ij and long s") << "ĳſ" << "ijs";
        QTest::newRow("no-break space") << QStringLiteral("Île\u00a0de Ré") << "ile de re";
        QTest::newRow("beyond the table: fi ligature") << QStringLiteral("\ufb01let ’") << QStringLiteral("filet ’");
        QTest::newRow("beyond the table, with accents") << QStringLiteral("Été’s") << QStringLiteral("ete’s");
    }

    void keys()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QCOMPARE(frenchSortKey(text), key);
    }

    // A right quotation mark is kept as it is and sends the whole text
    // through the full rule: the key of a character followed by it must be
    // the character's quick key followed by it.
    void everyTabledCharacterAsTheFullRule()
    {
        const QString mark = QStringLiteral("\u2019");
        QCOMPARE(frenchSortKey(mark), mark);
        for (char16_t c = 0; c < 0x180; ++c)
            QCOMPARE(frenchSortKey(QChar{c} + mark), frenchSortKey(QString(QChar{c})) + mark);
    }
};

QTEST_APPLESS_MAIN(TestFrench)
#include "tst_french.moc"
