#pragma once

#include "measure.h"

#include <QString>

#include <vector>

namespace tabrix {
class MainWindow;
class RecordingServices;
}

namespace tabrix::bench {

// What every measure works on: the program directory with its full
// catalogue, and the messages the windows would have shown.
struct Setup {
    QString programDir;
    RecordingServices *services = nullptr;
};

// From opening the catalogue to the main window filled (grids, author
// lists, headers); the window's destruction is not counted.
std::vector<Measure> measureStartUp(const Setup &setup);

// The operations on a started, shown main window.
std::vector<Measure> measureTabChange(const Setup &setup, MainWindow &window);
std::vector<Measure> measureSearch(const Setup &setup, MainWindow &window);
std::vector<Measure> measureSort(const Setup &setup, MainWindow &window);
std::vector<Measure> measureEdits(const Setup &setup, MainWindow &window);
std::vector<Measure> measurePicture(const Setup &setup, MainWindow &window);

// Stops the benchmark with a message when an operation did not do what it
// is timed for.
[[noreturn]] void fail(const QString &what);

// Lets the window catch up (layout, painting, deferred deletes) between two
// timed runs.
void settle();

} // namespace tabrix::bench
