#include "ui/categorytab.h"

#include "store/entrynumber.h"
#include "ui/named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tabrix {

namespace {

// Ctrl+Z in a box with nothing of its own to undo is the list's undo,
// which the box would otherwise take for itself.
class ListUndoInEmptyHistory : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ShortcutOverride || !static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo))
            return false;
        auto *box = qobject_cast<QLineEdit *>(watched);
        if (auto *combo = qobject_cast<QComboBox *>(watched))
            box = combo->lineEdit();
        if (!box || box->isUndoAvailable())
            return false;
        event->ignore();
        return true;
    }
};

QPushButton *button(const QString &name, const QString &caption, QWidget *parent)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

CategoryTab::CategoryTab(const Category &category, QWidget *parent) : QWidget(parent), m_category(category)
{
    setObjectName(QStringLiteral("page_") + category.table);
    grid = new Grid(category.grid(), 3, Grid::Look::Category, this);
    grid->setMinimumWidth(pixels(500 + 2500 + 1300) + 22);
    makeFields();
    makeButtons();
    makeFrame();
    layOut();
    auto *undoFilter = new ListUndoInEmptyHistory(this);
    for (QWidget *box : std::initializer_list<QWidget *>{number, name, author, author->lineEdit(), url, link})
        box->installEventFilter(undoFilter);

    const QAbstractItemModel *model = grid->model();
    connect(model, &QAbstractItemModel::modelReset, this, &CategoryTab::proposeNextNumber);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &CategoryTab::proposeNextNumber);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &, const QList<int> &roles) {
                if (from.column() == 0 && (roles.isEmpty() || roles.contains(Qt::DisplayRole)))
                    proposeNextNumber();
            });
}

void CategoryTab::makeFields()
{
    number = named(new QLineEdit(this), m_category.numberBox());
    number->setMaximumWidth(60);
    name = named(new QLineEdit(this), m_category.nameBox());
    author = new QComboBox(this);
    author->setObjectName(m_category.authorBox());
    author->setEditable(true);
    author->setInsertPolicy(QComboBox::NoInsert);
    // A listed name differing only in letter case must not replace what is
    // typed: completion, and the combo box's matching with it, heed the case.
    author->completer()->setCaseSensitivity(Qt::CaseSensitive);
    author->setMaxVisibleItems(20);
    url = named(new QLineEdit(this), m_category.urlBox());
    link = named(new QLineEdit(this), m_category.linkBox());
}

void CategoryTab::makeButtons()
{
    addButton = button(m_category.addButton(), QStringLiteral("&Ajouter"), this);
    updateButton = button(m_category.updateButton(), QStringLiteral("&MAJ"), this);
    undoButton = button(m_category.undoButton(), QStringLiteral("Ann&uler"), this);
    undoButton->setShortcut(QKeySequence::Undo); // active on the shown tab only
    undoButton->setEnabled(false);
    topButton = button(m_category.topButton, QStringLiteral("&<<"), this);
    bottomButton = button(m_category.bottomButton, QStringLiteral("&>>"), this);
    topButton->setToolTip(QStringLiteral("Début de la liste"));
    bottomButton->setToolTip(QStringLiteral("Fin de la liste"));
}

void CategoryTab::makeFrame()
{
    frame = new QGroupBox(QStringLiteral("Affichage"), this);
    frame->setObjectName(m_category.frame);
    showCheck = new QCheckBox(QStringLiteral("A&fficher"), frame);
    showCheck->setObjectName(m_category.showCheck());
    windowOption = new QRadioButton(QStringLiteral("&Img fenêtre"), frame);
    windowOption->setObjectName(m_category.windowOption());
    windowOption->setChecked(true);
    webOption = new QRadioButton(QStringLiteral("Img &WEB"), frame);
    webOption->setObjectName(m_category.webOption());
    forumOption = new QRadioButton(QStringLiteral("&Norvane"), frame);
    forumOption->setObjectName(m_category.forumOption());
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(showCheck);
    frameLayout->addWidget(windowOption);
    frameLayout->addWidget(webOption);
    frameLayout->addWidget(forumOption);
    if (m_category.needsForumLink) {
        // A second "Afficher" box that nothing reads, kept for the look of the tab.
        auto *spare = new QCheckBox(QStringLiteral("Affic&her"), frame);
        spare->setObjectName(QStringLiteral("Check1"));
        frameLayout->addWidget(spare);
    }
}

void CategoryTab::layOut()
{
    auto *fields = new QFormLayout;
    fields->setRowWrapPolicy(QFormLayout::WrapAllRows);
    fields->setVerticalSpacing(2);
    fields->addRow(QStringLiteral("N°"), number);
    fields->addRow(m_category.nameLabel, name);
    fields->addRow(QStringLiteral("Auteur"), author);
    fields->addRow(QStringLiteral("Lien image"), url);
    fields->addRow(QStringLiteral("Lien Norvane"), link);

    auto *editButtons = new QHBoxLayout;
    editButtons->addWidget(addButton);
    editButtons->addWidget(updateButton);
    auto *scrollButtons = new QHBoxLayout;
    scrollButtons->addWidget(topButton);
    scrollButtons->addWidget(bottomButton);

    auto *side = new QVBoxLayout;
    side->addLayout(fields);
    side->addLayout(editButtons);
    side->addWidget(undoButton);
    side->addLayout(scrollButtons);
    side->addWidget(frame);
    side->addStretch(1);

    // Tab goes through the page in reading order.
    const QList<QWidget *> order = {grid, number, name, author, url, link, addButton, updateButton,
                                    undoButton, topButton, bottomButton, showCheck, windowOption, webOption, forumOption};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    // A larger window widens the grid and, less, the fields.
    layout->addWidget(grid, 2);
    layout->addLayout(side, 1);
}

QString CategoryTab::authorText() const
{
    return author->currentText();
}

void CategoryTab::setAuthorText(const QString &text)
{
    author->setEditText(text);
}

void CategoryTab::clearFields()
{
    // Emptied with their typing history: Ctrl+Z then undoes the list's last change.
    for (QLineEdit *box : {number, name, url, link})
        box->setText(QString());
    author->setEditText(QString());
    grid->setLoadedRow(0);
}

void CategoryTab::proposeNextNumber()
{
    int largest = 0;
    for (int row = 1; row < grid->rows(); ++row)
        largest = std::max(largest, grid->text(row, 0).trimmed().toInt());
    number->setPlaceholderText(largest < highestEntryNumber ? threeDigitText(largest + 1) : QString());
}

void CategoryTab::writeHeader()
{
    grid->setColumns({{" N°", pixels(500)}, {" Nom", pixels(2500)}, {" Auteur", pixels(1300)}});
}

void CategoryTab::fillGrid(const std::vector<GridRow> &rows)
{
    std::vector<QStringList> texts;
    texts.reserve(rows.size());
    for (const GridRow &row : rows)
        texts.push_back({row.ref, row.name, row.author});
    grid->setRowTexts(std::move(texts));
    grid->setTopRow(grid->rows() - 1);
}

void CategoryTab::setAuthors(const std::vector<QString> &authors)
{
    const QString typed = author->currentText();
    QStringList items;
    items.reserve(qsizetype(authors.size()));
    for (const QString &a : authors)
        items << a;
    author->clear();
    author->addItems(items);
    author->setEditText(typed);
}

} // namespace tabrix
