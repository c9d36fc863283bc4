#pragma once

#include "pictures/linkcheck.h" // isWebLink

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QWidget;

namespace tabrix {

enum class MessageIcon { None, Exclamation, Critical, Information };

// The title of every message box.
inline QString applicationTitle() { return QStringLiteral("Tabrix"); }

// What the program asks of the desktop: message boxes, links, programs.
// Windows go through it so tests can watch without a display or network.
class Services {
public:
    virtual ~Services();

    // A message box with one OK button and the application's title; returns
    // when the user has closed it.
    virtual void message(QWidget *parent, const QString &text, MessageIcon icon) = 0;

    // A message box without icon that also closes by itself as soon as
    // `ended` says so (asked ten times a second); the user may close it
    // first. Returns when it is closed.
    virtual void waitMessage(QWidget *parent, const QString &text, const std::function<bool()> &ended);

    // A question with two answers, titled like the messages; true when the
    // user chose `accept`, false for `decline` or when the box was closed.
    virtual bool ask(QWidget *parent, const QString &text, const QString &accept, const QString &decline) = 0;
    // The same with the buttons "Oui" and "Non" ("Non" by default).
    bool ask(QWidget *parent, const QString &text)
    {
        return ask(parent, text, QStringLiteral("Oui"), QStringLiteral("Non"));
    }

    // Hands an http or https link to the system's default handler; any other
    // link opens nothing. True when a handler took it.
    virtual bool openLink(const QString &link);

    // Starts a program without a shell and without waiting for it, its
    // process id in `pid` if given. False when it could not be started.
    virtual bool startProgram(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                              qint64 *pid = nullptr);
};

// The real desktop.
class DesktopServices : public Services {
public:
    void message(QWidget *parent, const QString &text, MessageIcon icon) override;
    void waitMessage(QWidget *parent, const QString &text, const std::function<bool()> &ended) override;
    using Services::ask;
    bool ask(QWidget *parent, const QString &text, const QString &accept, const QString &decline) override;
};

} // namespace tabrix
