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
        // One sample each: a dialog button, an entry of a text box's menu.
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove('&') + " / "
                     + menu->actions().constLast()->text().remove('&').section('\t', 0, 0),
                 QStringLiteral("Annuler / Tout sélectionner"));
    }
};

QTEST_MAIN(TestQtFrench)
#include "tst_qtfrench.moc"
