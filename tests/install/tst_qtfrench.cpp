// Qt's own texts (dialog buttons, the context menu of the text boxes)
// appear in French once the program has loaded Qt's French translation.
#include "app/qtfrench.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

class TestQtFrench : public QObject {
    Q_OBJECT

private slots:
    void qtTextsInFrench()
    {
        QVERIFY2(tabrix::installQtFrench(*qApp),
                 qPrintable("no qtbase_fr in " + QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QStringList texts; // without the accelerator marks and the shortcuts
        using B = QDialogButtonBox;
        const B buttons(B::Cancel | B::Yes | B::No | B::Close);
        for (const B::StandardButton button : {B::Cancel, B::Yes, B::No, B::Close})
            texts << buttons.button(button)->text().remove('&');
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        for (const QAction *action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().remove('&').section('\t', 0, 0);
        QCOMPARE(texts, QStringList({"Annuler", "Oui", "Non", "Fermer", "Annuler", "Rétablir", "Couper", "Copier", "Coller",
                                     "Supprimer", "Tout sélectionner"}));
    }
};

QTEST_MAIN(TestQtFrench)
#include "tst_qtfrench.moc"
