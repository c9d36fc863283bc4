#pragma once

// A list's tab over a real catalogue file, for driving "Ajouter" and "MAJ"
// without the whole main window.

#include "editing/entryops.h"
#include "editing/numbertext.h"
#include "store/catalogue.h"
#include "support/testsupport.h"
#include "ui/categorytab.h"
#include "ui/services.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include <memory>
#include <vector>

namespace tabrix::test {

// What the five edit fields hold.
struct Fields {
    QString number, name, author, url, link;
    bool operator==(const Fields &) const = default;
};

inline char *toString(const Fields &f)
{
    return QTest::toString(QStringLiteral("[%1|%2|%3|%4|%5]").arg(f.number, f.name, f.author, f.url, f.link));
}

// `count` entries numbered 001 … without gaps, except that `gapAt` (when
// not 0) is left out and the numbering goes on one further, so the grid
// asks for a number the list already has.
inline std::vector<Entry> entriesWithGap(int count, int gapAt, const QStringList &authors = {"Zoé"})
{
    std::vector<Entry> all = numberedEntries(gapAt > 0 ? count + 1 : count, authors);
    if (gapAt > 0)
        all.erase(all.begin() + (gapAt - 1));
    return all;
}

class ListFixture {
public:
    explicit ListFixture(const Category &category, const std::vector<Entry> &entries = {},
                         const QStringList &authors = {}, SortColumn shown = SortColumn::Number)
        : category(category)
    {
        createEmptyCatalogue(dir.catalogue());
        if (!entries.empty())
            insertEntries(dir.catalogue(), category, entries);
        if (!authors.isEmpty())
            insertAuthors(dir.catalogue(), authors);
        catalogue = openCatalogue(dir.catalogue());
        tab = std::make_unique<CategoryTab>(category);
        tab->writeHeader();
        const Result<std::vector<GridRow>> rows = catalogue->rows(category, shown);
        if (!rows)
            qFatal("%s", qPrintable(rows.error()));
        tab->fillGrid(*rows);
    }

    void type(const Fields &f)
    {
        tab->number->setText(f.number);
        tab->name->setText(f.name);
        tab->setAuthorText(f.author);
        tab->url->setText(f.url);
        tab->link->setText(f.link);
    }

    Fields fields() const
    {
        return {tab->number->text(), tab->name->text(), tab->authorText(), tab->url->text(), tab->link->text()};
    }

    editing::Outcome add() { return editing::addEntry(*catalogue, *tab, services); }
    editing::Outcome update() { return editing::updateEntry(*catalogue, *tab, services); }

    // The list's table and the authors' table as stored in the file.
    std::vector<QStringList> table() const { return tableRows(dir.catalogue(), category.table); }
    QStringList authors() const
    {
        QStringList names;
        for (const QStringList &row : tableRows(dir.catalogue(), QStringLiteral("auteurs")))
            names << row.value(0);
        return names;
    }

    // Every data row of the grid, as shown.
    std::vector<QStringList> gridRows() const
    {
        std::vector<QStringList> rows;
        for (int r = 1; r < tab->grid->rows(); ++r)
            rows.push_back({tab->grid->text(r, 0), tab->grid->text(r, 1), tab->grid->text(r, 2)});
        return rows;
    }

    const Category &category;
    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<CategoryTab> tab;
};

} // namespace tabrix::test

Q_DECLARE_METATYPE(tabrix::test::Fields)
