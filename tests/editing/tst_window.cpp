// The buttons of the real main window, pressed with the mouse after typing
// key by key: "Ajouter" and "MAJ" of every list's tab act on that list only.

#include "listfixture.h"

#include "support/screen.h"

#include <QComboBox>
#include <QPushButton>
#include <QToolButton>
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
            insertEntries(dir.catalogue(), c, numberedEntries(4 + c.id, {"Zoé", "D'Arc", "Mistral"}));
        insertAuthors(dir.catalogue(), {"Zoé"});
        RecordingServices services;
        std::unique_ptr<MainWindow> window = startProgram(dir, services);
        QVERIFY2(window, qPrintable(services.lastText()));
        window->form().onglet->setCurrentIndex(category.tabIndex);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        CategoryTab &tab = window->form().tab(category);
        auto *add = window->findChild<QPushButton *>(category.addButton());
        auto *update = window->findChild<QPushButton *>(category.updateButton());
        QVERIFY(add && update);
        const QString next = editing::threeDigitText(4 + list + 1);
        const int choices = tab.author->count();

        // Names typed in another letter case than a listed one stay as typed.
        const auto type = [](QWidget *box, const QString &text) {
            QTest::mouseClick(box, Qt::LeftButton);
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            typeText(box, text);
        };
        QCOMPARE(tab.number->placeholderText(), next); // proposed in grey
        type(tab.number, next);
        type(tab.name, QStringLiteral("Ajouté"));
        type(tab.author->lineEdit(), QStringLiteral("mistral"));
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(tab.grid->text(4 + list + 1, 0), next);
        QCOMPARE(tab.number->placeholderText(), editing::threeDigitText(4 + list + 2));
        QCOMPARE(tab.author->count(), choices + 1); // the new author is offered at once
        clickCell(*tab.grid, 2, 0);
        type(tab.name, QStringLiteral("Corrigé"));
        type(tab.author->lineEdit(), QStringLiteral("d'arc"));
        QTest::mouseClick(update, Qt::LeftButton);
        QVERIFY2(services.messages.isEmpty(), qPrintable(services.lastText()));
        QCOMPARE(tab.grid->text(2, 1), QStringLiteral("Corrigé"));
        window.reset();

        // Only this list changed; its new author is recorded.
        for (const Category &c : categories()) {
            const std::vector<QStringList> rows = tableRows(dir.catalogue(), c.table);
            QCOMPARE(int(rows.size()), 4 + c.id + (c.id == list ? 1 : 0));
            QCOMPARE(rows[1].mid(1, 2), (c.id == list ? QStringList{"Corrigé", "d'arc"} : QStringList{"Énigme 2", "D'Arc"}));
        }
        QCOMPARE(tableRows(dir.catalogue(), category.table).back(),
                 (QStringList{next, "Ajouté", "mistral", notAvailable(), notAvailable()}));
        QCOMPARE(authorNames(dir.catalogue()), (QStringList{"Zoé", "mistral"}));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
