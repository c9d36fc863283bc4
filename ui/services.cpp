#include "ui/services.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

namespace tabrix {

namespace {

// A box breaks its lines at spaces and after slashes only: a long run
// without either (a name of 200 x) may break too, so that the box fits on
// the screen. Paths and links, which break at their slashes, stay as
// they are, for a user who copies them from the box.
QString wrappable(const QString &text)
{
    constexpr int longestRun = 60;
    QString shown;
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() || c == u'/' ? 0 : run + 1;
        if (run > longestRun) {
            shown += QChar(0x200B); // zero-width space
            run = 1;
        }
        shown += c;
    }
    return shown;
}

} // namespace

Services::~Services() = default;

bool Services::openLink(const QString &link)
{
    if (!isWebLink(link))
        return false;
    return QDesktopServices::openUrl(webUrl(link));
}

bool Services::startProgram(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                            qint64 *pid)
{
    return QProcess::startDetached(program, arguments, workingDirectory, pid);
}

void Services::waitMessage(QWidget *parent, const QString &text, const std::function<bool()> &)
{
    message(parent, text, MessageIcon::None);
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
    QMessageBox box(boxIcon, applicationTitle(), wrappable(text), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("message_box"));
    box.exec();
}

void DesktopServices::waitMessage(QWidget *parent, const QString &text, const std::function<bool()> &ended)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("message_box"));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        if (ended())
            box.accept();
    });
    poll.start(100);
    box.exec();
}

bool DesktopServices::ask(QWidget *parent, const QString &text, const QString &accept, const QString &decline)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), wrappable(text), QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("question_box"));
    QPushButton *yes = box.addButton(accept, QMessageBox::AcceptRole);
    QPushButton *no = box.addButton(decline, QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace tabrix
