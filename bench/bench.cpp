// Measures the program's operations on a full catalogue (999 entries in each
// list, about 300 authors), through the same code the windows run, each
// beside its floor, and prints medians, extremes and the ratio each must
// keep to its floor.
#include "scenario.h"

#include "app/startup.h"
#include "support/recordingservices.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <thread>

#include <unistd.h>

using namespace tabrix;
using namespace tabrix::bench;

namespace {

// The load of the machine when the run started: other work on the same
// cores and disk shows in the figures.
QString loadAverage()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    if (!load.open(QIODevice::ReadOnly))
        return QStringLiteral("inconnue");
    return QString::fromLatin1(load.readAll()).section(QLatin1Char(' '), 0, 2);
}

// How long the disk takes to make a small write durable, as each commit
// asks it several times: the floor under the timings of add and update.
double flushMedianMs(const QString &dir)
{
    QFile probe(QDir(dir).filePath(QStringLiteral("vidage.tmp")));
    if (!probe.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return 0;
    const QByteArray page(4096, 'x');
    std::vector<double> times;
    for (int i = 0; i < 11; ++i) {
        probe.seek(0);
        probe.write(page);
        probe.flush();
        QElapsedTimer timer;
        timer.start();
        ::fdatasync(probe.handle());
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    probe.remove();
    return median(times);
}

QString processorName()
{
    QFile cpu(QStringLiteral("/proc/cpuinfo"));
    if (cpu.open(QIODevice::ReadOnly))
        for (const QByteArray &line : cpu.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return QSysInfo::currentCpuArchitecture();
}

// The offscreen platform cannot raise a window; the picture window asks it to.
QtMessageHandler standardHandler = nullptr;

void quietRaise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (standardHandler)
        standardHandler(type, context, message);
    else
        QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

} // namespace

namespace tabrix::bench {

// Every author who has entries in a list is in auteurs, as a catalogue kept
// for years ends up: the statistics then count them all.
int makeCatalogue(const QString &programDir, int perList, int authors)
{
    const QString path = QDir(programDir).filePath(catalogueFileName());
    if (Status made = createSampleCatalogue(path, SampleShape{{perList, perList, perList, perList}, authors, 42}); !made)
        fail(made.error());
    sql::Connection db;
    if (db.open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK)
        fail(QStringLiteral("catalogue illisible"));
    {
        sql::Statement add(db.get(), QStringLiteral(
                                   "INSERT INTO auteurs (nom) SELECT DISTINCT auteur FROM ("
                                   "SELECT auteur FROM zarpo UNION ALL SELECT auteur FROM melvi UNION ALL "
                                   "SELECT auteur FROM trunda UNION ALL SELECT auteur FROM titres) "
                                   "WHERE auteur NOT IN (SELECT nom FROM auteurs)"));
        add.next();
        if (add.code() != SQLITE_DONE)
            fail(sql::describe(add.code()));
    }
    int count = 0;
    {
        sql::Statement all(db.get(), QStringLiteral("SELECT count(*) FROM auteurs"));
        if (all.next())
            count = int(all.integer(0));
    }
    return count;
}

// The measures named on the command line (none: all of them) and the JSON
// file asked for, if any.
struct Options {
    QStringList asked;
    QString json;
    bool wanted(const char *name) const { return asked.isEmpty() || asked.contains(QLatin1String(name)); }
};

Options readOptions(const QApplication &application)
{
    const QStringList known{"demarrage", "onglet", "recherche", "toutes", "tri", "ecriture", "image", "images", "echelle"};
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Banc d'essai de Tabrix : chaque opération à côté de son plancher."));
    parser.addHelpOption();
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Écrit aussi chaque ligne dans FICHIER, en JSON."),
                                  QStringLiteral("FICHIER"));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("mesures"), QStringLiteral("Au choix : %1 ; aucune : toutes.").arg(known.join(' ')),
                                 QStringLiteral("[mesure…]"));
    parser.process(application);
    const Options options{parser.positionalArguments(), parser.value(json)};
    for (const QString &name : options.asked)
        if (!known.contains(name))
            fail(QStringLiteral("mesure inconnue « %1 » ; au choix : %2").arg(name, known.join(' ')));
    return options;
}

// Prints what the run is made on; returns the same for the JSON file.
QJsonObject printHeader(QTextStream &out, const QString &dir, int authors)
{
    const QString date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QString machine = QStringLiteral("%1, %2 cœurs").arg(processorName()).arg(std::thread::hardware_concurrency());
    const QString load = loadAverage();
    out << QStringLiteral("Tabrix %1 : banc d'essai du %2\n").arg(QStringLiteral(PROJECT_VERSION), date);
    out << QStringLiteral("Machine : %1 ; Qt %2, SQLite %3\n")
               .arg(machine, QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()));
    out << QStringLiteral("Charge au départ : %1 ; vidage disque (fdatasync) : %2 ms\n")
               .arg(load)
               .arg(flushMedianMs(dir), 0, 'f', 2);
    out << QStringLiteral("Catalogue : 4 × 999 entrées, %1 auteurs, dans %2\n").arg(authors).arg(dir);
    out << QStringLiteral("Chaque opération est faite en alternance avec son plancher, chacun d'abord une fois "
                          "sans être compté ; rapport : médiane ÷ médiane du plancher.\n\n");
    out.flush();
    return {{QStringLiteral("program"), QStringLiteral("Tabrix %1").arg(QStringLiteral(PROJECT_VERSION))},
            {QStringLiteral("date"), date},
            {QStringLiteral("machine"), machine},
            {QStringLiteral("load"), load},
            {QStringLiteral("unit"), QStringLiteral("ms")}};
}

// Every asked measure made in the window opened on the catalogue, after
// the start-up's own.
std::vector<Measure> measureAll(const Options &options, const Setup &setup, RecordingServices &services)
{
    std::vector<Measure> measures;
    if (options.wanted("demarrage"))
        measures = measureStartUp(setup);
    Result<std::unique_ptr<MainWindow>> started = startUp(setup.programDir, services);
    if (!started)
        fail(started.error());
    MainWindow &window = **started;
    window.show();
    settle();

    const std::pair<const char *, std::vector<Measure> (*)(const Setup &, MainWindow &)> operations[] = {
        {"onglet", measureTabChange}, {"recherche", measureSearch}, {"toutes", measureAllLists},
        {"tri", measureSort},         {"ecriture", measureEdits},   {"image", measurePicture},
        {"images", measureAdminImages}, {"echelle", measureScale}};
    for (const auto &[name, measure] : operations) {
        if (!options.wanted(name))
            continue;
        std::vector<Measure> more = measure(setup, window);
        measures.insert(measures.end(), more.begin(), more.end());
    }
    return measures;
}

} // namespace tabrix::bench

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    standardHandler = qInstallMessageHandler(quietRaise);
    QApplication application(argc, argv);
    QTextStream out(stdout);
    const Options options = readOptions(application);

    QTemporaryDir dir;
    if (!dir.isValid())
        fail(QStringLiteral("dossier temporaire impossible"));
    const int authors = makeCatalogue(dir.path(), 999, 300);
    const QJsonObject about = printHeader(out, dir.path(), authors);

    RecordingServices services;
    const std::vector<Measure> measures = measureAll(options, Setup{dir.path(), &services}, services);
    printTable(out, measures);
    const QStringList unmet = unmetGoals(measures);
    out << '\n' << (unmet.isEmpty() ? QStringLiteral("Tous les objectifs sont atteints.") : unmet.join('\n')) << '\n';
    if (!options.json.isEmpty())
        if (const QString error = writeJson(options.json, about, measures); !error.isEmpty())
            out << QStringLiteral("%1 n'a pas pu être écrit : %2\n").arg(options.json, error);
    return 0;
}
