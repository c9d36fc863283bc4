#include "report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace tabrix::bench {

namespace {

QString milliseconds(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10 ? 2 : 1);
}

QString ratioText(double r)
{
    return r > 0 ? QStringLiteral("×%1").arg(r, 0, 'f', r < 10 ? 2 : 1) : QString();
}

QString goalText(const Measure &m)
{
    if (!hasGoal(m))
        return QString();
    return QStringLiteral("%1 %2").arg(m.goalIsMinimum ? QStringLiteral("≥") : QStringLiteral("≤"),
                                       QString::number(m.goal));
}

// Microseconds are the finest figure worth keeping.
QJsonValue rounded(double ms)
{
    return std::round(ms * 1000) / 1000;
}

QJsonValue orNull(bool present, const QJsonValue &value)
{
    return present ? value : QJsonValue(QJsonValue::Null);
}

void printRow(QTextStream &out, int width, const QString &name, const std::vector<double> &ms, const QString &ratio,
              const QString &goal)
{
    QString line = QStringLiteral("%1  %2%3%4%5  %6")
                             .arg(name, -width)
                             .arg(milliseconds(median(ms)), 12)
                             .arg(milliseconds(*std::min_element(ms.begin(), ms.end())), 12)
                             .arg(milliseconds(*std::max_element(ms.begin(), ms.end())), 12)
                             .arg(ratio, 12)
                             .arg(goal);
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    out << line << '\n';
}

QString floorRowName(const Measure &m)
{
    return QStringLiteral("  plancher : %1").arg(m.floorName);
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

double ratio(const Measure &m)
{
    if (!m.floorMs.empty()) {
        const double floor = median(m.floorMs);
        return floor > 0 ? median(m.ms) / floor : 0;
    }
    return m.givenRatio;
}

bool hasGoal(const Measure &m)
{
    return m.goal > 0;
}

bool reached(const Measure &m)
{
    if (!hasGoal(m))
        return true;
    const double r = ratio(m);
    return r > 0 && (m.goalIsMinimum ? r >= m.goal : r <= m.goal);
}

void printTable(QTextStream &out, const std::vector<Measure> &measures)
{
    int width = 10;
    for (const Measure &m : measures)
        width = std::max({width, int(m.name.size()), m.floorMs.empty() ? 0 : int(floorRowName(m).size())});

    out << QStringLiteral("%1  %2%3%4%5  %6\n")
               .arg(QStringLiteral("opération"), -width)
               .arg(QStringLiteral("médiane"), 12)
               .arg(QStringLiteral("min"), 12)
               .arg(QStringLiteral("max"), 12)
               .arg(QStringLiteral("rapport"), 12)
               .arg(QStringLiteral("objectif"));
    out << QString(width + 2 + 4 * 12 + 2 + 20, QLatin1Char('-')) << '\n';
    for (const Measure &m : measures) {
        const QString goal = goalText(m);
        printRow(out, width, m.name, m.ms, ratioText(ratio(m)),
                 goal.isEmpty() ? goal : goal + (reached(m) ? QStringLiteral("  atteint") : QStringLiteral("  NON ATTEINT")));
        if (!m.floorMs.empty())
            printRow(out, width, floorRowName(m), m.floorMs, QString(), QString());
    }
    out.flush();
}

QStringList unmetGoals(const std::vector<Measure> &measures)
{
    QStringList lines;
    for (const Measure &m : measures)
        if (!reached(m))
            lines << QStringLiteral("Objectif non atteint : %1, %2 pour %3.")
                         .arg(m.name.trimmed(), ratioText(ratio(m)), goalText(m));
    return lines;
}

QString writeJson(const QString &path, const QJsonObject &about, const std::vector<Measure> &measures)
{
    QJsonArray rows;
    for (const Measure &m : measures) {
        const bool floor = !m.floorMs.empty();
        const double r = ratio(m);
        QJsonObject goal;
        if (hasGoal(m))
            goal.insert(m.goalIsMinimum ? QStringLiteral("at_least") : QStringLiteral("at_most"), m.goal);
        rows.append(QJsonObject{
            {QStringLiteral("name"), m.name.trimmed()},
            {QStringLiteral("median_ms"), rounded(median(m.ms))},
            {QStringLiteral("min_ms"), rounded(*std::min_element(m.ms.begin(), m.ms.end()))},
            {QStringLiteral("max_ms"), rounded(*std::max_element(m.ms.begin(), m.ms.end()))},
            {QStringLiteral("runs"), int(m.ms.size())},
            {QStringLiteral("floor"), orNull(floor, m.floorName)},
            {QStringLiteral("floor_median_ms"), orNull(floor, rounded(median(m.floorMs)))},
            {QStringLiteral("ratio"), orNull(r > 0, std::round(r * 100) / 100)},
            {QStringLiteral("goal"), orNull(hasGoal(m), goal)},
            {QStringLiteral("reached"), orNull(hasGoal(m), reached(m))},
        });
    }
    QJsonObject document = about;
    document.insert(QStringLiteral("rows"), rows);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(QJsonDocument(document).toJson());
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace tabrix::bench
