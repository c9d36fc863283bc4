// The benchmark's JSON file: every row with its figures, floor, ratio and
// goal, as another program reads it back.
#include "bench/report.h"
#include "tools/admincommand.h"

#include <QJsonDocument>

using namespace tabrix::bench;
using tabrix::test::fileBytes;

class TestBenchJson : public QObject {
    Q_OBJECT
private slots:
    void rowsReadBack()
    {
        const tabrix::test::ProgramDir dir;
        const QString path = dir.file("banc.json");
        const std::vector<Measure> rows = {{"changement de liste", {3, 1, 2}, "SQL seul", {0.5, 1, 2}, 0, 2},
                                           {"  référence", {40, 60}, {}, {}, 25, 20, true},
                                           {"  premier démarrage", {0.12345}}};
        QCOMPARE(writeJson(path, {{"program", "Tabrix"}}, rows), QString());
        const QByteArray expected = R"({"program": "Tabrix", "rows": [
            {"name": "changement de liste", "median_ms": 2, "min_ms": 1, "max_ms": 3, "runs": 3, "floor": "SQL seul",
             "floor_median_ms": 1, "ratio": 2, "goal": {"at_most": 2}, "reached": true},
            {"name": "référence", "median_ms": 50, "min_ms": 40, "max_ms": 60, "runs": 2, "floor": null,
             "floor_median_ms": null, "ratio": 25, "goal": {"at_least": 20}, "reached": true},
            {"name": "premier démarrage", "median_ms": 0.123, "min_ms": 0.123, "max_ms": 0.123, "runs": 1, "floor": null,
             "floor_median_ms": null, "ratio": null, "goal": null, "reached": null}]})";
        QCOMPARE(QJsonDocument::fromJson(fileBytes(path)), QJsonDocument::fromJson(expected));
        QVERIFY(!writeJson(dir.file("absent/banc.json"), {}, {}).isEmpty()); // says why it cannot write there
    }
};

QTEST_GUILESS_MAIN(TestBenchJson)
#include "tst_benchjson.moc"
