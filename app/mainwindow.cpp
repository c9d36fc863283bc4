#include "app/mainwindow.h"

#include "stats/statspage.h"
#include "store/authors.h"
#include "ui/colours.h"
#include "ui/parts.h"
#include "ui/pendingedits.h"
#include "ui/wheelguard.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tabrix {

namespace {

QLabel *label(const QString &name, const QString &caption, QWidget *parent)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

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
    pages[3] = buildSearchPage();
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

QWidget *MainWindow::buildSearchPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("page_recherche"));

    auto *options = new QVBoxLayout;
    const QStringList optionCaptions = {"Zarp&o", "Me&lvi", "Trun&da", "Vas&quo"};
    for (const Category &category : categories()) {
        auto *option = new QRadioButton(optionCaptions.at(category.id), page);
        option->setObjectName(category.searchOption);
        m_form.searchOptions[std::size_t(category.id)] = option;
        options->addWidget(option);
    }
    m_form.allOption = new QRadioButton(QStringLiteral("To&utes"), page);
    m_form.allOption->setObjectName(QStringLiteral("opt_toutes"));
    options->addWidget(m_form.allOption);

    m_form.cherche = new QLineEdit(page);
    m_form.cherche->setObjectName(QStringLiteral("cherche"));
    m_form.btSearch = new QPushButton(QStringLiteral("&GO !"), page);
    m_form.btSearch->setObjectName(QStringLiteral("bt_search"));
    m_form.btSearch->setDefault(true);
    auto *criterion = new QHBoxLayout;
    criterion->addWidget(m_form.cherche, 1);
    criterion->addWidget(m_form.btSearch);
    m_form.ignoreAccents = new QCheckBox(QStringLiteral("Ignorer les &accents"), page);
    m_form.ignoreAccents->setObjectName(QStringLiteral("chk_sans_accents"));
    m_form.ignoreAccents->setChecked(true);
    auto *right = new QVBoxLayout;
    right->addLayout(criterion);
    right->addWidget(m_form.ignoreAccents);
    right->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addLayout(options);
    top->addLayout(right, 1);

    m_form.grilleSearch = new Grid(QStringLiteral("grille_search"), 4, Grid::Look::Search, page);
    m_form.nbTrouve = label(QStringLiteral("nb_trouvé"), QStringLiteral("0 élément trouvé."), page);
    m_form.nbFounded = label(QStringLiteral("nb_founded"), QString(), page);
    m_form.btLast = new QPushButton(QStringLiteral("Vérifier les MA&J"), page);
    m_form.btLast->setObjectName(QStringLiteral("bt_last"));
    m_form.btLast->setAutoDefault(false);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_form.nbTrouve);
    bottom->addWidget(m_form.nbFounded, 1);
    bottom->addWidget(m_form.btLast);

    const QList<QWidget *> order = {m_form.searchOptions[0], m_form.searchOptions[1], m_form.searchOptions[2],
                                    m_form.searchOptions[3], m_form.allOption, m_form.cherche, m_form.btSearch,
                                    m_form.ignoreAccents, m_form.grilleSearch, m_form.btLast};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(m_form.grilleSearch, 1);
    layout->addLayout(bottom);
    return page;
}

Status MainWindow::load()
{
    m_form.onglet->setCurrentIndex(0);

    for (CategoryTab *tab : m_form.tabs)
        tab->writeHeader();
    m_form.grilleSearch->setText(0, 0, QStringLiteral(" N°"));
    m_form.grilleSearch->setColumnWidth(0, pixels(500));
    m_form.grilleSearch->setText(0, 1, QStringLiteral(" Nom"));
    m_form.grilleSearch->setColumnWidth(1, pixels(3000));
    m_form.grilleSearch->setText(0, 2, QStringLiteral(" Auteur"));
    m_form.grilleSearch->setColumnWidth(2, pixels(1500));
    m_form.grilleSearch->setText(0, 3, QStringLiteral(" Liste"));
    m_form.grilleSearch->setColumnWidth(3, pixels(1000));
    m_form.grilleSearch->setColumnHidden(3, true); // shown for a search of every list

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
