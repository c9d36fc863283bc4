// Arbitrary input into the reader of outside data most exposed: the
// finder's result file of the latest-number check. It takes 100,000 seeded
// inputs (TABRIX_FUZZ_SEED=<number> replays another set): random bytes, or
// good files mutated with the pieces the reader looks for. None may crash or
// read outside its input (each lies in a buffer of exactly its size, so that
// AddressSanitizer catches a read one past the end); each keeps the reader's
// promises, and every outcome comes up, or the inputs miss a path.

#include "check/resultfile.h"
#include "store/category.h"

#include <QTest>

#include <algorithm>
#include <random>
#include <set>

using namespace tabrix;

namespace {

struct Random : std::mt19937_64 {
    using std::mt19937_64::mt19937_64;
    int below(int n) { return int((*this)() % quint64(n)); }
    QByteArray bytes(int size)
    {
        QByteArray t(size, Qt::Uninitialized);
        std::generate(t.begin(), t.end(), [this] { return char(below(256)); });
        return t;
    }
    // A few changes: a byte replaced, a piece put in, a stretch removed or
    // repeated, a cut.
    QByteArray mutate(QByteArray t, const std::vector<QByteArray> &pieces)
    {
        for (int i = 1 + below(8); i > 0; --i) {
            const int at = below(int(t.size()) + 1);
            switch (below(6)) {
            case 0: t.replace(at, 1, bytes(1)); break;
            case 1:
            case 2: t.insert(at, pieces[std::size_t(below(int(pieces.size())))]); break;
            case 3: t.remove(at, below(8)); break;
            case 4: t.insert(at, t.mid(below(int(t.size()) + 1), below(40))); break;
            case 5: t.truncate(at); break;
            }
        }
        return t;
    }
};

const std::vector<QByteArray> filePieces = {
    "[dernier_numero]", "[DERNIER_NUMERO]", "\r\n", "\n", "\r", "=", " ", "\t", "0", "7", "32767", "32768",
    "99999999999999999999", "-1", "+5", "0000000000000000000001", "%1", "\xEF\xBB\xBF", "\xC3\xA9", "\xC3",
    "\xE2\x82", "\xF0\x9F\x98\x80", "\xFF\xFE", QByteArray("\0", 1), "dernier_zarpo     =", "\xA0", "\x85",
};

// Files as the finder writes them, with other line ends, padding and values.
const std::vector<QByteArray> goodFiles = {
    "[recherche]\r\nforum=https://www.norvane.fr\r\n[dernier_numero]\r\ndernier_zarpo     =104\r\n"
    "dernier_trunda      =101\r\ndernier_melvi     =99\r\ndernier_vasquo        =88\r\n",
    "x=1\n[dernier_numero]\nkkkkkkkkkkkkkkkkkk=0\nkkkkkkkkkkkkkkkkkkkk= 32767\n                  =7 \n                      =12",
    "[dernier_numero]\rdernier_zarpo     =1\rdernier_trunda      =22\rdernier_melvi     =333\r",
};

void checkFindings(const check::Findings &findings)
{
    int read = 0;
    const bool noSection = !findings.rows[0].ok() && findings.rows[0].fault == check::Fault::NoSection;
    for (const Category *category : check::rowCategories()) {
        const check::RowReading &row = findings.row(*category);
        if (row.ok()) {
            ++read;
            QVERIFY(*row.value >= 0 && *row.value <= check::largestNumber && row.line >= 2);
            QCOMPARE(row.text.mid(category->checkValueColumn - 1).trimmed().toInt(), *row.value);
        } else {
            // Without the header no row is read; with it, each names a line after it.
            QCOMPARE(row.fault == check::Fault::NoSection, noSection);
            QVERIFY(noSection ? row.line == 0 : row.line >= 2);
        }
    }
    QCOMPARE(findings.complete(), read == 4);
    QVERIFY(findings.problems.size() <= 4 - read);
    for (const QString &problem : findings.problems)
        QVERIFY(!problem.isEmpty() && findings.problems.count(problem) == 1);
}

} // namespace

class TestFuzz : public QObject {
    Q_OBJECT
private slots:
    // A failure names the case and its input.
    void resultFile()
    {
        const quint64 seed = qEnvironmentVariableIsSet("TABRIX_FUZZ_SEED") ? quint64(qEnvironmentVariableIntValue("TABRIX_FUZZ_SEED"))
                                                                           : 20261206u;
        Random r(seed);
        std::set<int> outcomes; // -1: read, or the fault
        for (int n = 0; n < 100000 && !QTest::currentTestFailed(); ++n) {
            const QByteArray input = n % 4 ? r.mutate(goodFiles[std::size_t(r.below(3))], filePieces)
                                           : r.bytes(r.below(20) ? r.below(121) : r.below(4001));
            const std::vector<char> exact(input.begin(), input.end());
            const check::Findings findings = check::readFindings(QByteArray::fromRawData(exact.data(), input.size()));
            checkFindings(findings);
            for (const check::RowReading &row : findings.rows)
                outcomes.insert(row.ok() ? -1 : int(row.fault));
            if (QTest::currentTestFailed())
                qWarning("case %d of seed %llu: %s", n, seed, input.toHex().constData());
        }
        QCOMPARE(outcomes.size(), std::size_t(6));
    }

    // A value that looks like a placeholder is quoted as it stands in the file.
    void resultFileQuotesTextAsRead()
    {
        const check::Findings findings = check::readFindings("[dernier_numero]\r\ndernier_zarpo     =%1x\r\n"
                                                             "dernier_trunda      =%2\r\ndernier_melvi     =3\r\n"
                                                             "dernier_vasquo        =4\r\n");
        QCOMPARE(findings.problems.size(), 2);
        QVERIFY2(findings.problems[0].contains("« %1x »") && findings.problems[0].contains("colonne 20,"), qPrintable(findings.problems[0]));
        QVERIFY2(findings.problems[1].contains("« %2 »") && findings.problems[1].contains("colonne 22,"), qPrintable(findings.problems[1]));
    }
};

QTEST_MAIN(TestFuzz)
#include "tst_fuzz.moc"
