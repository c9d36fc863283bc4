#include "ui/pendingedits.h"

#include "ui/categorytab.h"
#include "ui/mainform.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

#include <algorithm>

namespace tabrix {

PendingEdits::PendingEdits(CategoryTab &tab) : QObject(&tab), m_tab(tab), m_loaded(5)
{
    for (QLineEdit *box : {tab.number, tab.name, tab.url, tab.link})
        connect(box, &QLineEdit::textChanged, this, &PendingEdits::forgetIfEmpty);
    connect(tab.author, &QComboBox::editTextChanged, this, &PendingEdits::forgetIfEmpty);
    tab.grid->viewport()->installEventFilter(this);
}

PendingEdits &PendingEdits::of(CategoryTab &tab)
{
    if (auto *existing = tab.findChild<PendingEdits *>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new PendingEdits(tab);
}

QStringList PendingEdits::texts() const
{
    return {m_tab.number->text(), m_tab.name->text(), m_tab.authorText(), m_tab.url->text(), m_tab.link->text()};
}

void PendingEdits::markLoaded()
{
    m_loaded = texts();
}

bool PendingEdits::pending() const
{
    return texts() != m_loaded;
}

void PendingEdits::forgetIfEmpty()
{
    const QStringList now = texts();
    if (std::all_of(now.begin(), now.end(), [](const QString &text) { return text.isEmpty(); }))
        m_loaded = now;
}

bool PendingEdits::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        m_rowBeforeClick = m_tab.grid->row();
        m_columnBeforeClick = m_tab.grid->col();
    }
    return QObject::eventFilter(watched, event);
}

bool mayDropEdits(const MainForm &form, Services &services)
{
    const bool pending = std::any_of(form.tabs.begin(), form.tabs.end(),
                                     [](CategoryTab *tab) { return tab && PendingEdits::of(*tab).pending(); });
    return !pending || services.ask(form.window, QStringLiteral("Abandonner les modifications en cours ?"),
                                    QStringLiteral("Abandonner"), QStringLiteral("Continuer la saisie"));
}

} // namespace tabrix
