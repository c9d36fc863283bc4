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
    void buttons_data();
    void buttons();
    void refusalThroughTheButton();
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
    const int entries = 4 + list;

    const int choices = tab.author->count();
    QVERIFY(choices > 0);
    const QString next = editing::threeDigitText(entries + 1);
    tab.number->setText(next);
    tab.name->setText(QStringLiteral("Ajouté"));
    tab.setAuthorText(QStringLiteral("Ysolde"));
    auto *add = window->findChild<QPushButton *>(category.addButton());
    QVERIFY(add);
    add->click();
    QVERIFY2(services.messages.isEmpty(), qPrintable(services.lastText()));
    QCOMPARE(tab.grid->rows(), entries + 2);
    QCOMPARE(tab.grid->text(entries + 1, 0), next);
    QCOMPARE(tab.number->text(), QString());
    // The author choices are refilled at the next start only.
    QCOMPARE(tab.author->count(), choices);
    QCOMPARE(tab.author->findText(QStringLiteral("Ysolde")), -1);

    tab.grid->setCurrentCell(2, 0);
    tab.number->setText(QStringLiteral("002"));
    tab.name->setText(QStringLiteral("Corrigé"));
    tab.setAuthorText(QStringLiteral("D'Arc"));
    auto *update = window->findChild<QPushButton *>(category.updateButton());
    QVERIFY(update);
    update->click();
    QVERIFY2(services.messages.isEmpty(), qPrintable(services.lastText()));
    QCOMPARE(tab.grid->text(2, 1), QStringLiteral("Corrigé"));
    QCOMPARE(tab.grid->text(2, 2), QStringLiteral("D'Arc"));
    window.reset();

    // Only this list changed; only zarpo records its new author.
    for (const Category &c : categories()) {
        const std::vector<QStringList> rows = tableRows(dir.catalogue(), c.table);
        if (c.id != list) {
            QCOMPARE(int(rows.size()), 4 + c.id);
            QCOMPARE(rows[1].value(1), QStringLiteral("Énigme 2"));
            continue;
        }
        QCOMPARE(int(rows.size()), entries + 1);
        QCOMPARE(rows.back(), (QStringList{next, "Ajouté", "Ysolde", notAvailable(), notAvailable()}));
        QCOMPARE(rows[1].mid(0, 3), (QStringList{"002", "Corrigé", "D'Arc"}));
    }
    QStringList authors;
    for (const QStringList &row : tableRows(dir.catalogue(), QStringLiteral("auteurs")))
        authors << row.value(0);
    QCOMPARE(authors, (category.recordsAuthor ? QStringList{"Zoé", "Ysolde"} : QStringList{"Zoé"}));
}

void WindowTest::refusalThroughTheButton()
{
    ProgramDir dir;
    createEmptyCatalogue(dir.catalogue());
    for (const Category &c : categories())
        insertEntries(dir.catalogue(), c, numberedEntries(3));
    RecordingServices services;
    std::unique_ptr<MainWindow> window = startProgram(dir, services);
    QVERIFY(window);
    CategoryTab &tab = window->form().tab(melvi());
    tab.number->setText(QStringLiteral("004"));
    tab.setAuthorText(QStringLiteral("Zoé"));

    // The fields are still there while the box is open, and after it.
    QString numberWhileOpen = QStringLiteral("<not asked>");
    services.onMessage = [&](const RecordingServices::Message &) { numberWhileOpen = tab.number->text(); };
    tab.addButton->click();
    QCOMPARE(services.lastText(), QStringLiteral("Nom non renseigné."));
    QCOMPARE(numberWhileOpen, QStringLiteral("004"));
    QCOMPARE(tab.number->text(), QStringLiteral("004"));
    QCOMPARE(tab.authorText(), QStringLiteral("Zoé"));

    tab.number->setText(QStringLiteral("009"));
    tab.name->setText(QStringLiteral("Lieu"));
    tab.updateButton->click();
    QCOMPARE(services.lastText(), QStringLiteral("N° 009 inconnu."));
    QCOMPARE(services.messages.size(), 2);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
