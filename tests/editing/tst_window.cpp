// The buttons of the real main window: "Ajouter" and "MAJ" of every list's
// tab act on that list only, and a refusal keeps what was typed.

#include "listfixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void buttons_data();
    void buttons();
};

void WindowTest::buttons_data()
{
    QTest::addColumn<int>("list");
    for (const Category &category : categories())
        QTest::newRow(qPrintable(category.table)) << category.id;
}

void WindowTest::buttons()
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
    const int entries = 4 + list;
    const QString next = editing::threeDigitText(entries + 1);
    const int choices = tab.author->count();

    // Refused: the fields are still there while the box is open, and after it.
    tab.number->setText(next);
    tab.setAuthorText(QStringLiteral("Ysolde"));
    QString numberWhileOpen;
    services.onMessage = [&](const RecordingServices::Message &) { numberWhileOpen = tab.number->text(); };
    add->click();
    QCOMPARE(services.lastText(), QStringLiteral("Nom non renseigné."));
    QCOMPARE(numberWhileOpen, next);
    QCOMPARE(tab.number->text(), next);
    QCOMPARE(tab.authorText(), QStringLiteral("Ysolde"));
    services.clear();

    tab.name->setText(QStringLiteral("Ajouté"));
    add->click();
    QVERIFY2(services.messages.isEmpty(), qPrintable(services.lastText()));
    QCOMPARE(tab.grid->rows(), entries + 2);
    QCOMPARE(tab.grid->text(entries + 1, 0), next);
    QCOMPARE(tab.number->text(), QString());
    QCOMPARE(tab.author->count(), choices); // the choices are refilled at the next start only

    tab.grid->setCurrentCell(2, 0);
    tab.number->setText(QStringLiteral("002"));
    tab.name->setText(QStringLiteral("Corrigé"));
    tab.setAuthorText(QStringLiteral("D'Arc"));
    update->click();
    QVERIFY2(services.messages.isEmpty(), qPrintable(services.lastText()));
    QCOMPARE(tab.grid->text(2, 1), QStringLiteral("Corrigé"));
    QCOMPARE(tab.grid->text(2, 2), QStringLiteral("D'Arc"));

    window.reset();

    // Only this list changed; only zarpo records its new author.
    for (const Category &c : categories()) {
        const std::vector<QStringList> rows = tableRows(dir.catalogue(), c.table);
        QCOMPARE(int(rows.size()), 4 + c.id + (c.id == list ? 1 : 0));
        QCOMPARE(rows[1].value(1), c.id == list ? QStringLiteral("Corrigé") : QStringLiteral("Énigme 2"));
    }
    QCOMPARE(tableRows(dir.catalogue(), category.table).back(),
             (QStringList{next, "Ajouté", "Ysolde", notAvailable(), notAvailable()}));
    QCOMPARE(authorNames(dir.catalogue()),
             (category.recordsAuthor ? QStringList{"Zoé", "Ysolde"} : QStringList{"Zoé"}));
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
