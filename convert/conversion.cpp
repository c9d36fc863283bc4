#include "convert/conversion.h"

#include "convert/mdbreader.h"

#include "store/category.h"
#include "store/newfile.h"

namespace tabrix {

Result<Conversion> convertAccessFile(const QString &source, const QString &target)
{
    // Refused before the old file is even read.
    if (Status free = checkFreeName(target); !free)
        return Failure{free.error()};
    Result<AccessFile> read = readAccessFile(source);
    if (!read)
        return Failure{read.error()};

    Conversion conversion{read->format, planImport(read->tables), {}};
    if (!conversion.plan.problems.isEmpty()) {
        QString text = QStringLiteral("Le catalogue ne peut pas être importé :\n");
        for (const QString &problem : conversion.plan.problems)
            text += QStringLiteral("  - %1\n").arg(problem);
        if (!conversion.plan.warnings.isEmpty()) {
            text += QStringLiteral("À noter aussi :\n");
            for (const QString &warning : conversion.plan.warnings)
                text += QStringLiteral("  - %1\n").arg(warning);
        }
        return Failure{text + QStringLiteral("Corrigez l'ancien fichier dans Access, puis relancez la conversion.")};
    }
    Result<std::vector<int>> written = writeImport(conversion.plan, target);
    if (!written)
        return Failure{written.error()};
    conversion.written = std::move(*written);
    return conversion;
}

QString conversionSummary(const Conversion &conversion)
{
    QStringList parts;
    for (std::size_t i = 0; i < conversion.plan.tables.size() && i < conversion.written.size(); ++i) {
        const int count = conversion.written[i];
        const bool authors = i >= categories().size();
        parts << QStringLiteral("%1 : %2 %3%4")
                     .arg(authors ? QStringLiteral("Auteurs") : categories()[i].tabCaption)
                     .arg(count)
                     .arg(authors ? QStringLiteral("auteur") : QStringLiteral("entrée"))
                     .arg(count > 1 ? QStringLiteral("s") : QString());
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace tabrix
