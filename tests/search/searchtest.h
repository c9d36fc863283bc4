#pragma once

// Helpers shared by the search and statistics tests.

#include "support/testsupport.h"
#include "ui/grid.h"
#include "ui/mainform.h"

#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <QTest>

namespace tabrix::test {

// The texts of a grid's data rows (the header left out).
inline QList<QStringList> dataRows(const Grid &grid)
{
    QList<QStringList> rows;
    for (int r = 1; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columns(); ++c)
            cells << grid.text(r, c);
        rows << cells;
    }
    return rows;
}

// Shows the window and waits until it is active, so that keys reach it and
// grids have their real size.
inline bool showActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Fills the five edit fields of every list.
inline void fillAllFields(MainForm &form)
{
    for (CategoryTab *tab : form.tabs) {
        tab->number->setText(QStringLiteral("042"));
        tab->name->setText(QStringLiteral("Quelque part"));
        tab->setAuthorText(QStringLiteral("Zoé"));
        tab->url->setText(QStringLiteral("https://images.norvane.fr/42.jpg"));
        tab->link->setText(QStringLiteral("https://www.norvane.fr/t42"));
    }
}

// Empty when every edit field of every list is empty, otherwise the first
// field that is not.
inline QString firstFilledField(const MainForm &form)
{
    for (const CategoryTab *tab : form.tabs) {
        const QList<QPair<QString, QString>> fields = {
            {tab->number->objectName(), tab->number->text()},
            {tab->name->objectName(), tab->name->text()},
            {tab->author->objectName(), tab->authorText()},
            {tab->url->objectName(), tab->url->text()},
            {tab->link->objectName(), tab->link->text()},
        };
        for (const auto &[name, text] : fields)
            if (!text.isEmpty())
                return name;
    }
    return QString();
}

} // namespace tabrix::test
