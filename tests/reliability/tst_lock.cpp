// Another program holds the catalogue: "Ajouter" and "MAJ" wait a while for
// it to let go, then give up with a French message, leaving the file, the
// grid and the typed fields as they were. The other program is a separate
// process holding either a write lock or the whole file.

#include "childprocess.h"
#include "programfixture.h"

#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

class LockTest : public QObject {
    Q_OBJECT
private slots:
    void refusedWhileHeld_data();
    void refusedWhileHeld();
    void waitsForAShortHold_data();
    void waitsForAShortHold();
    void startWhileHeld();
};

void LockTest::refusedWhileHeld_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<QString>("hold");
    QTest::newRow("add, write lock") << false << QStringLiteral("immediate");
    QTest::newRow("add, whole file") << false << QStringLiteral("exclusive");
    QTest::newRow("update, write lock") << true << QStringLiteral("immediate");
    QTest::newRow("update, whole file") << true << QStringLiteral("exclusive");
}

void LockTest::refusedWhileHeld()
{
    QFETCH(bool, update);
    QFETCH(QString, hold);

    ProgramFixture p;
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
    // An add on the list that also records a new author; an update of an
    // entry of another list.
    const Category &category = update ? titres() : zarpo();
    const Fields typed = update ? Fields{"005", "Corrigé", "Adèle", "", ""} : Fields{"013", "Nouveau", "Ysolde", "", ""};
    p.type(category, typed);
    const auto tablesBefore = p.tables();
    const auto gridBefore = p.grid(category);

    ChildProcess other({QStringLiteral("hold"), p.dir.catalogue(), hold, QStringLiteral("0")});
    QVERIFY2(other.waitForLine(QStringLiteral("held")), qPrintable(other.errors()));
    update ? p.pressUpdate(category) : p.pressAdd(category);

    QCOMPARE(p.services.messages.size(), 1);
    const QString message = p.services.messages[0].text;
    const QString notWritten = update ? QStringLiteral("L'entrée n° 005 n'a pas été modifiée")
                                      : QStringLiteral("L'entrée n° 013 n'a pas été enregistrée");
    QVERIFY2(message.contains(notWritten), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("verrouillé par un autre programme")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("réessayez")), qPrintable(message));
    QCOMPARE(p.services.messages[0].icon, MessageIcon::Critical);
    QCOMPARE(p.fields(category), typed);
    QVERIFY(p.grid(category) == gridBefore);

    other.closeInput();
    QVERIFY(other.waitForLine(QStringLiteral("released")));
    QVERIFY(other.finish());
    QCOMPARE(other.process().exitCode(), 0);
    QVERIFY(p.tables() == tablesBefore);

    // Once the other program is done, the same press goes through.
    p.services.clear();
    update ? p.pressUpdate(category) : p.pressAdd(category);
    QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
    const std::size_t row = update ? 5 : fixtureEntries + 1;
    QCOMPARE(p.grid(category).size(), update ? gridBefore.size() : gridBefore.size() + 1);
    QCOMPARE(p.grid(category)[row], (QStringList{typed.number, typed.name, typed.author}));
}

void LockTest::waitsForAShortHold_data()
{
    QTest::addColumn<QString>("hold");
    QTest::newRow("write lock") << QStringLiteral("immediate");
    QTest::newRow("whole file") << QStringLiteral("exclusive");
}

void LockTest::waitsForAShortHold()
{
    QFETCH(QString, hold);

    ProgramFixture p;
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
    const Fields typed{"013", "Nouveau", "Ysolde", "", ""};
    p.type(zarpo(), typed);

    // The other program lets go by itself a second after taking the lock,
    // well within the time the add waits.
    ChildProcess other({QStringLiteral("hold"), p.dir.catalogue(), hold, QStringLiteral("1000")});
    QVERIFY2(other.waitForLine(QStringLiteral("held")), qPrintable(other.errors()));
    p.pressAdd(zarpo());
    QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
    QVERIFY(other.finish());
    QCOMPARE(other.process().exitCode(), 0);
    QVERIFY(other.lines().contains(QStringLiteral("released")));

    QCOMPARE(p.grid(zarpo()).size(), std::size_t(fixtureEntries + 2));
    const auto stored = tableRows(p.dir.catalogue(), zarpo().table);
    QCOMPARE(stored.size(), std::size_t(fixtureEntries + 1));
    QCOMPARE(stored.back().mid(0, 3), (QStringList{"013", "Nouveau", "Ysolde"}));
    QCOMPARE(tableRows(p.dir.catalogue(), QStringLiteral("auteurs")).back(), QStringList{"Ysolde"});
}

// Started while another program holds the whole file, the program says so
// (and does not take the catalogue for something else).
void LockTest::startWhileHeld()
{
    ProgramFixture p;
    ChildProcess other({QStringLiteral("hold"), p.dir.catalogue(), QStringLiteral("exclusive"), QStringLiteral("0")});
    QVERIFY2(other.waitForLine(QStringLiteral("held")), qPrintable(other.errors()));
    QVERIFY(!p.start());
    QCOMPARE(p.services.messages.size(), 1);
    const QString message = p.services.messages[0].text;
    QVERIFY2(message.contains(QStringLiteral("ne peut pas être lu : le catalogue est verrouillé par un autre programme")),
             qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("n'est pas un catalogue")), qPrintable(message));

    other.closeInput();
    QVERIFY(other.finish());
    QCOMPARE(other.process().exitCode(), 0);
    p.services.clear();
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
}

QTEST_MAIN(LockTest)
#include "tst_lock.moc"
