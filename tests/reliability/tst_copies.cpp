// The day's copies and putting one back: at start-up a changed or day-old
// catalogue is copied into "sauvegardes" (the 10 newest kept; a copy that
// cannot be written gives one message and start-up goes on), and
// `tabrix-admin restore` puts a copy back, refused while Tabrix has the
// file open, keeping the current file first, never playing a journal left
// beside the old file into the restored one.

#include "childprocess.h"
#include "store/copies.h"
#include "support/programfixture.h"
#include "tools/admincommand.h"

using namespace tabrix;
using namespace tabrix::test;

namespace {

QStringList copiesIn(const ProgramDir &dir, const QString &pattern = QStringLiteral("Tabrix-2*.mdb"))
{
    return QDir(dir.file("sauvegardes")).entryList({pattern}, QDir::Files, QDir::Name);
}

} // namespace

class TestCopies : public QObject {
    Q_OBJECT
private slots:
    void dailyCopies()
    {
        ProgramFixture p;
        for (int start = 0; start < 2; ++start) { // the second start finds the copy fresh
            QVERIFY(p.start());
            p.window.reset();
        }
        QStringList copies = copiesIn(p.dir);
        QCOMPARE(copies.size(), 1);
        const QString first = p.dir.file("sauvegardes/" + copies[0]);
        QVERIFY(tableRows(first, "zarpo") == tableRows(p.dir.catalogue(), "zarpo"));

        // Eleven older copies; after a change the next start adds one and keeps ten.
        for (int day = 10; day < 21; ++day)
            QVERIFY(QFile::copy(first, p.dir.file(QStringLiteral("sauvegardes/Tabrix-2020-01-%1-000000-000.mdb").arg(day))));
        execute(p.dir.catalogue(), "DELETE FROM zarpo WHERE ref = '012'");
        QVERIFY(p.start());
        p.window.reset();
        copies = copiesIn(p.dir);
        QCOMPARE(copies.size(), keptCopies);
        QCOMPARE(copies.first(), QStringLiteral("Tabrix-2020-01-13-000000-000.mdb"));
        QCOMPARE(int(tableRows(p.dir.file("sauvegardes/" + copies.last()), "zarpo").size()), fixtureEntries - 1);

        // A copy that cannot be written: one message, and the program runs.
        QVERIFY(QDir(p.dir.file("sauvegardes")).removeRecursively());
        writeBytes(p.dir.file("sauvegardes"), "not a folder");
        QVERIFY(p.start());
        verifySaid(p.onlyMessage(), {"sauvegardes", "Tabrix démarre quand même"});
    }

    void restore()
    {
        ProgramFixture p;
        QVERIFY(p.start());
        const QString copy = p.dir.file("sauvegardes/" + copiesIn(p.dir).value(0));
        const auto original = p.tables();
        p.type(zarpo(), {"013", "Nouveau", "Ysolde", "", ""});
        p.press(zarpo(), false);
        const auto added = p.tables();
        QVERIFY(added != original);

        const ToolRun whileOpen = runAdmin({"restore", copy, p.dir.catalogue()});
        QVERIFY(whileOpen.status != 0);
        verifySaid(whileOpen.err, {"Tabrix a ce catalogue ouvert"});
        QVERIFY(p.tables() == added);
        p.window.reset();

        {
            ChildProcess other({QStringLiteral("interrupt"), p.dir.catalogue()});
            QVERIFY2(other.waitForLine(QStringLiteral("dirty")), qPrintable(other.lines().join(u'\n')));
        } // killed: its half-written change has a journal beside the file
        QVERIFY(QFile::exists(p.dir.catalogue() + "-journal"));
        const ToolRun restored = runAdmin({"restore", copy, p.dir.catalogue()});
        QVERIFY2(restored.status == 0, qPrintable(restored.err));
        QVERIFY(p.tables() == original);
        // The file it replaced was kept whole, its interrupted change undone.
        const QStringList kept = copiesIn(p.dir, "Tabrix-avant-restauration-*.mdb");
        QCOMPARE(kept.size(), 1);
        QVERIFY(tableRows(p.dir.file("sauvegardes/" + kept[0]), "zarpo") == added[0]);
        QVERIFY2(p.start(), qPrintable(p.services.lastText()));
        QVERIFY(!p.tab(zarpo()).undoButton->isEnabled()); // the history went with the file it described
    }
};

QTEST_MAIN(TestCopies)
#include "tst_copies.moc"
