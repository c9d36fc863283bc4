// tabrix-admin images on a catalogue whose 200 entries each link to their
// own picture on a loopback server, as a whole process, beside the same
// files fetched four at a time by plain requests and written to disk.
#include "pictureserver.h"
#include "scenario.h"

#include "app/startup.h"
#include "store/category.h"
#include "store/sqlite.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <numeric>

namespace tabrix::bench {

namespace {

constexpr int perList = 50;
constexpr int atOnce = 4;

// Gives every entry of the catalogue its own picture: the Nth entry links
// to the Nth file of the server. Returns how many entries there are.
int linkEveryEntry(const QString &path, const PictureServer &server)
{
    sql::Connection db;
    if (db.open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK)
        fail(QStringLiteral("catalogue des images illisible"));
    int linked = 0;
    for (const Category &category : categories()) {
        std::vector<qint64> rows;
        {
            sql::Statement read(db.get(), QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(category.table));
            while (read.next())
                rows.push_back(read.integer(0));
        }
        sql::Statement link(db.get(), QStringLiteral("UPDATE %1 SET url = ?1 WHERE rowid = ?2").arg(category.table));
        for (const qint64 row : rows) {
            link.reset();
            link.bind(1, server.url(linked++));
            link.bind(2, QString::number(row));
            if (link.run() != SQLITE_DONE)
                fail(QStringLiteral("lien d'image : %1").arg(sql::describe(link.code())));
        }
    }
    return linked;
}

// The floor: every file fetched, `atOnce` requests at a time, each written
// to disk when it has arrived.
void fetchPlainly(QNetworkAccessManager &network, const PictureServer &server, int count, const QString &folder)
{
    QEventLoop loop;
    int next = 0, running = 0;
    std::function<void()> launch = [&] {
        if (next == count) {
            if (running == 0)
                loop.quit();
            return;
        }
        const int index = next++;
        ++running;
        QNetworkReply *reply = network.get(QNetworkRequest(QUrl(server.url(index))));
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply, index] {
            QFile file(QDir(folder).filePath(QStringLiteral("%1.jpg").arg(index)));
            if (reply->error() != QNetworkReply::NoError || !file.open(QIODevice::WriteOnly) ||
                file.write(reply->readAll()) <= 0)
                fail(QStringLiteral("téléchargement simple %1 : %2").arg(index).arg(reply->errorString()));
            reply->deleteLater();
            --running;
            launch();
        });
    };
    for (int slot = 0; slot < atOnce; ++slot)
        launch();
    if (running > 0)
        loop.exec();
}

} // namespace

std::vector<Measure> measureAdminImages(const Setup &, MainWindow &)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        fail(QStringLiteral("dossier temporaire impossible"));
    makeCatalogue(dir.path(), perList, 50);
    const QString catalogue = QDir(dir.path()).filePath(catalogueFileName());
    const std::vector<QByteArray> photos = numberedPhotographs(4 * perList, 2300, 1725);
    PictureServer server(photos);
    const int count = linkEveryEntry(catalogue, server);
    if (count != int(photos.size()))
        fail(QStringLiteral("%1 entrées pour %2 images").arg(count).arg(photos.size()));
    const double megabytes =
        std::accumulate(photos.begin(), photos.end(), 0.0, [](double sum, const QByteArray &p) { return sum + p.size(); }) /
        1e6 / count;

    QDir kept(QDir(dir.path()).filePath(QStringLiteral("images")));
    QString output;
    auto runAdmin = [&] {
        // The server lives in this process: its event loop must turn while
        // the tool fetches.
        QProcess process;
        QEventLoop wait;
        QObject::connect(&process, &QProcess::finished, &wait, &QEventLoop::quit);
        process.start(QStringLiteral(TABRIX_ADMIN_PATH), {QStringLiteral("images"), catalogue});
        if (process.state() != QProcess::NotRunning)
            wait.exec();
        if ( process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            fail(QStringLiteral("tabrix-admin images : %1").arg(QString::fromUtf8(process.readAllStandardError())));
        output = QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString plainFolder = QDir(dir.path()).filePath(QStringLiteral("simple"));
    QNetworkAccessManager network;
    auto emptyFolder = [&](const QString &path) {
        return [path] {
            QDir(path).removeRecursively();
            QDir().mkpath(path);
            settle();
        };
    };

    // Each run fetches a few hundred megabytes: fewer runs than the others.
    const int runs = 3;
    Measure images = timeBeside(QStringLiteral("tabrix-admin images (%1 × %2 Mo)").arg(count).arg(megabytes, 0, 'f', 1), runs,
                                {[&] { kept.removeRecursively(); }, runAdmin},
                                QStringLiteral("mêmes fichiers, %1 requêtes à la fois, écrits").arg(atOnce),
                                {emptyFolder(plainFolder), [&] { fetchPlainly(network, server, count, plainFolder); }},
                                1.5);
    const QString done = QStringLiteral("Terminé : %1 image(s) gardée(s)").arg(count);
    if (!output.contains(done))
        fail(QStringLiteral("tabrix-admin images n'a pas tout gardé : %1").arg(output.right(300)));
    const int keptFiles = int(kept.entryList({QStringLiteral("*.jpg")}, QDir::Files).size());
    const int plainFiles = int(QDir(plainFolder).entryList({QStringLiteral("*.jpg")}, QDir::Files).size());
    if (keptFiles != count || plainFiles != count)
        fail(QStringLiteral("%1 images gardées, %2 téléchargées simplement, pour %3").arg(keptFiles).arg(plainFiles).arg(count));
    images.name += QStringLiteral(", %1 mesures : %2 images/s, plancher %3/s")
                       .arg(runs)
                       .arg(count / (median(images.ms) / 1000), 0, 'f', 1)
                       .arg(count / (median(images.floorMs) / 1000), 0, 'f', 1);
    return {images};
}

} // namespace tabrix::bench
