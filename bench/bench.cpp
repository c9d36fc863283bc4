// Measures the program's operations on a full catalogue (999 entries in each
// list, 300 authors), through the same code the windows run.
#include "app/startup.h"
#include "store/schema.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace tabrix;

namespace {

struct Measure {
    QString operation;
    std::vector<double> ms;
    double referenceMedian = 0; // when a reference strategy was timed too
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::vector<double> timeIt(int runs, const std::function<void()> &prepare, const std::function<void()> &operation)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        operation();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

void print(const std::vector<Measure> &measures)
{
    QTextStream out(stdout);
    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg("opération", -34)
               .arg("médiane", 10)
               .arg("min", 10)
               .arg("max", 10)
               .arg("rapport", 10);
    for (const Measure &m : measures) {
        const double med = median(m.ms);
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(m.operation, -34)
                   .arg(QStringLiteral("%1 ms").arg(med, 0, 'f', 2), 10)
                   .arg(QStringLiteral("%1 ms").arg(*std::min_element(m.ms.begin(), m.ms.end()), 0, 'f', 2), 10)
                   .arg(QStringLiteral("%1 ms").arg(*std::max_element(m.ms.begin(), m.ms.end()), 0, 'f', 2), 10)
                   .arg(m.referenceMedian > 0 ? QStringLiteral("×%1").arg(m.referenceMedian / med, 0, 'f', 1)
                                              : QString(),
                        10);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString catalogue = QDir(dir.path()).filePath(catalogueFileName());
    if (Status made = createSampleCatalogue(catalogue, SampleShape{{999, 999, 999, 999}, 300, 42}); !made) {
        QTextStream(stderr) << made.error() << '\n';
        return 1;
    }
    RecordingServices services;
    std::vector<Measure> measures;

    measures.push_back({"démarrage (fenêtre remplie)", timeIt(15, nullptr, [&] {
                            auto window = startUp(dir.path(), services);
                            if (!window)
                                qFatal("%s", qPrintable(window.error()));
                        })});

    print(measures);
    return 0;
}
