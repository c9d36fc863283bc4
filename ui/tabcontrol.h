#pragma once

#include <QWidget>

#include <functional>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QStackedWidget;
class QToolButton;

namespace tabrix {

// A tab control whose tabs stand in rows of a fixed number of tabs.
// `currentIndex` and `currentChanged` behave as QTabWidget's.
class TabControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex NOTIFY currentChanged)
    Q_PROPERTY(int count READ count)
public:
    TabControl(const QString &name, int tabsPerRow, QWidget *parent = nullptr);

    int addTab(QWidget *page, const QString &caption);
    int count() const { return int(m_buttons.size()); }
    int currentIndex() const;
    void setCurrentIndex(int index);
    QWidget *widget(int index) const;
    QString tabText(int index) const;
    QToolButton *tabButton(int index) const;
    // Asked before the current tab changes, with the tab asked for: false
    // keeps the current one.
    void setChangeGuard(std::function<bool(int index)> guard) { m_guard = std::move(guard); }

signals:
    void currentChanged(int index);

private:
    int m_tabsPerRow;
    std::vector<QToolButton *> m_buttons;
    QButtonGroup *m_group;
    QStackedWidget *m_pages;
    QGridLayout *m_tabRows;
    std::function<bool(int)> m_guard;
};

} // namespace tabrix
