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

#include <map>
#include <memory>

class TestQtFrench : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(tabrix::installQtFrench(*qApp),
                 qPrintable("no qtbase_fr in " + QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    }

    void dialogButtons()
    {
        const std::map<QDialogButtonBox::StandardButton, QString> texts = {
            {QDialogButtonBox::Cancel, "Annuler"}, {QDialogButtonBox::Yes, "&Oui"},
            {QDialogButtonBox::No, "&Non"}, {QDialogButtonBox::Close, "Fermer"}};
        for (const auto &[button, text] : texts)
            QCOMPARE(QDialogButtonBox(button).button(button)->text(), text);
    }

    void textBoxMenu()
    {
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts; // without the accelerator marks and the shortcuts
        for (const QAction *action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().remove('&').section('\t', 0, 0);
        QCOMPARE(texts, QStringList({"Annuler", "Rétablir", "Couper", "Copier", "Coller", "Supprimer", "Tout sélectionner"}));
    }
};

QTEST_MAIN(TestQtFrench)
#include "tst_qtfrench.moc"
