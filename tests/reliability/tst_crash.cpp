// Killed in the middle of adding: a child process presses "Ajouter" again
// and again and is killed with SIGKILL at moments drawn from a seeded
// generator (TABRIX_CRASH_SEED=<number> replays another set). After every
// kill the catalogue opens, passes SQLite's integrity check, holds every
// entry whose add had returned success, is numbered 1 … N without a gap,
// and holds no half-written entry or author.

#include "childprocess.h"
#include "crashentries.h"

#include "support/testsupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <array>

#include <unistd.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Checks the file after a kill; `counts` holds each list's size.
void verify(const QString &path, const Category &killed, int reported, std::array<int, 4> &counts)
{
    Catalogue::Opened opened = Catalogue::open(path);
    if (auto *failure = std::get_if<Catalogue::OpenFailure>(&opened))
        QFAIL(qPrintable(failure->message));
    sql::Statement &check = std::get<std::unique_ptr<Catalogue>>(opened)->statement("PRAGMA integrity_check");
    QVERIFY(check.next());
    QCOMPARE(check.text(0), QStringLiteral("ok"));

    for (const Category &category : categories()) {
        const std::vector<QStringList> rows = tableRows(path, category.table);
        int &known = counts[std::size_t(category.id)];
        // Every reported add is there, and at most the one under way.
        const int least = &category == &killed ? std::max(known, reported) : known;
        const int most = &category == &killed ? least + 1 : least;
        QVERIFY2(int(rows.size()) >= least && int(rows.size()) <= most,
                 qPrintable(QStringLiteral("%1: %2 entries, %3 reported").arg(category.table).arg(rows.size())
                                .arg(least)));
        known = int(rows.size());
        for (int n = 1; n <= known; ++n)
            QCOMPARE(rows[std::size_t(n - 1)], crashEntry(category, n));
    }
    // Each Zarpo entry brought its own author, the other lists' first entry
    // theirs: no more, no fewer.
    QStringList expected;
    for (int n = 1; n <= counts[std::size_t(zarpo().id)]; ++n)
        expected << crashEntry(zarpo(), n)[2];
    if (std::any_of(counts.begin() + 1, counts.end(), [](int count) { return count > 0; }))
        expected << crashEntry(melvi(), 1)[2];
    QStringList authors;
    for (const QStringList &row : tableRows(path, QStringLiteral("auteurs")))
        authors << row;
    authors.sort();
    expected.sort();
    QCOMPARE(authors, expected);
}

} // namespace

class CrashTest : public QObject {
    Q_OBJECT
private slots:
    void killedWhileAdding()
    {
        const quint32 seed = qEnvironmentVariableIsSet("TABRIX_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("TABRIX_CRASH_SEED"))
                                 : 20261206u;
        QRandomGenerator random(seed);
        ProgramDir dir;
        const QString path = dir.catalogue();
        std::array<int, 4> counts{};
        int saved = 0;

        for (int kill = 0; kill < 60; ++kill) {
            // A fresh catalogue before a list comes near its last number.
            if (kill == 0 || *std::max_element(counts.begin(), counts.end()) > lastCrashNumber - 60) {
                QFile::remove(path);
                createEmptyCatalogue(path);
                counts = {};
            }
            // Half the rounds on Zarpo, which also records authors; one in
            // eight killed while still opening.
            const int pick = int(random.bounded(6u));
            const Category &category = categories()[std::size_t(pick < 3 ? 0 : pick - 2)];
            const bool whileOpening = random.bounded(8u) == 0;
            const int delayUs = int(random.bounded(60000u));

            ChildProcess child({QStringLiteral("add"), path, category.table});
            QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
            if (!whileOpening)
                QVERIFY2(child.waitForLine(QStringLiteral("ready")), qPrintable(child.lines().join(u'\n')));
            ::usleep(useconds_t(delayUs));
            child.stop();

            int reported = 0;
            for (const QString &line : child.lines()) {
                QVERIFY2(line == QLatin1String("ready") || line.startsWith(QLatin1String("saved ")), qPrintable(line));
                if (line != QLatin1String("ready")) {
                    reported = line.mid(6).toInt();
                    ++saved;
                }
            }
            verify(path, category, reported, counts);
            if (QTest::currentTestFailed()) {
                qWarning("kill %d of seed %u: %s after %d us", kill, seed, qPrintable(category.table), delayUs);
                return;
            }
        }
        QVERIFY(saved > 0);
    }
};

QTEST_MAIN(CrashTest)
#include "tst_crash.moc"
