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
                               .arg(category.table, shown(path), sql::describe(read.code()))};
    }
    return wanted;
}

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
        err << "Le dossier « " << shown(folder.path()) << " » ne peut pas être créé.\n";
        return 1;
    }
    if (!pictures::findShrinkCommand(false, QString(), QString())) {
        err << "ImageMagick est introuvable : les images ne peuvent pas être réduites.\n";
        return 1;
    }
    for (const QString &left : folder.entryList({QStringLiteral(".fetch-*")}, QDir::Files | QDir::Hidden))
        QFile::remove(folder.filePath(left)); // from an interrupted run

    const std::vector<Wanted> &jobs = *wanted;
    out << jobs.size() << " image(s) à télécharger.\n";
    out.flush();
    QElapsedTimer clock;
    clock.start();
    QNetworkAccessManager network;
    std::map<QString, std::map<QString, QString>> dead; // list → number → reason
    std::vector<std::unique_ptr<pictures::PictureFetch>> fetches;
    std::size_t next = 0;
    int running = 0, done = 0, keptCount = 0;
    QEventLoop loop;

    std::function<void(int)> launch = [&](int slot) {
        while (next < jobs.size()) {
            const Wanted &job = jobs[next++];
            const pictures::LinkVerdict verdict = pictures::checkLink(job.link);
            if (verdict != pictures::LinkVerdict::Accepted) {
                dead[job.category->table][job.ref] = pictures::verdictMessage(verdict).trimmed();
                out << ++done << '/' << jobs.size() << " (" << job.category->table << ")\n";
                continue;
            }
            const QString downloaded = folder.filePath(QStringLiteral(".fetch-%1.download").arg(slot));
            const QString shrunk = folder.filePath(QStringLiteral(".fetch-%1.jpg").arg(slot));
            ++running;
            fetches[slot]->start(job.link, downloaded, shrunk, {}, [&, slot, downloaded, shrunk, entry = &job](const Status &fetched) {
                const Wanted &job = *entry;
                Status result = fetched ? kept.keep(*job.category, job.ref, job.link, shrunk) : fetched;
                QFile::remove(downloaded);
                QFile::remove(shrunk);
                if (result)
                    ++keptCount;
                else
                    dead[job.category->table][job.ref] = result.error();
                --running;
                out << ++done << '/' << jobs.size() << " (" << job.category->table << ")\n";
                out.flush();
                QMetaObject::invokeMethod(&loop, [&launch, slot] { launch(slot); }, Qt::QueuedConnection);
            });
            return;
        }
        if (running == 0)
            loop.quit();
    };
    for (int slot = 0; slot < atOnce; ++slot)
        fetches.push_back(std::make_unique<pictures::PictureFetch>(network));
    for (int slot = 0; slot < atOnce; ++slot)
        launch(slot);
    if (running > 0)
        loop.exec();

    for (const auto &[list, entries] : dead) {
        out << "Liens morts de la liste " << list << " :\n";
        for (const auto &[ref, reason] : entries)
            out << "  " << ref << " : " << reason << '\n';
    }
    const double seconds = double(clock.elapsed()) / 1000;
    out << "Terminé : " << keptCount << " image(s) gardée(s) en " << QString::number(seconds, 'f', 1) << " s ("
        << QString::number(seconds > 0 ? keptCount / seconds : 0.0, 'f', 1) << " par seconde) dans « "
        << shown(folder.path()) << " ».\n";
    return 0;
}

[[maybe_unused]] const bool imagesRegistered = registerCommand(
    {"images", "FICHIER [--refresh]",
     "garde l'image de chaque entrée qui n'en a pas encore (toutes avec --refresh), reprend où il s'est arrêté", 1,
     fetchPictures, 1});

} // namespace
} // namespace tabrix::admin
