#include "ui/services.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

namespace tabrix {

Services::~Services() = default;

bool isWebLink(const QString &link)
{
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool Services::openLink(const QString &link)
{
    if (!isWebLink(link))
        return false;
    return QDesktopServices::openUrl(QUrl(link.trimmed()));
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

bool DesktopServices::ask(QWidget *parent, const QString &text, const QString &accept, const QString &decline)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("question_box"));
    QPushButton *yes = box.addButton(accept, QMessageBox::AcceptRole);
    QPushButton *no = box.addButton(decline, QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

bool RecordingServices::ask(QWidget *, const QString &text, const QString &, const QString &)
{
    questions.append(text);
    return answer;
}

void RecordingServices::message(QWidget *, const QString &text, MessageIcon icon)
{
    messages.append({text, icon});
    if (onMessage)
        onMessage(messages.last());
}

} // namespace tabrix
