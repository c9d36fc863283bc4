#pragma once

// Helpers shared by the tests of the latest-number check.

#include "check/checkwindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QThread>

namespace tabrix::test {

inline void writeFile(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    if (permissions)
        QVERIFY(file.setPermissions(permissions));
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline constexpr QFileDevice::Permissions executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                       QFileDevice::ExeOwner;

// Waits, as a user in front of the wait message would, until a file the
// finder writes is there; false if it never came.
inline bool waitForFile(const QString &path)
{
    QDeadlineTimer deadline(30000);
    while (!QFile::exists(path) && !deadline.hasExpired())
        QThread::msleep(5);
    return QFile::exists(path);
}

inline void closeWindow(QWidget *window)
{
    QVERIFY(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

enum class Look { Agreeing, Differing, Unknown };

// Checks a box's text, boldness and colours, both as set and as drawn.
inline void verifyBox(QLineEdit *box, const QString &text, Look look)
{
    QVERIFY(box);
    const QByteArray name = box->objectName().toLatin1();
    QVERIFY2(box->text() == text, name + ": " + box->text().toUtf8());
    QVERIFY2(box->font().bold(), name);
    const QColor yellow(255, 255, 0), red(255, 0, 0), black(0, 0, 0);
    const QColor background = box->palette().color(QPalette::Base);
    const QColor foreground = box->palette().color(QPalette::Text);
    switch (look) {
    case Look::Agreeing:
        QVERIFY2(background == yellow && foreground == black, name);
        break;
    case Look::Differing:
        QVERIFY2(background == red && foreground == yellow, name);
        break;
    case Look::Unknown:
        QVERIFY2(background != yellow && background != red && background != Qt::white, name);
        QVERIFY2(foreground == black, name);
        break;
    }
    const QImage drawn = box->grab().toImage();
    QVERIFY2(drawn.pixelColor(4, drawn.height() / 2) == background, name);
}

} // namespace tabrix::test
