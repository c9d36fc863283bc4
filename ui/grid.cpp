#include "ui/grid.h"

#include "ui/colours.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace tabrix {

GridModel::GridModel(int columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(columns), m_alignments(columns, Qt::AlignLeft | Qt::AlignVCenter)
{
    for (int c = 0; c < columns; ++c)
        m_header << QString();
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole: {
        if (index.row() == m_jumpRow && index.column() == jumpColumn)
            return colours::jump();
        return index.row() == m_markedRow ? QVariant(m_markColor) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_alignments[std::size_t(index.column())]);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header.value(section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

void GridModel::setDataRows(int count)
{
    count = std::max(0, count);
    const int current = dataRows();
    if (count > current) {
        beginInsertRows({}, current, count - 1);
        m_rows.resize(std::size_t(count));
        endInsertRows();
    } else if (count < current) {
        beginRemoveRows({}, count, current - 1);
        m_rows.resize(std::size_t(count));
        if (m_jumpRow >= count)
            m_jumpRow = -1;
        if (m_markedRow >= count)
            m_markedRow = -1;
        endRemoveRows();
    }
}

void GridModel::replaceRows(std::vector<QStringList> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_jumpRow = -1;
    m_markedRow = -1;
    endResetModel();
}

QString GridModel::text(int dataRow, int column) const
{
    if (dataRow < 0 || dataRow >= dataRows())
        return QString();
    return m_rows[std::size_t(dataRow)].value(column);
}

void GridModel::setText(int dataRow, int column, const QString &text)
{
    if (dataRow < 0 || dataRow >= dataRows() || column < 0 || column >= m_columns)
        return;
    QStringList &cells = m_rows[std::size_t(dataRow)];
    while (cells.size() <= column)
        cells << QString();
    cells[column] = text;
    const QModelIndex changed = index(dataRow, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void GridModel::setHeaderText(int column, const QString &text)
{
    if (column < 0 || column >= m_columns)
        return;
    m_header[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void GridModel::setJumpRow(int dataRow)
{
    const int before = m_jumpRow;
    m_jumpRow = dataRow >= 0 && dataRow < dataRows() && jumpColumn < m_columns ? dataRow : -1;
    for (const int row : {before, m_jumpRow})
        if (row >= 0)
            emit dataChanged(index(row, jumpColumn), index(row, jumpColumn), {Qt::BackgroundRole});
}

void GridModel::setMarkedRow(int dataRow, const QColor &color)
{
    const int before = m_markedRow;
    m_markedRow = dataRow >= 0 && dataRow < dataRows() ? dataRow : -1;
    m_markColor = color;
    for (const int row : {before, m_markedRow})
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, m_columns - 1), {Qt::BackgroundRole});
}

void GridModel::setAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0 || column >= m_columns)
        return;
    m_alignments[std::size_t(column)] = alignment;
    if (!m_rows.empty())
        emit dataChanged(index(0, column), index(dataRows() - 1, column), {Qt::TextAlignmentRole});
}

void GridModel::sortNumericDescending(int column)
{
    struct Keyed {
        bool numeric;
        double value;
        std::size_t index;
    };
    std::vector<Keyed> keys;
    keys.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        bool ok = false;
        const double value = m_rows[i].value(column).trimmed().toDouble(&ok);
        keys.push_back({ok, value, i});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Keyed &a, const Keyed &b) {
        if (a.numeric != b.numeric)
            return a.numeric;
        return a.numeric && a.value > b.value;
    });
    std::vector<QStringList> sorted;
    sorted.reserve(m_rows.size());
    int jumpRow = -1;
    for (std::size_t to = 0; to < keys.size(); ++to) {
        const std::size_t from = keys[to].index;
        sorted.push_back(std::move(m_rows[from]));
        if (int(from) == m_jumpRow)
            jumpRow = int(to);
    }
    beginResetModel();
    m_rows = std::move(sorted);
    m_jumpRow = jumpRow;
    m_markedRow = -1;
    endResetModel();
}

Grid::Grid(const QString &name, int columns, Look look, QWidget *parent)
    : QTableView(parent), m_model(new GridModel(columns, this))
{
    setObjectName(name);
    setModel(m_model);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The names take what a larger window gives.
    horizontalHeader()->setSectionResizeMode(look == Look::Stats ? 0 : 1, QHeaderView::Stretch);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTabKeyNavigation(false);

    QPalette p = palette();
    switch (look) {
    case Look::Category:
        // Nothing is selected in the lists of entries: the loaded row and the
        // colour of a jump show instead, and the keyboard's cell is framed.
        setSelectionMode(QAbstractItemView::NoSelection);
        break;
    case Look::Search:
        p.setColor(QPalette::Highlight, colours::searchSelection());
        p.setColor(QPalette::HighlightedText, Qt::black);
        break;
    case Look::Stats:
        p.setColor(QPalette::Highlight, colours::statsSelection());
        p.setColor(QPalette::HighlightedText, Qt::white);
        setStyleSheet(QStringLiteral("QTableView { gridline-color: %1; }").arg(colours::statsGridLines().name()));
        break;
    }
    setPalette(p);

    connect(this, &QTableView::clicked, this, [this](const QModelIndex &index) {
        m_row = index.row() + 1;
        m_col = index.column();
        emit cellClicked(m_row, m_col);
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_col = column;
        emit headerClicked(column);
    });
}

void Grid::setRows(int rows)
{
    m_model->setDataRows(rows - 1);
    if (m_row >= this->rows())
        m_row = this->rows() - 1;
}

void Grid::setRowTexts(std::vector<QStringList> rows)
{
    m_model->replaceRows(std::move(rows));
    m_row = std::min(m_row, this->rows() - 1);
}

void Grid::appendRow(const QStringList &texts)
{
    const int row = rows();
    setRows(row + 1);
    for (int c = 0; c < texts.size() && c < columns(); ++c)
        m_model->setText(row - 1, c, texts.at(c));
}

QString Grid::text(int row, int column) const
{
    if (row == 0)
        return m_model->headerText(column);
    return m_model->text(row - 1, column);
}

int Grid::rowShowing(int column, const QString &text, int preferred) const
{
    if (preferred >= 1 && preferred < rows() && this->text(preferred, column) == text)
        return preferred;
    for (int row = 1; row < rows(); ++row)
        if (this->text(row, column) == text)
            return row;
    return 0;
}

void Grid::setText(int row, int column, const QString &text)
{
    if (row == 0)
        m_model->setHeaderText(column, text);
    else
        m_model->setText(row - 1, column, text);
}

void Grid::setCurrentCell(int row, int column)
{
    if (row < 0 || row >= rows() || column < 0 || column >= columns())
        return;
    m_row = row;
    m_col = column;
    if (row >= 1)
        setCurrentIndex(m_model->index(row - 1, column));
}

void Grid::setLoadedRow(int row)
{
    m_model->setMarkedRow(row - 1, colours::loadedRow());
}

namespace {

bool isClickKey(const QKeyEvent *event)
{
    const int key = event->key();
    return (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

bool Grid::event(QEvent *event)
{
    // The key is the grid's, not a shortcut's of the page around it.
    if (event->type() == QEvent::ShortcutOverride && isClickKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void Grid::keyPressEvent(QKeyEvent *event)
{
    if (!isClickKey(event)) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (const QModelIndex current = currentIndex(); current.isValid()) {
        m_row = current.row() + 1;
        m_col = current.column();
        emit cellClicked(m_row, m_col);
    }
}

void Grid::setTopRow(int row)
{
    if (m_model->dataRows() == 0)
        return;
    // A hidden grid has no real height yet; scroll once it is shown.
    m_pendingTopRow = isVisible() ? 0 : row;
    const int dataRow = std::clamp(row - 1, 0, m_model->dataRows() - 1);
    // Rows just added are not laid out yet: the scroll range must know them.
    executeDelayedItemsLayout();
    updateGeometries();
    scrollTo(m_model->index(dataRow, 0), QAbstractItemView::PositionAtTop);
}

void Grid::setColumns(const std::vector<Column> &columns)
{
    for (int column = 0; column < int(columns.size()); ++column) {
        const Column &c = columns[std::size_t(column)];
        m_model->setHeaderText(column, c.caption);
        setColumnWidth(column, c.width);
        m_model->setAlignment(column, c.alignment);
    }
}

void Grid::ignoreMouseForADoubleClick()
{
    m_mouseIgnored.setRemainingTime(QApplication::doubleClickInterval());
}

bool Grid::viewportEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick)
        && !m_mouseIgnored.hasExpired()) {
        event->accept();
        return true;
    }
    return QTableView::viewportEvent(event);
}

void Grid::resizeEvent(QResizeEvent *event)
{
    const QScrollBar *bar = verticalScrollBar();
    const bool atEnd = m_model->dataRows() > 0 && bar->value() == bar->maximum();
    QTableView::resizeEvent(event);
    if (atEnd)
        scrollToBottom();
}

void Grid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (m_pendingTopRow > 0)
        setTopRow(m_pendingTopRow);
}

int Grid::topRow() const
{
    const int dataRow = rowAt(0);
    return dataRow < 0 ? 0 : dataRow + 1;
}

void Grid::setJumpRow(int row)
{
    m_model->setJumpRow(row - 1);
}

void Grid::sortNumericDescending(int column)
{
    m_model->sortNumericDescending(column);
}

} // namespace tabrix
