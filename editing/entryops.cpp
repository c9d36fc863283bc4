#include "editing/entryops.h"

#include "store/catalogue.h"
#include "store/category.h"
#include "store/entrynumber.h"
#include "ui/busycursor.h"
#include "ui/categorytab.h"
#include "ui/grid.h"
#include "ui/services.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>

#include <algorithm>
#include <optional>
#include <utility>

namespace tabrix::editing {

namespace {

// The number column of a list's grid.
constexpr int numberColumn = 0;
constexpr int nameColumn = 1;
constexpr int authorColumn = 2;

// What the user typed in the five edit fields, as typed.
struct Typed {
    QString number;
    QString name;
    QString author;
    QString url;
    QString link;
};

Typed typedFields(const CategoryTab &tab)
{
    return Typed{tab.number->text(), tab.name->text(), tab.authorText(), tab.url->text(), tab.link->text()};
}

QString notNumericMessage(const Category &category)
{
    return QStringLiteral("Numéro de %1 non numérique ou absent.").arg(category.word);
}

QString orNotAvailable(const QString &link)
{
    return link.isEmpty() ? notAvailable() : link;
}

// The first field holding a character that cannot be stored as typed:
// broken UTF-16 (half of a surrogate pair, as a faulty paste may leave),
// which the file would hold altered, and control characters (NUL, line
// breaks, escapes), which would cut or garble the text where it is shown or
// compared. The tabulation, a blank like any other, is kept. Such a text is
// refused rather than silently changed.
std::optional<QString> unstorableField(const Typed &typed, const Category &category)
{
    const std::pair<const QString *, QString> fields[] = {
        {&typed.number, QStringLiteral("N°")},        {&typed.name, category.nameLabel},
        {&typed.author, QStringLiteral("Auteur")},    {&typed.url, QStringLiteral("Lien image")},
        {&typed.link, QStringLiteral("Lien Norvane")},
    };
    for (const auto &[text, label] : fields) {
        const bool control = std::any_of(text->begin(), text->end(),
                                         [](QChar c) { return c.category() == QChar::Other_Control && c != u'\t'; });
        if (control || !QStringView(*text).isValidUtf16())
            return QStringLiteral("Le champ « %1 » contient un caractère qui ne peut pas être enregistré "
                                  "(caractère de contrôle ou caractère invalide).")
                .arg(label);
    }
    return std::nullopt;
}

// The first failing check of an add, in their fixed order.
std::optional<QString> addRefusal(const Typed &typed, const CategoryTab &tab)
{
    if (typed.author.contains(QLatin1Char('\'')))
        return QStringLiteral("Apostrophe non autorisée dans le pseudo.");
    if (!isNumericText(typed.number))
        return notNumericMessage(tab.category());
    if (typed.number.size() != 3)
        return QStringLiteral("Le numéro doit être sur 3 caractères.");
    // The grid holds a header row and one row per entry: its row count is
    // the only number that can come next, up to the largest of 3 digits.
    const int expected = tab.grid->rows();
    if (expected > highestEntryNumber)
        return QStringLiteral("La liste %1 est pleine : elle compte déjà %2 entrées, le plus grand numéro possible "
                              "sur 3 chiffres. Aucune entrée ne peut y être ajoutée.")
            .arg(tab.category().word)
            .arg(highestEntryNumber);
    if (leadingValue(typed.number) != double(expected))
        return QStringLiteral("Le numéro ne suit pas. Il doit être égal à %1").arg(expected);
    // " 58", "+58" or "58." have the right value but would be stored as a
    // number that sorts and looks up apart from every other one.
    if (!isThreeDigitNumber(typed.number))
        return QStringLiteral("Le numéro doit être écrit avec 3 chiffres : %1.").arg(threeDigitText(expected));
    if (typed.name.trimmed().isEmpty())
        return QStringLiteral("Nom non renseigné.");
    if (typed.author.trimmed().isEmpty())
        return QStringLiteral("Auteur non renseigné.");
    return unstorableField(typed, tab.category());
}

// The checks an update shares with the add, without the add's own.
std::optional<QString> updateRefusal(const Typed &typed, const CategoryTab &tab)
{
    if (!isNumericText(typed.number))
        return notNumericMessage(tab.category());
    if (typed.name.trimmed().isEmpty())
        return QStringLiteral("Nom non renseigné.");
    if (typed.author.trimmed().isEmpty())
        return QStringLiteral("Auteur non renseigné.");
    return unstorableField(typed, tab.category());
}

void writeGridRow(Grid &grid, int row, const Typed &typed)
{
    editing::writeGridRow(grid, row, typed.number, typed.name, typed.author);
}

QString shownLink(const std::optional<QString> &link)
{
    return link ? QStringLiteral("« %1 »").arg(*link) : QStringLiteral("aucun");
}

QString described(const QString &number, const QString &name, const QString &author)
{
    return QStringLiteral("n° %1 « %2 » (auteur : %3)").arg(number, name, author);
}

enum class Answer { Yes, No, Unknown };

// A MAJ that would rewrite another entry than the one loaded from the grid
// (the current row's) asks first; a MAJ of the loaded entry asks nothing.
Answer confirmOverwrite(Catalogue &catalogue, const CategoryTab &tab, const Typed &typed, Services &services)
{
    const Grid &grid = *tab.grid;
    const QString loaded = grid.row() > 0 ? grid.text(grid.row(), numberColumn) : QString();
    if (typed.number == loaded)
        return Answer::Yes;
    const Result<std::optional<Entry>> existing = catalogue.find(tab.category(), typed.number);
    if (!existing)
        return Answer::Yes; // the write reports the failure
    if (!existing->has_value())
        return Answer::Unknown;
    const Entry &old = **existing;
    const QString loadedText = loaded.isEmpty()
                                   ? QStringLiteral("aucune entrée n'est chargée")
                                   : QStringLiteral("l'entrée chargée est le ") +
                                         described(loaded, grid.text(grid.row(), nameColumn),
                                                   grid.text(grid.row(), authorColumn));
    const QString question =
        QStringLiteral("« MAJ » va remplacer une autre entrée que celle chargée (%1).\n\n"
                       "Entrée remplacée : %2, lien image %3, lien Norvane %4.\n"
                       "Nouvelles valeurs : %5, lien image %6, lien Norvane %7.\n\n"
                       "Remplacer l'entrée n° %8 ?")
            .arg(loadedText, described(old.ref, old.name, old.author), shownLink(old.url), shownLink(old.link),
                 described(typed.number, typed.name, typed.author), shownLink(orNotAvailable(typed.url)),
                 shownLink(orNotAvailable(typed.link)), typed.number);
    return services.ask(tab.window(), question) ? Answer::Yes : Answer::No;
}

} // namespace

void writeGridRow(Grid &grid, int row, const QString &number, const QString &name, const QString &author)
{
    grid.setText(row, numberColumn, number);
    grid.setText(row, nameColumn, name);
    grid.setText(row, authorColumn, author);
}

int rowShowing(const Grid &grid, const QString &number)
{
    return grid.rowShowing(numberColumn, number, grid.row());
}

Outcome addEntry(Catalogue &catalogue, CategoryTab &tab, Services &services)
{
    const Category &category = tab.category();
    QWidget *parent = tab.window();
    Typed typed = typedFields(tab);

    if (const std::optional<QString> refusal = addRefusal(typed, tab)) {
        services.message(parent, *refusal, MessageIcon::Exclamation);
        return Outcome::Refused;
    }

    // An empty link box stands for a missing link; the box says so from now
    // on, even if the number then turns out to be taken.
    const Typed asTyped = typed;
    if (typed.url.isEmpty()) {
        typed.url = notAvailable();
        tab.url->setText(typed.url);
    }
    if (typed.link.isEmpty()) {
        typed.link = notAvailable();
        tab.link->setText(typed.link);
    }
    Result<bool> written = false;
    {
        BusyCursor busy;
        // The entry, and its author when auteurs does not know it yet,
        // in one transaction with the test that its number is free: all of
        // it or none.
        written = catalogue.append(category, Entry{typed.number, typed.name, typed.author, typed.url, typed.link},
                                   tab.grid->rows() - 1);
    }
    const bool taken = written && !*written;
    if (taken) {
        services.message(parent, QStringLiteral("N° %1 déjà existant.").arg(typed.number), MessageIcon::Exclamation);
        return Outcome::Refused;
    }
    if (!written) {
        // Nothing was saved: the fields show what was typed, to try again.
        tab.url->setText(asTyped.url);
        tab.link->setText(asTyped.link);
        services.message(parent, written.error(), MessageIcon::Critical);
        return Outcome::Failed;
    }

    // Stored: now the grid shows it, as its new last and current row.
    Grid &grid = *tab.grid;
    const int row = grid.rows();
    grid.setRows(row + 1);
    grid.setCurrentCell(row, numberColumn);
    writeGridRow(grid, row, typed);
    grid.setTopRow(row);
    tab.clearFields();
    refreshUndo(catalogue, tab);
    return Outcome::Saved;
}

Outcome updateEntry(Catalogue &catalogue, CategoryTab &tab, Services &services)
{
    const Category &category = tab.category();
    QWidget *parent = tab.window();
    const Typed typed = typedFields(tab);

    if (const std::optional<QString> refusal = updateRefusal(typed, tab)) {
        services.message(parent, *refusal, MessageIcon::Exclamation);
        return Outcome::Refused;
    }

    const QString unknown = QStringLiteral("N° %1 inconnu.").arg(typed.number);
    switch (confirmOverwrite(catalogue, tab, typed, services)) {
    case Answer::No:
        return Outcome::Refused;
    case Answer::Unknown:
        services.message(parent, unknown, MessageIcon::Exclamation);
        return Outcome::Refused;
    case Answer::Yes:
        break;
    }
    Result<bool> written = false;
    {
        BusyCursor busy;
        // The boxes stay as typed; an empty one is stored as a missing link.
        const Entry entry{typed.number, typed.name, typed.author, orNotAvailable(typed.url), orNotAvailable(typed.link)};
        written = catalogue.rewrite(category, typed.number, entry, tab.grid->rows() - 1);
    }
    const bool known = written && *written;
    if (!written) {
        services.message(parent, written.error(), MessageIcon::Critical);
        return Outcome::Failed;
    }
    if (!known) {
        services.message(parent, unknown, MessageIcon::Exclamation);
        return Outcome::Refused;
    }

    // The row that shows this entry, wherever sorting has put it; a grid
    // that does not show it is left alone.
    Grid &grid = *tab.grid;
    if (const int row = rowShowing(grid, typed.number); row > 0)
        writeGridRow(grid, row, typed);
    tab.clearFields();
    refreshUndo(catalogue, tab);
    return Outcome::Saved;
}

} // namespace tabrix::editing
