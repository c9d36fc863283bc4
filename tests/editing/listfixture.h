#pragma once

// A list's tab over a real catalogue file, shown, for driving "Ajouter" and
// "MAJ" through the keyboard and the mouse without the whole main window.

#include "editing/entryops.h"
#include "editing/numbertext.h"
#include "store/catalogue.h"
#include "support/testsupport.h"
#include "support/userinput.h"
#include "ui/categorytab.h"
#include "support/recordingservices.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

namespace tabrix::test {

// What the five edit fields hold.
struct Fields {
    QString number, name, author, url, link;
    bool operator==(const Fields &) const = default;
    // The record these fields are stored as: an empty link is "Non disponible".
    QStringList stored() const
    {
        return {number, name, author, url.isEmpty() ? notAvailable() : url, link.isEmpty() ? notAvailable() : link};
    }
};

inline char *toString(const Fields &f)
{
    return QTest::toString(QStringLiteral("[%1|%2|%3|%4|%5]").arg(f.number, f.name, f.author, f.url, f.link));
}

using Rows = std::vector<QStringList>;

inline QStringList authorNames(const QString &catalogue)
{
    QStringList names;
    for (const QStringList &row : tableRows(catalogue, QStringLiteral("auteurs")))
        names << row.value(0);
    return names;
}

// The list's table, the grid's data rows and the authors' table, together.
struct Snapshot {
    Rows table, grid;
    QStringList authors;
    bool operator==(const Snapshot &) const = default;
};

class ListFixture {
public:
    explicit ListFixture(const Category &category, const std::vector<Entry> &entries = {},
                         const QStringList &authors = {}, SortColumn shown = SortColumn::Number)
        : category(category)
    {
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), category, entries);
        insertAuthors(dir.catalogue(), authors);
        catalogue = openCatalogue(dir.catalogue());
        tab = std::make_unique<CategoryTab>(category);
        tab->writeHeader();
        const Result<std::vector<GridRow>> rows = catalogue->rows(category, shown);
        if (!rows)
            qFatal("%s", qPrintable(rows.error()));
        tab->fillGrid(*rows);
        QObject::connect(tab->addButton, &QPushButton::clicked, tab.get(),
                         [this] { outcome = editing::addEntry(*catalogue, *tab, services); });
        QObject::connect(tab->updateButton, &QPushButton::clicked, tab.get(),
                         [this] { outcome = editing::updateEntry(*catalogue, *tab, services); });
        tab->resize(900, 400);
        tab->show();
        if (!QTest::qWaitForWindowExposed(tab.get()))
            qFatal("the tab is not shown");
    }

    void type(const Fields &f)
    {
        typeInto(tab->number, f.number);
        typeInto(tab->name, f.name);
        typeInto(tab->author->lineEdit(), f.author);
        typeInto(tab->url, f.url);
        typeInto(tab->link, f.link);
    }

    Fields fields() const
    {
        return {tab->number->text(), tab->name->text(), tab->authorText(), tab->url->text(), tab->link->text()};
    }

    // Presses the button with the mouse; how the press ended.
    editing::Outcome add() { return press(tab->addButton); }
    editing::Outcome update() { return press(tab->updateButton); }
    editing::Outcome press(QPushButton *button)
    {
        outcome = std::nullopt;
        click(button);
        if (!outcome)
            qFatal("the press did nothing");
        return *outcome;
    }

    Rows table() const { return tableRows(dir.catalogue(), category.table); }
    QStringList authors() const { return authorNames(dir.catalogue()); }
    Rows gridRows() const
    {
        Rows rows;
        for (int r = 1; r < tab->grid->rows(); ++r)
            rows.push_back({tab->grid->text(r, 0), tab->grid->text(r, 1), tab->grid->text(r, 2)});
        return rows;
    }
    Snapshot snapshot() const { return {table(), gridRows(), authors()}; }

    // The one message shown as "text" when it has this icon, else what was shown.
    QString onlyMessage(MessageIcon icon) const
    {
        if (services.messages.size() == 1 && services.messages[0].icon == icon)
            return services.messages[0].text;
        return QStringLiteral("<%1 messages, last: %2>").arg(services.messages.size()).arg(services.lastText());
    }

    // The entry as the program reads it back through a fresh connection.
    QStringList reread(const QString &ref)
    {
        catalogue = openCatalogue(dir.catalogue());
        const Result<std::optional<Entry>> found = catalogue->find(category, ref);
        if (!found || !found->has_value())
            return {};
        const Entry &e = **found;
        return {e.ref, e.name, e.author, e.url.value_or("<none>"), e.link.value_or("<none>")};
    }

    const Category &category;
    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<CategoryTab> tab;
    std::optional<editing::Outcome> outcome;
};

} // namespace tabrix::test

Q_DECLARE_METATYPE(tabrix::test::Fields)
