#include "ui/windowplace.h"

#include <QEvent>
#include <QObject>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace tabrix {

namespace {

QString settingsKey(const QString &name) { return QStringLiteral("fenetres/") + name; }

// Moves and, if need be, shrinks a window so that it lies whole, frame
// included, on the screen it opens on.
void fitOnScreen(QWidget *window)
{
    if (!window->screen())
        return;
    const QRect screen = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QSize margins = frame.size() - window->geometry().size();
    QRect place = window->geometry();
    place.setSize(place.size().boundedTo(screen.size() - margins));
    const QSize outer = place.size() + margins;
    const QPoint corner(std::clamp(frame.left(), screen.left(), screen.left() + screen.width() - outer.width()),
                        std::clamp(frame.top(), screen.top(), screen.top() + screen.height() - outer.height()));
    place.moveTopLeft(place.topLeft() + corner - frame.topLeft());
    if (place != window->geometry())
        window->setGeometry(place);
}

// Brings the window onto the screen when it first shows, and writes its
// place each time it closes.
class PlaceKeeper : public QObject {
public:
    PlaceKeeper(QWidget *window, const QString &name) : QObject(window), m_window(window), m_name(name) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show && !m_shown) {
            m_shown = true;
            fitOnScreen(m_window); // the frame is known once shown
        } else if (event->type() == QEvent::Close) {
            QSettings(QStringLiteral("Tabrix"), QStringLiteral("Tabrix"))
                .setValue(settingsKey(m_name), m_window->saveGeometry());
        }
        return false;
    }

private:
    QWidget *m_window;
    QString m_name;
    bool m_shown = false;
};

} // namespace

void rememberPlace(QWidget *window, const QString &name)
{
    const QByteArray saved =
        QSettings(QStringLiteral("Tabrix"), QStringLiteral("Tabrix")).value(settingsKey(name)).toByteArray();
    if (!saved.isEmpty())
        window->restoreGeometry(saved);
    window->installEventFilter(new PlaceKeeper(window, name));
}

} // namespace tabrix
