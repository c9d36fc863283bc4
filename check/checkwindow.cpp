#include "check/checkwindow.h"

#include "check/resultfile.h"
#include "ui/grid.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace tabrix::check {

namespace {

// Places a widget at a position and size given in twips.
void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

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

void setLook(QLineEdit *box, const QString &text, const QColor &background, const QColor &foreground)
{
    box->setText(text);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, foreground);
    box->setPalette(palette);
}

QString shown(std::optional<int> number) { return number ? QString::number(*number) : QStringLiteral("?"); }

// Layout, in twips.
constexpr int clientWidth = 4950;
constexpr int clientHeight = 4800;
constexpr int captionLeft = 120;
constexpr int captionWidth = 1440;
constexpr int finderLeft = 1680;
constexpr int catalogueLeft = 3240;
constexpr int boxWidth = 1200;
constexpr int boxHeight = 405;
constexpr int firstRowTop = 960;
constexpr int rowPitch = 660;

} // namespace

CheckWindow::CheckWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frm_err"));
    setWindowTitle(QStringLiteral("Erreur"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(pixels(clientWidth), pixels(clientHeight));

    place(label(QStringLiteral("Label1"), QStringLiteral("Résultats entre FND et VRM"), Qt::AlignCenter, this),
          captionLeft, 120, clientWidth - 2 * captionLeft, 300);
    place(label(QStringLiteral("Label2"), QStringLiteral("FND"), Qt::AlignCenter, this), finderLeft, 600, boxWidth, 300);
    place(label(QStringLiteral("Label3"), QStringLiteral("VRM"), Qt::AlignCenter, this), catalogueLeft, 600, boxWidth,
          300);

    // The captions of the rows kept the names they were given one by one.
    static const std::array<QString, rowCount> captionNames = {"Label4", "Label7", "Label5", "Label6"};
    for (const Category *category : rowCategories()) {
        const int row = category->checkRow;
        const int top = firstRowTop + (row - 1) * rowPitch;
        place(label(captionNames.at(std::size_t(row - 1)), category->tabCaption, Qt::AlignRight | Qt::AlignVCenter,
                    this),
              captionLeft, top, captionWidth, boxHeight);
        QLineEdit *found = box(QStringLiteral("fnd_%1").arg(row), this);
        QLineEdit *counted = box(QStringLiteral("vrm_%1").arg(row), this);
        place(found, finderLeft, top, boxWidth, boxHeight);
        place(counted, catalogueLeft, top, boxWidth, boxHeight);
        m_finder.at(std::size_t(row - 1)) = found;
        m_catalogue.at(std::size_t(row - 1)) = counted;
    }
    m_missing = label(QStringLiteral("lbl_manquants"), QString(), Qt::AlignLeft | Qt::AlignTop, this);
    m_missing->setWordWrap(true);
    place(m_missing, captionLeft, firstRowTop + rowCount * rowPitch, clientWidth - 2 * captionLeft,
          clientHeight - firstRowTop - rowCount * rowPitch - 60);
}

void CheckWindow::showPair(int row, std::optional<int> found, std::optional<int> counted)
{
    QColor background = unknownBackground();
    QColor foreground = unknownText();
    if (found && counted) {
        const bool agree = *found == *counted;
        background = agree ? agreeingBackground() : differingBackground();
        foreground = agree ? agreeingText() : differingText();
    }
    setLook(finderBox(row), shown(found), background, foreground);
    setLook(catalogueBox(row), shown(counted), background, foreground);
    m_pairs.at(std::size_t(row - 1)) = {found, counted};
    showMissing();
}

void CheckWindow::showMissing()
{
    const auto number = [](int n) { return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')); };
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
            numbers << number(first) + QStringLiteral(" à ") + number(*found);
        else
            for (int n = first; n <= *found; ++n)
                numbers << number(n);
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
