// The other process of the reliability tests. Each line it writes reaches
// the pipe at once, so that a kill loses none written before it.
//
//   add CATALOGUE TABLE       fills the list's tab ("ready"), then presses
//                             "Ajouter" with the next number until the list
//                             is full, writing "saved NNN" after each success;
//                             every third add is undone ("undone NNN") and
//                             made again
//   hold CATALOGUE MS         holds the whole file (BEGIN EXCLUSIVE, "held")
//                             for MS milliseconds, or until killed
//   interrupt CATALOGUE       rewrites every name in one transaction that
//                             spills into the file, writes "dirty" and waits
//                             to be killed, leaving a journal to play back

#include "crashentries.h"

#include "editing/entryops.h"
#include "store/catalogue.h"
#include "ui/categorytab.h"
#include "support/recordingservices.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

using namespace tabrix;

namespace {

int say(const QString &line, int status = 0)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
    return status;
}

int addAll(const QString &path, const Category &category)
{
    Catalogue::Opened opened = Catalogue::open(path);
    if (auto *failure = std::get_if<Catalogue::OpenFailure>(&opened))
        return say(failure->message, 4);
    Catalogue &catalogue = *std::get<std::unique_ptr<Catalogue>>(opened);
    CategoryTab tab(category);
    tab.writeHeader();
    tab.fillGrid(catalogue.rows(category).value());
    RecordingServices services;
    say(QStringLiteral("ready"));
    int undone = 0;
    for (int number = tab.grid->rows(); number <= test::lastCrashNumber; number = tab.grid->rows()) {
        const QStringList typed = test::crashEntry(category, number);
        tab.number->setText(typed[0]);
        tab.name->setText(typed[1]);
        tab.setAuthorText(typed[2]);
        if (editing::addEntry(catalogue, tab, services) != editing::Outcome::Saved)
            return say(services.lastText(), 2);
        say(QStringLiteral("saved ") + typed[0]);
        if (number % 3 == 0 && undone != number) {
            if (editing::undoLast(catalogue, tab, services) != editing::Outcome::Saved)
                return say(services.lastText(), 2);
            say(QStringLiteral("undone ") + typed[0]);
            undone = number;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("add") && categoryByTable(args.value(3)))
        return addAll(args[2], *categoryByTable(args[3]));

    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(args.value(2)).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(db, sqlite3_close);
    auto run = [db](const QString &sql) {
        return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    if (mode == QLatin1String("hold") && run(QStringLiteral("BEGIN EXCLUSIVE"))) {
        say(QStringLiteral("held"));
        QThread::msleep(args.value(3).toULong());
        return run(QStringLiteral("ROLLBACK")) ? 0 : 3;
    }
    // A one-page cache: the changed pages go to the file before the end.
    if (mode == QLatin1String("interrupt") && run(QStringLiteral("PRAGMA cache_size = 1"))
        && run(QStringLiteral("BEGIN"))) {
        for (const Category &category : categories())
            run(QStringLiteral("UPDATE %1 SET %2 = 'interrompu ' || hex(randomblob(2000))")
                    .arg(category.table, category.nameField));
        say(QStringLiteral("dirty"));
        for (;;)
            QThread::sleep(60);
    }
    return say(QStringLiteral("error: ") + sqlite3_errmsg(db), 1);
}
