// Arbitrary bytes into the readers of outside data: the finder's result file
// of the latest-number check, and the checks of the picture window on an
// image link and on the first bytes of a downloaded file. Each is fed
// 100,000 inputs from a seeded generator (random bytes, mutated good inputs,
// inputs built from the pieces the reader looks for) and must neither crash
// nor read outside its input, and must keep its own promises on each.
//
// Every input lives in a buffer of exactly its size, without a final NUL,
// so that under AddressSanitizer a read one byte too far is caught.
//
// TABRIX_FUZZ_SEED=<number> replays another set of inputs.

#include "check/resultfile.h"
#include "image/linkcheck.h"
#include "store/category.h"
#include "ui/services.h"

#include <QTest>

#include <map>
#include <memory>
#include <random>

using namespace tabrix;

namespace {

constexpr int casesPerReader = 100000;

quint64 seed()
{
    return qEnvironmentVariableIsSet("TABRIX_FUZZ_SEED") ? quint64(qEnvironmentVariableIntValue("TABRIX_FUZZ_SEED"))
                                                         : 20261206u;
}

// A copy of some bytes in a buffer of exactly their size.
class ExactBytes {
public:
    explicit ExactBytes(const QByteArray &bytes)
        : m_size(bytes.size()), m_data(std::make_unique<char[]>(std::size_t(bytes.size())))
    {
        std::copy(bytes.begin(), bytes.end(), m_data.get());
    }
    QByteArray view() const { return QByteArray::fromRawData(m_data.get(), m_size); }

private:
    qsizetype m_size;
    std::unique_ptr<char[]> m_data;
};

class ExactText {
public:
    explicit ExactText(const QString &text)
        : m_size(text.size()), m_data(std::make_unique<QChar[]>(std::size_t(text.size())))
    {
        std::copy(text.begin(), text.end(), m_data.get());
    }
    QString view() const { return QString::fromRawData(m_data.get(), m_size); }

private:
    qsizetype m_size;
    std::unique_ptr<QChar[]> m_data;
};

class Generator {
public:
    explicit Generator(quint64 seed) : m_random(seed) {}

    int below(int n) { return int(m_random() % quint64(n)); }
    bool chance(int oneIn) { return below(oneIn) == 0; }
    template <typename T>
    const T &pick(const std::vector<T> &from) { return from[std::size_t(below(int(from.size())))]; }

    // Mostly short, sometimes long.
    int length(int usual, int rare) { return chance(20) ? below(rare + 1) : below(usual + 1); }

    QByteArray bytes(int size)
    {
        QByteArray b(size, Qt::Uninitialized);
        for (char &c : b)
            c = char(below(256));
        return b;
    }

    // Changes a few bytes of `good`: flips, insertions, deletions, copies,
    // pieces put in, a cut.
    QByteArray mutate(QByteArray b, const std::vector<QByteArray> &pieces)
    {
        const int changes = 1 + below(8);
        for (int i = 0; i < changes; ++i) {
            const int at = b.isEmpty() ? 0 : below(int(b.size()) + 1);
            switch (below(6)) {
            case 0:
                if (at < b.size())
                    b[at] = char(b.at(at) ^ (1 << below(8)));
                break;
            case 1: b.insert(at, char(below(256))); break;
            case 2: b.remove(at, below(8)); break;
            case 3: b.insert(at, b.mid(below(int(b.size()) + 1), below(40))); break;
            case 4: b.insert(at, pick(pieces)); break;
            case 5: b.truncate(at); break;
            }
        }
        return b;
    }

private:
    std::mt19937_64 m_random;
};

// ---- the result file ------------------------------------------------------

const std::vector<QByteArray> &filePieces()
{
    static const std::vector<QByteArray> pieces = {
        "[dernier_numero]", "[dernier_numero] ", "[DERNIER_NUMERO]", "\r\n", "\n", "\r", "\r\r\n", "=", " ", "\t",
        "0", "7", "32767", "32768", "99999999999999999999", "-1", "+5", "0000000000000000000001", "%1", "%2 %4",
        "\xEF\xBB\xBF", "\xC3\xA9", "\xC3", "\xE2\x82", "\xF0\x9F\x98\x80", "\xFF\xFE", QByteArray("\0", 1),
        "dernier_zarpo     =", "dernier_trunda      =", "dernier_vasquo        =", "\xA0", "\x85",
    };
    return pieces;
}

QByteArray usualFile()
{
    return "[recherche]\r\nforum=https://www.norvane.fr\r\n[dernier_numero]\r\n"
           "dernier_zarpo     =104\r\ndernier_trunda      =101\r\ndernier_melvi     =99\r\n"
           "dernier_vasquo        =88\r\n";
}

// A file made of the pieces the reader looks for: lines of padding, an "="
// and a value, around a header; after the header, mostly lines whose value
// starts at or near the row's column.
QByteArray builtFile(Generator &g)
{
    const std::vector<QByteArray> ends = {"\r\n", "\r\n", "\n", "\n", "\r", ""};
    auto value = [&] {
        QByteArray v;
        for (int i = g.length(6, 30); i > 0; --i)
            v += char('0' + g.below(10));
        if (g.chance(4))
            v.insert(g.below(int(v.size()) + 1), g.pick(filePieces()));
        return v;
    };
    auto line = [&](int column) {
        // The value starts at `column` (1-based), give or take one; 0: anywhere.
        const int padding = column > 0 ? column - 2 + (g.chance(4) ? g.below(3) - 1 : 0) : g.below(30);
        QByteArray l(padding, g.chance(2) ? ' ' : 'k');
        l += g.pick(std::vector<QByteArray>{"=", "=", " ", ""});
        return l + value() + g.pick(ends);
    };
    QByteArray file;
    for (int i = g.below(4); i > 0; --i)
        file += line(0);
    if (!g.chance(10))
        file += g.pick(std::vector<QByteArray>{"[dernier_numero]", "[dernier_numero]", "[dernier_numero]",
                                               " [dernier_numero]", "[dernier_numero] "})
                + g.pick(std::vector<QByteArray>{"\r\n", "\n", "\r", ""});
    const int rows = g.below(7);
    for (int i = 0; i < rows; ++i)
        file += line(i < 4 && !g.chance(4) ? check::rowCategories()[std::size_t(i)]->checkValueColumn : 0);
    return file;
}

// How often each outcome came up: every one must, or the inputs miss a
// part of the reader.
struct Tally {
    std::map<QString, int> seen;
    void count(const QString &outcome) { ++seen[outcome]; }
    QString text() const
    {
        QStringList parts;
        for (const auto &[outcome, n] : seen)
            parts << QStringLiteral("%1 %2").arg(outcome).arg(n);
        return parts.join(QStringLiteral(", "));
    }
};

QString faultName(const check::RowReading &row)
{
    if (row.ok())
        return QStringLiteral("read");
    switch (row.fault) {
    case check::Fault::NoSection: return QStringLiteral("no section");
    case check::Fault::MissingLine: return QStringLiteral("missing line");
    case check::Fault::NotNumber: return QStringLiteral("not a number");
    case check::Fault::CutNumber: return QStringLiteral("cut number");
    case check::Fault::TooLarge: return QStringLiteral("too large");
    }
    return {};
}

void checkFindings(const check::Findings &findings)
{
    int read = 0;
    const bool noSection = findings.rows[0].fault == check::Fault::NoSection && !findings.rows[0].ok();
    for (const Category *category : check::rowCategories()) {
        const check::RowReading &row = findings.row(*category);
        if (row.ok()) {
            ++read;
            QVERIFY(*row.value >= 0 && *row.value <= check::largestNumber);
            QVERIFY(row.line >= 2);
            // The number is the one written from the row's column.
            QCOMPARE(row.text.mid(category->checkValueColumn - 1).trimmed().toInt(), *row.value);
        } else {
            // Without the header no row is read; with it, every row names
            // a line after it.
            QCOMPARE(row.fault == check::Fault::NoSection, noSection);
            QVERIFY(noSection ? row.line == 0 : row.line >= 2);
        }
    }
    QCOMPARE(findings.complete(), read == 4);
    QVERIFY(findings.problems.size() <= 4 - read);
    QCOMPARE(findings.problems.isEmpty(), read == 4);
    for (const QString &problem : findings.problems) {
        QVERIFY(!problem.isEmpty());
        QCOMPARE(findings.problems.count(problem), 1);
    }
}

// ---- the picture window -----------------------------------------------------

const std::vector<QString> &goodLinks()
{
    static const std::vector<QString> links = {
        QStringLiteral("https://images.norvane.fr/dossier/photo.jpg"),
        QStringLiteral("http://x.fr/a.PNG"),
        QStringLiteral("HTTPS://A.B/c.gif"),
        QStringLiteral("https://www.norvane.fr/forum/t123"),
        QStringLiteral("https://exemple.fr/img.jpeg?x=1#f"),
        QStringLiteral("http://[::1]:8080/a.tiff"),
        QStringLiteral("  http://127.0.0.1/é è.bmp  "),
    };
    return links;
}

QString randomUnits(Generator &g, int size)
{
    QString text(size, Qt::Uninitialized);
    for (QChar &c : text) {
        // Mostly ASCII, then anything, broken surrogates included.
        switch (g.below(4)) {
        case 0: c = QChar(char16_t(g.below(0x10000))); break;
        case 1: c = QChar(char16_t(0xD800 + g.below(0x800))); break;
        default: c = QChar(char16_t(0x20 + g.below(0x5F))); break;
        }
    }
    return text;
}

QString mutatedLink(Generator &g)
{
    QString link = g.pick(goodLinks());
    const std::vector<QString> pieces = {"http", "://", ".gif", ".jpg", "PEG", "%", "%2", "[", "]", "@", ":", "#", "?",
                                         forumPrefix(), QString(QChar(0xD800)), QString(QChar(0xDC00)), " ", "\t", "\n"};
    for (int i = 1 + g.below(5); i > 0; --i) {
        const int at = g.below(int(link.size()) + 1);
        switch (g.below(5)) {
        case 0:
            if (at < link.size())
                link[at] = QChar(char16_t(g.below(0x10000)));
            break;
        case 1: link.insert(at, g.pick(pieces)); break;
        case 2: link.remove(at, g.below(6)); break;
        case 3: link.truncate(at); break;
        case 4: link = link.left(at) + link.right(g.below(4)); break;
        }
    }
    return link;
}

bool endsLike(const QString &link, std::initializer_list<const char *> extensions)
{
    const QString end = link.right(3).toUpper();
    return std::any_of(extensions.begin(), extensions.end(), [&](const char *e) { return end == QLatin1String(e); });
}

void checkVerdict(const QString &link)
{
    using image::LinkVerdict;
    const LinkVerdict verdict = image::checkLink(link);
    QCOMPARE(verdict == LinkVerdict::Missing, link.isEmpty());
    QCOMPARE(image::verdictMessage(verdict).isEmpty(), verdict == LinkVerdict::Accepted);
    image::verdictIcon(verdict);
    if (verdict == LinkVerdict::Accepted || verdict == LinkVerdict::Gif || verdict == LinkVerdict::BadExtension) {
        QVERIFY(link.startsWith(QLatin1String("http"), Qt::CaseInsensitive));
        QVERIFY(isWebLink(link));
    }
    if (verdict == LinkVerdict::Accepted && !link.startsWith(forumPrefix()))
        QVERIFY(endsLike(link, {"JPG", "JPE", "PEG", "IFF", "PNG", "BMP", "TIF"}));
    if (verdict == LinkVerdict::Gif)
        QVERIFY(endsLike(link, {"GIF"}));
}

bool startsWithBytes(const QByteArray &head, std::initializer_list<int> bytes)
{
    QByteArray magic;
    for (int b : bytes)
        magic += char(b);
    return head.startsWith(magic);
}

} // namespace

class FuzzTest : public QObject {
    Q_OBJECT
private slots:
    void resultFile();
    void resultFileQuotesTextAsRead();
    void imageLinks();
    void pictureHeads();
};

void FuzzTest::resultFile()
{
    Generator g(seed());
    const QByteArray usual = usualFile();
    Tally tally;
    for (int n = 0; n < casesPerReader; ++n) {
        QByteArray input;
        switch (n % 4) {
        case 0: input = g.bytes(g.length(120, 4000)); break;
        case 1: input = g.mutate(usual, filePieces()); break;
        case 2: input = builtFile(g); break;
        case 3: input = g.mutate(builtFile(g), filePieces()); break;
        }
        const ExactBytes bytes(input);
        const check::Findings findings = check::readFindings(bytes.view());
        checkFindings(findings);
        if (QTest::currentTestFailed()) {
            qWarning("case %d of seed %llu: %s", n, seed(), input.toHex().constData());
            return;
        }
        for (const check::RowReading &row : findings.rows)
            tally.count(faultName(row));
    }
    qInfo("rows: %s", qPrintable(tally.text()));
    QCOMPARE(tally.seen.size(), std::size_t(6));
}

// A value that looks like a text placeholder is quoted as it stands in
// the file.
void FuzzTest::resultFileQuotesTextAsRead()
{
    const QByteArray file = "[dernier_numero]\r\ndernier_zarpo     =%1x\r\ndernier_trunda      =%2\r\n"
                            "dernier_melvi     =3\r\ndernier_vasquo        =4\r\n";
    const check::Findings findings = check::readFindings(file);
    QCOMPARE(findings.problems.size(), 2);
    QVERIFY2(findings.problems[0].contains(QStringLiteral("« %1x »")), qPrintable(findings.problems[0]));
    QVERIFY2(findings.problems[0].contains(QStringLiteral("colonne 20,")), qPrintable(findings.problems[0]));
    QVERIFY2(findings.problems[1].contains(QStringLiteral("« %2 »")), qPrintable(findings.problems[1]));
    QVERIFY2(findings.problems[1].contains(QStringLiteral("colonne 22,")), qPrintable(findings.problems[1]));
}

void FuzzTest::imageLinks()
{
    Generator g(seed() + 1);
    Tally tally;
    for (int n = 0; n < casesPerReader; ++n) {
        QString link;
        switch (n % 4) {
        case 0: link = randomUnits(g, g.length(40, 3000)); break;
        case 1: link = mutatedLink(g); break;
        case 2: link = QString::fromUtf8(g.bytes(g.length(40, 400))); break;
        case 3: link = g.pick(goodLinks()).left(g.below(12)) + randomUnits(g, g.length(12, 100)); break;
        }
        const ExactText text(link);
        checkVerdict(text.view());
        if (QTest::currentTestFailed()) {
            qWarning("case %d of seed %llu: %s", n, seed() + 1, QByteArray(reinterpret_cast<const char *>(link.utf16()),
                                                                        link.size() * 2).toHex().constData());
            return;
        }
        tally.count(QString::number(int(image::checkLink(link))));
    }
    qInfo("verdicts (accepted, missing, not web, GIF, extension): %s", qPrintable(tally.text()));
    QCOMPARE(tally.seen.size(), std::size_t(5));
}

void FuzzTest::pictureHeads()
{
    Generator g(seed() + 2);
    const std::vector<QByteArray> magics = {"\xFF\xD8\xFF", "\x89PNG\r\n\x1A\n", "BM", QByteArray("II\x2A\0", 4),
                                            QByteArray("MM\0\x2A", 4)};
    int pictures = 0;
    for (int n = 0; n < casesPerReader; ++n) {
        QByteArray head = g.bytes(g.below(image::pictureHeadSize + 4));
        if (n % 2) {
            // The start of a real signature, whole or cut, with random bytes after.
            const QByteArray &magic = g.pick(magics);
            head = magic.left(g.below(int(magic.size()) + 1)) + head;
            head.truncate(g.below(image::pictureHeadSize + 4));
        }
        const ExactBytes bytes(head);
        const bool picture = image::looksLikePicture(bytes.view());
        const bool expected = startsWithBytes(head, {0xFF, 0xD8, 0xFF})
                              || startsWithBytes(head, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})
                              || startsWithBytes(head, {'B', 'M'}) || startsWithBytes(head, {'I', 'I', 0x2A, 0x00})
                              || startsWithBytes(head, {'M', 'M', 0x00, 0x2A});
        if (picture != expected) {
            qWarning("case %d of seed %llu: %s", n, seed() + 2, head.toHex().constData());
            QCOMPARE(picture, expected);
        }
        pictures += picture;
    }
    qInfo("%d of %d heads taken for pictures", pictures, casesPerReader);
    QVERIFY(pictures > 0 && pictures < casesPerReader);
}

QTEST_MAIN(FuzzTest)
#include "tst_fuzz.moc"
