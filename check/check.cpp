#include "check/checkwindow.h"
#include "check/resultfile.h"
#include "search/searchpage.h"
#include "store/catalogue.h"
#include "store/filekind.h"
#include "ui/mainform.h"
#include "ui/parts.h"

#include <QDateTime>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

#include <memory>

#include <cerrno>
#include <signal.h>

namespace tabrix::check {

namespace {

using Numbers = std::array<std::optional<int>, CheckWindow::rowCount>;

// More than any result file needs; a larger file is read this far only.
constexpr qint64 largestResultFile = 1 << 20;

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

// Whether the process of this id is still at work (a process that has
// ended but not yet been reaped counts as ended).
bool processRuns(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    const qsizetype name = fields.lastIndexOf(')');
    return name < 0 || fields.mid(name + 2, 1) != "Z";
}

// What is known of a file, to tell whether it was written again.
struct FileState {
    bool exists = false;
    QDateTime modified;
    qint64 size = 0;

    bool operator==(const FileState &) const = default;
};

FileState fileState(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.lastModified(), info.size()};
}

// Reads the finder's numbers into `found`; returns what went wrong, if anything.
QString readFinderNumbers(const QString &path, Numbers &found)
{
    QFile file(path);
    if (!file.exists())
        return QStringLiteral("Le fichier de résultats « %1 » est introuvable : « %2 » ne l'a pas écrit, ou pas encore.\n"
                              "Les numéros du forum affichent « ? ».")
            .arg(native(path), finderFileName());
    // Opening a named pipe or a device could wait for ever.
    if (const std::optional<QString> kind = specialFileKind(path))
        return QStringLiteral("Le fichier de résultats « %1 » est %2, pas un fichier ordinaire : il n'est pas lu.\n"
                              "Les numéros du forum affichent « ? ».")
            .arg(native(path), *kind);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Le fichier de résultats « %1 » n'a pas pu être lu : %2.\nLes numéros du forum affichent « ? ».")
            .arg(native(path), file.errorString());
    const bool cut = file.size() > largestResultFile;
    const Findings findings = readFindings(file.read(largestResultFile));
    for (const Category *category : rowCategories())
        found[std::size_t(category->checkRow - 1)] = findings.row(*category).value;
    if (findings.complete())
        return {};
    QString text = QStringLiteral("Les numéros du forum n'ont pas tous pu être lus dans le fichier « %1 » :\n– %2")
                       .arg(native(path), findings.problems.join(QStringLiteral("\n– ")));
    if (cut)
        text += QStringLiteral("\n(Le fichier dépasse 1 Mio : seul son début a été lu.)");
    return text + QStringLiteral("\nLes cases de ces numéros affichent « ? ».");
}

// Counts the entries of each list into `counted`; returns what went wrong.
QString countEntries(Catalogue &catalogue, Numbers &counted)
{
    QStringList failures;
    for (const Category *category : rowCategories()) {
        const Result<int> count = catalogue.count(*category);
        if (count)
            counted[std::size_t(category->checkRow - 1)] = *count;
        else
            failures << count.error();
    }
    if (failures.isEmpty())
        return {};
    return QStringLiteral("Le catalogue n'a pas pu être compté entièrement :\n– %1\nLes cases de ces listes affichent « ? ».")
        .arg(failures.join(QStringLiteral("\n– ")));
}

// Starts the finder, waits for the user to say it has finished, then shows
// its numbers beside the catalogue's in the result window (`shown`, when it
// is still open, else a new one), brought to the front. Returns that window,
// or nullptr when the finder could not be started.
CheckWindow *runCheck(Context &context, QWidget *owner, CheckWindow *shown)
{
    Services &services = *context.services;
    const QDir dir(context.programDir);
    // The user's own copy beside the catalogue, else the one beside the program.
    QString finder = dir.filePath(finderFileName());
    if (!QFileInfo(finder).isFile())
        finder = QDir(QCoreApplication::applicationDirPath()).filePath(finderFileName());
    if (!QFileInfo(finder).isFile()) {
        services.message(owner,
                         QStringLiteral("Le programme de recherche « %1 » est introuvable dans le dossier « %2 ».\n"
                                        "Les derniers numéros du forum n'ont pas pu être vérifiés.")
                             .arg(finderFileName(), native(dir.path())),
                         MessageIcon::Exclamation);
        return nullptr;
    }

    const QString resultPath = dir.filePath(resultFileName());
    const FileState before = fileState(resultPath);
    qint64 pid = 0;
    if (!services.startProgram(finder, {QStringLiteral(","), QStringLiteral("6")}, dir.path(), &pid)) {
        services.message(owner,
                         QStringLiteral("Le programme de recherche « %1 » n'a pas pu être démarré "
                                        "(est-il bien exécutable ?).\n"
                                        "Les derniers numéros du forum n'ont pas pu être vérifiés.")
                             .arg(native(finder)),
                         MessageIcon::Exclamation);
        return nullptr;
    }

    // The wait ends when the finder's process does, or when the user says
    // so; a finder still at work after ten minutes is left to the user.
    const QDeadlineTimer patience(10 * 60 * 1000);
    services.waitMessage(owner, QStringLiteral("Attente de la fin des recherches."),
                         [pid, patience] { return pid > 0 && !patience.hasExpired() && !processRuns(pid); });

    QStringList notes;
    Numbers found{};
    Numbers counted{};
    if (const QString problem = readFinderNumbers(resultPath, found); !problem.isEmpty())
        notes << problem;
    else if (before.exists && fileState(resultPath) == before)
        notes << QStringLiteral("Le fichier « %1 » n'a pas changé depuis le lancement de « %2 » : les numéros du "
                                "forum affichés sont ceux d'une recherche précédente.")
                     .arg(native(resultPath), finderFileName());
    if (const QString problem = countEntries(*context.catalogue, counted); !problem.isEmpty())
        notes << problem;

    CheckWindow *window = shown ? shown : new CheckWindow(owner);
    for (int row = 1; row <= CheckWindow::rowCount; ++row)
        window->showPair(row, found[std::size_t(row - 1)], counted[std::size_t(row - 1)]);
    window->show();
    window->raise();
    window->activateWindow();

    if (!notes.isEmpty())
        services.message(window, notes.join(QStringLiteral("\n\n")), MessageIcon::Exclamation);
    return window;
}

} // namespace

void attach(MainForm &form, Context &context)
{
    struct State {
        QPointer<CheckWindow> window;
        bool running = false;
    };
    auto state = std::make_shared<State>();
    QObject::connect(form.search, &search::SearchPage::checkRequested, form.window, [&context, owner = form.window, state] {
        // One check at a time; a window still open shows the new numbers.
        if (state->running)
            return;
        state->running = true;
        CheckWindow *open = state->window && state->window->isVisible() ? state->window.data() : nullptr;
        if (CheckWindow *window = runCheck(context, owner, open))
            state->window = window;
        state->running = false;
    });
}

} // namespace tabrix::check
