#pragma once

#include <QWidget>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tabrix {

struct Category;
struct Context;
class Grid;

namespace search {

// The "Recherche" tab: the search by name in one list or in all four, its
// results and their count, and "Vérifier les MAJ". It keeps its controls to
// itself and says what the user asked for through its signals.
class SearchPage : public QWidget {
    Q_OBJECT
public:
    explicit SearchPage(Context &context, QWidget *parent = nullptr);

    // Searches the chosen list, or every list, for the criterion ("GO !",
    // or Enter on the tab), ignoring accents and letter case when "Ignorer
    // les accents" is ticked, else letter case only.
    void run();
    // Empties the criterion, the results and the count.
    void clear();

signals:
    // A click (or Enter) on a result: the entry of this number in this list.
    void resultChosen(const tabrix::Category &category, int number);
    // "Vérifier les MAJ".
    void checkRequested();

private:
    void build();
    void writeHeader();
    std::vector<const Category *> selectedLists() const;
    void onEnter();
    void choose(int resultRow);

    Context &m_context;
    std::vector<QRadioButton *> m_options; // in categories() order, then "Toutes"
    QLineEdit *m_criterion = nullptr;
    QPushButton *m_go = nullptr;
    QCheckBox *m_ignoreAccents = nullptr;
    Grid *m_results = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_check = nullptr;
    std::vector<const Category *> m_resultLists; // the list of each shown result
};

// The first data row of a category grid whose number column holds `number`;
// 0 when the grid does not show it.
int rowOfNumber(const Grid &grid, int number);

} // namespace search
} // namespace tabrix
