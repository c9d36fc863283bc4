// Killed in the middle of adding: a child process presses "Ajouter" again
// and again and is killed with SIGKILL at moments drawn from a seeded
// generator. After every kill the catalogue opens, passes SQLite's
// integrity check, holds every entry whose add had returned success, is
// numbered 1 … N without a gap, and holds no half-written entry or author.
//
// TABRIX_CRASH_SEED=<number> replays another set of moments.

#include "childprocess.h"
#include "crashentries.h"

#include "support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <array>

#include <unistd.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

constexpr int kills = 60;
// A fresh catalogue once a list comes near its last number.
constexpr int refillAbove = lastCrashNumber - 60;
// Kills land up to this long after the child is ready (microseconds).
constexpr int longestDelayUs = 60000;

struct Round {
    const Category *category;
    int reported = 0;       // highest number whose add said it succeeded, 0: none
    bool beforeReady = false;
};

// Whether the file has a rollback journal that SQLite would play back (one
// whose header was written; a zeroed one is ignored).
bool hotJournal(const QString &path)
{
    QFile journal(path + QStringLiteral("-journal"));
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    char first = 0;
    return journal.getChar(&first) && first != 0;
}

} // namespace

class CrashTest : public QObject {
    Q_OBJECT
private slots:
    void killedWhileAdding();

private:
    // Checks the catalogue after a kill and updates `counts`.
    void verify(const QString &path, const Round &round, std::array<int, 4> &counts);
};

void CrashTest::verify(const QString &path, const Round &round, std::array<int, 4> &counts)
{
    Catalogue::Opened opened = Catalogue::open(path);
    if (auto *failure = std::get_if<Catalogue::OpenFailure>(&opened))
        QFAIL(qPrintable(failure->message));
    Catalogue &catalogue = *std::get<std::unique_ptr<Catalogue>>(opened);

    {
        sql::Statement &check = catalogue.statement(QStringLiteral("PRAGMA integrity_check"));
        QVERIFY(check.next());
        QCOMPARE(check.text(0), QStringLiteral("ok"));
        QVERIFY(!check.next());
        QVERIFY(!check.failed());
    }
    // What the killed child had left half done was played back: no journal
    // that still needs it is left.
    QVERIFY(!hotJournal(path));

    for (const Category &category : categories()) {
        const Result<int> count = catalogue.count(category);
        QVERIFY(count);
        int &known = counts[std::size_t(category.id)];
        if (&category != round.category) {
            QCOMPARE(*count, known);
            continue;
        }
        // Every add that said so is there; at most the one that was being
        // reported when the kill came is there too.
        const int reported = std::max(known, round.reported);
        QVERIFY2(*count == reported || *count == reported + 1,
                 qPrintable(QStringLiteral("%1: %2 entries, %3 reported").arg(category.table).arg(*count).arg(reported)));
        known = *count;

        sql::Statement &all = catalogue.statement(
            QStringLiteral("SELECT ref, %1, auteur, url, lien FROM %2 ORDER BY rowid").arg(category.nameField, category.table));
        int number = 0;
        while (all.next()) {
            ++number;
            const Entry expected = crashEntry(category, number);
            QCOMPARE(all.text(0), expected.ref);
            QCOMPARE(all.text(1), expected.name);
            QCOMPARE(all.text(2), expected.author);
            QCOMPARE(all.optionalText(3), expected.url);
            QCOMPARE(all.optionalText(4), expected.link);
        }
        QVERIFY(!all.failed());
        QCOMPARE(number, known);
    }

    // Each entry of the list that records its authors brought its own
    // author: no more, no fewer.
    const Result<std::vector<QString>> authors = catalogue.authors();
    QVERIFY(authors);
    const int recorded = counts[std::size_t(zarpo().id)];
    QCOMPARE(int(authors->size()), recorded);
    for (int n = 1; n <= recorded; ++n)
        QCOMPARE(authors->at(std::size_t(n - 1)), crashEntry(zarpo(), n).author);
}

void CrashTest::killedWhileAdding()
{
    const quint32 seed = qEnvironmentVariableIsSet("TABRIX_CRASH_SEED")
                             ? quint32(qEnvironmentVariableIntValue("TABRIX_CRASH_SEED"))
                             : 20261206u;
    qInfo("seed %u (TABRIX_CRASH_SEED replays it)", seed);
    QRandomGenerator random(seed);

    ProgramDir dir;
    const QString path = dir.catalogue();
    std::array<int, 4> counts{};
    int fresh = 0, halfDone = 0, saved = 0;

    for (int kill = 0; kill < kills; ++kill) {
        if (kill == 0 || *std::max_element(counts.begin(), counts.end()) > refillAbove) {
            QFile::remove(path);
            createEmptyCatalogue(path);
            counts = {};
            ++fresh;
        }
        Round round;
        // Half the rounds on the list that also records authors.
        const int pick = int(random.bounded(6u));
        round.category = &categories()[std::size_t(pick < 3 ? 0 : pick - 2)];
        round.beforeReady = random.bounded(8u) == 0;
        const int delayUs = int(random.bounded(quint32(longestDelayUs)));

        ChildProcess child({QStringLiteral("add"), path, round.category->table});
        QVERIFY2(child.started(), qPrintable(child.process().errorString()));
        if (!round.beforeReady)
            QVERIFY2(child.waitForLine(QStringLiteral("ready")), qPrintable(child.errors()));
        ::usleep(useconds_t(delayUs));
        child.kill();

        for (const QString &line : child.lines()) {
            if (line.startsWith(QLatin1String("saved "))) {
                round.reported = line.mid(6).toInt();
                ++saved;
            } else if (line != QLatin1String("ready") && line != QLatin1String("full")) {
                QFAIL(qPrintable(QStringLiteral("kill %1 (seed %2): %3").arg(kill).arg(seed).arg(line)));
            }
        }
        if (hotJournal(path))
            ++halfDone;

        verify(path, round, counts);
        if (QTest::currentTestFailed()) {
            qWarning("kill %d of seed %u: %s after %d us", kill, seed, qPrintable(round.category->table), delayUs);
            return;
        }
    }
    qInfo("%d kills, %d adds reported, %d kills left a transaction to undo, %d fresh catalogues", kills, saved,
          halfDone, fresh);
    QVERIFY(saved > 0);
}

QTEST_MAIN(CrashTest)
#include "tst_crash.moc"
