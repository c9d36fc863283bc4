// The number tests of the edit fields, under the C and French locales.

#include "editing/numbertext.h"

#include <QLocale>
#include <QTest>

using namespace tabrix::editing;

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void numeric_data();
    void numeric();
    void leading_data();
    void leading();
};

void NumberTextTest::numeric_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("numeric");

    const QString c = QStringLiteral("C");
    const QString fr = QStringLiteral("fr_FR");
    QTest::newRow("digits") << "058" << c << true;
    QTest::newRow("surrounding blanks") << "  58\t" << c << true;
    QTest::newRow("plus") << "+58" << c << true;
    QTest::newRow("minus") << "-5" << c << true;
    QTest::newRow("point") << "1.5" << c << true;
    QTest::newRow("point alone after digits") << "58." << c << true;
    QTest::newRow("point before digits") << ".5" << c << true;
    QTest::newRow("point in French too") << "1.5" << fr << true;
    QTest::newRow("French comma") << "1,5" << fr << true;
    QTest::newRow("comma in C") << "1,5" << c << false;
    QTest::newRow("two separators") << "1.5.2" << c << false;
    QTest::newRow("French comma and point") << "1,5.2" << fr << false;
    QTest::newRow("empty") << "" << c << false;
    QTest::newRow("blanks") << "   " << c << false;
    QTest::newRow("sign alone") << "+" << c << false;
    QTest::newRow("point alone") << "." << c << false;
    QTest::newRow("two signs") << "+-5" << c << false;
    QTest::newRow("blank after sign") << "- 5" << c << false;
    QTest::newRow("inner blank") << "5 8" << c << false;
    QTest::newRow("letters") << "abc" << c << false;
    QTest::newRow("exponent") << "1e3" << c << false;
    QTest::newRow("hexadecimal") << "0x1" << c << false;
    QTest::newRow("other digits") << "٥٨" << c << false;
    QTest::newRow("trailing letter") << "58a" << c << false;
}

void NumberTextTest::numeric()
{
    QFETCH(QString, text);
    QFETCH(QString, locale);
    QFETCH(bool, numeric);
    QCOMPARE(isNumericText(text, QLocale(locale)), numeric);
}

void NumberTextTest::leading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("three digits") << "058" << 58.0;
    QTest::newRow("leading blanks") << "  58" << 58.0;
    QTest::newRow("sign") << "-58" << -58.0;
    QTest::newRow("plus") << "+58" << 58.0;
    QTest::newRow("decimals") << "1.5" << 1.5;
    QTest::newRow("comma stops") << "1,5" << 1.0;
    QTest::newRow("letter stops") << "12a3" << 12.0;
    QTest::newRow("inner blank stops") << "5 8" << 5.0;
    QTest::newRow("exponent is not read") << "1e3" << 1.0;
    QTest::newRow("nothing") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
}

void NumberTextTest::leading()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(leadingValue(text), value);
}

QTEST_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
