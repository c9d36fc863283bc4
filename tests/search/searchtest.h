#pragma once

// Helpers shared by the search and statistics tests.

#include "support/screen.h"
#include "support/testsupport.h"
#include "ui/grid.h"
#include "ui/mainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTest>

#include <functional>

namespace tabrix::test {

using Rows = QList<QStringList>;

// The real program started on a new catalogue filled by `write`.
struct Program {
    explicit Program(const std::function<void(const QString &path)> &write)
    {
        createEmptyCatalogue(dir.catalogue());
        write(dir.catalogue());
        window = startProgram(dir, services);
    }
    MainForm &form() { return window->form(); }

    // Chooses the list on the "Recherche" tab (which empties the criterion),
    // types `criterion` and searches.
    void search(const Category &category, const QString &criterion)
    {
        search(form().searchOptions[std::size_t(category.id)], criterion);
    }
    void search(QRadioButton *option, const QString &criterion)
    {
        QTest::mouseClick(form().onglet->tabButton(3), Qt::LeftButton);
        QTest::mouseClick(option, Qt::LeftButton);
        typeText(form().cherche, criterion);
        QTest::mouseClick(form().btSearch, Qt::LeftButton);
    }

    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;
};

// The texts of a grid's data rows (the header left out, row 0 for the
// header only), in the columns shown.
inline Rows dataRows(const Grid &grid, bool headerOnly = false)
{
    Rows rows;
    for (int r = headerOnly ? 0 : 1; r < (headerOnly ? 1 : grid.rows()); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columns(); ++c)
            if (!grid.isColumnHidden(c))
                cells << grid.text(r, c);
        rows << cells;
    }
    return rows;
}

// The data row that shows this number in its first column, 0 for none.
inline int rowOf(const Grid &grid, const QString &number)
{
    for (int row = 1; row < grid.rows(); ++row)
        if (grid.text(row, 0) == number)
            return row;
    return 0;
}

// Fills the five edit fields of every list.
inline void fillAllFields(MainForm &form)
{
    for (CategoryTab *tab : form.tabs) {
        for (QLineEdit *field : {tab->number, tab->name, tab->url, tab->link})
            field->setText(QStringLiteral("042"));
        tab->setAuthorText(QStringLiteral("Zoé"));
    }
}

// Empty when every edit field of every list is empty, otherwise the name
// of the first field that is not.
inline QString firstFilledField(const MainForm &form)
{
    for (const CategoryTab *tab : form.tabs) {
        for (const QLineEdit *field : {tab->number, tab->name, tab->url, tab->link})
            if (!field->text().isEmpty())
                return field->objectName();
        if (!tab->authorText().isEmpty())
            return tab->author->objectName();
    }
    return QString();
}

} // namespace tabrix::test
