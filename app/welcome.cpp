#include "app/welcome.h"

#include "convert/conversion.h"
#include "store/catalogue.h"
#include "store/filekind.h"
#include "store/newfile.h"
#include "store/schema.h"
#include "store/systemerror.h"
#include "ui/services.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <unistd.h>

namespace tabrix {

namespace {

// A free name for the old file kept beside the new catalogue:
// Tabrix-access.mdb, or Tabrix-access-2.mdb … when that one is taken.
QString keptName(const QDir &folder)
{
    QString name = folder.filePath(QStringLiteral("Tabrix-access.mdb"));
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = folder.filePath(QStringLiteral("Tabrix-access-%1.mdb").arg(n));
    return name;
}

// The old file moves aside, the conversion writes the catalogue in its
// place; on failure the old file gets its name back.
Result<Conversion> convertInPlace(const QString &catalogue)
{
    const QString kept = keptName(QFileInfo(catalogue).absoluteDir());
    if (const int error = renameWithoutReplacing(QFile::encodeName(catalogue), QFile::encodeName(kept)))
        return Failure{QStringLiteral("L'ancien fichier « %1 » n'a pas pu être renommé « %2 » : %3.")
                           .arg(shownPath(catalogue), QFileInfo(kept).fileName(), systemErrorText(error))};
    Result<Conversion> converted = convertAccessFile(kept, catalogue);
    if (!converted) {
        renameWithoutReplacing(QFile::encodeName(kept), QFile::encodeName(catalogue));
        return converted;
    }
    syncFolder(QFileInfo(catalogue).absolutePath());
    return converted;
}

QString convertedText(const Conversion &conversion)
{
    return QStringLiteral("La base Access a été convertie.\n%1.").arg(conversionSummary(conversion));
}

} // namespace

QString catalogueFolder(const QString &programDir)
{
    const QString beside = QDir(programDir).filePath(catalogueFileName());
    if (QFileInfo::exists(beside) || QFileInfo(beside).isSymLink()
        || ::access(QFile::encodeName(programDir).constData(), W_OK) == 0)
        return programDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

bool prepareCatalogue(const QString &folder, Services &services, int &status)
{
    const QString catalogue = QDir(folder).filePath(catalogueFileName());
    status = 0;
    if (!QFileInfo::exists(catalogue) && !QFileInfo(catalogue).isSymLink()) {
        WelcomeWindow welcome(catalogue, services);
        return welcome.exec() == QDialog::Accepted;
    }
    if (!QFileInfo(catalogue).isFile() || inspectFile(catalogue) != FileKind::Access)
        return true; // start-up says what is wrong, if anything

    QMessageBox question(QMessageBox::Question, applicationTitle(),
                         QStringLiteral("Le fichier « %1 » est une base Access de l'ancien programme.\nTabrix peut la "
                                        "convertir : l'ancien fichier est gardé tel quel sous le nom « %2 ».")
                             .arg(shownPath(catalogue), QFileInfo(keptName(QDir(folder))).fileName()));
    QPushButton *convert = question.addButton(QStringLiteral("Convertir"), QMessageBox::AcceptRole);
    question.addButton(QStringLiteral("Quitter"), QMessageBox::RejectRole);
    question.setDefaultButton(convert);
    question.exec();
    if (question.clickedButton() != convert)
        return false;
    Result<Conversion> converted = convertInPlace(catalogue);
    if (!converted) {
        services.message(nullptr, converted.error(), MessageIcon::Critical);
        status = 1;
        return false;
    }
    services.message(nullptr, convertedText(*converted), MessageIcon::Information);
    return true;
}

WelcomeWindow::WelcomeWindow(const QString &catalogue, Services &services, QWidget *parent)
    : QDialog(parent), m_catalogue(catalogue), m_services(services)
{
    setObjectName(QStringLiteral("Form_accueil"));
    setWindowTitle(applicationTitle());
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("Bienvenue dans Tabrix. Il n'y a pas encore de catalogue."), this);
    lbl_emplacement = new QLabel(QStringLiteral("Il sera créé ici : « %1 ».").arg(shownPath(catalogue)), this);
    lbl_emplacement->setObjectName(QStringLiteral("lbl_emplacement"));
    lbl_emplacement->setWordWrap(true);
    lbl_emplacement->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(intro);
    layout->addWidget(lbl_emplacement);
    const auto button = [&](const char *name, const QString &text) {
        auto *made = new QPushButton(text, this);
        made->setObjectName(QLatin1String(name));
        made->setAutoDefault(false);
        layout->addWidget(made);
        return made;
    };
    bt_creer = button("bt_creer", QStringLiteral("Créer un catalogue vide"));
    bt_demo = button("bt_demo", QStringLiteral("Créer le catalogue de démonstration"));
    bt_convertir = button("bt_convertir", QStringLiteral("Convertir une ancienne base Access…"));
    bt_quitter = button("bt_quitter", QStringLiteral("Quitter"));

    connect(bt_creer, &QPushButton::clicked, this, [this] {
        const Status made = createCatalogue(m_catalogue);
        finish(made ? QString() : made.error(), QString());
    });
    connect(bt_demo, &QPushButton::clicked, this, [this] {
        const Status made = createSampleCatalogue(m_catalogue);
        finish(made ? QString() : made.error(), QString());
    });
    connect(bt_convertir, &QPushButton::clicked, this, &WelcomeWindow::convert);
    connect(bt_quitter, &QPushButton::clicked, this, &QDialog::reject);
}

void WelcomeWindow::convert()
{
    QFileDialog chooser(this, QStringLiteral("Convertir une ancienne base Access"), QDir::homePath(),
                        QStringLiteral("Bases Access (*.mdb)"));
    chooser.setObjectName(QStringLiteral("choix_access"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const Result<Conversion> converted = convertAccessFile(chooser.selectedFiles().first(), m_catalogue);
    finish(converted ? QString() : converted.error(), converted ? convertedText(*converted) : QString());
}

void WelcomeWindow::finish(const QString &failure, const QString &success)
{
    if (!failure.isEmpty()) {
        m_services.message(this, failure, MessageIcon::Critical);
        return;
    }
    if (!success.isEmpty())
        m_services.message(this, success, MessageIcon::Information);
    accept();
}

} // namespace tabrix
