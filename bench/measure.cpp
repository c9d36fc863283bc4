#include "measure.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

#include <algorithm>

namespace tabrix::bench {

namespace {

QString milliseconds(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10 ? 2 : 1);
}

QString targetText(const Measure &m)
{
    QStringList parts;
    if (m.targetMs > 0)
        parts << QStringLiteral("≤ %1").arg(milliseconds(m.targetMs));
    if (m.targetRatio > 0)
        parts << QStringLiteral("×%1").arg(m.targetRatio, 0, 'f', 0);
    return parts.join(QStringLiteral(", "));
}

} // namespace

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> timeRuns(int runs, const std::function<void()> &prepare, const std::function<void()> &operation,
                             int warmUps)
{
    std::vector<double> times;
    times.reserve(std::size_t(runs));
    for (int i = 0; i < warmUps + runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        operation();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (i >= warmUps)
            times.push_back(ms);
    }
    return times;
}

bool reached(const Measure &m)
{
    const double med = median(m.ms);
    if (m.targetMs > 0 && med > m.targetMs)
        return false;
    if (m.targetRatio > 0 && (m.referenceMedian <= 0 || m.referenceMedian / med < m.targetRatio))
        return false;
    return true;
}

void printTable(QTextStream &out, const std::vector<Measure> &measures)
{
    int width = 10;
    for (const Measure &m : measures)
        width = std::max(width, int(m.operation.size()));
    const QString rule = QString(width + 2 + 4 * 12 + 2 + 24, QLatin1Char('-'));

    out << QStringLiteral("%1  %2%3%4%5  %6\n")
               .arg(QStringLiteral("opération"), -width)
               .arg(QStringLiteral("médiane"), 12)
               .arg(QStringLiteral("min"), 12)
               .arg(QStringLiteral("max"), 12)
               .arg(QStringLiteral("rapport"), 12)
               .arg(QStringLiteral("objectif"));
    out << rule << '\n';
    for (const Measure &m : measures) {
        const double med = median(m.ms);
        const QString ratio = m.referenceMedian > 0 ? QStringLiteral("×%1").arg(m.referenceMedian / med, 0, 'f', 1)
                                                    : QString();
        const QString target = targetText(m);
        out << QStringLiteral("%1  %2%3%4%5  %6\n")
                   .arg(m.operation, -width)
                   .arg(milliseconds(med), 12)
                   .arg(milliseconds(*std::min_element(m.ms.begin(), m.ms.end())), 12)
                   .arg(milliseconds(*std::max_element(m.ms.begin(), m.ms.end())), 12)
                   .arg(ratio, 12)
                   .arg(target.isEmpty() ? QString() : target + (reached(m) ? QStringLiteral("  atteint")
                                                                             : QStringLiteral("  NON ATTEINT")));
    }
    out.flush();
}

} // namespace tabrix::bench
