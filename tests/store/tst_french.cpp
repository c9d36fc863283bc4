// The French sort key: worked examples, and the quick paths (plain ASCII,
// character by character for the letters of French) against the full rule.
#include "store/french.h"

#include <QtTest>

using namespace tabrix;

class FrenchTest : public QObject {
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void everyTabledCharacterAsTheFullRule();
};

void FrenchTest::keys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");

    QTest::newRow("ascii") << "Mont-Saint-Michel 12" << "mont-saint-michel 12";
    QTest::newRow("accents") << "École Crème brûlée" << "ecole creme brulee";
    QTest::newRow("oe ligature") << "Sœur Anne, Œuvre" << "soeur anne, oeuvre";
    QTest::newRow("ae ligature") << "Lætitia" << "laetitia";
    QTest::newRow("sharp s") << "Straße" << "strasse";
    QTest::newRow("y diaeresis") << "ŸVELINE ÿ" << "yveline y";
    QTest::newRow("ij and long s") << "ĳſ" << "ijs";
    QTest::newRow("no-break space") << QStringLiteral("Île\u00a0de Ré") << "ile de re";
    QTest::newRow("beyond the table: fi ligature") << QStringLiteral("\ufb01let ’") << QStringLiteral("filet ’");
    QTest::newRow("beyond the table, with accents") << QStringLiteral("Été’s") << QStringLiteral("ete’s");
    QTest::newRow("empty") << "" << "";
}

void FrenchTest::keys()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QCOMPARE(frenchSortKey(text), key);
}

void FrenchTest::everyTabledCharacterAsTheFullRule()
{
    // A right quotation mark is kept as it is and sends the whole text
    // through the full rule: the key of a character followed by it must be
    // the character's quick key followed by it.
    const QString mark = QStringLiteral("\u2019");
    QCOMPARE(frenchSortKey(mark), mark);
    for (char16_t c = 0; c < 0x180; ++c) {
        const QString alone(QChar{c});
        QCOMPARE(frenchSortKey(alone + mark), frenchSortKey(alone) + mark);
    }
}

QTEST_APPLESS_MAIN(FrenchTest)
#include "tst_french.moc"
