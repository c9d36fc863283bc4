// How the tab change and the search grow with the catalogue: the same
// operations on catalogues of a quarter, a half and the full size.
#include "scenario.h"

#include "app/startup.h"
#include "support/recordingservices.h"

#include <QDir>
#include <QTemporaryDir>

namespace tabrix::bench {

namespace {

struct Size {
    QString name;
    int perList;
    int authors;
};

} // namespace

std::vector<Measure> measureScale(const Setup &setup, MainWindow &full)
{
    const Size sizes[] = {{QStringLiteral("1/4"), 250, 75}, {QStringLiteral("1/2"), 500, 150},
                          {QStringLiteral("entier"), 999, 300}};
    QTemporaryDir dir;
    const QString criterion = QStringLiteral("ro");
    std::vector<Measure> changes;
    std::vector<Measure> searches;
    for (const Size &size : sizes) {
        std::unique_ptr<MainWindow> smaller;
        if (size.perList != 999) {
            const QString programDir = QDir(dir.path()).filePath(QString::number(size.perList));
            QDir().mkpath(programDir);
            makeCatalogue(programDir, size.perList, size.authors);
            Result<std::unique_ptr<MainWindow>> started = startUp(programDir, *setup.services);
            if (!started)
                fail(started.error());
            smaller = std::move(*started);
            smaller->show();
            settle();
        }
        MainWindow &window = smaller ? *smaller : full;
        const QString of = QStringLiteral(" : %1 (%2 par liste)").arg(size.name).arg(size.perList);
        changes.push_back({QStringLiteral("échelle, changement d'onglet") + of, timeRuns(30, tabChange(window))});
        searches.push_back({QStringLiteral("échelle, recherche dans melvi") + of, timeRuns(50, melviSearch(window, criterion))});
        smaller.reset();
        settle();
    }
    if (!setup.services->messages.isEmpty())
        fail(QStringLiteral("échelle : message inattendu « %1 »").arg(setup.services->lastText()));

    // The full size against the quarter, on the full size's row: ×4 is
    // linear.
    std::vector<Measure> rows;
    for (std::vector<Measure> *grown : {&changes, &searches}) {
        grown->back().givenRatio = median(grown->back().ms) / median(grown->front().ms);
        rows.insert(rows.end(), grown->begin(), grown->end());
    }
    return rows;
}

} // namespace tabrix::bench
