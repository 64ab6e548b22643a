#include "formulas/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace volm {

QString formatGeneral(double value, const QLocale& locale) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    const QString minus = locale.negativeSign();
    if (std::isinf(value)) return value < 0 ? minus + QStringLiteral("INF") : QStringLiteral("INF");
    if (value == 0) return QStringLiteral("0");

    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: d.dddddddddddddde[+-]xx
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    const QString point = locale.decimalPoint();
    QString out = value < 0 ? minus : QString();
    if (exponent >= 15 || exponent < -5) {
        out += QChar::fromLatin1(digits[0]);
        if (digits.size() > 1) out += point + QString::fromLatin1(digits.c_str() + 1);
        out += QStringLiteral("E") + QString::number(exponent);
        return out;
    }
    if (exponent < 0) {
        out += QStringLiteral("0") + point + QString(-exponent - 1, QLatin1Char('0')) +
               QString::fromLatin1(digits.c_str());
        return out;
    }
    const size_t intDigits = size_t(exponent) + 1;
    if (digits.size() <= intDigits) {
        out += QString::fromLatin1(digits.c_str()) + QString(int(intDigits - digits.size()), QLatin1Char('0'));
    } else {
        out += QString::fromLatin1(digits.substr(0, intDigits).c_str()) + point +
               QString::fromLatin1(digits.substr(intDigits).c_str());
    }
    return out;
}

}  // namespace volm
