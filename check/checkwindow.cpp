#include "check/checkwindow.h"

#include "check/resultfile.h"
#include "store/entrynumber.h"
#include "ui/grid.h"
#include "ui/windowplace.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace tabrix::check {

namespace {

QLabel *label(const QString &name, const QString &caption, Qt::Alignment alignment, QWidget *parent)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setAlignment(alignment);
    return l;
}

QLineEdit *box(const QString &name, QWidget *parent)
{
    auto *b = new QLineEdit(QStringLiteral("0"), parent);
    b->setObjectName(name);
    b->setAlignment(Qt::AlignCenter);
    b->setReadOnly(true);
    return b;
}

void setLook(QLineEdit *box, const QString &text, const colours::PairLook &look)
{
    box->setText(text);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, look.background);
    palette.setColor(QPalette::Text, look.text);
    box->setPalette(palette);
}

QString shown(std::optional<int> number) { return number ? QString::number(*number) : QStringLiteral("?"); }

// The window's first size, in twips; the user may make it larger.
constexpr int clientWidth = 4950;
constexpr int clientHeight = 4800;

} // namespace

CheckWindow::CheckWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frm_err"));
    setWindowTitle(QStringLiteral("Erreur"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(pixels(120), pixels(120), pixels(120), pixels(60));
    grid->setHorizontalSpacing(pixels(120));
    grid->addWidget(label(QStringLiteral("Label1"), QStringLiteral("Résultats entre FND et VRM"), Qt::AlignCenter, this),
                    0, 0, 1, 3);
    grid->addWidget(label(QStringLiteral("Label2"), QStringLiteral("FND"), Qt::AlignCenter, this), 1, 1);
    grid->addWidget(label(QStringLiteral("Label3"), QStringLiteral("VRM"), Qt::AlignCenter, this), 1, 2);

    // The captions of the rows kept the names they were given one by one.
    static const std::array<QString, rowCount> captionNames = {"Label4", "Label7", "Label5", "Label6"};
    for (const Category *category : rowCategories()) {
        const int row = category->checkRow;
        grid->addWidget(label(captionNames.at(std::size_t(row - 1)), category->tabCaption,
                              Qt::AlignRight | Qt::AlignVCenter, this),
                        row + 1, 0);
        QLineEdit *found = box(QStringLiteral("fnd_%1").arg(row), this);
        QLineEdit *counted = box(QStringLiteral("vrm_%1").arg(row), this);
        grid->addWidget(found, row + 1, 1);
        grid->addWidget(counted, row + 1, 2);
        m_finder.at(std::size_t(row - 1)) = found;
        m_catalogue.at(std::size_t(row - 1)) = counted;
    }
    m_missing = label(QStringLiteral("lbl_manquants"), QString(), Qt::AlignLeft | Qt::AlignTop, this);
    m_missing->setWordWrap(true);
    grid->addWidget(m_missing, rowCount + 2, 0, 1, 3);
    grid->setRowStretch(rowCount + 2, 1);
    for (int column = 0; column < 3; ++column)
        grid->setColumnStretch(column, 1);

    resize(pixels(clientWidth), pixels(clientHeight));
    rememberPlace(this, QStringLiteral("verification"));
}

void CheckWindow::showPair(int row, std::optional<int> found, std::optional<int> counted)
{
    const colours::PairLook look = !found || !counted ? colours::unknown()
                                   : *found == *counted ? colours::agreeing()
                                                        : colours::differing();
    setLook(finderBox(row), shown(found), look);
    setLook(catalogueBox(row), shown(counted), look);
    m_pairs.at(std::size_t(row - 1)) = {found, counted};
    showMissing();
}

void CheckWindow::showMissing()
{
    QStringList lines;
    bool allAgree = true;
    for (const Category *category : rowCategories()) {
        const auto &[found, counted] = m_pairs.at(std::size_t(category->checkRow - 1));
        allAgree = allAgree && found && counted && *found == *counted;
        if (!found || !counted || *found <= *counted)
            continue;
        const int first = *counted + 1;
        QStringList numbers;
        if (*found - first >= 2)
            numbers << threeDigitText(first) + QStringLiteral(" à ") + threeDigitText(*found);
        else
            for (int n = first; n <= *found; ++n)
                numbers << threeDigitText(n);
        lines << category->tabCaption + QStringLiteral(" : ") + numbers.join(QStringLiteral(", "));
    }
    m_missing->setText(allAgree ? QStringLiteral("À jour.") : lines.join(QLatin1Char('\n')));
}

void CheckWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace tabrix::check
