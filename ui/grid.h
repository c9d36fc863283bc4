#pragma once

#include "ui/colours.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDeadlineTimer>
#include <QStringList>
#include <QTableView>

#include <vector>

namespace tabrix {

// Twips, the unit of the window layouts: 15 to a screen pixel.
constexpr int twipsPerPixel = 15;
constexpr int pixels(int twips) { return (twips + twipsPerPixel / 2) / twipsPerPixel; }

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(int columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int dataRows() const { return int(m_rows.size()); }
    void setDataRows(int count);
    void replaceRows(std::vector<QStringList> rows);
    QString text(int dataRow, int column) const;
    void setText(int dataRow, int column, const QString &text);
    QString headerText(int column) const { return m_header.value(column); }
    void setHeaderText(int column, const QString &text);
    // The data row a jump from a search result landed on (-1: none): its
    // cell in `jumpColumn` is painted in colours::jump().
    static constexpr int jumpColumn = 1;
    int jumpRow() const { return m_jumpRow; }
    void setJumpRow(int dataRow);
    // Every cell of this data row (-1: none) takes `color`, unless it has a
    // colour of its own.
    int markedRow() const { return m_markedRow; }
    void setMarkedRow(int dataRow, const QColor &color);
    void setAlignment(int column, Qt::Alignment alignment);
    void sortNumericDescending(int column);

private:
    int m_columns;
    std::vector<QStringList> m_rows;
    QStringList m_header;
    std::vector<Qt::Alignment> m_alignments;
    int m_markedRow = -1;
    QColor m_markColor;
    int m_jumpRow = -1;
};

// A grid of text cells with one fixed header row, addressed the way the
// catalogue's operations speak of it: row 0 is the header, rows 1 and up
// hold the data, and rows() counts the header too.
class Grid : public QTableView {
    Q_OBJECT
public:
    enum class Look { Category, Search, Stats };

    Grid(const QString &name, int columns, Look look, QWidget *parent = nullptr);

    int rows() const { return m_model->dataRows() + 1; }
    void setRows(int rows);
    int columns() const { return m_model->columnCount(); }

    // Replaces every data row at once (the fast path for filling a grid).
    void setRowTexts(std::vector<QStringList> rows);
    void appendRow(const QStringList &texts);

    QString text(int row, int column) const;
    // The data row whose cell in `column` reads exactly `text`, `preferred`
    // first when it does; 0 when no row does.
    int rowShowing(int column, const QString &text, int preferred = 0) const;
    void setText(int row, int column, const QString &text);

    // The current cell. Row 0 stands for the header.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setCurrentCell(int row, int column);

    // Scrolls so that `row` is the first visible data row, as far as the
    // grid can; a row past the end shows the end.
    void setTopRow(int row);
    int topRow() const;

    // The row a jump from a search result landed on, its name cell painted
    // in colours::jump() until the next change of tab; 0 for none. Filling
    // the grid anew removes it.
    int jumpRow() const { return m_model->jumpRow() + 1; }
    void setJumpRow(int row);

    // The row whose entry the edit fields show, painted in
    // colours::loadedRow() (the jump's cell keeps its own colour); 0 for none.
    int loadedRow() const { return m_model->markedRow() + 1; }
    void setLoadedRow(int row);

    // For the time of a double click the mouse does nothing on the rows: the
    // second click of a double click begun elsewhere (on a search result that
    // brought this grid up) must not land on whatever row is under it.
    void ignoreMouseForADoubleClick();

    // A column's header caption, width in pixels and alignment.
    struct Column {
        QString caption;
        int width;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };
    // Writes the header of the columns, from the first, in order.
    void setColumns(const std::vector<Column> &columns);
    // Orders the data rows by the numbers in `column`, largest first; rows
    // whose cell is not a number go to the bottom.
    void sortNumericDescending(int column);

    GridModel *gridModel() const { return m_model; }

protected:
    void showEvent(QShowEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    // A list shown down to its end stays so when the grid grows or shrinks.
    void resizeEvent(QResizeEvent *event) override;
    // Enter and Space on the current cell act as a click on it.
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

signals:
    void cellClicked(int row, int column);
    void headerClicked(int column);

private:
    GridModel *m_model;
    int m_row = 0;
    int m_col = 0;
    int m_pendingTopRow = 0; // asked for while hidden: applied when shown
    QDeadlineTimer m_mouseIgnored;
};

} // namespace tabrix
