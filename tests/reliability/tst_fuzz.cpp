// Arbitrary input into the readers of outside data: the finder's result file
// of the latest-number check, and the picture window's checks of an image
// link and of a downloaded file's first bytes. Each takes 100,000 seeded
// inputs (TABRIX_FUZZ_SEED=<number> replays another set): random, or good
// ones mutated with the pieces the reader looks for. None may crash or read
// outside its input (each lies in a buffer of exactly its size, so that
// AddressSanitizer catches a read one past the end); each keeps its
// promises, and every outcome comes up, or the inputs miss a path.

#include "check/resultfile.h"
#include "pictures/linkcheck.h"
#include "store/category.h"

#include <QTest>

#include <algorithm>
#include <random>
#include <set>

using namespace tabrix;

namespace {

constexpr int cases = 100000;

quint64 seed()
{
    return qEnvironmentVariableIsSet("TABRIX_FUZZ_SEED") ? quint64(qEnvironmentVariableIntValue("TABRIX_FUZZ_SEED"))
                                                         : 20261206u;
}

struct Random : std::mt19937_64 {
    using std::mt19937_64::mt19937_64;
    int below(int n) { return int((*this)() % quint64(n)); }
    // Mostly up to `usual`, one time in 20 up to `rare`.
    int length(int usual, int rare) { return below(20) ? below(usual + 1) : below(rare + 1); }
    template <typename T>
    const T &pick(const std::vector<T> &from) { return from[std::size_t(below(int(from.size())))]; }

    // `size` units below `end`.
    template <typename Text>
    Text units(int size, int end)
    {
        Text t(size, Qt::Uninitialized);
        for (auto &c : t)
            c = typename Text::value_type(below(end));
        return t;
    }

    // A few changes: a unit replaced, a piece put in, a stretch removed or
    // repeated, a cut.
    template <typename Text>
    Text mutate(Text t, const std::vector<Text> &pieces, int unitEnd)
    {
        for (int i = 1 + below(8); i > 0; --i) {
            const int at = below(int(t.size()) + 1);
            switch (below(6)) {
            case 0: t.replace(at, 1, units<Text>(1, unitEnd)); break;
            case 1:
            case 2: t.insert(at, pick(pieces)); break;
            case 3: t.remove(at, below(8)); break;
            case 4: t.insert(at, t.mid(below(int(t.size()) + 1), below(40))); break;
            case 5: t.truncate(at); break;
            }
        }
        return t;
    }
};

// `text` copied into a buffer of exactly its size.
template <typename Text>
struct Exact {
    explicit Exact(const Text &text) : units(text.begin(), text.end()) {}
    Text view() const { return Text::fromRawData(units.data(), qsizetype(units.size())); }
    std::vector<typename Text::value_type> units;
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

void checkVerdict(const QString &link)
{
    using pictures::LinkVerdict;
    const LinkVerdict verdict = pictures::checkLink(link);
    QCOMPARE(verdict == LinkVerdict::Missing, link.isEmpty());
    QCOMPARE(pictures::verdictMessage(verdict).isEmpty(), verdict == LinkVerdict::Accepted);
    if (verdict == LinkVerdict::Accepted || verdict == LinkVerdict::Gif || verdict == LinkVerdict::BadExtension)
        QVERIFY(link.startsWith(QLatin1String("http"), Qt::CaseInsensitive) && isWebLink(link));
    const QString end = link.right(3).toUpper();
    if (verdict == LinkVerdict::Accepted && !link.startsWith(forumPrefix()))
        QVERIFY(QStringList({"JPG", "JPE", "PEG", "IFF", "PNG", "BMP", "TIF"}).contains(end));
    if (verdict == LinkVerdict::Gif)
        QCOMPARE(end, QStringLiteral("GIF"));
}

QByteArray hex(const QByteArray &input) { return input.toHex(); }
QByteArray hex(const QString &input) { return input.toUtf8().toHex(); }

// Checks `cases` inputs made in turn by `make`; a failure names the case
// and its input.
template <typename Make, typename Check>
void fuzz(quint64 offset, Make make, Check check)
{
    Random r(seed() + offset);
    for (int n = 0; n < cases; ++n) {
        const auto input = make(r, n);
        check(Exact<std::decay_t<decltype(input)>>(input).view());
        if (QTest::currentTestFailed())
            return qWarning("case %d of seed %llu: %s", n, seed() + offset, hex(input).constData());
    }
}

} // namespace

class TestFuzz : public QObject {
    Q_OBJECT
private slots:
    void resultFile()
    {
        std::set<int> outcomes; // -1: read, or the fault
        fuzz(0, [](Random &r, int n) {
            return n % 4 ? r.mutate(r.pick(goodFiles), filePieces, 256) : r.units<QByteArray>(r.length(120, 4000), 256);
        }, [&](const QByteArray &input) {
            const check::Findings findings = check::readFindings(input);
            checkFindings(findings);
            for (const check::RowReading &row : findings.rows)
                outcomes.insert(row.ok() ? -1 : int(row.fault));
        });
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

    void imageLinks()
    {
        const std::vector<QString> good = {"https://images.norvane.fr/dossier/photo.jpg", "http://x.fr/a.PNG",
                                           "HTTPS://A.B/c.gif", "https://www.norvane.fr/forum/t123",
                                           "http://[::1]:8080/a.tiff?x=1#f", "  http://127.0.0.1/é è.bmp  "};
        const std::vector<QString> pieces = {"http", "://", ".gif", ".jpg", "PEG", "%2", "[", "]", "@", ":", "#", "?",
                                             forumPrefix(), QString(QChar(0xD800)), QString(QChar(0xDC00)), " ", "\n"};
        std::set<pictures::LinkVerdict> verdicts;
        // Any UTF-16 (lone surrogates included), mutated good links, a good start and ASCII after.
        fuzz(1, [&](Random &r, int n) {
            return n % 3 == 0   ? r.units<QString>(r.length(40, 3000), 0x10000)
                   : n % 3 == 1 ? r.mutate(r.pick(good), pieces, 0x10000)
                                : r.pick(good).left(r.below(12)) + r.units<QString>(r.length(12, 99), 128);
        }, [&](const QString &link) {
            checkVerdict(link);
            verdicts.insert(pictures::checkLink(link));
        });
        QCOMPARE(verdicts.size(), std::size_t(5));
    }

    void pictureHeads()
    {
        const std::vector<QByteArray> magics = {"\xFF\xD8\xFF", "\x89PNG\r\n\x1A\n", "BM", QByteArray("II\x2A\0", 4),
                                                QByteArray("MM\0\x2A", 4), "GIF8"};
        int found = 0;
        // Random bytes, half of them after the start of a real signature.
        fuzz(2, [&](Random &r, int n) {
            const QByteArray start = n % 2 ? r.pick(magics) : QByteArray();
            return (start.left(r.below(int(start.size()) + 1)) + r.units<QByteArray>(12, 256)).left(r.below(pictures::pictureHeadSize + 4));
        }, [&](const QByteArray &head) {
            const bool picture = pictures::looksLikePicture(head);
            QVERIFY2(picture == std::any_of(magics.begin(), magics.end(), [&](const QByteArray &m) { return head.startsWith(m); }),
                     "taken for a picture or not, wrongly");
            found += picture;
        });
        QVERIFY(found > 0 && found < cases);
    }
};

QTEST_MAIN(TestFuzz)
#include "tst_fuzz.moc"
