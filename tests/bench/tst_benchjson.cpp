// The benchmark's JSON file: every row with its figures, floor, ratio and
// goal, as another program reads it back.
#include "bench/report.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabrix::bench;

class BenchJsonTest : public QObject {
    Q_OBJECT
private slots:
    void rowsReadBack();
    void unwritablePlaceSaysWhy();
};

void BenchJsonTest::rowsReadBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("banc.json"));
    Measure tab{QStringLiteral("changement d'onglet"), {3, 1, 2}, QStringLiteral("SQL seul"), {0.5, 1, 2}, 0, 2};
    Measure reference{QStringLiteral("  référence"), {40, 60}, {}, {}, 25, 20, true};
    Measure plain{QStringLiteral("  premier démarrage"), {0.12345}};
    QCOMPARE(writeJson(path, {{QStringLiteral("program"), QStringLiteral("Tabrix")}}, {tab, reference, plain}), QString());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(document.value("program").toString(), QStringLiteral("Tabrix"));
    const QJsonArray rows = document.value("rows").toArray();
    QCOMPARE(rows.size(), 3);
    const QJsonObject expected[] = {
        QJsonObject{{"name", "changement d'onglet"}, {"median_ms", 2}, {"min_ms", 1}, {"max_ms", 3}, {"runs", 3},
                    {"floor", "SQL seul"}, {"floor_median_ms", 1}, {"ratio", 2},
                    {"goal", QJsonObject{{"at_most", 2}}}, {"reached", true}},
        QJsonObject{{"name", "référence"}, {"median_ms", 50}, {"min_ms", 40}, {"max_ms", 60}, {"runs", 2},
                    {"floor", QJsonValue()}, {"floor_median_ms", QJsonValue()}, {"ratio", 25},
                    {"goal", QJsonObject{{"at_least", 20}}}, {"reached", true}},
        QJsonObject{{"name", "premier démarrage"}, {"median_ms", 0.123}, {"min_ms", 0.123}, {"max_ms", 0.123},
                    {"runs", 1}, {"floor", QJsonValue()}, {"floor_median_ms", QJsonValue()}, {"ratio", QJsonValue()},
                    {"goal", QJsonValue()}, {"reached", QJsonValue()}},
    };
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows.at(i).toObject(), expected[i]);
}

void BenchJsonTest::unwritablePlaceSaysWhy()
{
    QTemporaryDir dir;
    QVERIFY(!writeJson(dir.filePath(QStringLiteral("absent/banc.json")), {}, {}).isEmpty());
}

QTEST_GUILESS_MAIN(BenchJsonTest)
#include "tst_benchjson.moc"
