#pragma once

#include "store/catalogue.h"
#include "store/category.h"
#include "ui/grid.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tabrix {

// The page of one list: its grid, the five edit fields, the buttons and the
// "Affichage" frame, every control named after the list.
class CategoryTab : public QWidget {
    Q_OBJECT
public:
    CategoryTab(const Category &category, QWidget *parent = nullptr);

    const Category &category() const { return m_category; }

    Grid *grid;
    QLineEdit *number;
    QLineEdit *name;
    QComboBox *author;
    QLineEdit *url;
    QLineEdit *link;
    QPushButton *addButton;
    QPushButton *updateButton;
    QPushButton *undoButton; // "Annuler", Ctrl+Z
    QPushButton *topButton;    // "<<"
    QPushButton *bottomButton; // ">>"
    QGroupBox *frame;
    QCheckBox *showCheck;
    QRadioButton *windowOption; // "Img fenêtre"
    QRadioButton *webOption;    // "Img WEB"
    QRadioButton *forumOption;  // "Norvane"

    QString authorText() const;
    void setAuthorText(const QString &text);
    // Empties the number, name, author, image link and forum link fields; no
    // row is shown as loaded any more, and the number box proposes the next
    // number again.
    void clearFields();
    // Writes the header texts and widths of the grid.
    void writeHeader();
    // Shows these entries in the grid, one row each, and scrolls to the end.
    void fillGrid(const std::vector<GridRow> &rows);
    // The author list of the combo box.
    void setAuthors(const std::vector<QString> &authors);

private:
    // Shows the number after the largest in the grid as the number box's
    // grey placeholder ("058"); none once the list is full. Run whenever the
    // grid's numbers change, not at every emptying of the fields.
    void proposeNextNumber();
    void makeFields();
    void makeButtons();
    void makeFrame();
    void layOut();

    const Category &m_category;
};

} // namespace tabrix
