// tabrix-admin images: fetches the picture of every entry of a catalogue
// that has none kept yet (every one with --refresh), four at a time, with
// the window's bounds and checks, and keeps it beside the catalogue as the
// window would. Each picture is recorded as soon as it is kept, so an
// interrupted run starts again where it stopped. At the end, the entries
// whose link is dead, list by list, with the reason.

#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"

#include "pictures/fetch.h"
#include "pictures/kept.h"
#include "pictures/linkcheck.h"
#include "pictures/shrink.h"
#include "store/category.h"
#include "store/sqlite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>

#include <map>
#include <memory>
#include <vector>

namespace tabrix::admin {

namespace {

constexpr int atOnce = 4;

struct Wanted {
    const Category *category;
    QString ref;
    QString link;
};

// The entries whose picture is to be fetched, list by list in number order.
Result<std::vector<Wanted>> wantedPictures(const QString &path, pictures::KeptPictures &kept, bool refresh)
{
    Result<Connection> db = openCatalogueFile(path, Access::ReadOnly);
    if (!db)
        return Failure{db.error()};
    std::vector<Wanted> wanted;
    for (const Category &category : categories()) {
        sql::Statement read(db->get(), QStringLiteral("SELECT ref, url FROM %1 ORDER BY ref").arg(category.table));
        while (read.next()) {
            const QString ref = read.text(0);
            const QString link = read.text(1);
            if (link.isEmpty() || link == notAvailable())
                continue;
            if (const auto k = kept.find(category, ref); !refresh && k && k->link == link)
                continue;
            wanted.push_back({&category, ref, link});
        }
        if (read.failed())
            return Failure{QStringLiteral("La liste %1 de « %2 » n'a pas pu être lue : %3.")
                               .arg(category.table, shownPath(path), sql::describe(read.code()))};
    }
    return wanted;
}

// Fetches the wanted pictures, `atOnce` at a time, telling the progress.
class Run {
public:
    Run(const std::vector<Wanted> &jobs, pictures::KeptPictures &kept, QTextStream &out)
        : m_jobs(jobs), m_kept(kept), m_out(out), m_folder(kept.folder())
    {
        for (int slot = 0; slot < atOnce; ++slot)
            m_fetches.push_back(std::make_unique<pictures::PictureFetch>(m_network));
    }

    void exec()
    {
        for (int slot = 0; slot < atOnce; ++slot)
            launch(slot);
        if (m_running > 0)
            m_loop.exec();
    }

    // The dead links, list by list, and what was kept.
    void report(double seconds)
    {
        for (const auto &[list, entries] : m_dead) {
            m_out << "Liens morts de la liste " << list << " :\n";
            for (const auto &[ref, reason] : entries)
                m_out << "  " << ref << " : " << reason << '\n';
        }
        m_out << "Terminé : " << m_keptCount << " image(s) gardée(s) en " << QString::number(seconds, 'f', 1)
              << " s (" << QString::number(seconds > 0 ? m_keptCount / seconds : 0.0, 'f', 1)
              << " par seconde) dans « " << shownPath(m_folder.path()) << " ».\n";
    }

private:
    void launch(int slot)
    {
        while (m_next < m_jobs.size()) {
            const Wanted &job = m_jobs[m_next++];
            const pictures::LinkVerdict verdict = pictures::checkLink(job.link);
            if (verdict != pictures::LinkVerdict::Accepted) {
                ended(job, Failure{pictures::verdictMessage(verdict).trimmed()});
                continue;
            }
            const QString downloaded = m_folder.filePath(QStringLiteral(".fetch-%1.download").arg(slot));
            const QString shrunk = m_folder.filePath(QStringLiteral(".fetch-%1.jpg").arg(slot));
            ++m_running;
            m_fetches[slot]->start(job.link, downloaded, shrunk, {}, [=, this, entry = &job](const Status &fetched) {
                const Status kept = fetched ? m_kept.keep(*entry->category, entry->ref, entry->link, shrunk) : fetched;
                QFile::remove(downloaded);
                QFile::remove(shrunk);
                --m_running;
                ended(*entry, kept);
                QMetaObject::invokeMethod(&m_loop, [this, slot] { launch(slot); }, Qt::QueuedConnection);
            });
            return;
        }
        if (m_running == 0)
            m_loop.quit();
    }

    void ended(const Wanted &job, const Status &kept)
    {
        if (kept)
            ++m_keptCount;
        else
            m_dead[job.category->table][job.ref] = kept.error();
        m_out << ++m_done << '/' << m_jobs.size() << " (" << job.category->table << ")\n";
        m_out.flush();
    }

    const std::vector<Wanted> &m_jobs;
    pictures::KeptPictures &m_kept;
    QTextStream &m_out;
    const QDir m_folder;
    QNetworkAccessManager m_network;
    std::vector<std::unique_ptr<pictures::PictureFetch>> m_fetches;
    QEventLoop m_loop;
    std::map<QString, std::map<QString, QString>> m_dead; // list → number → reason
    std::size_t m_next = 0;
    int m_running = 0, m_done = 0, m_keptCount = 0;
};

int fetchPictures(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString path = args[0];
    const bool refresh = args.size() > 1;
    if (refresh && args[1] != QLatin1String("--refresh")) {
        err << "Usage : tabrix-admin images FICHIER [--refresh]\n";
        return 2;
    }
    pictures::KeptPictures kept(path);
    Result<std::vector<Wanted>> wanted = wantedPictures(path, kept, refresh);
    if (!wanted) {
        err << wanted.error() << '\n';
        return 1;
    }
    const QDir folder(kept.folder());
    if (!QDir().mkpath(folder.path())) {
        err << "Le dossier « " << shownPath(folder.path()) << " » ne peut pas être créé.\n";
        return 1;
    }
    if (!pictures::findShrinkCommand(false, QString(), QString())) {
        err << "ImageMagick est introuvable : les images ne peuvent pas être réduites.\n";
        return 1;
    }
    for (const QString &left : folder.entryList({QStringLiteral(".fetch-*")}, QDir::Files | QDir::Hidden))
        QFile::remove(folder.filePath(left)); // from an interrupted run

    out << wanted->size() << " image(s) à télécharger.\n";
    out.flush();
    QElapsedTimer clock;
    clock.start();
    Run run(*wanted, kept, out);
    run.exec();
    run.report(double(clock.elapsed()) / 1000);
    return 0;
}

[[maybe_unused]] const bool imagesRegistered = registerCommand(
    {"images", "FICHIER [--refresh]",
     "garde l'image de chaque entrée qui n'en a pas encore (toutes avec --refresh), reprend où il s'est arrêté", 1,
     fetchPictures, 0, {QStringLiteral("refresh")}});

} // namespace
} // namespace tabrix::admin
