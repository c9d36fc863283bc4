#pragma once

// The real program over a catalogue of twelve entries per list, driven
// through its buttons, with what the file holds at hand.

#include "support/testsupport.h"
#include "ui/categorytab.h"
#include "ui/mainform.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

namespace tabrix::test {

constexpr int fixtureEntries = 12;

// What the five edit fields of a tab hold.
struct Fields {
    QString number, name, author, url, link;
    bool operator==(const Fields &) const = default;
};

inline char *toString(const Fields &f)
{
    return QTest::toString(QStringLiteral("[%1|%2|%3|%4|%5]").arg(f.number, f.name, f.author, f.url, f.link));
}

class ProgramFixture {
public:
    ProgramFixture()
    {
        createEmptyCatalogue(dir.catalogue());
        for (const Category &category : categories())
            insertEntries(dir.catalogue(), category, numberedEntries(fixtureEntries, {"Zoé", "Adèle"}));
        insertAuthors(dir.catalogue(), {"Zoé", "Adèle"});
    }

    // Starts the program; false (with the message in `services`) when it refused.
    bool start()
    {
        window = startProgram(dir, services);
        return window != nullptr;
    }

    CategoryTab &tab(const Category &category) { return window->form().tab(category); }

    void type(const Category &category, const Fields &f)
    {
        CategoryTab &t = tab(category);
        t.number->setText(f.number);
        t.name->setText(f.name);
        t.setAuthorText(f.author);
        t.url->setText(f.url);
        t.link->setText(f.link);
    }

    Fields fields(const Category &category)
    {
        CategoryTab &t = tab(category);
        return {t.number->text(), t.name->text(), t.authorText(), t.url->text(), t.link->text()};
    }

    void pressAdd(const Category &category) { button(category.addButton())->click(); }
    void pressUpdate(const Category &category) { button(category.updateButton())->click(); }

    // Every row of the grid, header included, as shown.
    std::vector<QStringList> grid(const Category &category)
    {
        Grid &g = *tab(category).grid;
        std::vector<QStringList> rows;
        for (int r = 0; r < g.rows(); ++r)
            rows.push_back({g.text(r, 0), g.text(r, 1), g.text(r, 2)});
        return rows;
    }

    // Every table of the file, in stored order.
    std::vector<std::vector<QStringList>> tables() const
    {
        std::vector<std::vector<QStringList>> all;
        for (const Category &category : categories())
            all.push_back(tableRows(dir.catalogue(), category.table));
        all.push_back(tableRows(dir.catalogue(), QStringLiteral("auteurs")));
        return all;
    }

    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;

private:
    QPushButton *button(const QString &name)
    {
        auto *b = window->findChild<QPushButton *>(name);
        if (!b)
            qFatal("no button %s", qPrintable(name));
        return b;
    }
};

} // namespace tabrix::test

Q_DECLARE_METATYPE(tabrix::test::Fields)
