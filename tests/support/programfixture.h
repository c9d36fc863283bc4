#pragma once

// The real program on a catalogue of its own, driven through its keyboard
// and its mouse, with what the file holds at hand. By default every list
// holds twelve entries.

#include "support/screen.h"
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
#include <functional>

namespace tabrix::test {

constexpr int fixtureEntries = 12;

struct ProgramFixture {
    ProgramFixture()
        : ProgramFixture([](const QString &path) {
              for (const Category &category : categories())
                  insertEntries(path, category, numberedEntries(fixtureEntries, {"Zoé", "Adèle"}));
              insertAuthors(path, {"Zoé", "Adèle"});
          })
    {
    }
    // A new catalogue filled by `write`; start() runs the program on it.
    explicit ProgramFixture(const std::function<void(const QString &path)> &write)
    {
        createEmptyCatalogue(dir.catalogue());
        write(dir.catalogue());
    }
    // Started at once on the tab of `category`, whose list (every list when
    // `everyList`) holds `entries`; `ok` tells whether it started.
    ProgramFixture(const Category &category, const std::vector<Entry> &entries, bool everyList = false)
        : ProgramFixture([&](const QString &path) {
              for (const Category &c : categories())
                  if (!entries.empty() && (everyList || c.id == category.id))
                      insertEntries(path, c, entries);
          })
    {
        start(category.tabIndex);
    }

    // False, with the message in `services`, when start-up refused. Shown on
    // the tab `tabIndex` (the program's own choice for -1), so that the grids
    // have their real geometry.
    bool start(int tabIndex = -1)
    {
        window = startProgram(dir, services);
        if (!window)
            return ok = false;
        if (tabIndex >= 0)
            window->form().onglet->setCurrentIndex(tabIndex);
        window->show();
        ok = QTest::qWaitForWindowExposed(window.get());
        QCoreApplication::processEvents();
        return ok;
    }
    // Active, so that keys reach the window.
    bool activate()
    {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    MainForm &form() { return window->form(); }
    // A control of the window, by its name.
    template <typename T>
    T *find(const QString &name) const { return window->findChild<T *>(name); }
    // Chooses a list on the "Recherche" tab by its option's name, types the
    // criterion and presses "GO !".
    void search(const QString &option, const QString &text)
    {
        click(find<QAbstractButton>(option));
        typeInto(find<QLineEdit>("cherche"), text);
        click(find<QAbstractButton>("bt_search"));
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
            typeInto(boxes[i], f.value(qsizetype(i)));
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

    // Fills the edit fields of every list, as the user may leave them.
    void fillAllFields()
    {
        for (CategoryTab *t : form().tabs) {
            for (QLineEdit *field : {t->number, t->name, t->url, t->link})
                field->setText(QStringLiteral("042"));
            t->setAuthorText(QStringLiteral("Zoé"));
        }
    }
    // Empty when every edit field of every list is empty, otherwise the
    // name of the first field that is not.
    QString firstFilledField()
    {
        for (const CategoryTab *t : form().tabs) {
            for (const QLineEdit *field : {t->number, t->name, t->url, t->link})
                if (!field->text().isEmpty())
                    return field->objectName();
            if (!t->authorText().isEmpty())
                return t->author->objectName();
        }
        return QString();
    }

    // The entry as the program reads it back through a fresh connection.
    QStringList reread(const Category &category, const QString &ref) const
    {
        const Result<std::optional<Entry>> found = openCatalogue(dir.catalogue())->find(category, ref);
        if (!found || !found->has_value())
            return {};
        const Entry &e = **found;
        return {e.ref, e.name, e.author, e.url.value_or("<none>"), e.link.value_or("<none>")};
    }

    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;
    bool ok = false;
};

} // namespace tabrix::test
