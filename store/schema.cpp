#include "store/schema.h"

#include "store/category.h"
#include "store/entrynumber.h"
#include "store/newfile.h"
#include "store/sqlite.h"
#include "store/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <sqlite3.h>

#include <cmath>
#include <functional>

namespace tabrix {

namespace {

Status run(sqlite3 *db, const QString &query)
{
    char *message = nullptr;
    const int code = sqlite3_exec(db, query.toUtf8().constData(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (code != SQLITE_OK)
        return Failure{sql::describe(code)};
    return success();
}

QString schemaText()
{
    QString text;
    for (const Category &c : categories()) {
        text += QStringLiteral("CREATE TABLE %1 (ref TEXT, %2 TEXT, auteur TEXT, url TEXT, lien TEXT);\n")
                    .arg(c.table, c.nameField);
        text += QStringLiteral("CREATE UNIQUE INDEX idx_ref_%1 ON %1 (ref);\n").arg(c.table);
    }
    text += QStringLiteral("CREATE TABLE auteurs (nom TEXT);\n"
                           "CREATE INDEX idx_nom ON auteurs (nom);\n");
    return text;
}

} // namespace

Status makeCatalogue(const QString &path, const std::function<Status(sqlite3 *)> &fill,
                     const std::function<Status(const QString &)> &verify)
{
    NewFile file(path);
    if (Status reserved = file.reserve(); !reserved)
        return reserved;
    sql::Connection db;
    const int code = db.open(file.temporaryPath(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW);
    Status status = success();
    if (code != SQLITE_OK)
        status = Failure{sql::describe(code)};
    if (status)
        status = run(db.get(), QStringLiteral("BEGIN;\n") + schemaText());
    if (status && fill)
        status = fill(db.get());
    if (status)
        status = run(db.get(), QStringLiteral("COMMIT;"));
    db.close();
    if (!status)
        return Failure{QStringLiteral("Le catalogue « %1 » n'a pas pu être créé : %2.").arg(shownPath(path), status.error())};
    if (verify)
        if (Status checked = verify(file.temporaryPath()); !checked)
            return checked;
    if (Status finished = file.finish(); !finished)
        return finished;
    return file.publish();
}

namespace {

const QStringList &pseudonyms()
{
    static const QStringList names = {
        "Mistral", "Zoé", "Benoît", "Hélène", "Loïc", "Cédric", "Aurélie", "Noël", "Jérôme", "Gaëtan",
        "Maëlle", "Renée", "Lætitia", "Théo", "Chloé", "Ambroise", "Églantine", "Perceval", "Sœur Anne",
        "Isaïe", "Bérénice", "Anaïs", "Clémence", "Grégoire", "Thaïs", "Ophélie", "Timothée", "Solène",
        "Raphaël", "Capucine"};
    return names;
}

const QStringList &nameWords()
{
    static const QStringList words = {
        "Le phare d'Étretat", "La cathédrale", "Le marché de Noël", "Les écluses", "Château fort",
        "Île de Ré", "Mont-Saint-Michel", "Forêt de Brocéliande", "Gorges du Verdon", "Pont du Gard",
        "Cœur de Lyon", "Abbaye de Sénanque", "Côte de Granit rose", "Les Calanques", "Lac d'Annecy",
        "Vieux-Port", "Moulin à vent", "Place Stanislas", "Rocamadour", "Carcassonne", "Dune du Pilat",
        "Cirque de Gavarnie", "Étang de Thau", "Puy de Dôme", "Belle-Île", "Plateau de Valensole"};
    return words;
}

QString authorName(int index)
{
    const QStringList &base = pseudonyms();
    if (index < base.size())
        return base.at(index);
    return QStringLiteral("%1_%2").arg(base.at(index % base.size())).arg(index / base.size());
}

Status fillSample(sqlite3 *db, const SampleShape &shape)
{
    QRandomGenerator random(shape.seed);
    const int authorCount = std::max(1, shape.authors);
    // A skewed spread: author k is drawn with a weight of 1 / (k + 1).
    std::vector<double> cumulative;
    double total = 0;
    for (int k = 0; k < authorCount; ++k) {
        total += 1.0 / (k + 1);
        cumulative.push_back(total);
    }
    auto drawAuthor = [&]() {
        const double x = random.generateDouble() * total;
        const auto it = std::lower_bound(cumulative.begin(), cumulative.end(), x);
        return int(std::min<std::ptrdiff_t>(it - cumulative.begin(), authorCount - 1));
    };

    std::vector<bool> recorded(authorCount, false);
    sql::Statement author(db, QStringLiteral("INSERT INTO auteurs (nom) VALUES (?1)"));
    // Every pseudonym is known, most of them through the zarpo list.
    for (const Category &c : categories()) {
        sql::Statement insert(db, QStringLiteral("INSERT INTO %1 (ref, %2, auteur, url, lien) VALUES (?1, ?2, ?3, ?4, ?5)")
                                      .arg(c.table, c.nameField));
        const int n = std::clamp(shape.entries[c.id], 0, 999);
        for (int i = 1; i <= n; ++i) {
            const QString ref = threeDigitText(i);
            const int who = drawAuthor();
            const QStringList &words = nameWords();
            const QString name = QStringLiteral("%1 %2").arg(words.at(int(random.bounded(words.size())))).arg(i);
            const QString url = random.bounded(10) == 0
                                    ? notAvailable()
                                    : QStringLiteral("https://images.norvane.fr/%1/%2.jpg").arg(c.table, ref);
            const QString link = random.bounded(8) == 0
                                     ? notAvailable()
                                     : QStringLiteral("%1fr/viewtopic.php?t=%2").arg(forumPrefix()).arg(1000 * (c.id + 1) + i);
            insert.reset();
            insert.bind(1, ref);
            insert.bind(2, name);
            insert.bind(3, authorName(who));
            insert.bind(4, url);
            insert.bind(5, link);
            insert.next();
            if (insert.code() != SQLITE_DONE)
                return Failure{sql::describe(insert.code())};
            if (!recorded[who] && (c.id == 0 || random.bounded(4) == 0)) {
                recorded[who] = true;
                author.reset();
                author.bind(1, authorName(who));
                author.next();
                if (author.code() != SQLITE_DONE)
                    return Failure{sql::describe(author.code())};
            }
        }
    }
    return success();
}

} // namespace

Status createCatalogue(const QString &path)
{
    return makeCatalogue(path, {});
}

Status createSampleCatalogue(const QString &path, const SampleShape &shape)
{
    return makeCatalogue(path, [&](sqlite3 *db) { return fillSample(db, shape); });
}

} // namespace tabrix
