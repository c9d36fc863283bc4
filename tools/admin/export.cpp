// tabrix-admin export: one CSV file per table, as a French spreadsheet
// opens it: UTF-8 with a byte-order mark, ";" between fields, CRLF at the
// end of each line, a header line with the column names.
//
// Every text is written byte for byte as stored. A field is put between
// double quotes (inner quotes doubled) when it holds ";", a quote, a line
// break or surrounding blanks, or when it is an empty text: an empty cell
// with no quotes is a field with no value at all.

#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"

#include "store/category.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <memory>

namespace tabrix::admin {

namespace {

struct Table {
    QString name;
    QByteArray csv;
    int rows = 0;
};

QStringList exportedTables()
{
    QStringList tables;
    for (const Category &category : categories())
        tables << category.table;
    tables << QStringLiteral("auteurs");
    return tables;
}

QByteArray csvField(QByteArray value, bool hasValue)
{
    if (!hasValue)
        return {};
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quoted = value.isEmpty() || value.contains(';') || value.contains('"') || value.contains('\n')
                        || value.contains('\r') || isBlank(value.front()) || isBlank(value.back());
    if (!quoted)
        return value;
    value.replace("\"", "\"\"");
    return '"' + value + '"';
}

Result<Table> readTable(sqlite3 *db, const QString &name)
{
    // The table names are the program's own, never text from outside.
    const QByteArray query = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(name).toUtf8();
    sqlite3_stmt *raw = nullptr;
    int code = sqlite3_prepare_v2(db, query.constData(), int(query.size()), &raw, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> select(raw, sqlite3_finalize);
    const auto failed = [&](int code) {
        return Failure{QStringLiteral("La table « %1 » n'a pas pu être lue : %2.").arg(name, sqliteText(db, code))};
    };
    if (code != SQLITE_OK)
        return failed(code);

    Table table{name, {}, 0};
    const int columns = sqlite3_column_count(raw);
    QByteArrayList fields;
    for (int c = 0; c < columns; ++c)
        fields << csvField(QByteArray(sqlite3_column_name(raw, c)), true);
    table.csv += fields.join(';') + "\r\n";
    while ((code = sqlite3_step(raw)) == SQLITE_ROW) {
        fields.clear();
        for (int c = 0; c < columns; ++c) {
            const bool hasValue = sqlite3_column_type(raw, c) != SQLITE_NULL;
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(raw, c));
            fields << csvField(QByteArray(text, sqlite3_column_bytes(raw, c)), hasValue);
        }
        table.csv += fields.join(';') + "\r\n";
        ++table.rows;
    }
    if (code != SQLITE_DONE)
        return failed(code);
    return table;
}

// Reads the five tables in one read transaction, so the files agree with
// each other even while the program writes to the catalogue.
Result<std::vector<Table>> readCatalogue(const QString &path)
{
    Result<Connection> opened = openCatalogueFile(path, Access::Reading);
    if (!opened)
        return Failure{opened.error()};
    sqlite3 *db = opened->get();
    if (Status begun = run(*opened, "BEGIN"); !begun)
        return Failure{QStringLiteral("Le catalogue « %1 » n'a pas pu être lu : %2.").arg(shownPath(path), begun.error())};

    QSet<QString> present;
    {
        sqlite3_stmt *raw = nullptr;
        sqlite3_prepare_v2(db, "SELECT lower(name) FROM sqlite_master WHERE type = 'table'", -1, &raw, nullptr);
        int code;
        while ((code = sqlite3_step(raw)) == SQLITE_ROW)
            present.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(raw, 0))));
        sqlite3_finalize(raw);
        if (code != SQLITE_DONE)
            return Failure{QStringLiteral("Le catalogue « %1 » n'a pas pu être lu : %2.")
                               .arg(shownPath(path), sqliteText(db, code))};
    }
    QStringList missing;
    for (const QString &name : exportedTables())
        if (!present.contains(name))
            missing << QStringLiteral("« %1 »").arg(name);
    if (!missing.isEmpty())
        return Failure{QStringLiteral("Le catalogue « %1 » est incomplet (table manquante : %2) : rien n'est exporté. "
                                      "« tabrix-admin check » en dit plus.")
                           .arg(shownPath(path), missing.join(QStringLiteral(", ")))};

    std::vector<Table> tables;
    for (const QString &name : exportedTables()) {
        Result<Table> table = readTable(db, name);
        if (!table)
            return Failure{table.error()};
        tables.push_back(std::move(*table));
    }
    opened->exec("COMMIT");
    return tables;
}

// Writes every file under a temporary name, then gives them their names:
// either all five appear, or none.
Status writeFiles(const QString &folder, const std::vector<Table> &tables, QTextStream &out)
{
    const QDir dir(folder);
    QStringList taken;
    for (const Table &table : tables)
        if (!checkFreeName(dir.filePath(table.name + QStringLiteral(".csv"))))
            taken << table.name + QStringLiteral(".csv");
    if (!taken.isEmpty())
        return Failure{QStringLiteral("Le dossier « %1 » contient déjà %2 : aucun fichier n'est remplacé, rien n'est "
                                      "exporté.")
                           .arg(shownPath(folder), taken.join(QStringLiteral(", ")))};

    std::vector<std::unique_ptr<NewFile>> files;
    static const QByteArray byteOrderMark("\xEF\xBB\xBF");
    for (const Table &table : tables) {
        auto file = std::make_unique<NewFile>(dir.filePath(table.name + QStringLiteral(".csv")));
        Status written = file->reserve();
        if (written)
            written = file->write(byteOrderMark + table.csv);
        if (written)
            written = file->finish();
        if (!written)
            return written;
        files.push_back(std::move(file));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Status published = files[i]->publish(); !published) {
            for (std::size_t j = 0; j < i; ++j)
                files[j]->withdraw();
            return Failure{published.error() + QStringLiteral(" Rien n'est exporté.")};
        }
    }
    out << "Catalogue exporté dans « " << shownPath(folder) << " » :\n";
    for (const Table &table : tables)
        out << "  " << table.name << ".csv : " << table.rows << ' '
            << (table.name == QLatin1String("auteurs") ? "auteur" : "entrée") << (table.rows > 1 ? "s" : "") << '\n';
    return success();
}

int exportCatalogue(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString &path = args[0];
    const QString &folder = args[1];
    Result<std::vector<Table>> tables = readCatalogue(path);
    if (!tables) {
        err << tables.error() << '\n';
        return 1;
    }
    if (QFileInfo(folder).isSymLink()) {
        err << checkFreeName(folder).error() << '\n';
        return 1;
    }
    if (QFileInfo::exists(folder) && !QFileInfo(folder).isDir()) {
        err << "« " << shownPath(folder) << " » n'est pas un dossier : rien n'est exporté.\n";
        return 1;
    }
    NewFolder made(folder);
    if (Status madeFolder = made.make(); !madeFolder) {
        err << madeFolder.error() << " Rien n'est exporté.\n";
        return 1;
    }
    if (Status written = writeFiles(folder, *tables, out); !written) {
        err << written.error() << '\n';
        return 1;
    }
    made.keep();
    return 0;
}

[[maybe_unused]] const bool exportRegistered = registerCommand(
    {"export", "FICHIER DOSSIER",
     "écrit chaque liste et les auteurs dans un fichier CSV pour tableur (zarpo.csv ... auteurs.csv) ; "
     "ne remplace aucun fichier",
     2, exportCatalogue});

} // namespace
} // namespace tabrix::admin
