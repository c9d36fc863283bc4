#include "pictures/kept.h"

#include "store/category.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cstdio>

namespace tabrix::pictures {

namespace {

const QString recordName = QStringLiteral("images.db");

} // namespace

KeptPictures::KeptPictures(const QString &cataloguePath) : m_folder(folderFor(cataloguePath)) {}

KeptPictures::~KeptPictures() = default;

QString KeptPictures::folderFor(const QString &cataloguePath)
{
    return QFileInfo(cataloguePath).absoluteDir().filePath(QStringLiteral("images"));
}

QString KeptPictures::fileName(const Category &category, const QString &ref)
{
    // A number as it stands; any other text spelled out in hexadecimal, so
    // that no reference can name a file outside the folder.
    static const QRegularExpression plain(QStringLiteral("^[0-9A-Za-z]{1,40}$"));
    const QString stem = plain.match(ref).hasMatch() ? ref : QStringLiteral("x") + QString::fromLatin1(ref.toUtf8().toHex());
    return QStringLiteral("%1-%2.jpg").arg(category.table, stem.left(200));
}

Status KeptPictures::open()
{
    // A folder removed while the program runs is made anew.
    if (m_db && !QFileInfo::exists(QDir(m_folder).filePath(recordName))) {
        m_db.close();
    }
    if (m_db)
        return success();
    if (!QDir().mkpath(m_folder))
        return Failure{QStringLiteral("Le dossier « %1 » ne peut pas être créé.").arg(QDir::toNativeSeparators(m_folder))};
    sql::Connection db;
    int code = db.open(QDir(m_folder).filePath(recordName), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (code == SQLITE_OK) {
        sqlite3_busy_timeout(db.get(), 5000);
        code = db.exec("CREATE TABLE IF NOT EXISTS kept (list TEXT NOT NULL, ref TEXT NOT NULL, link TEXT NOT NULL,"
                       " fetched TEXT NOT NULL, file TEXT NOT NULL, PRIMARY KEY (list, ref))");
    }
    if (code != SQLITE_OK)
        return Failure{QStringLiteral("Les images gardées ne peuvent pas être notées : %1.").arg(sql::describe(code))};
    m_db = std::move(db);
    return success();
}

std::optional<KeptPicture> KeptPictures::find(const Category &category, const QString &ref)
{
    if (!QFileInfo::exists(QDir(m_folder).filePath(recordName)) || !open())
        return std::nullopt;
    sql::Statement read(m_db.get(), QStringLiteral("SELECT link, fetched, file FROM kept WHERE list = ?1 AND ref = ?2"));
    read.bind(1, category.table);
    read.bind(2, ref);
    if (!read.next())
        return std::nullopt;
    KeptPicture kept{QDir(m_folder).filePath(read.text(2)), read.text(0),
                     QDateTime::fromString(read.text(1), Qt::ISODate)};
    if (!QFileInfo(kept.file).isFile())
        return std::nullopt;
    return kept;
}

Status KeptPictures::keep(const Category &category, const QString &ref, const QString &link, const QString &shrunkFile)
{
    if (Status opened = open(); !opened)
        return opened;
    const QString name = fileName(category, ref);
    const QDir dir(m_folder);
    const QString temporary = dir.filePath(QStringLiteral(".") + name + QStringLiteral(".tmp"));
    QFile::remove(temporary);
    // Copied, then renamed over the old one: never half a picture.
    if (!QFile::copy(shrunkFile, temporary)
        || std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(dir.filePath(name)).constData()) != 0) {
        QFile::remove(temporary);
        return Failure{QStringLiteral("L'image ne peut pas être gardée dans « %1 ».").arg(QDir::toNativeSeparators(m_folder))};
    }
    sql::Statement write(m_db.get(), QStringLiteral("INSERT OR REPLACE INTO kept (list, ref, link, fetched, file)"
                                              " VALUES (?1, ?2, ?3, ?4, ?5)"));
    write.bind(1, category.table);
    write.bind(2, ref);
    write.bind(3, link);
    write.bind(4, QDateTime::currentDateTime().toString(Qt::ISODate));
    write.bind(5, name);
    if (const int code = write.run(); code != SQLITE_DONE)
        return Failure{QStringLiteral("L'image gardée ne peut pas être notée : %1.").arg(sql::describe(code))};
    return success();
}

QString keptDate(const QDateTime &fetched)
{
    return fetched.toString(QStringLiteral("dd/MM/yyyy à HH:mm"));
}

} // namespace tabrix::pictures
