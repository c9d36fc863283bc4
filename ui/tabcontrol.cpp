#include "ui/tabcontrol.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tabrix {

TabControl::TabControl(const QString &name, int tabsPerRow, QWidget *parent)
    : QWidget(parent), m_tabsPerRow(tabsPerRow), m_group(new QButtonGroup(this)), m_pages(new QStackedWidget(this))
{
    setObjectName(name);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_tabRows = new QGridLayout;
    m_tabRows->setSpacing(0);
    layout->addLayout(m_tabRows);
    m_pages->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_pages, 1);
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, &TabControl::setCurrentIndex);
}

int TabControl::addTab(QWidget *page, const QString &caption)
{
    const int index = count();
    auto *button = new QToolButton(this);
    button->setObjectName(QStringLiteral("%1_tab_%2").arg(objectName()).arg(index));
    button->setText(caption);
    button->setCheckable(true);
    button->setAutoRaise(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumHeight(26);
    m_group->addButton(button, index);
    m_tabRows->addWidget(button, index / m_tabsPerRow, index % m_tabsPerRow);
    m_buttons.push_back(button);
    m_pages->addWidget(page);
    if (index == 0)
        button->setChecked(true);
    return index;
}

int TabControl::currentIndex() const
{
    return m_buttons.empty() ? -1 : m_pages->currentIndex();
}

void TabControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= count())
        return;
    const int current = m_pages->currentIndex();
    if (index != current && m_guard && !m_guard(index)) {
        m_buttons[std::size_t(current)]->setChecked(true);
        return;
    }
    m_buttons[std::size_t(index)]->setChecked(true);
    if (index == current)
        return;
    m_pages->setCurrentIndex(index);
    emit currentChanged(index);
}

QWidget *TabControl::widget(int index) const
{
    return m_pages->widget(index);
}

QString TabControl::tabText(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    // The caption without its accelerator mark ("&&" stands for "&").
    const QString text = m_buttons[std::size_t(index)]->text();
    QString caption;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && ++i >= text.size())
            break;
        caption += text[i];
    }
    return caption;
}

QToolButton *TabControl::tabButton(int index) const
{
    return index >= 0 && index < count() ? m_buttons[std::size_t(index)] : nullptr;
}

} // namespace tabrix
