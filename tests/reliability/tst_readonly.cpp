// The catalogue file out of the program's hands.
//
// Write-protected (the file, its folder (the program's directory) or both):
// the program opens it and browses; "Ajouter" and "MAJ" refuse with a
// message and change nothing, not even by leaving a journal behind. A change
// an interrupted program left to undo is reported at start-up, and undone
// once the catalogue may be written again. Write permissions do not bind
// root: as root, the protection is the "immutable" attribute, which does.
//
// Held whole by another process: "Ajouter" and "MAJ" wait a while for it to
// let go, then give up with a French message, leaving the file, the grid and
// the typed fields as they were; started meanwhile, the program says the
// catalogue is locked.
//
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

#include <QLabel>
#include <QScopeGuard>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Write-protects (or frees) the catalogue of `dir` (what & 1), its folder
// (what & 2) or both; false when it cannot.
bool protect(const ProgramDir &dir, int what, bool on)
{
    const QStringList paths = QStringList{dir.catalogue(), dir.path()}.mid(what == 2, what == 3 ? 2 : 1);
    return std::all_of(paths.begin(), paths.end(), [on](const QString &path) {
        if (geteuid() == 0)
            return QProcess::execute(QStringLiteral("chattr"), {on ? "+i" : "-i", path}) == 0;
        const QFile::Permissions write = QFile::WriteOwner | QFile::WriteUser, now = QFile::permissions(path);
        return QFile::setPermissions(path, on ? now & ~write : now | write);
    });
}

// A new entry on the list that also records a new author; an update on another.
const Category &listFor(bool update) { return update ? titres() : zarpo(); }
QStringList typedFor(bool update) { return {update ? "005" : "013", "Nouveau", "Ysolde", "", ""}; }

// The press on the typed fields refused for `cause`: the fields and the grid as they were.
void refused(ProgramFixture &p, bool update, const QString &cause)
{
    const auto gridBefore = p.grid(listFor(update));
    p.press(listFor(update), update);
    verifySaid(p.onlyMessage(), {update ? "L'entrée n° 005 n'a pas été modifiée" : "L'entrée n° 013 n'a pas été enregistrée", cause});
    QCOMPARE(p.fields(listFor(update)), typedFor(update));
    QVERIFY(p.grid(listFor(update)) == gridBefore);
}

// Another process killed with its change half written into the file: a
// journal is left beside it.
void interrupted(const ProgramDir &dir)
{
    {
        ChildProcess other({QStringLiteral("interrupt"), dir.catalogue()});
        QVERIFY2(other.waitForLine(QStringLiteral("dirty")), qPrintable(other.lines().join(u'\n')));
    }
    QVERIFY(QFile::exists(dir.catalogue() + QStringLiteral("-journal")));
}

QStringList copiesIn(const ProgramDir &dir, const QString &pattern = QStringLiteral("Tabrix-2*.mdb"))
{
    return QDir(dir.file("sauvegardes")).entryList({pattern}, QDir::Files, QDir::Name);
}

} // namespace

class TestReadOnly : public QObject {
    Q_OBJECT
private slots:
    // For the file, its folder, then both.
    void browsedNotChanged()
    {
        for (const int what : {1, 2, 3}) {
            ProgramFixture p;
            const auto before = folderContent(p.dir.path());
            const QStringList names = QDir(p.dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
            auto lift = qScopeGuard([&] { protect(p.dir, what, false); });
            if (!protect(p.dir, what, true))
                QSKIP("this file system cannot write-protect a file against this user");
            QVERIFY2(p.start(), qPrintable(p.services.lastText()));
            QVERIFY(p.window->catalogue().readOnly());
            // Every list shown; a search reads them again.
            for (const Category &category : categories())
                QCOMPARE(p.grid(category).size(), std::size_t(fixtureEntries + 1));
            p.search(titres().searchOption, QStringLiteral("énigme 1"));
            QCOMPARE(p.find<QLabel>(QStringLiteral("nb_trouvé"))->text(), QStringLiteral("4 élément(s) trouvé(s)."));
            QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
            for (const bool update : {false, true}) {
                p.services.clear();
                p.type(listFor(update), typedFor(update));
                refused(p, update, "en lecture seule");
            }
            p.window.reset();
            QVERIFY(folderContent(p.dir.path()) == before);
            QCOMPARE(QDir(p.dir.path()).entryList(QDir::AllEntries | QDir::Hidden), names);
        }
    }

    // For the file, its folder, then both.
    void interruptedChange()
    {
        for (const int what : {1, 2, 3}) {
            ProgramFixture p;
            const auto tablesBefore = p.tables();
            const QByteArray before = fileBytes(p.dir.catalogue());
            interrupted(p.dir);
            QVERIFY(fileBytes(p.dir.catalogue()) != before);
            auto lift = qScopeGuard([&] { protect(p.dir, what, false); });
            if (!protect(p.dir, what, true))
                QSKIP("this file system cannot write-protect a file against this user");
            QVERIFY(!p.start());
            verifySaid(p.onlyMessage(), {"interrompu", "protégé contre l'écriture"});
            lift.dismiss();
            QVERIFY(protect(p.dir, what, false));
            p.services.clear();
            QVERIFY2(p.start(), qPrintable(p.services.lastText()));
            QVERIFY(!p.window->catalogue().readOnly());
            p.window.reset();
            QVERIFY(p.tables() == tablesBefore && fileBytes(p.dir.catalogue()) == before);
        }
    }

    void pressWhileHeld_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<int>("holdMs"); // held on: until killed
        QTest::newRow("add, held a second: waits") << false << 1000;
        QTest::newRow("add, held on: refused") << false << 600000;
        QTest::newRow("update, held on: refused") << true << 600000;
    }

    void pressWhileHeld()
    {
        QFETCH(bool, update);
        QFETCH(int, holdMs);
        ProgramFixture p;
        QVERIFY2(p.start(), qPrintable(p.services.lastText()));
        const Category &category = listFor(update);
        p.type(category, typedFor(update));
        const auto tablesBefore = p.tables();
        ChildProcess other({QStringLiteral("hold"), p.dir.catalogue(), QString::number(holdMs)});
        QVERIFY2(other.waitForLine(QStringLiteral("held")), qPrintable(other.lines().join(u'\n')));
        if (holdMs > 1000) {
            refused(p, update, "verrouillé par un autre programme (réessayez");
            // Started meanwhile, a program says the catalogue is locked: not
            // taken for something that is not a catalogue.
            RecordingServices second;
            QVERIFY(!startProgram(p.dir, second));
            QCOMPARE(second.messages.size(), 1);
            verifySaid(second.lastText(), {"ne peut pas être lu : le catalogue est verrouillé par un autre programme"});
            other.stop(); // its lock goes with it
            QVERIFY(p.tables() == tablesBefore);
            p.services.clear(); // once the other program is done, the same press goes through
        }
        p.press(category, update);
        QVERIFY(holdMs > 1000 || ((other.state() == QProcess::NotRunning || other.waitForFinished(20000)) // held to the end
                                  && other.exitStatus() == QProcess::NormalExit && other.exitCode() == 0));   // of its second
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
        QVERIFY(p.grid(category).size() == std::size_t(fixtureEntries + 1 + !update)
                && p.grid(category)[update ? 5 : fixtureEntries + 1] == typedFor(update).mid(0, 3));
        QCOMPARE(tableRows(p.dir.catalogue(), category.table)[update ? 4 : fixtureEntries].mid(0, 3), typedFor(update).mid(0, 3));
        p.window.reset();
        QVERIFY2(p.start(), qPrintable(p.services.lastText())); // nothing left behind by the refusals
    }

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
        p.type(zarpo(), typedFor(false));
        p.press(zarpo(), false);
        const auto added = p.tables();
        QVERIFY(added != original);

        const ToolRun whileOpen = runAdmin({"restore", copy, p.dir.catalogue()});
        QVERIFY(whileOpen.status != 0);
        verifySaid(whileOpen.err, {"Tabrix a ce catalogue ouvert"});
        QVERIFY(p.tables() == added);
        p.window.reset();

        interrupted(p.dir);
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

QTEST_MAIN(TestReadOnly)
#include "tst_readonly.moc"
