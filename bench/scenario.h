#pragma once

#include "measure.h"

#include "support/recordingservices.h"

#include <QString>

#include <vector>

namespace tabrix {
class MainWindow;
}

namespace tabrix::bench {

// What every measure works on: the program directory with its full
// catalogue, and the messages the windows would have shown.
struct Setup {
    QString programDir;
    RecordingServices *services = nullptr;

    QString catalogue() const;
};

// Makes the catalogue of a program directory: `perList` entries in each
// list, `authors` pseudonyms, every one of them in auteurs. Returns how many
// authors auteurs holds.
int makeCatalogue(const QString &programDir, int perList, int authors);

// From the start of a process to the main window filled and painted, beside
// an empty window of the same size; then the same inside this process.
std::vector<Measure> measureStartUp(const Setup &setup);

// The operations on a started, shown main window. Each row is timed beside
// its floor (timeBeside()): adding one is a function here and a line in
// the list of main().
std::vector<Measure> measureTabChange(const Setup &setup, MainWindow &window);
std::vector<Measure> measureSearch(const Setup &setup, MainWindow &window);
// The search over every list with accents set aside.
std::vector<Measure> measureAllLists(const Setup &setup, MainWindow &window);
std::vector<Measure> measureSort(const Setup &setup, MainWindow &window);
std::vector<Measure> measureEdits(const Setup &setup, MainWindow &window);
std::vector<Measure> measurePicture(const Setup &setup, MainWindow &window);
// tabrix-admin images fetching 200 pictures of about 1 MB, as a process.
std::vector<Measure> measureAdminImages(const Setup &setup, MainWindow &window);
// The tab change and the search on catalogues of 1/4, 1/2 and the full size.
std::vector<Measure> measureScale(const Setup &setup, MainWindow &window);

// What the tab change and the search do, as a timed piece of work.
Work tabChange(MainWindow &window);
Work melviSearch(MainWindow &window, const QString &criterion);

// Stops the benchmark with a message when an operation did not do what it
// is timed for.
[[noreturn]] void fail(const QString &what);

// Lets the window catch up (layout, painting, deferred deletes) between two
// timed runs.
void settle();

} // namespace tabrix::bench
