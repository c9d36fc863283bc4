#include "app/startup.h"

#include "app/welcome.h"
#include "ui/windowplace.h"
#include "store/copies.h"

#include <QApplication>
#include <QDir>

namespace tabrix {

Result<std::unique_ptr<MainWindow>> startUp(const QString &programDir, Services &services)
{
    const QString path = QDir(programDir).filePath(catalogueFileName());
    Catalogue::Opened opened = Catalogue::open(path);
    if (auto *failed = std::get_if<Catalogue::OpenFailure>(&opened))
        return Failure{failed->message};

    // The day's copy; without it, start-up goes on after one message.
    Catalogue &catalogue = *std::get<std::unique_ptr<Catalogue>>(opened);
    if (Status copied = writeDailyCopy(catalogue); !copied)
        services.message(nullptr, copied.error(), MessageIcon::Exclamation);

    auto window = std::make_unique<MainWindow>(std::move(std::get<std::unique_ptr<Catalogue>>(opened)), services,
                                               programDir);
    if (Status loaded = window->load(); !loaded)
        return Failure{QStringLiteral("Le catalogue « %1 » n'a pas pu être chargé.\n%2")
                           .arg(QDir::toNativeSeparators(path), loaded.error())};
    return window;
}

int runProgram(const QString &programDir, Services &services)
{
    // With no catalogue yet, the welcome makes one (or the user quits).
    const QString folder = catalogueFolder(programDir);
    if (int status = 0; !prepareCatalogue(folder, services, status))
        return status;
    Result<std::unique_ptr<MainWindow>> started = startUp(folder, services);
    if (!started) {
        services.message(nullptr, started.error(), MessageIcon::Critical);
        return 1;
    }
    std::unique_ptr<MainWindow> window = std::move(*started);
    rememberPlace(window.get(), QStringLiteral("principale"));
    window->show();
    const int status = QApplication::exec();
    window.reset(); // closes the catalogue
    return status;
}

} // namespace tabrix
