// Killed in the middle of adding or undoing: a child process presses
// "Ajouter" again and again, undoing every third add, and is killed with
// SIGKILL at moments drawn from a seeded generator (TABRIX_CRASH_SEED=<number>
// replays another set). After every kill the catalogue opens, passes
// SQLite's integrity check, holds every entry whose add had returned success
// and not one whose undo had, is numbered 1 … N without a gap, holds no
// half-written entry or author, and its history records exactly the adds
// it holds as not undone.

#include "childprocess.h"
#include "crashentries.h"

#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <array>

#include <unistd.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Checks the file after a kill; `counts` holds each list's size, the killed
// list's between `least` and `most`.
void verify(const QString &path, const Category &killed, int least, int most, std::array<int, 4> &counts)
{
    Catalogue::Opened opened = Catalogue::open(path);
    if (auto *failure = std::get_if<Catalogue::OpenFailure>(&opened))
        QFAIL(qPrintable(failure->message));
    Catalogue &catalogue = *std::get<std::unique_ptr<Catalogue>>(opened);
    for (const char *schema : {"main", "historique"}) {
        sql::Statement &check = catalogue.statement(QStringLiteral("PRAGMA %1.integrity_check").arg(schema));
        QCOMPARE(check.next() ? check.text(0) : QString(), QStringLiteral("ok"));
    }
    // Each Zarpo entry brought its own author, the other lists' first entry
    // theirs: no more, no fewer.
    QStringList authors, expected;
    for (const Category &category : categories()) {
        const std::vector<QStringList> rows = tableRows(path, category.table);
        int &known = counts[std::size_t(category.id)];
        const bool wasKilled = &category == &killed;
        QVERIFY2(int(rows.size()) >= (wasKilled ? least : known) && int(rows.size()) <= (wasKilled ? most : known),
                 qPrintable(QStringLiteral("%1: %2 entries, %3 known").arg(category.table).arg(rows.size()).arg(known)));
        known = int(rows.size());
        for (int n = 1; n <= known; ++n) {
            QCOMPARE(rows[std::size_t(n - 1)], crashEntry(category, n));
            if (category.id == 0 || (n == 1 && !expected.contains(rows[0][2])))
                expected << rows[std::size_t(n - 1)][2];
        }
        sql::Statement &recorded = catalogue.statement(QStringLiteral(
            "SELECT count(*) FROM historique.modifications WHERE list = ?1 AND kind = 'ajout' AND undone = 0"));
        recorded.bind(1, category.table);
        QVERIFY(recorded.next() || known == 0);
        QCOMPARE(known == 0 ? 0 : int(recorded.integer(0)), known);
    }
    for (const QStringList &row : tableRows(path, QStringLiteral("auteurs")))
        authors << row;
    authors.sort();
    expected.sort();
    QCOMPARE(authors, expected);
}

} // namespace

class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedWhileAdding()
    {
        const quint32 seed = qEnvironmentVariableIsSet("TABRIX_CRASH_SEED") ? quint32(qEnvironmentVariableIntValue("TABRIX_CRASH_SEED"))
                                                                            : 20261206u;
        QRandomGenerator random(seed);
        ProgramDir dir;
        std::array<int, 4> counts{};
        int saved = 0;
        for (int kill = 0; kill < 60; ++kill) {
            // A fresh catalogue, history and journals and all, before a list comes near its last number.
            if (kill == 0 || *std::max_element(counts.begin(), counts.end()) > lastCrashNumber - 60) {
                for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
                    QFile::remove(dir.file(name));
                createEmptyCatalogue(dir.catalogue());
                counts = {};
            }
            // Half the rounds on Zarpo, which also records authors; one in
            // eight killed while still opening.
            const int pick = int(random.bounded(6u));
            const Category &category = categories()[std::size_t(pick < 3 ? 0 : pick - 2)];
            const bool whileOpening = random.bounded(8u) == 0;
            const int delayUs = int(random.bounded(60000u));
            ChildProcess child({QStringLiteral("add"), dir.catalogue(), category.table});
            QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
            QVERIFY2(whileOpening || child.waitForLine(QStringLiteral("ready")), qPrintable(child.lines().join(u'\n')));
            ::usleep(useconds_t(delayUs));
            child.stop();
            // Before any report the child adds; after "saved N" it adds or
            // undoes; after "undone N" it adds N again.
            int least = counts[std::size_t(category.id)], most = least + 1;
            for (const QString &line : child.lines().mid(child.lines().value(0) == "ready")) {
                const bool add = line.startsWith(QLatin1String("saved "));
                QVERIFY2(add || line.startsWith(QLatin1String("undone ")), qPrintable(line));
                const int n = line.mid(line.indexOf(u' ') + 1).toInt();
                least = n - 1;
                most = add ? n + 1 : n;
                saved += add;
            }
            verify(dir.catalogue(), category, least, most, counts);
            if (QTest::currentTestFailed())
                return qWarning("kill %d of seed %u: %s after %d us", kill, seed, qPrintable(category.table), delayUs);
        }
        QVERIFY(saved > 0);
    }
};

QTEST_MAIN(TestCrash)
#include "tst_crash.moc"
