#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

class QTextStream;

namespace tabrix::bench {

// The timings of one row, in milliseconds, with its floor (the least work
// that gives the same result, timed beside it in the same run) and the ratio
// it is held to.
struct Measure {
    QString name{};
    std::vector<double> ms{};
    QString floorName{};         // what the floor does; empty when none is timed
    std::vector<double> floorMs{};
    // The ratio shown when no floor is timed: a slow reference against its
    // operation, a size against another (0: none).
    double givenRatio = 0;
    double goal = 0;             // the ratio must be at most this (0: no goal)
    bool goalIsMinimum = false;  // ... at least this instead
};

double median(std::vector<double> values);

// median ÷ floor median, or the given ratio; 0 when there is neither.
double ratio(const Measure &measure);
bool hasGoal(const Measure &measure);
bool reached(const Measure &measure);

// The table: every row with its median, extremes, ratio and goal, each
// floor on an indented row of its own below its operation.
void printTable(QTextStream &out, const std::vector<Measure> &measures);

// One line per goal that is not reached.
QStringList unmetGoals(const std::vector<Measure> &measures);

// Writes the run to `path` as JSON: the `about` object, then every row with
// name, median, min, max, floor and its median, ratio and goal. An empty
// text on success, else why the file could not be written.
QString writeJson(const QString &path, const QJsonObject &about, const std::vector<Measure> &measures);

} // namespace tabrix::bench
