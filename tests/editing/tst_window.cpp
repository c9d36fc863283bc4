// The buttons of the real main window: "Ajouter" and "MAJ" of every list's
// tab act on that list only.

#include "listfixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void buttons_data()
    {
        QTest::addColumn<int>("list");
        for (const Category &category : categories())
            QTest::newRow(qPrintable(category.table)) << category.id;
    }

    void buttons()
    {
        QFETCH(int, list);
        const Category &category = categories()[std::size_t(list)];
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        for (const Category &c : categories())
            insertEntries(dir.catalogue(), c, numberedEntries(4 + c.id));
        insertAuthors(dir.catalogue(), {"Zoé"});
        RecordingServices services;
        std::unique_ptr<MainWindow> window = startProgram(dir, services);
        QVERIFY2(window, qPrintable(services.lastText()));
        CategoryTab &tab = window->form().tab(category);
        auto *add = window->findChild<QPushButton *>(category.addButton());
        auto *update = window->findChild<QPushButton *>(category.updateButton());
        QVERIFY(add && update);
        const QString next = editing::threeDigitText(4 + list + 1);
        const int choices = tab.author->count();

        tab.number->setText(next);
        tab.name->setText(QStringLiteral("Ajouté"));
        tab.setAuthorText(QStringLiteral("Ysolde"));
        add->click();
        QCOMPARE(tab.grid->text(4 + list + 1, 0), next);
        QCOMPARE(tab.author->count(), choices + 1); // the new author is offered at once
        tab.grid->setCurrentCell(2, 0);
        tab.number->setText(QStringLiteral("002"));
        tab.name->setText(QStringLiteral("Corrigé"));
        tab.setAuthorText(QStringLiteral("D'Arc"));
        update->click();
        QVERIFY2(services.messages.isEmpty(), qPrintable(services.lastText()));
        QCOMPARE(tab.grid->text(2, 1), QStringLiteral("Corrigé"));
        window.reset();

        // Only this list changed; its new author is recorded.
        for (const Category &c : categories()) {
            const std::vector<QStringList> rows = tableRows(dir.catalogue(), c.table);
            QCOMPARE(int(rows.size()), 4 + c.id + (c.id == list ? 1 : 0));
            QCOMPARE(rows[1].value(1), c.id == list ? QStringLiteral("Corrigé") : QStringLiteral("Énigme 2"));
        }
        QCOMPARE(tableRows(dir.catalogue(), category.table).back(),
                 (QStringList{next, "Ajouté", "Ysolde", notAvailable(), notAvailable()}));
        QCOMPARE(authorNames(dir.catalogue()), (QStringList{"Zoé", "Ysolde"}));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
