#include "search/searchtab.h"

#include "stats/tabchange.h"
#include "store/catalogue.h"
#include "store/entrynumber.h"
#include "store/french.h"
#include "ui/mainform.h"
#include "ui/parts.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

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

SearchTab::SearchTab(MainForm &form, Context &context, QObject *parent)
    : QObject(parent), m_form(form), m_context(context)
{
    connect(form.btSearch, &QPushButton::clicked, this, &SearchTab::run);
    for (QRadioButton *option : form.searchOptions)
        connect(option, &QRadioButton::clicked, this, &SearchTab::clear);
    connect(form.allOption, &QRadioButton::clicked, this, &SearchTab::clear);
    connect(form.grilleSearch, &Grid::cellClicked, this, [this](int row, int) { jump(row); });

    // "GO !" is the tab's default button: Enter anywhere on the tab runs the
    // search, except on another push button, which Enter presses.
    auto *enter = new QShortcut(form.btSearch->parentWidget());
    enter->setKeys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    enter->setContext(Qt::WidgetWithChildrenShortcut);
    connect(enter, &QShortcut::activated, this, &SearchTab::onEnter);
}

std::vector<const Category *> SearchTab::selectedLists() const
{
    std::vector<const Category *> lists;
    for (const Category &category : categories())
        if (m_form.allOption->isChecked() || m_form.searchOptions[std::size_t(category.id)]->isChecked())
            lists.push_back(&category);
    return lists;
}

void SearchTab::onEnter()
{
    auto *button = qobject_cast<QPushButton *>(QApplication::focusWidget());
    if (button && button != m_form.btSearch)
        button->click();
    else
        m_form.btSearch->click();
}

void SearchTab::run()
{
    Services &services = *m_context.services;
    const std::vector<const Category *> lists = selectedLists();
    if (lists.empty()) {
        services.message(m_form.window, QStringLiteral("Merci de spécifier où chercher."), MessageIcon::Exclamation);
        return;
    }
    const QString criterion = m_form.cherche->text().trimmed();
    if (criterion != m_form.cherche->text())
        m_form.cherche->setText(criterion);
    if (criterion.isEmpty()) {
        services.message(m_form.window, QStringLiteral("Pas de critère de recherche."), MessageIcon::Exclamation);
        return;
    }

    // Ticked: accents, ligatures and letter case set aside; else the case only.
    const bool ignoreAccents = m_form.ignoreAccents->isChecked();
    const auto searchKey = [ignoreAccents](const QString &text) {
        return ignoreAccents ? frenchSortKey(text) : text.toUpper();
    };
    const QString wanted = searchKey(criterion);
    std::vector<QStringList> found;
    std::vector<const Category *> foundIn;
    for (const Category *category : lists) {
        Result<std::vector<GridRow>> entries = m_context.catalogue->storedRows(*category);
        if (!entries) {
            services.message(m_form.window, entries.error(), MessageIcon::Critical);
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
    m_form.grilleSearch->setColumnHidden(3, lists.size() == 1);
    m_form.grilleSearch->setRowTexts(std::move(found));
    m_form.grilleSearch->setCurrentCell(1, 1);
    m_form.nbTrouve->setText(count > 0 ? foundCount(count) : noneFound());
    m_resultLists = std::move(foundIn);
}

void SearchTab::clear()
{
    m_form.cherche->clear();
    m_form.grilleSearch->setRowTexts({{QString(), QString()}});
    m_form.grilleSearch->setColumnHidden(3, !m_form.allOption->isChecked());
    m_form.nbTrouve->setText(noneFound());
    m_resultLists.clear();
}

void SearchTab::jump(int resultRow)
{
    if (resultRow < 1 || resultRow > int(m_resultLists.size()))
        return;
    const QString numberText = m_form.grilleSearch->text(resultRow, 0);
    if (numberText.trimmed().isEmpty())
        return;
    const Category &category = *m_resultLists[std::size_t(resultRow - 1)];
    CategoryTab &tab = m_form.tab(category);
    Grid &grid = *tab.grid;
    const int row = rowOfNumber(grid, leadingNumber(numberText));
    if (row == 0)
        return;

    // Changing the tab runs the tab-change handling first, which removes
    // the previous highlight.
    m_form.onglet->setCurrentIndex(category.tabIndex);
    if (m_form.onglet->currentIndex() != category.tabIndex)
        return; // the user kept what the fields hold

    grid.setCurrentCell(row, GridModel::jumpColumn);
    grid.setTopRow(row);
    grid.setJumpRow(row);

    tab.clearFields();
}

void attach(MainForm &form, Context &context)
{
    QObject::connect(form.onglet, &TabControl::currentChanged, form.window,
                     [&form, &context](int) { stats::handleTabChange(form, context); });
    new SearchTab(form, context, form.window);
}

} // namespace tabrix::search
