#include "store/importer.h"

#include "store/catalogue.h"
#include "store/category.h"
#include "store/entrynumber.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>

namespace tabrix {

namespace {

QString fieldText(const std::optional<QString> &field)
{
    if (!field)
        return QStringLiteral("sans valeur");
    if (field->isEmpty())
        return QStringLiteral("texte vide");
    return QStringLiteral("« %1 »").arg(*field);
}

QString rowText(const Fields &row)
{
    QStringList parts;
    for (const auto &field : row)
        parts << fieldText(field);
    return parts.join(QStringLiteral(", "));
}

// "002", "002 et 005", "002, 004 à 006 et 009"
QString rangesText(const std::vector<std::pair<int, int>> &ranges)
{
    QStringList parts;
    for (const auto &[first, last] : ranges) {
        if (first == last)
            parts << threeDigitText(first);
        else if (last == first + 1)
            parts << threeDigitText(first) << threeDigitText(last);
        else
            parts << QStringLiteral("%1 à %2").arg(threeDigitText(first), threeDigitText(last));
    }
    if (parts.size() == 1)
        return parts.first();
    const QString last = parts.takeLast();
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
}

const SourceTable *findTable(const std::vector<SourceTable> &source, const QString &name)
{
    for (const SourceTable &table : source)
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

int columnIndex(const SourceTable &table, const QString &name)
{
    for (int i = 0; i < table.columns.size(); ++i)
        if (table.columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// Numbers written on more than one row stop the import.
void reportDuplicates(const QString &table, const std::vector<Fields> &rows, const std::vector<QString> &texts,
                      const QHash<QString, std::vector<int>> &rowsOf, ImportPlan &plan)
{
    for (const QString &text : texts) {
        const std::vector<int> &indexes = rowsOf.value(text);
        if (indexes.size() < 2)
            continue;
        QString message = QStringLiteral("%1 : le numéro « %2 » figure %3 fois :")
                              .arg(table, text, QString::number(indexes.size()));
        for (const int i : indexes)
            message += QStringLiteral("\n    ligne %1 : %2").arg(QString::number(i + 1), rowText(rows[i]));
        plan.problems << message;
    }
}

// One number written in several ways ("7" and "007") is reported.
void reportSpellings(const QString &table, const std::map<int, std::vector<QString>> &forms, ImportPlan &plan)
{
    for (const auto &[value, spellings] : forms) {
        if (spellings.size() < 2)
            continue;
        QStringList quoted;
        for (const QString &s : spellings)
            quoted << QStringLiteral("« %1 »").arg(s);
        plan.warnings << QStringLiteral("%1 : le numéro %2 est écrit de plusieurs façons : %3.")
                             .arg(table, threeDigitText(value), quoted.join(QStringLiteral(", ")));
    }
}

// Gaps are reported: the program would refuse every add to the list.
void reportGaps(const QString &table, const std::set<int> &present, ImportPlan &plan)
{
    const std::vector<std::pair<int, int>> missing = missingRuns(present);
    if (missing.empty())
        return;
    int count = 0;
    for (const auto &[first, last] : missing)
        count += last - first + 1;
    plan.warnings << QStringLiteral("%1 : %2 %3 ; le programme refusera tout ajout à cette liste "
                                    "tant que ses numéros ne se suivront pas depuis 001.")
                         .arg(table,
                              count == 1 ? QStringLiteral("il manque le numéro") : QStringLiteral("il manque les numéros"),
                              rangesText(missing));
}

// Checks the numbers of one list: duplicates stop the import; numbers not
// written on three digits and gaps are reported and brought over.
void checkNumbers(const QString &table, const std::vector<Fields> &rows, ImportPlan &plan)
{
    std::vector<QString> texts;                // distinct numbers, in order of appearance
    QHash<QString, std::vector<int>> rowsOf;   // number text -> row indexes
    std::map<int, std::vector<QString>> forms; // numeric value -> distinct texts
    std::set<int> present;

    for (int i = 0; i < int(rows.size()); ++i) {
        const std::optional<QString> &ref = rows[i].front();
        const int line = i + 1;
        if (!ref) {
            plan.warnings << QStringLiteral("%1, ligne %2 : l'entrée n'a pas de numéro.").arg(table).arg(line);
            continue;
        }
        if (!isThreeDigitNumber(*ref))
            plan.warnings << QStringLiteral("%1, ligne %2 : le numéro « %3 » n'est pas écrit sur trois chiffres.")
                                 .arg(table, QString::number(line), *ref);
        else if (digitsValue(*ref) == 0)
            plan.warnings << QStringLiteral("%1, ligne %2 : le numéro « %3 » ne compte pas : les numéros vont de 001 à 999.")
                                 .arg(table, QString::number(line), *ref);
        auto &found = rowsOf[*ref];
        if (found.empty())
            texts.push_back(*ref);
        found.push_back(i);
        if (const auto value = digitsValue(*ref)) {
            auto &spellings = forms[*value];
            if (std::find(spellings.begin(), spellings.end(), *ref) == spellings.end())
                spellings.push_back(*ref);
            if (*value > 0)
                present.insert(*value);
        }
    }

    reportDuplicates(table, rows, texts, rowsOf, plan);
    reportSpellings(table, forms, plan);
    reportGaps(table, present, plan);
}

struct Target {
    QString table;
    QStringList columns;
    const Category *category; // nullptr for auteurs
};

std::vector<Target> targets()
{
    std::vector<Target> list;
    for (const Category &c : categories())
        list.push_back({c.table, {"ref", c.nameField, "auteur", "url", "lien"}, &c});
    list.push_back({QStringLiteral("auteurs"), {"nom"}, nullptr});
    return list;
}

Result<std::vector<int>> fill(sqlite3 *db, const ImportPlan &plan)
{
    std::vector<int> written;
    for (const ImportTable &table : plan.tables) {
        QStringList parameters;
        for (int i = 1; i <= table.columns.size(); ++i)
            parameters << QStringLiteral("?%1").arg(i);
        // Table and column names are our own constants, never the old file's.
        sql::Statement insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(table.table, table.columns.join(QStringLiteral(", ")),
                                           parameters.join(QStringLiteral(", "))));
        if (!insert.valid())
            return Failure{sql::describe(insert.prepareCode())};
        for (const Fields &row : table.rows) {
            insert.reset();
            for (int i = 0; i < int(row.size()); ++i)
                insert.bind(i + 1, row[i]);
            insert.next();
            if (insert.code() != SQLITE_DONE)
                return Failure{sql::describe(insert.code())};
        }
        sql::Statement count(db, QStringLiteral("SELECT count(*) FROM %1").arg(table.table));
        if (!count.next())
            return Failure{sql::describe(count.code())};
        written.push_back(int(count.integer(0)));
    }
    return written;
}

} // namespace

ImportPlan planImport(const std::vector<SourceTable> &source)
{
    ImportPlan plan;
    const std::vector<Target> ours = targets();

    for (const Target &target : ours) {
        ImportTable out{target.table, target.columns, false, {}};
        const SourceTable *in = findTable(source, target.table);
        if (!in) {
            if (target.category && target.category->id == 3)
                plan.notices << QStringLiteral("La table « %1 » (liste %2) manque dans l'ancien fichier : "
                                               "elle est créée vide.")
                                    .arg(target.table, target.category->tabCaption);
            else
                plan.problems << QStringLiteral("La table « %1 » manque.").arg(target.table);
            plan.tables.push_back(std::move(out));
            continue;
        }
        out.found = true;

        std::vector<int> positions;
        bool complete = true;
        for (const QString &column : target.columns) {
            const int at = columnIndex(*in, column);
            if (at < 0) {
                complete = false;
                const bool unreadable = in->skippedColumns.contains(column, Qt::CaseInsensitive);
                plan.problems << (unreadable ? QStringLiteral("La colonne « %2 » de la table « %1 » ne contient pas du texte.")
                                             : QStringLiteral("La table « %1 » n'a pas de colonne « %2 »."))
                                     .arg(target.table, column);
            }
            positions.push_back(at);
        }
        for (const QString &column : in->columns + in->skippedColumns)
            if (!target.columns.contains(column, Qt::CaseInsensitive))
                plan.warnings << QStringLiteral("La colonne « %1 » de la table « %2 » n'est pas reprise.")
                                     .arg(column, target.table);
        if (complete) {
            out.rows.reserve(in->rows.size());
            for (const Fields &row : in->rows) {
                Fields mapped;
                for (const int at : positions)
                    mapped.push_back(at < int(row.size()) ? row[at] : std::nullopt);
                out.rows.push_back(std::move(mapped));
            }
            if (target.category)
                checkNumbers(target.table, out.rows, plan);
        }
        plan.tables.push_back(std::move(out));
    }

    for (const SourceTable &table : source) {
        bool known = false;
        for (const Target &target : ours)
            known = known || table.name.compare(target.table, Qt::CaseInsensitive) == 0;
        if (!known)
            plan.warnings << QStringLiteral("La table « %1 » n'est pas reprise : elle ne fait pas partie du catalogue.")
                                 .arg(table.name);
    }
    return plan;
}

Result<std::vector<int>> writeImport(const ImportPlan &plan, const QString &target)
{
    std::vector<int> written;
    const Status made = makeCatalogue(
        target,
        [&](sqlite3 *db) -> Status {
            Result<std::vector<int>> counts = fill(db, plan);
            if (!counts)
                return Failure{counts.error()};
            written = *counts;
            return success();
        },
        [&](const QString &temporary) -> Status {
            const Catalogue::Opened check = Catalogue::open(temporary);
            if (const auto *refused = std::get_if<Catalogue::OpenFailure>(&check))
                return Failure{QStringLiteral("Le catalogue « %1 » n'a pas pu être écrit : %2.")
                                   .arg(shownPath(target), refused->message)};
            return success();
        });
    if (!made)
        return Failure{made.error()};
    return written;
}

} // namespace tabrix
