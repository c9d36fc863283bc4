#pragma once

// The real program over a catalogue of twelve entries per list, driven
// through its keyboard and its buttons, with what the file holds at hand.

#include "support/testsupport.h"
#include "support/userinput.h"
#include "ui/categorytab.h"
#include "ui/mainform.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTest>

#include <array>

namespace tabrix::test {

constexpr int fixtureEntries = 12;

struct ProgramFixture {
    ProgramFixture()
    {
        createEmptyCatalogue(dir.catalogue());
        for (const Category &category : categories())
            insertEntries(dir.catalogue(), category, numberedEntries(fixtureEntries, {"Zoé", "Adèle"}));
        insertAuthors(dir.catalogue(), {"Zoé", "Adèle"});
    }

    // False, with the message in `services`, when start-up refused.
    bool start()
    {
        window = startProgram(dir, services);
        if (!window)
            return false;
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    CategoryTab &tab(const Category &category) { return window->form().tab(category); }

    // Opens the list's tab and types into its edit fields: number, name,
    // author, image link, forum link.
    void type(const Category &category, const QStringList &f)
    {
        click(window->form().onglet->tabButton(category.tabIndex));
        CategoryTab &t = tab(category);
        const std::array<QLineEdit *, 5> boxes{t.number, t.name, t.author->lineEdit(), t.url, t.link};
        for (std::size_t i = 0; i < boxes.size(); ++i)
            typeInto(boxes[i], f[qsizetype(i)]);
    }
    QStringList fields(const Category &category)
    {
        CategoryTab &t = tab(category);
        return {t.number->text(), t.name->text(), t.authorText(), t.url->text(), t.link->text()};
    }

    // Presses "MAJ" or "Ajouter".
    void press(const Category &category, bool update)
    {
        click(update ? tab(category).updateButton : tab(category).addButton);
    }

    // The single message shown, or how many there were.
    QString onlyMessage() const
    {
        return services.messages.size() == 1 ? services.messages[0].text
                                             : QStringLiteral("%1 messages").arg(services.messages.size());
    }

    // Every row of the grid, header included, as shown.
    std::vector<QStringList> grid(const Category &category)
    {
        Grid &g = *tab(category).grid;
        std::vector<QStringList> rows;
        for (int r = 0; r < g.rows(); ++r)
            rows.push_back({g.text(r, 0), g.text(r, 1), g.text(r, 2)});
        return rows;
    }

    // The four lists, the authors and the schema, as the file holds them.
    std::vector<std::vector<QStringList>> tables() const
    {
        std::vector<std::vector<QStringList>> all;
        for (const Category &category : categories())
            all.push_back(tableRows(dir.catalogue(), category.table));
        all.push_back(tableRows(dir.catalogue(), QStringLiteral("auteurs")));
        all.push_back(tableRows(dir.catalogue(), QStringLiteral("sqlite_master")));
        return all;
    }

    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;
};

} // namespace tabrix::test
