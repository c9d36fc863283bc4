#pragma once

#include <QString>

#include <vector>

namespace tabrix {

// One of the four numbered lists. Everything that differs between the lists
// is a value in this table; every operation is written once against it.
struct Category {
    int id;                 // position in categories(): 0 zarpo, 1 melvi, 2 trunda, 3 titres
    QString table;          // table name, also the control-name stem: "zarpo"
    QString nameField;      // "nom", or "lieu" for melvi
    QString nameLabel;      // "Nom" / "Lieu"
    QString tabCaption;     // "Zarpo" ... "Vasquo"
    int tabIndex;           // page of the tab control: 0, 1, 2, 5
    QString word;           // word in the number messages: "zarpo"
    QString topButton;      // object name of the "<<" button
    QString bottomButton;   // object name of the ">>" button
    QString frame;          // object name of the "Affichage" frame
    QString searchOption;   // object name of the search scope option
    bool needsForumLink;    // the display also requires a forum link
    int checkRow;           // row (1-4) in the latest-number window
    int checkValueColumn;   // 1-based column of that row's value in the finder's file

    // Object names of the controls of the category's tab.
    QString grid() const { return table; }
    QString numberBox() const { return QStringLiteral("no_") + table; }
    QString nameBox() const { return QStringLiteral("nom_") + table; }
    QString authorBox() const { return QStringLiteral("list_") + table; }
    QString urlBox() const { return QStringLiteral("url_") + table; }
    QString linkBox() const { return QStringLiteral("url_") + table + QStringLiteral("_nrv"); }
    QString addButton() const { return QStringLiteral("bt_add_") + table; }
    QString updateButton() const { return QStringLiteral("bt_maj_") + table; }
    QString undoButton() const { return QStringLiteral("bt_annuler_") + table; }
    QString showCheck() const { return QStringLiteral("chk_img_") + table; }
    QString forumOption() const { return QStringLiteral("nrv_") + table; }
    QString webOption() const { return QStringLiteral("web_") + table; }
    QString windowOption() const { return QStringLiteral("win_") + table; }
    QString statsGrid() const { return table + QStringLiteral("_stats"); }
};

// The four lists, in the order zarpo, melvi, trunda, titres.
const std::vector<Category> &categories();

// The list shown on a page of the tab control, or nullptr.
const Category *categoryForTab(int tabIndex);
const Category *categoryByTable(const QString &table);

// The text that stands for a missing link.
inline const QString &notAvailable()
{
    static const QString text = QStringLiteral("Non disponible");
    return text;
}

} // namespace tabrix

namespace tabrix {

// The beginning of the forum's web addresses (scheme and start of the host,
// 20 characters). Links that start with it are the forum's own.
inline const QString &forumPrefix()
{
    static const QString prefix = QStringLiteral("https://www.norvane.");
    return prefix;
}

} // namespace tabrix
