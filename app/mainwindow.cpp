#include "app/mainwindow.h"

#include "search/searchpage.h"
#include "stats/statspage.h"
#include "store/authors.h"
#include "ui/colours.h"
#include "ui/parts.h"
#include "ui/pendingedits.h"
#include "ui/wheelguard.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace tabrix {

MainWindow::MainWindow(std::unique_ptr<Catalogue> catalogue, Services &services, const QString &programDir,
                       QWidget *parent)
    : QWidget(parent), m_catalogue(std::move(catalogue))
{
    m_context.catalogue = m_catalogue.get();
    m_context.services = &services;
    m_context.programDir = programDir;
    m_form.window = this;

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zarpo - Melvi - Trunda - 4.3-1"));
    QPalette p = palette();
    p.setColor(QPalette::Window, colours::window());
    setPalette(p);
    setAutoFillBackground(true);

    m_form.onglet = new TabControl(QStringLiteral("onglet"), 3, this);
    std::array<QWidget *, 6> pages{};
    for (const Category &category : categories()) {
        auto *tab = new CategoryTab(category, this);
        m_form.tabs[std::size_t(category.id)] = tab;
        pages[std::size_t(category.tabIndex)] = tab;
    }
    pages[3] = m_form.search = new search::SearchPage(m_context, this);
    pages[4] = m_form.stats = new stats::StatsPage(this);
    // Each caption carries its keyboard accelerator (Alt + the letter after "&").
    const QStringList captions = {"&Zarpo", "M&elvi", "&Trunda", "&Recherche", "&Stats", "&Vasquo"};
    for (int i = 0; i < 6; ++i)
        m_form.onglet->addTab(pages[std::size_t(i)], captions.at(i));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_form.onglet);
    resize(pixels(7575), pixels(9510));
    guardWheel(this);
}

MainWindow::~MainWindow() = default;

Status MainWindow::load()
{
    m_form.onglet->setCurrentIndex(0);

    for (CategoryTab *tab : m_form.tabs)
        tab->writeHeader();

    for (const Category &category : categories()) {
        Result<std::vector<GridRow>> rows = m_catalogue->rows(category, SortColumn::Number);
        if (!rows)
            return Failure{rows.error()};
        CategoryTab &tab = m_form.tab(category);
        tab.setAuthors(rankAuthors(*rows));
        tab.fillGrid(*rows);
    }

    editing::attach(m_form, m_context);
    browse::attach(m_form, m_context);
    stats::attach(m_form, m_context);
    search::attach(m_form, m_context);
    check::attach(m_form, m_context);
    keeper::attach(m_form, m_context);
    return success();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!mayDropEdits(m_form, *m_context.services)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace tabrix
