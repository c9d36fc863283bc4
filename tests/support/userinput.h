#pragma once

// Input as the user gives it: text typed key by key into a box, a button
// pressed with the mouse.

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include <algorithm>

namespace tabrix::test {

// Types a text key by key, as a keyboard would, a non-ASCII character as
// the text of a key of its own.
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Empties the box and types `text` into it key by key, a non-ASCII character
// as the text of a key of its own. A text no keyboard types (control
// characters, format marks, half of a surrogate pair, a character outside
// the BMP) or a very long one is pasted with Ctrl+V, as a user would.
inline void typeInto(QLineEdit *box, const QString &text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    const bool typable = text.size() <= 200 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (!typable) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        return;
    }
    typeText(box, text);
}

// A check box or option button is clicked on its box, as the user does;
// its middle may lie past the end of its caption.
inline void click(QAbstractButton *button)
{
    const bool boxed = button->inherits("QCheckBox") || button->inherits("QRadioButton");
    QTest::mouseClick(button, Qt::LeftButton, {}, boxed ? QPoint(8, button->height() / 2) : QPoint());
}

} // namespace tabrix::test
