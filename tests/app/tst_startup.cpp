// Start-up: a catalogue the program cannot use is refused with a message
// saying why; a usable one opens with every list filled and at its end.
// The first start: the welcome window when there is no catalogue, the old
// Access file converted in one click, and the user's data folder when the
// program's folder cannot be written. Driven by mouse clicks and typed keys.
#include "app/startup.h"
#include "app/welcome.h"
#include "support/programfixture.h"
#include "tools/admincommand.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <sys/stat.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Acts on the next modal window of type W once it shows: armed before
// anything opens it.
template <typename W>
void whenOpen(std::function<void(W *)> act)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *window = qobject_cast<W *>(QApplication::activeModalWidget()); window && window->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(window);
        }
    });
    timer->start(10);
}

// The old Access file in place of the catalogue (`old`), Tabrix-access.mdb
// already there or not (`nameTaken`), the answer to the question, and how
// the program ends (`status`; -1: it goes on).
struct InPlace { QByteArray old; bool nameTaken; QString answer; int status; };

} // namespace

Q_DECLARE_METATYPE(InPlace)

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void refusals_data()
    {
        QTest::addColumn<QString>("setup"); // SQL run on a new catalogue, or what stands in its place
        QTest::addColumn<QStringList>("messageParts");
        const QStringList notOurs{"n'est pas un catalogue", "Tabrix.mdb"};
        QTest::newRow("not a catalogue") << "text" << notOurs;
        QTest::newRow("empty file") << "empty" << notOurs;
        QTest::newRow("foreign database") << "DROP TABLE zarpo; DROP TABLE melvi; DROP TABLE trunda; DROP TABLE titres; "
                                             "DROP TABLE auteurs; CREATE TABLE recettes (nom TEXT)" << notOurs;
        QTest::newRow("a list is missing") << "DROP TABLE zarpo" << QStringList{"« zarpo » manque", "Tabrix.mdb"};
        QTest::newRow("authors missing") << "DROP TABLE auteurs" << QStringList{"« auteurs » manque"};
        QTest::newRow("wrong columns") << "DROP TABLE trunda; CREATE TABLE trunda (ref TEXT, titre TEXT)"
                                       << QStringList{"« trunda »", "colonnes"};
        QTest::newRow("named pipe") << "fifo" << QStringList{"Tabrix.mdb", "est un tube nommé (FIFO), pas un fichier ordinaire"};
        QTest::newRow("device") << "device" << QStringList{"Tabrix.mdb", "est un périphérique, pas un fichier ordinaire"};
        QTest::newRow("numbers not unique") << "DROP INDEX idx_ref_trunda; CREATE INDEX idx_ref_trunda ON trunda (ref)"
                                            << QStringList{"liste trunda", "tabrix-admin check /"};
        QTest::newRow("outdated") << "DROP TABLE titres"
                                  << QStringList{"Vous n'avez pas la dernière version de la base de données."};
    }

    void refusals()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, messageParts);
        ProgramDir dir;
        if (setup == "text" || setup == "empty")
            writeBytes(dir.catalogue(), setup == "text" ? "ref;nom;auteur\n001;Un;Zoé\n" : "");
        else if (setup == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(dir.catalogue()).constData(), 0600) == 0);
        else if (setup == "device")
            QVERIFY(QFile::link("/dev/null", dir.catalogue()));
        else
            createEmptyCatalogue(dir.catalogue()), execute(dir.catalogue(), setup);
        RecordingServices services;
        QCOMPARE(runProgram(dir.path(), services), 1);
        QVERIFY(services.messages.size() == 1 && services.messages.first().icon == MessageIcon::Critical);
        verifySaid(services.lastText(), messageParts);
        QVERIFY(setup != "DROP TABLE titres" || services.lastText() == messageParts.first());
    }

    // Every list shows its entries by number, however stored, and opens on
    // its last ones; the author boxes offer the authors, trimmed, the most
    // frequent first.
    void listsOpenFilledOnTheirLastEntries()
    {
        std::vector<Entry> stored = numberedEntries(80, {" Anaïs ", "Bob", "Anaïs", "Anaïs"});
        std::reverse(stored.begin(), stored.end());
        ProgramFixture f([&](const QString &path) {
            for (const Category &c : {zarpo(), melvi(), trunda()})
                insertEntries(path, c, numberedEntries(80, {"Léa", "Zoé", "Zoé", "Marc", "Zoé", "Marc"}));
            insertEntries(path, titres(), stored);
        });
        QVERIFY(f.start());
        for (const Category &c : categories()) {
            click(f.window->form().onglet->tabButton(c.tabIndex));
            const Grid &grid = *f.tab(c).grid;
            QCOMPARE(grid.text(1, 0) + grid.text(80, 0) + f.tab(c).authorText(), QStringLiteral("001080"));
            QVERIFY2(grid.rows() == 81 && grid.topRow() > 1, qPrintable(c.table));
            QVERIFY(grid.rowViewportPosition(79) + grid.rowHeight(79) <= grid.viewport()->height());
        }
        QCOMPARE(f.tab(zarpo()).grid->text(7, 2) + f.tab(titres()).grid->text(1, 2), QStringLiteral("Léa Anaïs "));
        QStringList offered;
        for (const QComboBox *box : {f.tab(zarpo()).author, f.tab(titres()).author})
            for (int i = 0; i < box->count(); ++i)
                offered << box->itemText(i);
        QCOMPARE(offered, QStringList({"Zoé", "Marc", "Léa", "Anaïs", "Bob"}));
    }

    void welcome_data()
    {
        // Named by the action: a button's name, or "Escape".
        QTest::addColumn<int>("zarpoEntries"); // -1: the program ends, nothing made
        for (const auto &[action, entries] : {std::pair{"bt_creer", 0}, {"bt_demo", 104}, {"bt_convertir", 3},
                                              {"bt_quitter", -1}, {"Escape", -1}})
            QTest::newRow(action) << entries;
    }

    void welcome()
    {
        const QString action = QTest::currentDataTag();
        QFETCH(int, zarpoEntries);
        ProgramDir dir;
        const QString old = dir.file("ancien catalogue.mdb");
        QVERIFY(QFile::copy(legacyFixture(), old));
        qputenv("HOME", QFile::encodeName(dir.path()));
        RecordingServices services;
        QString where;
        whenOpen<QDialog>([&](QDialog *welcome) {
            where = welcome->findChild<QLabel *>("lbl_emplacement")->text();
            if (action == "Escape")
                return QTest::keyClick(welcome, Qt::Key_Escape);
            if (action == "bt_convertir") // the Qt chooser, opening in the home folder: a name typed, then Open
                whenOpen<QFileDialog>([](QFileDialog *chooser) {
                    QTest::keyClicks(chooser->findChild<QLineEdit *>("fileNameEdit"), "ancien catalogue.mdb");
                    if (QWidget *completions = QApplication::activePopupWidget())
                        QTest::keyClick(completions, Qt::Key_Escape);
                    QTest::mouseClick(chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open), Qt::LeftButton);
                });
            QTest::mouseClick(welcome->findChild<QPushButton *>(action), Qt::LeftButton);
        });
        int status = -1;
        const bool goesOn = prepareCatalogue(catalogueFolder(dir.path()), services, status);
        QCOMPARE(status, 0);
        QVERIFY2(where.contains(QDir::toNativeSeparators(dir.catalogue())), qPrintable(where));
        QCOMPARE((QList<bool>{goesOn, QFileInfo::exists(dir.catalogue())}), QList<bool>(2, zarpoEntries >= 0));
        const QString said = action == "bt_convertir" ? "Zarpo : 3 entrées, Melvi : 2 entrées" : "";
        QVERIFY2(services.lastText().contains(said), qPrintable(services.lastText()));
        QCOMPARE(fileBytes(old), fileBytes(legacyFixture())); // read, never changed
        if (goesOn) { // the main window opens on the new catalogue; closed, it lets go of the file
            auto window = startProgram(dir, services);
            QVERIFY2(window, qPrintable(services.lastText()));
            QCOMPARE(window->form().tabs[0]->grid->rows(), zarpoEntries + 1);
            for (const CategoryTab *tab : window->form().tabs) // a new catalogue: every list and author box empty
                QVERIFY(zarpoEntries || (tab->grid->rows() == 1 && tab->author->count() == 0 && services.messages.isEmpty()));
            window.reset();
            QVERIFY(QFile::remove(dir.catalogue()) && !QFile::exists(dir.catalogue() + "-journal"));
        }
    }

    void accessFileInPlace_data()
    {
        QTest::addColumn<InPlace>("c");
        const QByteArray old = fileBytes(legacyFixture());
        QTest::newRow("converted") << InPlace{old, false, "Convertir", -1};
        QTest::newRow("kept name taken") << InPlace{old, true, "Convertir", -1};
        QTest::newRow("failed") << InPlace{old.left(39 * 4096), false, "Convertir", 1};
        QTest::newRow("Quitter") << InPlace{old, false, "Quitter", 0};
    }

    void accessFileInPlace()
    {
        QFETCH(InPlace, c);
        const auto &[old, nameTaken, answer, status] = c;
        ProgramDir dir;
        writeBytes(dir.catalogue(), old);
        if (nameTaken)
            writeBytes(dir.file("Tabrix-access.mdb"), "");
        const auto before = folderContent(dir.path());
        RecordingServices services;
        whenOpen<QMessageBox>([answer = c.answer](QMessageBox *box) {
            for (QAbstractButton *button : box->buttons())
                if (button->text() == answer)
                    QTest::mouseClick(button, Qt::LeftButton);
        });
        int ended = -1;
        const bool goesOn = prepareCatalogue(dir.path(), services, ended);
        QCOMPARE(goesOn ? -1 : ended, status);
        if (!goesOn) { // as it was
            QVERIFY(folderContent(dir.path()) == before && services.messages.size() == status);
            return;
        }
        QCOMPARE(fileBytes(dir.file(nameTaken ? "Tabrix-access-2.mdb" : "Tabrix-access.mdb")), old);
        QVERIFY2(services.lastText().contains("Melvi : 2 entrées"), qPrintable(services.lastText()));
        auto window = startProgram(dir, services);
        QVERIFY2(window, qPrintable(services.lastText()));
        QCOMPARE(window->form().tabs[1]->grid->rows(), 3);
    }

    // As an ordinary user (root writes everywhere, so it runs this test again
    // as "nobody"): the welcome makes the catalogue in ~/.local/share/Tabrix,
    // the program's folder stays empty.
    void readOnlyProgramFolder()
    {
        ProgramDir own, home;
        QString program = qEnvironmentVariable("TABRIX_TEST_PROGRAM_DIR");
        if (program.isEmpty()) {
            program = own.path();
            QVERIFY(::chmod(QFile::encodeName(program).constData(), 0555) == 0);
            qputenv("HOME", QFile::encodeName(home.path()));
            qunsetenv("XDG_DATA_HOME");
            if (::geteuid() == 0) {
                QVERIFY(::chown(QFile::encodeName(home.path()).constData(), 65534, 65534) == 0);
                qputenv("TABRIX_TEST_PROGRAM_DIR", QFile::encodeName(program));
                QProcess self;
                self.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                                       QCoreApplication::applicationFilePath(), "readOnlyProgramFolder"});
                QVERIFY(self.waitForFinished(120000));
                qunsetenv("TABRIX_TEST_PROGRAM_DIR");
                QVERIFY2(self.exitCode() == 0, self.readAll().constData());
                return;
            }
        }
        QCoreApplication::setApplicationName("Tabrix");
        const QString folder = catalogueFolder(program);
        QCOMPARE(folder, QDir::homePath() + "/.local/share/Tabrix");
        RecordingServices services;
        whenOpen<QDialog>([](QDialog *w) { QTest::mouseClick(w->findChild<QPushButton *>("bt_demo"), Qt::LeftButton); });
        int status = -1;
        QVERIFY(prepareCatalogue(folder, services, status));
        QVERIFY(QFileInfo::exists(folder + "/Tabrix.mdb") && QDir(program).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
