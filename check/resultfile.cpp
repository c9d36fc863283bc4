#include "check/resultfile.h"

#include <QStringDecoder>

#include <algorithm>

namespace tabrix::check {

namespace {

QString decode(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

// CR LF, LF and a lone CR each end a line; an end at the very end of the
// text opens no further line.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// A line as it may be quoted in a message.
QString quoted(const QString &text)
{
    constexpr int longest = 40;
    QString shown = text.size() > longest ? text.left(longest) + QStringLiteral("…") : text;
    for (QChar &c : shown)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return QStringLiteral("« %1 »").arg(shown);
}

// The row's number from its line, or why there is none.
RowReading readRow(const QString &line, int lineNumber, int column)
{
    RowReading row;
    row.line = lineNumber;
    row.text = line;
    const QString text = line.size() >= column ? line.mid(column - 1) : QString();
    if (!text.isEmpty() && isAsciiDigit(text.front()) && isAsciiDigit(line.at(column - 2))) {
        row.fault = Fault::CutNumber;
        return row;
    }
    const QString number = text.trimmed();
    if (number.isEmpty() || !std::all_of(number.begin(), number.end(), isAsciiDigit)) {
        row.fault = Fault::NotNumber;
        return row;
    }
    qsizetype first = 0;
    while (first + 1 < number.size() && number.at(first) == u'0')
        ++first;
    const QString digits = number.mid(first);
    if (digits.size() > 5 || digits.toInt() > largestNumber) {
        row.fault = Fault::TooLarge;
        return row;
    }
    row.value = digits.toInt();
    return row;
}

QString describe(const RowReading &row, const Category &category, int lineCount)
{
    const QString caption = category.tabCaption;
    const int column = category.checkValueColumn;
    switch (row.fault) {
    case Fault::NoSection:
        if (lineCount == 0)
            return QStringLiteral("le fichier est vide : la ligne « %1 » manque.").arg(sectionHeader());
        return QStringLiteral("aucune de ses %1 lignes n'est exactement « %2 » (même casse, sans espace) : "
                              "aucun numéro n'a pu être lu.")
            .arg(lineCount)
            .arg(sectionHeader());
    case Fault::MissingLine:
        return QStringLiteral("ligne %1 : absente, le fichier s'arrête avant le numéro de %2.").arg(row.line).arg(caption);
    case Fault::NotNumber:
        if (row.text.mid(column - 1).trimmed().isEmpty())
            return QStringLiteral("ligne %1 (%2) : aucun nombre à partir de la colonne %3 dans %4.")
                .arg(row.line)
                .arg(caption)
                .arg(column)
                .arg(quoted(row.text));
        // One pass: a "%1" in the file's text stays as it is.
        return QStringLiteral("ligne %1 (%2) : %3, lu à partir de la colonne %4, n'est pas un nombre.")
            .arg(QString::number(row.line), caption, quoted(row.text.mid(column - 1)), QString::number(column));
    case Fault::CutNumber:
        return QStringLiteral("ligne %1 (%2) : le nombre commence avant la colonne %3 et serait lu tronqué dans %4.")
            .arg(row.line)
            .arg(caption)
            .arg(column)
            .arg(quoted(row.text));
    case Fault::TooLarge:
        return QStringLiteral("ligne %1 (%2) : %3 dépasse %4.")
            .arg(row.line)
            .arg(caption, quoted(row.text.mid(column - 1).trimmed()))
            .arg(largestNumber);
    }
    return {};
}

} // namespace

const std::array<const Category *, 4> &rowCategories()
{
    static const std::array<const Category *, 4> rows = [] {
        std::array<const Category *, 4> byRow{};
        for (const Category &category : categories())
            byRow[std::size_t(category.checkRow - 1)] = &category;
        return byRow;
    }();
    return rows;
}

Findings readFindings(const QByteArray &bytes)
{
    const QStringList lines = splitLines(decode(bytes));
    const qsizetype header = lines.indexOf(sectionHeader());

    Findings findings;
    for (const Category *category : rowCategories()) {
        RowReading &row = findings.rows[std::size_t(category->checkRow - 1)];
        if (header < 0) {
            row.fault = Fault::NoSection;
        } else if (const qsizetype index = header + category->checkRow; index < lines.size()) {
            row = readRow(lines.at(index), int(index) + 1, category->checkValueColumn);
        } else {
            row.fault = Fault::MissingLine;
            row.line = int(index) + 1;
        }
        if (row.ok())
            continue;
        const QString sentence = describe(row, *category, int(lines.size()));
        if (!findings.problems.contains(sentence))
            findings.problems << sentence;
    }
    return findings;
}

} // namespace tabrix::check
