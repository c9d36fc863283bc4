#pragma once

#include "report.h"

#include <functional>
#include <vector>

namespace tabrix::bench {

// One timed piece of work: `prepare`, when given, runs before each run,
// outside the timing.
struct Work {
    std::function<void()> prepare;
    std::function<void()> run;
};

// Runs the work `runs` times after `warmUps` untimed runs.
std::vector<double> timeRuns(int runs, const Work &work, int warmUps = 1);

// An operation and its floor, timed in turns (one run of each, again and
// again) so that the load of the machine falls on both alike: the same
// number of runs, the same untimed first runs, each with its own preparing.
Measure timeBeside(QString name, int runs, const Work &operation, QString floorName, const Work &floor, double goal,
                   int warmUps = 1);

} // namespace tabrix::bench
