#pragma once

// The desktop as the tests, the benchmark and the screenshot tool see it:
// no box is ever shown.

#include "ui/services.h"

namespace tabrix {

// Records messages instead of showing them (a wait message too, as one
// without icon). `onMessage`, when set, runs as the user would act while
// the box is open.
class RecordingServices : public Services {
public:
    struct Message {
        QString text;
        MessageIcon icon;
    };

    void message(QWidget *, const QString &text, MessageIcon icon) override
    {
        messages.append({text, icon});
        if (onMessage)
            onMessage(messages.last());
    }
    // Records the question and gives the first of `answers`, or `answer`
    // when none is left (the accepting one unless a test says otherwise).
    using Services::ask;
    bool ask(QWidget *, const QString &text, const QString &, const QString &) override
    {
        questions.append(text);
        return answers.isEmpty() ? answer : answers.takeFirst();
    }

    // With `realWaitBox`, the wait message is the desktop's own box.
    void waitMessage(QWidget *parent, const QString &text, const std::function<bool()> &ended) override
    {
        if (realWaitBox)
            DesktopServices().waitMessage(parent, text, ended);
        else
            Services::waitMessage(parent, text, ended);
    }

    QList<Message> messages;
    std::function<void(const Message &)> onMessage;
    bool realWaitBox = false;
    QStringList questions;
    QList<bool> answers;
    bool answer = true;

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
    void clear() { messages.clear(); }
};

} // namespace tabrix
