// Hostile text typed into each edit field of a list and into the search box.
// Each text is either stored and read back exactly as typed, or refused with
// a message and nothing written; it never changes what a query does. Each
// text stands for a distinct way to go wrong.
//
// Killed in the middle of adding or undoing: a child process presses
// "Ajouter" again and again, undoing every third add, and is killed with
// SIGKILL at moments drawn from a seeded generator (TABRIX_CRASH_SEED=<number>
// replays another set). After every kill the catalogue opens, passes
// SQLite's integrity check, holds every entry whose add had returned success
// and not one whose undo had, is numbered 1 … N without a gap, holds no
// half-written entry or author, and its history records exactly the adds
// it holds as not undone.
//
// Arbitrary input into the reader of outside data most exposed: the
// finder's result file of the latest-number check. It takes 100,000 seeded
// inputs (TABRIX_FUZZ_SEED=<number> replays another set): random bytes, or
// good files mutated with the pieces the reader looks for. None may crash or
// read outside its input (each lies in a buffer of exactly its size, so that
// AddressSanitizer catches a read one past the end); each keeps the reader's
// promises, and every outcome comes up, or the inputs miss a path.

#include "check/resultfile.h"
#include "childprocess.h"
#include "crashentries.h"
#include "store/history.h"
#include "support/programfixture.h"

#include <QLabel>
#include <QRandomGenerator>

#include <optional>
#include <random>
#include <set>

#include <unistd.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// The seed of a driver: the one its variable names, or the usual one.
quint32 seedFrom(const char *variable)
{
    return qEnvironmentVariableIsSet(variable) ? quint32(qEnvironmentVariableIntValue(variable)) : 20261206u;
}

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
            QVERIFY((row.fault == check::Fault::NoSection) == noSection && (noSection ? row.line == 0 : row.line >= 2));
        }
    }
    QVERIFY(findings.complete() == (read == 4) && findings.problems.size() <= 4 - read);
    for (const QString &problem : findings.problems)
        QVERIFY(!problem.isEmpty() && findings.problems.count(problem) == 1);
}

// Checks the file after a kill; `counts` holds each list's size, the killed
// list's between `least` and `most`.
void verify(const QString &path, const Category &killed, int least, int most, std::array<int, 4> &counts)
{
    const std::unique_ptr<Catalogue> opened = openCatalogue(path);
    Catalogue &catalogue = *opened;
    // No history yet when every kill came before the first change.
    const bool history = QFile::exists(historyPath(path));
    for (const char *schema : {"main", "historique"}) {
        sql::Statement &check = catalogue.statement(QStringLiteral("PRAGMA %1.integrity_check").arg(schema));
        QCOMPARE(check.next() ? check.text(0) : QString(), history || schema[0] == 'm' ? QStringLiteral("ok") : QString());
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
        QCOMPARE(recorded.next() ? int(recorded.integer(0)) : 0, known);
    }
    for (const QStringList &row : tableRows(path, QStringLiteral("auteurs")))
        authors << row;
    authors.sort(), expected.sort();
    QCOMPARE(authors, expected);
}

struct Hostile {
    const char *tag;
    QString text;
    bool storable; // false: control characters or broken UTF-16
};

QString units(std::initializer_list<char16_t> list)
{
    return QString(reinterpret_cast<const QChar *>(list.begin()), qsizetype(list.size()));
}

const std::vector<Hostile> hostileTexts = {
    {"10000 characters, SQL",
     QStringLiteral("\"); DROP TABLE auteurs; -- « Île » %_ ?1 :nom ").repeated(400).left(10000), true},
    {"right to left, combining, outside the BMP, noncharacters",
     QStringLiteral("\u202Eabc\u202C שלום مرحبا e\u0301\u0301 Z\u0351\u0489 😀 \U0010FFFD ") + units({0xFFFE, 0xFDD0}),
     true},
    {"tabulations", QStringLiteral("a\tb\t\tc"), true},
    {"line breaks", QStringLiteral("a\nb\r\nc\rd"), false},
    {"NUL", units({u'a', 0x0000, u'b'}), false},
    {"escape, DEL, C1", units({u'a', 0x001B, u'[', u'm', 0x007F, 0x0085, 0x009B}), false},
    {"broken surrogates", units({0xDE00, u'a', 0xD83D, u'b', 0xDE00, 0xD83D, 0xD800}), false},
};

const char *const fieldNames[] = {"number", "name", "author", "image link", "forum link"};

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void edit_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("hostile");
        for (const bool update : {false, true})
            for (int field = 0; field < 5; ++field)
                for (int h = 0; h < int(hostileTexts.size()); ++h)
                    QTest::addRow("%s, %s, %s", update ? "MAJ" : "Ajouter", fieldNames[field], hostileTexts[std::size_t(h)].tag)
                        << update << field << h;
    }

    void edit()
    {
        QFETCH(bool, update);
        QFETCH(int, field);
        QFETCH(int, hostile);
        const auto &[tag, text, storable] = hostileTexts[std::size_t(hostile)];
        ProgramFixture p;
        QVERIFY2(p.start(), qPrintable(p.services.lastText()));
        auto expected = p.tables();
        // A new entry on the list that records authors; an update on another.
        const Category &category = update ? titres() : zarpo();
        QStringList typed{update ? "004" : "013", "Nom", "Ysolde", "https://images.norvane.fr/a.jpg", "https://www.norvane.fr/t1"};
        typed[field] = text;
        p.type(category, typed);
        const auto gridBefore = p.grid(category);
        p.press(category, update);
        // A number must be the next one or a known one; an added author may
        // not hold an apostrophe.
        const bool apostrophe = !update && field == 2 && text.contains(u'\'');
        if (field == 0 || !storable || apostrophe) {
            QCOMPARE(p.services.messages.size(), 1);
            if (field > 0 && !apostrophe)
                QCOMPARE(p.services.lastText(), QStringLiteral("Le champ « %1 » contient un caractère qui ne peut pas être "
                                                               "enregistré (caractère de contrôle ou caractère invalide).")
                                                    .arg(QStringList{"", category.nameLabel, "Auteur", "Lien image", "Lien Norvane"}[field]));
            QVERIFY(p.fields(category) == typed && p.grid(category) == gridBefore);
        } else {
            QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
            QCOMPARE(p.grid(category)[update ? 4 : fixtureEntries + 1], typed.mid(0, 3));
            auto &rows = expected[std::size_t(category.id)];
            if (update)
                rows[3] = typed;
            else
                rows.push_back(typed), expected[4].push_back({typed[2]}); // with its new author
        }
        // A search for the name finds it where it was stored, and nothing
        // else; any text may be searched for.
        if (field == 1) {
            p.search(category.searchOption, text);
            QCOMPARE((QStringList{p.find<QLineEdit>("cherche")->text(), QString::number(p.services.messages.size()),
                                  p.find<QLabel>(QStringLiteral("nb_trouvé"))->text(), p.find<Grid>("grille_search")->text(1, 1)}),
                     (QStringList{text.trimmed(), QString::number(!storable),
                                  storable ? "1 élément(s) trouvé(s)." : "0 élément trouvé.", storable ? text : "Non trouvé"}));
        }
        // The file, read by another connection, holds the text as typed and
        // nothing else changed.
        p.window.reset();
        QVERIFY(p.tables() == expected);
    }

    void killedWhileAdding()
    {
        const quint32 seed = seedFrom("TABRIX_CRASH_SEED");
        QRandomGenerator random(seed);
        std::optional<ProgramDir> dir;
        std::array<int, 4> counts{};
        int saved = 0;
        for (int kill = 0; kill < 60; ++kill) {
            // A fresh folder (catalogue, history, journals) before a list comes near its last number.
            if (kill == 0 || *std::max_element(counts.begin(), counts.end()) > lastCrashNumber - 60) {
                dir.emplace();
                createEmptyCatalogue(dir->catalogue());
                counts = {};
            }
            // Half the rounds on Zarpo, which also records authors; one in
            // eight killed while still opening.
            const int pick = int(random.bounded(6u));
            const Category &category = categories()[std::size_t(pick < 3 ? 0 : pick - 2)];
            const bool whileOpening = random.bounded(8u) == 0;
            const int delayUs = int(random.bounded(60000u));
            ChildProcess child({QStringLiteral("add"), dir->catalogue(), category.table});
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
            verify(dir->catalogue(), category, least, most, counts);
            if (QTest::currentTestFailed())
                return qWarning("kill %d of seed %u: %s after %d us", kill, seed, qPrintable(category.table), delayUs);
        }
        QVERIFY(saved > 0);
    }

    // A failure names the case and its input.
    void resultFile()
    {
        const quint32 seed = seedFrom("TABRIX_FUZZ_SEED");
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
                qWarning("case %d of seed %u: %s", n, seed, input.toHex().constData());
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

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
