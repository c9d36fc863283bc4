#include "ui/services.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>

namespace tabrix {

Services::~Services() = default;

bool Services::openLink(const QString &link)
{
    if (!isWebLink(link))
        return false;
    return QDesktopServices::openUrl(webUrl(link));
}

bool Services::startProgram(const QString &program, const QStringList &arguments, const QString &workingDirectory)
{
    return QProcess::startDetached(program, arguments, workingDirectory);
}

void DesktopServices::message(QWidget *parent, const QString &text, MessageIcon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::None: boxIcon = QMessageBox::NoIcon; break;
    case MessageIcon::Exclamation: boxIcon = QMessageBox::Warning; break;
    case MessageIcon::Critical: boxIcon = QMessageBox::Critical; break;
    case MessageIcon::Information: boxIcon = QMessageBox::Information; break;
    }
    QMessageBox box(boxIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("message_box"));
    box.exec();
}

void RecordingServices::message(QWidget *, const QString &text, MessageIcon icon)
{
    messages.append({text, icon});
    if (onMessage)
        onMessage(messages.last());
}

} // namespace tabrix
