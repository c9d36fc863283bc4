#include "convert/mdbreader.h"

#include "store/filekind.h"
#include "store/plainfile.h"
#include "store/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// glib first: mdbtools.h relies on its types.
#include <glib.h>
#include <mdbtools.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace tabrix {

namespace {

// Keeps libmdb's own warnings (English, printed on standard error or
// through glib) away from the terminal while it reads: what matters about
// the file is said in French by the callers.
class QuietLibrary {
public:
    QuietLibrary()
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
        m_handler = g_log_set_default_handler([](const gchar *, GLogLevelFlags, const gchar *, gpointer) {}, nullptr);
    }
    ~QuietLibrary()
    {
        g_log_set_default_handler(m_handler, nullptr);
        std::fflush(stderr);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
        }
    }
    QuietLibrary(const QuietLibrary &) = delete;
    QuietLibrary &operator=(const QuietLibrary &) = delete;

private:
    int m_saved = -1;
    GLogFunc m_handler = nullptr;
};

// Low bits of a row's offset on its page; the high bits are flags.
constexpr int rowOffsetMask = 0x1fff;
// Room for the longest text bound from a field (memo fields included).
constexpr size_t bindSize = 1 << 20;

QString formatName(guint32 version)
{
    switch (version) {
    case MDB_VER_JET3: return QStringLiteral("Jet 3 (Access 97)");
    case MDB_VER_JET4: return QStringLiteral("Jet 4 (Access 2000-2003)");
    case MDB_VER_ACCDB_2007: return QStringLiteral("Access 2007");
    case MDB_VER_ACCDB_2010: return QStringLiteral("Access 2010");
    default: return QStringLiteral("Access 2013 ou plus récent");
    }
}

struct HandleCloser {
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct TableFreer {
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};

MdbColumn *column(MdbTableDef *table, unsigned i)
{
    return static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
}

// Whether libmdb can give this column's content as text.
bool readableAsText(const MdbColumn *col)
{
    return col->col_type != MDB_OLE && col->col_type != MDB_BINARY;
}

// The text columns of a table bound to buffers that receive each row's
// values, up to the handle's bind size.
struct BoundColumns {
    std::vector<std::unique_ptr<char[]>> buffers;
    std::vector<int> lengths;
    std::vector<int> kept; // table column -> position in the read columns, or -1
};

BoundColumns bindColumns(MdbHandle *mdb, MdbTableDef *table, SourceTable &out)
{
    const unsigned columnCount = table->num_cols;
    BoundColumns bound{std::vector<std::unique_ptr<char[]>>(columnCount), std::vector<int>(columnCount, 0), {}};
    for (unsigned i = 0; i < columnCount; ++i) {
        MdbColumn *col = column(table, i);
        const QString columnName = QString::fromUtf8(col->name);
        if (!readableAsText(col)) {
            out.skippedColumns << columnName;
            bound.kept.push_back(-1);
            continue;
        }
        bound.buffers[i] = std::make_unique<char[]>(mdb->bind_size);
        bound.buffers[i][0] = '\0';
        mdb_bind_column(table, int(i + 1), bound.buffers[i].get(), &bound.lengths[i]);
        bound.kept.push_back(int(out.columns.size()));
        out.columns << columnName;
    }
    return bound;
}

// The row just fetched, its fields with no value told from empty texts.
Result<Fields> readRow(MdbHandle *mdb, MdbTableDef *table, const BoundColumns &bound, std::vector<MdbField> &fields,
                       const SourceTable &out)
{
    // The bound texts cannot tell a field with no value from an empty
    // text: take the row apart again to read its null flags. The row just
    // fetched is the one before the table's cursor, on the current page.
    int start = 0;
    size_t size = 0;
    if (table->cur_row < 1 || mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0)
        return Failure{QStringLiteral("une ligne de la table « %1 » ne peut pas être lue").arg(out.name)};
    start &= rowOffsetMask;
    if (mdb_crack_row(table, start, size, fields.data()) < 0)
        return Failure{QStringLiteral("une ligne de la table « %1 » ne peut pas être lue").arg(out.name)};

    const unsigned columnCount = table->num_cols;
    Fields row(out.columns.size());
    for (unsigned f = 0; f < columnCount; ++f) {
        const int i = fields[f].colnum;
        if (i < 0 || unsigned(i) >= columnCount || bound.kept[i] < 0)
            continue;
        const MdbColumn *col = column(table, unsigned(i));
        // A yes/no field keeps its value in the null flag: it always has one.
        const bool isNull = fields[f].is_null && col->col_type != MDB_BOOL;
        const size_t length = std::strlen(bound.buffers[i].get());
        if (length + 1 >= mdb->bind_size)
            return Failure{QStringLiteral("un texte de la colonne « %1 » de la table « %2 » est trop long")
                               .arg(QString::fromUtf8(col->name), out.name)};
        if (isNull && length > 0)
            return Failure{QStringLiteral("la colonne « %1 » de la table « %2 » se lit mal")
                               .arg(QString::fromUtf8(col->name), out.name)};
        if (!isNull)
            row[bound.kept[i]] = QString::fromUtf8(bound.buffers[i].get(), qsizetype(length));
    }
    return row;
}

Result<SourceTable> readTable(MdbHandle *mdb, MdbCatalogEntry *entry)
{
    const QString name = QString::fromUtf8(entry->object_name);
    std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get()))
        return Failure{QStringLiteral("la table « %1 » ne peut pas être lue").arg(name)};

    SourceTable out;
    out.name = name;
    const BoundColumns bound = bindColumns(mdb, table.get(), out);
    std::vector<MdbField> fields(std::max(table->num_cols, 1u));
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        Result<Fields> row = readRow(mdb, table.get(), bound, fields, out);
        if (!row)
            return Failure{row.error()};
        out.rows.push_back(std::move(*row));
    }
    // The table's definition keeps its row count: fewer rows found means
    // pages that could not be read, never a smaller catalogue.
    if (out.rows.size() < table->num_rows)
        return Failure{QStringLiteral("la table « %1 » est incomplète (lignes annoncées : %2, trouvées : %3)")
                           .arg(name, QString::number(table->num_rows), QString::number(out.rows.size()))};
    return out;
}

} // namespace

Result<AccessFile> readAccessFile(const QString &path)
{
    if (Status regular = checkRegularFile(path, QStringLiteral("fichier")); !regular)
        return Failure{regular.error()};
    switch (inspectFile(path)) {
    case FileKind::Missing:
        return Failure{QStringLiteral("Le fichier « %1 » est introuvable.").arg(shownPath(path))};
    case FileKind::Directory:
        return Failure{QStringLiteral("« %1 » est un dossier, pas une base Access.").arg(shownPath(path))};
    case FileKind::Unreadable:
        return Failure{QStringLiteral("Le fichier « %1 » ne peut pas être lu : permission refusée.").arg(shownPath(path))};
    case FileKind::Sqlite:
        return Failure{QStringLiteral("Le fichier « %1 » n'est pas une base Access : il est déjà au format de "
                                      "Tabrix, il n'y a rien à convertir.")
                           .arg(shownPath(path))};
    case FileKind::Other:
        return Failure{QStringLiteral("Le fichier « %1 » n'est pas une base Access.").arg(shownPath(path))};
    case FileKind::Access:
        break;
    }

    // Texts come out in UTF-8; libmdb reads this when the file is opened.
    setenv("MDBICONV", "UTF-8", 1);
    const QuietLibrary quiet;
    std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    auto unreadable = [&](const QString &reason) {
        return Failure{QStringLiteral("La base Access « %1 » ne peut pas être lue : %2.").arg(shownPath(path), reason)};
    };
    if (!mdb)
        return unreadable(QStringLiteral("fichier endommagé ou d'un format inconnu"));
    mdb_set_bind_size(mdb.get(), bindSize);

    AccessFile file;
    file.format = formatName(mdb->f->jet_version);
    GPtrArray *catalog = mdb_read_catalog(mdb.get(), MDB_TABLE);
    if (!catalog)
        return unreadable(QStringLiteral("la liste de ses tables est illisible"));
    for (guint i = 0; i < catalog->len; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        Result<SourceTable> table = readTable(mdb.get(), entry);
        if (!table)
            return unreadable(table.error());
        file.tables.push_back(std::move(*table));
    }
    return file;
}

} // namespace tabrix
