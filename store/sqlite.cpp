#include "store/sqlite.h"

#include <QFile>

#include <sqlite3.h>

#include <utility>

namespace tabrix::sql {

Statement::Statement(sqlite3 *db, const QString &query)
{
    const QByteArray utf8 = query.toUtf8();
    m_prepareCode = sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()),
                                       SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
    m_lastCode = m_prepareCode;
    if (m_prepareCode != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Connection::Connection(Connection &&other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}

Connection &Connection::operator=(Connection &&other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

int Connection::open(const QString &path, int flags)
{
    close();
    sqlite3 *db = nullptr;
    const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (code == SQLITE_OK)
        m_db = db;
    else
        sqlite3_close_v2(db);
    return code;
}

void Connection::close()
{
    sqlite3_close_v2(std::exchange(m_db, nullptr));
}

int Connection::exec(const char *sql) const
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)),
      m_prepareCode(other.m_prepareCode),
      m_lastCode(other.m_lastCode)
{
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_prepareCode = other.m_prepareCode;
        m_lastCode = other.m_lastCode;
    }
    return *this;
}

void Statement::reset()
{
    if (!m_stmt)
        return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_lastCode = SQLITE_OK;
}

void Statement::bind(int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, const std::optional<QString> &text)
{
    if (text)
        bind(index, *text);
    else
        sqlite3_bind_null(m_stmt, index);
}

void Statement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
}

bool Statement::next()
{
    if (!m_stmt)
        return false;
    m_lastCode = sqlite3_step(m_stmt);
    // The precise cause (which constraint, a file moved away), not only its family.
    if (m_lastCode != SQLITE_ROW && m_lastCode != SQLITE_DONE)
        m_lastCode = sqlite3_extended_errcode(sqlite3_db_handle(m_stmt));
    return m_lastCode == SQLITE_ROW;
}

int Statement::run()
{
    next();
    const int code = m_lastCode;
    if (m_stmt)
        sqlite3_reset(m_stmt);
    return code;
}

bool Statement::failed() const
{
    return !m_stmt || (m_lastCode != SQLITE_OK && m_lastCode != SQLITE_ROW && m_lastCode != SQLITE_DONE);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QString Statement::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    if (!data)
        return QString();
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

std::string_view Statement::utf8(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    if (!data)
        return {};
    return std::string_view(data, std::size_t(sqlite3_column_bytes(m_stmt, column)));
}

std::optional<QString> Statement::optionalText(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return text(column);
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString movedText()
{
    return QStringLiteral("le fichier du catalogue a été déplacé, supprimé ou remplacé par un autre depuis le démarrage "
                          "de Tabrix ; rien n'a été écrit. Relancez Tabrix pour voir le catalogue tel qu'il est maintenant");
}

QString describe(int code)
{
    switch (code & 0xff) {
    case SQLITE_READONLY:
        if (code == SQLITE_READONLY_DBMOVED)
            return movedText();
        return QStringLiteral("le catalogue est en lecture seule (le fichier ou son dossier est protégé contre l'écriture)");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("le catalogue est verrouillé par un autre programme (réessayez quand celui-ci l'aura libéré)");
    case SQLITE_FULL:
        return QStringLiteral("le disque est plein");
    case SQLITE_IOERR:
        return QStringLiteral("erreur d'écriture sur le disque");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("le fichier est endommagé ou n'est pas un catalogue");
    case SQLITE_CANTOPEN:
        return QStringLiteral("le fichier ne peut pas être ouvert");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("accès refusé");
    case SQLITE_CONSTRAINT:
        if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
            return QStringLiteral("ce numéro existe déjà");
        return QStringLiteral("une règle du catalogue (contrainte ajoutée au fichier) refuse ces valeurs");
    case SQLITE_TOOBIG:
        return QStringLiteral("texte trop long");
    default:
        return QStringLiteral("erreur de la base de données (%1)").arg(code);
    }
}

} // namespace tabrix::sql
