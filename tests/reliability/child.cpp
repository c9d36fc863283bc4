// A separate process for the reliability tests: what another program, or
// the program itself, does to the catalogue while a test watches from
// outside and may kill it at any moment.
//
//   reliability_child add CATALOGUE TABLE
//       Opens the catalogue as the program does, fills the list's tab and
//       presses "Ajouter" again and again with the next number, until the
//       list holds 999 entries. Writes "ready" once the tab is filled, then
//       "saved NNN" each time an add has returned success ("failed NNN
//       message" and exit status 2 when one fails).
//   reliability_child hold CATALOGUE immediate|exclusive MILLISECONDS
//       Takes a write lock (BEGIN IMMEDIATE) or the whole file (BEGIN
//       EXCLUSIVE), writes "held", and lets go after MILLISECONDS, or when
//       its input closes when MILLISECONDS is 0.
//   reliability_child interrupt CATALOGUE
//       Rewrites every name of every list in one transaction that spills
//       into the file itself, writes "dirty" and waits to be killed: the
//       catalogue is left with a journal that must be played back.
//
// Every line goes straight to the pipe, so that a kill loses none of the
// lines written before it.

#include "crashentries.h"

#include "editing/entryops.h"
#include "editing/numbertext.h"
#include "store/catalogue.h"
#include "ui/categorytab.h"
#include "ui/services.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QLineEdit>
#include <QThread>

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

using namespace tabrix;

namespace {

void say(const QString &line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            std::_Exit(3);
        done += n;
    }
}

[[noreturn]] void fail(const QString &why)
{
    say(QStringLiteral("error ") + why);
    std::_Exit(4);
}

int addAll(const QString &path, const QString &table)
{
    const Category *category = categoryByTable(table);
    if (!category)
        fail(QStringLiteral("unknown list ") + table);
    Catalogue::Opened opened = Catalogue::open(path);
    if (auto *failure = std::get_if<Catalogue::OpenFailure>(&opened))
        fail(failure->message);
    Catalogue &catalogue = *std::get<std::unique_ptr<Catalogue>>(opened);

    CategoryTab tab(*category);
    tab.writeHeader();
    const Result<std::vector<GridRow>> rows = catalogue.rows(*category);
    if (!rows)
        fail(rows.error());
    tab.fillGrid(*rows);
    RecordingServices services;
    say(QStringLiteral("ready"));

    for (int number = tab.grid->rows(); number <= test::lastCrashNumber; number = tab.grid->rows()) {
        const Entry typed = test::crashEntry(*category, number);
        tab.number->setText(typed.ref);
        tab.name->setText(typed.name);
        tab.setAuthorText(typed.author);
        tab.url->clear();
        tab.link->clear();
        if (editing::addEntry(catalogue, tab, services) != editing::Outcome::Saved) {
            say(QStringLiteral("failed %1 %2").arg(typed.ref, services.lastText()));
            return 2;
        }
        say(QStringLiteral("saved ") + typed.ref);
    }
    say(QStringLiteral("full"));
    return 0;
}

sqlite3 *openRaw(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        fail(QStringLiteral("cannot open ") + path);
    return db;
}

void run(sqlite3 *db, const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : "?");
        sqlite3_free(error);
        fail(sql + QStringLiteral(": ") + text);
    }
}

int hold(const QString &path, const QString &mode, int milliseconds)
{
    sqlite3 *db = openRaw(path);
    run(db, mode == QLatin1String("exclusive") ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN IMMEDIATE"));
    say(QStringLiteral("held"));
    if (milliseconds > 0) {
        QThread::msleep(unsigned(milliseconds));
    } else {
        std::string line;
        std::getline(std::cin, line);
    }
    run(db, QStringLiteral("ROLLBACK"));
    sqlite3_close_v2(db);
    say(QStringLiteral("released"));
    return 0;
}

[[noreturn]] void interrupt(const QString &path)
{
    sqlite3 *db = openRaw(path);
    // A one-page cache: changed pages must go to the file before the end.
    run(db, QStringLiteral("PRAGMA cache_size = 1"));
    run(db, QStringLiteral("BEGIN"));
    for (const Category &category : categories())
        run(db, QStringLiteral("UPDATE %1 SET %2 = 'interrompu ' || hex(randomblob(2000))")
                    .arg(category.table, category.nameField));
    say(QStringLiteral("dirty"));
    for (;;)
        QThread::sleep(60);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("add") && args.size() == 4)
        return addAll(args[2], args[3]);
    if (mode == QLatin1String("hold") && args.size() == 5)
        return hold(args[2], args[3], args[4].toInt());
    if (mode == QLatin1String("interrupt") && args.size() == 3)
        interrupt(args[2]);
    std::fprintf(stderr, "usage: %s add|hold|interrupt CATALOGUE ...\n", argv[0]);
    return 1;
}
