// Start-up: a catalogue the program cannot use is refused with a message
// saying why; a usable one opens with every list filled and at its end.
#include "app/startup.h"
#include "support/programfixture.h"
#include "tools/admincommand.h"

#include <sys/stat.h>

using namespace tabrix;
using namespace tabrix::test;

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

    // An empty catalogue opens with the headers only; closed, the window
    // lets go of the file: it can be replaced at once.
    void emptyCatalogueOpensWithHeadersOnlyAndClosesItsFile()
    {
        ProgramFixture f([](const QString &) {});
        QVERIFY(f.start());
        for (const Category &c : categories())
            QVERIFY(f.grid(c) == std::vector<QStringList>{QStringList({" N°", " Nom", " Auteur"})} && f.tab(c).author->count() == 0);
        QVERIFY(f.services.messages.isEmpty());
        f.window.reset();
        QVERIFY(QFile::remove(f.dir.catalogue()) && !QFile::exists(f.dir.catalogue() + "-journal"));
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
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
