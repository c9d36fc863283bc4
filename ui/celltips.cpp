#include "ui/celltips.h"

#include <QEvent>
#include <QHelpEvent>
#include <QStyle>
#include <QTableView>
#include <QToolTip>

namespace tabrix {

namespace {

class CellTips : public QObject {
public:
    explicit CellTips(QTableView *view) : QObject(view), m_view(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = m_view->indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty() && isCut(index, text))
            QToolTip::showText(help->globalPos(), text, m_view->viewport(), m_view->visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }

private:
    // As the item delegate lays a text out: a margin on each side.
    bool isCut(const QModelIndex &index, const QString &text) const
    {
        const int margin = m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1;
        const int room = m_view->visualRect(index).width() - 2 * margin;
        return m_view->fontMetrics().horizontalAdvance(text) > room;
    }

    QTableView *m_view;
};

} // namespace

void showCutTextsAsTips(QTableView *view)
{
    view->viewport()->installEventFilter(new CellTips(view));
}

} // namespace tabrix
