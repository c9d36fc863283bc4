#pragma once

#include <QObject>
#include <QString>

#include <vector>

namespace tabrix {
struct Category;
struct Context;
struct MainForm;
class Grid;
}

namespace tabrix::search {

// The behaviour of the "Recherche" tab: the search by name in one list or
// in all four, clearing it, and the jump from a result to its entry.
class SearchTab : public QObject {
    Q_OBJECT
public:
    SearchTab(MainForm &form, Context &context, QObject *parent = nullptr);

    // Searches the chosen list, or every list, for the text of `cherche`
    // (button "GO !", or Enter on the tab), ignoring accents and letter case
    // when "Ignorer les accents" is ticked, else letter case only.
    void run();
    // Empties the criterion, the result grid and the count.
    void clear();
    // Shows the entry of this result row on its list's tab, highlighted.
    void jump(int resultRow);

private:
    std::vector<const Category *> selectedLists() const;
    void onEnter();

    MainForm &m_form;
    Context &m_context;
    std::vector<const Category *> m_resultLists; // the list of each shown result
};


// The first data row of a category grid whose number column holds `number`;
// 0 when the grid does not show it.
int rowOfNumber(const Grid &grid, int number);

} // namespace tabrix::search
