// A catalogue whose file, folder (the program's directory) or both are
// write-protected: the program opens it and browses; "Ajouter" and "MAJ"
// refuse with a message and change nothing, not even by leaving a journal
// behind. A change an interrupted program left to undo is reported at
// start-up, and undone once the catalogue may be written again.
//
// Write permissions do not bind root: as root, the protection is the
// "immutable" attribute, which does.

#include "childprocess.h"
#include "support/programfixture.h"
#include "tools/admincommand.h"

#include <QLabel>
#include <QRadioButton>
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

} // namespace

class TestReadOnly : public QObject {
    Q_OBJECT
private slots:
    void browsedNotChanged_data() { places(); }

    void browsedNotChanged()
    {
        QFETCH(int, what);
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
            const Category &category = update ? titres() : zarpo();
            const QStringList typed{update ? "004" : "013", "Nouveau", "Ysolde", "", ""};
            p.services.clear();
            p.type(category, typed);
            const auto gridBefore = p.grid(category);
            p.press(category, update);
            verifySaid(p.onlyMessage(), {update ? "L'entrée n° 004 n'a pas été modifiée" : "L'entrée n° 013 n'a pas été enregistrée",
                                         "en lecture seule"});
            QCOMPARE(p.fields(category), typed);
            QVERIFY(p.grid(category) == gridBefore);
        }
        p.window.reset();
        QVERIFY(folderContent(p.dir.path()) == before);
        QCOMPARE(QDir(p.dir.path()).entryList(QDir::AllEntries | QDir::Hidden), names);
    }

    void interruptedChange_data() { places(); }

    void interruptedChange()
    {
        QFETCH(int, what);
        ProgramFixture p;
        const auto tablesBefore = p.tables();
        const QByteArray before = fileBytes(p.dir.catalogue());
        {
            ChildProcess other({QStringLiteral("interrupt"), p.dir.catalogue()});
            QVERIFY2(other.waitForLine(QStringLiteral("dirty")), qPrintable(other.lines().join(u'\n')));
        } // killed with its change half written into the file
        QVERIFY(QFile::exists(p.dir.catalogue() + QStringLiteral("-journal")));
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
        QVERIFY(p.tables() == tablesBefore);
        QVERIFY(fileBytes(p.dir.catalogue()) == before);
    }

private:
    void places()
    {
        QTest::addColumn<int>("what");
        QTest::newRow("file") << 1;
        QTest::newRow("folder") << 2;
        QTest::newRow("file and folder") << 3;
    }
};

QTEST_MAIN(TestReadOnly)
#include "tst_readonly.moc"
