#pragma once

#include <QObject>
#include <QStringList>

namespace tabrix {

class CategoryTab;
class Services;
struct MainForm;

// What the five fields of a list held when they last showed the catalogue
// as it is: the entry loaded there, or nothing. Text that differs from it
// is the user's work in progress. Fields emptied all at once are back to
// showing nothing.
class PendingEdits : public QObject {
    Q_OBJECT
public:
    // The record of this tab, made on first use.
    static PendingEdits &of(CategoryTab &tab);

    // The fields now show the entry as stored.
    void markLoaded();
    bool pending() const;

    // The grid's current cell before the click being handled, to put back
    // when that click is given up.
    int rowBeforeClick() const { return m_rowBeforeClick; }
    int columnBeforeClick() const { return m_columnBeforeClick; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PendingEdits(CategoryTab &tab);
    QStringList texts() const;
    void forgetIfEmpty();

    CategoryTab &m_tab;
    QStringList m_loaded;
    int m_rowBeforeClick = 0;
    int m_columnBeforeClick = 0;
};

// Whether what the user typed may go: true when no list holds pending text,
// or when the user answers « Abandonner » to the question.
bool mayDropEdits(const MainForm &form, Services &services);

} // namespace tabrix
