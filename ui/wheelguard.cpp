#include "ui/wheelguard.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace tabrix {

namespace {

class WheelGuard : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto *box = qobject_cast<QWidget *>(watched);
        if (!box || box->hasFocus())
            return false;
        if (QWidget *under = box->parentWidget())
            QCoreApplication::sendEvent(under, event);
        return true;
    }
};

} // namespace

void guardWheel(QWidget *root)
{
    auto *guard = new WheelGuard(root);
    const auto guarded = [guard](QWidget *box) {
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(guard);
    };
    for (QComboBox *box : root->findChildren<QComboBox *>())
        guarded(box);
    for (QAbstractSpinBox *box : root->findChildren<QAbstractSpinBox *>())
        guarded(box);
}

} // namespace tabrix
