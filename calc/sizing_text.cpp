#include "calc/sizing_text.h"

#include "calc/sizing.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace volm::calc {

QString sizingNumber(double v, QChar decimal) {
    if (!std::isfinite(v)) return QString::number(v);
    const double a = std::fabs(v);
    int decimals = a > 0 ? 3 - int(std::floor(std::log10(a))) : 0;
    decimals = std::clamp(decimals, 0, 9);
    QString text = QString::number(v, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    text.replace(QLatin1Char('.'), decimal);
    return text;
}

QString candidateText(const QString& diameter, double candidate, QChar decimal) {
    return QStringLiteral("Подбор диаметров: ") + diameter + QStringLiteral(" = ") + sizingNumber(candidate, decimal) +
           QLatin1Char('.');
}

}  // namespace volm::calc

namespace volm {

QString sizingSummary(const SizingTally& outcome, const QString& diameter, QChar decimal) {
    const QString crlf = QStringLiteral("\r\n");
    // "у 1 участка", "у 21 участка", "у 11 участков", "у 3 участков".
    const int n = outcome.changed;
    const bool one = n % 10 == 1 && n % 100 != 11;
    QString text = QStringLiteral("Подбор диаметров: участков %1, диаметр изменен у %2 %3.")
                       .arg(outcome.sections)
                       .arg(n)
                       .arg(one ? QStringLiteral("участка") : QStringLiteral("участков"));
    if (outcome.misses.empty()) return text;
    text += crlf + crlf + QStringLiteral("Пределы превышены и при наибольшем диаметре:");
    for (const SizingMiss& m : outcome.misses)
        text += crlf + QStringLiteral("Участок %1 - %2: ").arg(m.startNode).arg(m.endNode) + m.indicator +
                QStringLiteral(" = ") + calc::sizingNumber(m.value, decimal) + QStringLiteral(" при ") + diameter +
                QLatin1Char(' ') + calc::sizingNumber(m.diameter, decimal);
    return text;
}

}  // namespace volm
