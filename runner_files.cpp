#include "runner_files.h"

#include "store/file_ops.h"

#include <QRegularExpression>
#include <cmath>

namespace volm::runner {

QString refusedCalculation(const ProtectedFiles& files) {
    if (inProgramFolder(files.programDir, files.calculation))
        return QStringLiteral("Нельзя открыть файл гидравлического расчета из папки, в которую установлена "
                              "программа. Выберите другую папку.");
    if (sameFile(files.calculation, files.reference))
        return QStringLiteral("Файл ") + files.calculation +
               QStringLiteral(" является файлом справочников и не может быть открыт как расчет.");
    return {};
}

std::optional<SizingRequest> parseSizeOption(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0) return std::nullopt;
    SizingRequest request;
    request.diameter = text.left(colon).trimmed();
    // A comma separates criteria where a name and "<=" follow it; elsewhere it
    // is a decimal comma.
    static const QRegularExpression separator(QStringLiteral(",(?=[^,<]*<=)"));
    for (const QString& part : text.mid(colon + 1).split(separator)) {
        const qsizetype le = part.indexOf(QStringLiteral("<="));
        if (le <= 0) return std::nullopt;
        SizingCriterion c;
        c.indicator = part.left(le).trimmed();
        QString limit = part.mid(le + 2).trimmed();
        limit.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        c.limit = limit.toDouble(&ok);
        if (!ok || !std::isfinite(c.limit) || c.indicator.isEmpty()) return std::nullopt;
        request.criteria.push_back(c);
    }
    if (request.diameter.isEmpty() || request.criteria.empty() || request.criteria.size() > 2) return std::nullopt;
    return request;
}

}  // namespace volm::runner
