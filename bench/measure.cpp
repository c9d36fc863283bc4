#include "measure.h"

#include <QElapsedTimer>

namespace tabrix::bench {

namespace {

double timeOnce(const Work &work)
{
    if (work.prepare)
        work.prepare();
    QElapsedTimer timer;
    timer.start();
    work.run();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

std::vector<double> timeRuns(int runs, const Work &work, int warmUps)
{
    std::vector<double> times;
    for (int i = 0; i < warmUps + runs; ++i) {
        const double ms = timeOnce(work);
        if (i >= warmUps)
            times.push_back(ms);
    }
    return times;
}

Measure timeBeside(QString name, int runs, const Work &operation, QString floorName, const Work &floor, double goal,
                   int warmUps)
{
    Measure measure{std::move(name), {}, std::move(floorName), {}, 0, goal};
    for (int i = 0; i < warmUps + runs; ++i) {
        const double ms = timeOnce(operation);
        const double floorMs = timeOnce(floor);
        if (i >= warmUps) {
            measure.ms.push_back(ms);
            measure.floorMs.push_back(floorMs);
        }
    }
    return measure;
}

} // namespace tabrix::bench
