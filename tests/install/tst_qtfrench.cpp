// Qt's own texts (dialog buttons, the context menu of the text boxes)
// appear in French once the program has loaded Qt's French translation.

#include "app/qtfrench.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

class TestQtFrench : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void dialogButtons_data();
    void dialogButtons();
    void textBoxMenu();
};

void TestQtFrench::initTestCase()
{
    QVERIFY2(tabrix::installQtFrench(*qApp),
             qPrintable("no qtbase_fr in " + QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
}

void TestQtFrench::dialogButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("cancel") << int(QDialogButtonBox::Cancel) << "Annuler";
    QTest::newRow("yes") << int(QDialogButtonBox::Yes) << "&Oui";
    QTest::newRow("no") << int(QDialogButtonBox::No) << "&Non";
    QTest::newRow("close") << int(QDialogButtonBox::Close) << "Fermer";
}

void TestQtFrench::dialogButtons()
{
    QFETCH(int, button);
    QFETCH(QString, text);
    const auto standard = QDialogButtonBox::StandardButton(button);
    QDialogButtonBox box(standard);
    QCOMPARE(box.button(standard)->text(), text);
}

void TestQtFrench::textBoxMenu()
{
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts; // without the accelerator marks and the shortcuts
    for (const QAction *action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
    QCOMPARE(texts, QStringList({"Annuler", "Rétablir", "Couper", "Copier", "Coller", "Supprimer",
                                 "Tout sélectionner"}));
}

QTEST_MAIN(TestQtFrench)
#include "tst_qtfrench.moc"
