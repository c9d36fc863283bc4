#pragma once

#include "store/result.h"
#include "store/sqlite.h"

#include <QDateTime>
#include <QString>

#include <optional>


namespace tabrix {
struct Category;
}

namespace tabrix::pictures {

// A picture kept for an entry: its file, the link it was fetched from, when.
struct KeptPicture {
    QString file;
    QString link;
    QDateTime fetched;
};

// The shrunk pictures kept beside a catalogue, in its folder `images`, one
// file per entry, with their record (`images/images.db`, a small SQLite
// file of its own: the catalogue itself is never written). Several
// programs may keep pictures of the same catalogue at once.
class KeptPictures {
public:
    explicit KeptPictures(const QString &cataloguePath);
    ~KeptPictures();
    KeptPictures(const KeptPictures &) = delete;
    KeptPictures &operator=(const KeptPictures &) = delete;

    // The folder `images` beside the catalogue file.
    static QString folderFor(const QString &cataloguePath);
    const QString &folder() const { return m_folder; }

    // The entry's kept picture, when its file is there.
    std::optional<KeptPicture> find(const Category &category, const QString &ref);
    // Puts a copy of the shrunk picture in the folder as the entry's, in
    // place of the one before (a reader sees one or the other, whole), and
    // records it with its link and the time now.
    Status keep(const Category &category, const QString &ref, const QString &link, const QString &shrunkFile);

    // The file name of an entry's picture in the folder.
    static QString fileName(const Category &category, const QString &ref);

private:
    Status open();

    QString m_folder;
    sql::Connection m_db;
};

// How the window and the tool tell when a picture was fetched.
QString keptDate(const QDateTime &fetched);

} // namespace tabrix::pictures
