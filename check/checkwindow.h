#pragma once

#include "ui/colours.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;

namespace tabrix::check {

// The result window of the latest-number check, frm_err: for each list,
// the forum's latest number (column "FND", boxes fnd_1 … fnd_4) beside the
// catalogue's count (column "VRM", boxes vrm_1 … vrm_4).
class CheckWindow : public QWidget {
    Q_OBJECT
public:
    // Rows 1 to 4: Zarpo, Trunda, Melvi, Vasquo.
    static constexpr int rowCount = 4;

    explicit CheckWindow(QWidget *parent = nullptr);

    QLineEdit *finderBox(int row) const { return m_finder.at(std::size_t(row - 1)); }
    QLineEdit *catalogueBox(int row) const { return m_catalogue.at(std::size_t(row - 1)); }

    // Shows both numbers of a row in bold: yellow when they agree, red when
    // they differ. A number that could not be had shows "?", and the pair
    // takes a neutral grey, since nothing can be said about it. The label
    // lbl_manquants then names, list by list, the numbers the catalogue
    // lacks ("Melvi : 099, 100", "Melvi : 099 à 140"), or reads "À jour."
    // when every list agrees.
    void showPair(int row, std::optional<int> found, std::optional<int> counted);

protected:
    // Escape closes the window.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showMissing();

    std::array<QLineEdit *, rowCount> m_finder{};
    std::array<QLineEdit *, rowCount> m_catalogue{};
    std::array<std::pair<std::optional<int>, std::optional<int>>, rowCount> m_pairs{};
    QLabel *m_missing = nullptr;
};

} // namespace tabrix::check
