// A catalogue that cannot be written, because the file, its folder (the
// program's directory) or both are write-protected: the program opens it and
// everything that only reads works; "Ajouter" and "MAJ" refuse with a
// message and change nothing, not even by leaving a journal behind.
//
// The tests run as root, for whom write permissions are no obstacle. The
// protection used is the one the system enforces on root too: the
// "immutable" attribute (chattr +i). For another user, removing the write
// permissions is enough and is what is used.

#include "childprocess.h"
#include "programfixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

enum class Protected { File, Folder, Both };

// Write-protects a file or folder for as long as it lives.
class WriteProtection {
public:
    explicit WriteProtection(const QString &path) : m_path(path) { m_on = set(true); }
    ~WriteProtection() { lift(); }
    WriteProtection(const WriteProtection &) = delete;
    WriteProtection &operator=(const WriteProtection &) = delete;

    bool on() const { return m_on; }
    void lift()
    {
        if (m_on)
            set(false);
        m_on = false;
    }

private:
    bool set(bool protect)
    {
        const QByteArray name = QFile::encodeName(m_path);
        if (geteuid() != 0) {
            const QFileInfo info(m_path);
            const mode_t mode = info.isDir() ? (protect ? 0555 : 0755) : (protect ? 0444 : 0644);
            return ::chmod(name.constData(), mode) == 0;
        }
        const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = protect ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    QString m_path;
    bool m_on = false;
};

// The protections asked for, on the catalogue of `dir`.
std::vector<std::unique_ptr<WriteProtection>> protect(const ProgramDir &dir, Protected what)
{
    std::vector<std::unique_ptr<WriteProtection>> on;
    if (what != Protected::Folder)
        on.push_back(std::make_unique<WriteProtection>(dir.catalogue()));
    if (what != Protected::File)
        on.push_back(std::make_unique<WriteProtection>(dir.path()));
    return on;
}

bool allOn(const std::vector<std::unique_ptr<WriteProtection>> &protections)
{
    return std::all_of(protections.begin(), protections.end(), [](const auto &p) { return p->on(); });
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList folderContent(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

Q_DECLARE_METATYPE(Protected)

class ReadOnlyTest : public QObject {
    Q_OBJECT
private slots:
    void opensAndBrowses_data() { places(); }
    void opensAndBrowses();
    void changesRefused_data() { places(); }
    void changesRefused();
    void interruptedChangeCannotBeUndone_data() { places(); }
    void interruptedChangeCannotBeUndone();

private:
    void places();
};

void ReadOnlyTest::places()
{
    QTest::addColumn<Protected>("what");
    QTest::newRow("file") << Protected::File;
    QTest::newRow("folder") << Protected::Folder;
    QTest::newRow("file and folder") << Protected::Both;
}

void ReadOnlyTest::opensAndBrowses()
{
    QFETCH(Protected, what);
    ProgramFixture p;
    const auto protections = protect(p.dir, what);
    if (!allOn(protections))
        QSKIP("this file system cannot write-protect a file against this user");

    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
    QVERIFY(p.window->catalogue().readOnly());
    QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
    for (const Category &category : categories())
        QCOMPARE(p.grid(category).size(), std::size_t(fixtureEntries + 1));

    // An entry clicked in the grid comes into the fields.
    CategoryTab &tab = p.tab(melvi());
    emit tab.grid->cellClicked(7, 1);
    QCOMPARE(p.fields(melvi()),
             (Fields{"007", "Énigme 7", "Zoé", "https://images.norvane.fr/007.jpg", "https://www.norvane.fr/t007"}));

    // Sorting by name reads the list again, in French order.
    emit tab.grid->headerClicked(1);
    QCOMPARE(p.grid(melvi())[1], (QStringList{"001", "Énigme 1", "Zoé"}));
    QCOMPARE(p.grid(melvi())[2], (QStringList{"010", "Énigme 10", "Adèle"}));

    // The search reads the list.
    MainForm &form = p.window->form();
    form.searchOptions[std::size_t(titres().id)]->click();
    form.cherche->setText(QStringLiteral("énigme 1"));
    form.btSearch->click();
    QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
    QCOMPARE(form.nbTrouve->text(), QStringLiteral("4 élément(s) trouvé(s)."));
}

void ReadOnlyTest::changesRefused()
{
    QFETCH(Protected, what);
    ProgramFixture p;
    const auto protections = protect(p.dir, what);
    if (!allOn(protections))
        QSKIP("this file system cannot write-protect a file against this user");
    const QByteArray hashBefore = fileHash(p.dir.catalogue());
    const QStringList folderBefore = folderContent(p.dir.path());
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));

    struct Press {
        const Category &category;
        bool update;
        Fields typed;
        QString notWritten;
    };
    const Press presses[] = {
        {zarpo(), false, {"013", "Nouveau", "Ysolde", "", ""}, "L'entrée n° 013 n'a pas été enregistrée"},
        {titres(), false, {"013", "Nouveau", "Zoé", "https://x.fr/a.jpg", ""}, "L'entrée n° 013 n'a pas été enregistrée"},
        {zarpo(), true, {"004", "Corrigé", "Ysolde", "", ""}, "L'entrée n° 004 n'a pas été modifiée"},
        {melvi(), true, {"012", "Corrigé", "Zoé", "", ""}, "L'entrée n° 012 n'a pas été modifiée"},
    };
    for (const Press &press : presses) {
        p.services.clear();
        p.type(press.category, press.typed);
        const auto gridBefore = p.grid(press.category);
        press.update ? p.pressUpdate(press.category) : p.pressAdd(press.category);

        QCOMPARE(p.services.messages.size(), 1);
        const QString message = p.services.messages[0].text;
        QVERIFY2(message.contains(press.notWritten), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("en lecture seule")), qPrintable(message));
        QCOMPARE(p.services.messages[0].icon, MessageIcon::Critical);
        QCOMPARE(p.fields(press.category), press.typed);
        QVERIFY(p.grid(press.category) == gridBefore);
    }

    p.window.reset();
    QCOMPARE(fileHash(p.dir.catalogue()), hashBefore);
    QCOMPARE(folderContent(p.dir.path()), folderBefore);
}

void ReadOnlyTest::interruptedChangeCannotBeUndone()
{
    QFETCH(Protected, what);
    ProgramFixture p;
    const auto tablesBefore = p.tables();
    const QByteArray hashBefore = fileHash(p.dir.catalogue());
    {
        // A program killed in the middle of a change that had already
        // reached the file.
        ChildProcess other({QStringLiteral("interrupt"), p.dir.catalogue()});
        QVERIFY2(other.waitForLine(QStringLiteral("dirty")), qPrintable(other.errors()));
        other.kill();
    }
    QVERIFY(QFile::exists(p.dir.catalogue() + QStringLiteral("-journal")));
    QVERIFY(fileHash(p.dir.catalogue()) != hashBefore);

    auto protections = protect(p.dir, what);
    if (!allOn(protections))
        QSKIP("this file system cannot write-protect a file against this user");
    QVERIFY(!p.start());
    QCOMPARE(p.services.messages.size(), 1);
    const QString message = p.services.messages[0].text;
    QVERIFY2(message.contains(QStringLiteral("interrompu")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("protégé contre l'écriture")), qPrintable(message));
    QCOMPARE(p.services.messages[0].icon, MessageIcon::Critical);

    // Once it may write again, the program undoes the interrupted change:
    // every entry is as it was.
    protections.clear();
    p.services.clear();
    QVERIFY2(p.start(), qPrintable(p.services.lastText()));
    QVERIFY(!p.window->catalogue().readOnly());
    p.window.reset();
    QVERIFY(p.tables() == tablesBefore);
    QCOMPARE(fileHash(p.dir.catalogue()), hashBefore);
}

QTEST_MAIN(ReadOnlyTest)
#include "tst_readonly.moc"
