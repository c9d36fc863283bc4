#include "search/searchpage.h"

#include "store/catalogue.h"
#include "store/entrynumber.h"
#include "store/french.h"
#include "ui/celltips.h"
#include "ui/mainform.h"
#include "ui/named.h"
#include "ui/parts.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tabrix::search {

namespace {

QString noneFound() { return QStringLiteral("0 élément trouvé."); }

QString foundCount(int count)
{
    return QStringLiteral("%1 élément(s) trouvé(s).").arg(count);
}

} // namespace

int rowOfNumber(const Grid &grid, int number)
{
    if (number <= 0)
        return 0;
    for (int row = 1; row < grid.rows(); ++row)
        if (leadingNumber(grid.text(row, 0)) == number)
            return row;
    return 0;
}

SearchPage::SearchPage(Context &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("page_recherche"));
    build();
    writeHeader();
    showCutTextsAsTips(m_results);

    connect(m_go, &QPushButton::clicked, this, &SearchPage::run);
    for (QRadioButton *option : m_options)
        connect(option, &QRadioButton::clicked, this, &SearchPage::clear);
    connect(m_results, &Grid::cellClicked, this, [this](int row, int) { choose(row); });
    connect(m_check, &QPushButton::clicked, this, &SearchPage::checkRequested);

    // "GO !" is the tab's default button: Enter anywhere on the tab runs the
    // search, except on another push button, which Enter presses.
    auto *enter = new QShortcut(this);
    enter->setKeys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    enter->setContext(Qt::WidgetWithChildrenShortcut);
    connect(enter, &QShortcut::activated, this, &SearchPage::onEnter);
}

void SearchPage::build()
{
    auto *options = new QVBoxLayout;
    const QStringList optionCaptions = {"Zarp&o", "Me&lvi", "Trun&da", "Vas&quo"};
    for (const Category &category : categories())
        m_options.push_back(named(new QRadioButton(optionCaptions.at(category.id), this), category.searchOption));
    m_options.push_back(named(new QRadioButton(QStringLiteral("To&utes"), this), QStringLiteral("opt_toutes")));
    for (QRadioButton *option : m_options)
        options->addWidget(option);

    m_criterion = named(new QLineEdit(this), QStringLiteral("cherche"));
    m_go = named(new QPushButton(QStringLiteral("&GO !"), this), QStringLiteral("bt_search"));
    m_go->setDefault(true);
    auto *criterion = new QHBoxLayout;
    criterion->addWidget(m_criterion, 1);
    criterion->addWidget(m_go);
    m_ignoreAccents = named(new QCheckBox(QStringLiteral("Ignorer les &accents"), this), QStringLiteral("chk_sans_accents"));
    m_ignoreAccents->setChecked(true);
    auto *right = new QVBoxLayout;
    right->addLayout(criterion);
    right->addWidget(m_ignoreAccents);
    right->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addLayout(options);
    top->addLayout(right, 1);

    m_results = new Grid(QStringLiteral("grille_search"), 4, Grid::Look::Search, this);
    m_count = named(new QLabel(noneFound(), this), QStringLiteral("nb_trouvé"));
    m_check = named(new QPushButton(QStringLiteral("Vérifier les MA&J"), this), QStringLiteral("bt_last"));
    m_check->setAutoDefault(false);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_count);
    bottom->addWidget(named(new QLabel(this), QStringLiteral("nb_founded")), 1);
    bottom->addWidget(m_check);

    QList<QWidget *> order(m_options.begin(), m_options.end());
    order << m_criterion << m_go << m_ignoreAccents << m_results << m_check;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_results, 1);
    layout->addLayout(bottom);
}

void SearchPage::writeHeader()
{
    m_results->setColumns({{" N°", pixels(500)}, {" Nom", pixels(3000)}, {" Auteur", pixels(1500)}, {" Liste", pixels(1000)}});
    m_results->setColumnHidden(3, true); // shown for a search of every list
}

std::vector<const Category *> SearchPage::selectedLists() const
{
    std::vector<const Category *> lists;
    for (const Category &category : categories())
        if (m_options.back()->isChecked() || m_options[std::size_t(category.id)]->isChecked())
            lists.push_back(&category);
    return lists;
}

void SearchPage::onEnter()
{
    auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
    if (button && button != m_go)
        button->click();
    else
        m_go->click();
}

void SearchPage::run()
{
    Services &services = *m_context.services;
    const std::vector<const Category *> lists = selectedLists();
    if (lists.empty()) {
        services.message(window(), QStringLiteral("Merci de spécifier où chercher."), MessageIcon::Exclamation);
        return;
    }
    const QString criterion = m_criterion->text().trimmed();
    if (criterion != m_criterion->text())
        m_criterion->setText(criterion);
    if (criterion.isEmpty()) {
        services.message(window(), QStringLiteral("Pas de critère de recherche."), MessageIcon::Exclamation);
        return;
    }

    // Ticked: accents, ligatures and letter case set aside; else the case only.
    const bool ignoreAccents = m_ignoreAccents->isChecked();
    const auto searchKey = [ignoreAccents](const QString &text) {
        return ignoreAccents ? frenchSortKey(text) : text.toUpper();
    };
    const QString wanted = searchKey(criterion);
    std::vector<QStringList> found;
    std::vector<const Category *> foundIn;
    for (const Category *category : lists) {
        Result<std::vector<GridRow>> entries = m_context.catalogue->storedRows(*category);
        if (!entries) {
            services.message(window(), entries.error(), MessageIcon::Critical);
            return;
        }
        for (const GridRow &entry : *entries) {
            if (searchKey(entry.name).contains(wanted)) {
                found.push_back({entry.ref, entry.name, entry.author, category->tabCaption});
                foundIn.push_back(category);
            }
        }
    }

    const int count = int(found.size());
    // After the matches an empty row; with none, the row that says so.
    found.push_back({QString(), count > 0 ? QString() : QStringLiteral("Non trouvé")});
    m_results->setColumnHidden(3, lists.size() == 1);
    m_results->setRowTexts(std::move(found));
    m_results->setCurrentCell(1, 1);
    m_count->setText(count > 0 ? foundCount(count) : noneFound());
    m_resultLists = std::move(foundIn);
}

void SearchPage::clear()
{
    m_criterion->clear();
    m_results->setRowTexts({{QString(), QString()}});
    m_results->setColumnHidden(3, !m_options.back()->isChecked());
    m_count->setText(noneFound());
    m_resultLists.clear();
}

void SearchPage::choose(int resultRow)
{
    if (resultRow < 1 || resultRow > int(m_resultLists.size()))
        return;
    const QString numberText = m_results->text(resultRow, 0);
    if (!numberText.trimmed().isEmpty())
        emit resultChosen(*m_resultLists[std::size_t(resultRow - 1)], leadingNumber(numberText));
}

namespace {

// Shows the entry on its list's tab, highlighted, if the list's grid shows it.
void jump(MainForm &form, const Category &category, int number)
{
    Grid &grid = *form.tab(category).grid;
    const int row = rowOfNumber(grid, number);
    if (row == 0)
        return;

    // Changing the tab runs the tab-change handling first, which removes
    // the previous highlight and empties the fields.
    form.onglet->setCurrentIndex(category.tabIndex);
    if (form.onglet->currentIndex() != category.tabIndex)
        return; // the user kept what the fields hold

    grid.setCurrentCell(row, GridModel::jumpColumn);
    grid.setTopRow(row);
    grid.setJumpRow(row);
    grid.ignoreMouseForADoubleClick();
}

} // namespace

void attach(MainForm &form, Context &)
{
    QObject::connect(form.search, &SearchPage::resultChosen, form.window,
                     [&form](const Category &category, int number) { jump(form, category, number); });
}

} // namespace tabrix::search
