#pragma once

#include <QString>

#include <functional>
#include <vector>

class QTextStream;

namespace tabrix::bench {

// The timings of one operation, in milliseconds, with what it is held to.
struct Measure {
    QString operation;
    std::vector<double> ms;
    double referenceMedian = 0; // the same work done the reference way, when timed
    double targetMs = 0;        // the median must not be above this (0: no target)
    double targetRatio = 0;     // the reference must be at least this many times slower
};

double median(std::vector<double> values);

// Runs `operation` `runs` times after `warmUps` untimed runs; `prepare`, when
// given, runs before each of them, outside the timing.
std::vector<double> timeRuns(int runs, const std::function<void()> &prepare, const std::function<void()> &operation,
                             int warmUps = 1);

// Whether the measure reaches its targets.
bool reached(const Measure &measure);

// The table: operation, median, min, max, ratio to the reference, target.
void printTable(QTextStream &out, const std::vector<Measure> &measures);

} // namespace tabrix::bench
