#include "store/decimal_text.h"

#include <cmath>

namespace volm {

std::optional<double> readDecimalText(const QString& text) {
    const QString clean = cleanDecimalText(text);
    if (clean.isEmpty()) return std::nullopt;
    // Only a sign, digits, one point and an exponent: no hexadecimal, no
    // "inf" or "nan" that the general reader would take.
    for (QChar c : clean)
        if (!(c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('+') ||
              c == QLatin1Char('e') || c == QLatin1Char('E')))
            return std::nullopt;
    bool ok = false;
    const double v = clean.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

double strToDecimal(const QString& text) {
    if (const auto v = readDecimalText(text)) return *v;
    throw ConvertError(QLatin1Char('\'') + text + QStringLiteral("' не является допустимым числом."));
}

}  // namespace volm
