#include "app/startup.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <sys/stat.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QStringList column(const Grid *grid, int c)
{
    QStringList texts;
    for (int r = 1; r < grid->rows(); ++r)
        texts << grid->text(r, c);
    return texts;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void refusals_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("messageParts");

        QTest::newRow("not a catalogue") << "text" << QStringList{"n'est pas un catalogue", "Tabrix.mdb"};
        QTest::newRow("empty file") << "empty" << QStringList{"n'est pas un catalogue", "Tabrix.mdb"};
        QTest::newRow("foreign database") << "foreign" << QStringList{"n'est pas un catalogue", "Tabrix.mdb"};
        QTest::newRow("a list is missing") << "no zarpo" << QStringList{"« zarpo » manque", "Tabrix.mdb"};
        QTest::newRow("authors missing") << "no auteurs" << QStringList{"« auteurs » manque"};
        QTest::newRow("wrong columns") << "bad columns" << QStringList{"« trunda »", "colonnes"};
        QTest::newRow("named pipe") << "fifo" << QStringList{"Tabrix.mdb", "est un tube nommé (FIFO), pas un fichier ordinaire"};
        QTest::newRow("device") << "device" << QStringList{"Tabrix.mdb", "est un périphérique, pas un fichier ordinaire"};
        QTest::newRow("numbers not unique") << "no index" << QStringList{"liste trunda", "tabrix-admin check /"};
        QTest::newRow("outdated") << "no titres"
                                  << QStringList{"Vous n'avez pas la dernière version de la base de données."};
    }

    void refusals()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, messageParts);
        ProgramDir dir;
        if (setup == "text") {
            writeFile(dir.catalogue(), "ref;nom;auteur\n001;Un;Zoé\n");
        } else if (setup == "empty") {
            writeFile(dir.catalogue(), "");
        } else if (setup == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(dir.catalogue()).constData(), 0600) == 0);
        } else if (setup == "device") {
            QVERIFY(QFile::link("/dev/null", dir.catalogue()));
        } else {
            createEmptyCatalogue(dir.catalogue());
            if (setup == "foreign")
                execute(dir.catalogue(), "DROP TABLE zarpo; DROP TABLE melvi; DROP TABLE trunda; DROP TABLE titres; "
                                         "DROP TABLE auteurs; CREATE TABLE recettes (nom TEXT)");
            else if (setup == "no index")
                execute(dir.catalogue(), "DROP INDEX idx_ref_trunda; CREATE INDEX idx_ref_trunda ON trunda (ref)");
            else if (setup == "bad columns")
                execute(dir.catalogue(), "DROP TABLE trunda; CREATE TABLE trunda (ref TEXT, titre TEXT)");
            else
                execute(dir.catalogue(), "DROP TABLE " + setup.mid(3));
        }

        RecordingServices services;
        QCOMPARE(runProgram(dir.path(), services), 1);
        QCOMPARE(services.messages.size(), 1);
        QCOMPARE(services.messages.first().icon, MessageIcon::Critical);
        for (const QString &part : messageParts)
            QVERIFY2(services.lastText().contains(part), qPrintable(services.lastText()));
        if (setup == "no titres")
            QCOMPARE(services.lastText(), messageParts.first());
    }

    void emptyCatalogueOpensWithHeadersOnly()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        RecordingServices services;
        auto window = startProgram(dir, services);
        QVERIFY2(window, qPrintable(services.lastText()));
        for (CategoryTab *tab : window->form().tabs) {
            QCOMPARE(tab->grid->rows(), 1);
            QCOMPARE(tab->grid->text(0, 1), QStringLiteral(" Nom"));
            QCOMPARE(tab->author->count(), 0);
        }
        QVERIFY(services.messages.isEmpty());
    }

    void listsAndAuthorsAreFilled()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), zarpo(), numberedEntries(60, {"Léa", "Zoé", "Zoé", "Marc", "Zoé", "Marc"}));
        // Stored out of number order: the grid still lists them by number.
        insertEntries(dir.catalogue(), titres(),
                      {entry("002", "Deux", " Anaïs "), entry("003", "Trois", "Anaïs"), entry("001", "Un", "Bob")});
        RecordingServices services;
        auto window = startProgram(dir, services);
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        const Grid *grid = window->form().tab(zarpo()).grid;
        QCOMPARE(grid->rows(), 61);
        QCOMPARE(grid->text(1, 0), QStringLiteral("001"));
        QCOMPARE(grid->text(60, 0), QStringLiteral("060"));
        QCOMPARE(grid->text(7, 2), QStringLiteral("Léa"));
        QCOMPARE(comboItems(window->form().tab(zarpo()).author), QStringList({"Zoé", "Marc", "Léa"}));
        QCOMPARE(window->form().tab(zarpo()).authorText(), QString());
        // The last entry of the first list is in view.
        QVERIFY(grid->topRow() > 1);
        QVERIFY(grid->rowViewportPosition(59) + grid->rowHeight(59) <= grid->viewport()->height());

        const Grid *vasquo = window->form().tab(titres()).grid;
        QCOMPARE(column(vasquo, 0), QStringList({"001", "002", "003"}));
        QCOMPARE(column(vasquo, 2), QStringList({"Bob", " Anaïs ", "Anaïs"}));
        QCOMPARE(comboItems(window->form().tab(titres()).author), QStringList({"Anaïs", "Bob"}));
        QCOMPARE(window->form().onglet->currentIndex(), 0);
        QCOMPARE(window->form().lastSel->text(), QStringLiteral("0"));
    }

    void everyListOpensOnItsLastEntries()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        for (const Category &c : categories())
            insertEntries(dir.catalogue(), c, numberedEntries(80));
        RecordingServices services;
        auto window = startProgram(dir, services);
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (const Category &c : categories()) {
            window->form().onglet->setCurrentIndex(c.tabIndex);
            QCoreApplication::processEvents();
            const Grid *grid = window->form().tab(c).grid;
            QVERIFY2(grid->topRow() > 1, qPrintable(c.table));
            QVERIFY(grid->rowViewportPosition(79) + grid->rowHeight(79) <= grid->viewport()->height());
        }
    }

    void closingTheWindowClosesTheCatalogue()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        RecordingServices services;
        auto window = startProgram(dir, services);
        QVERIFY(window);
        window.reset();
        // Nothing holds the file any more: it can be replaced at once.
        QVERIFY(QFile::remove(dir.catalogue()));
        QVERIFY(!QFile::exists(dir.catalogue() + "-journal"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
