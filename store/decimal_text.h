#pragma once
// Reading a decimal number typed by the person into a plain edit: every space is
// dropped and a comma counts as the decimal point, so "1 234,5" and "1234.5" are
// the same number. A text that is still not a number is a conversion error.
#include "store/str_to_int.h"

#include <QString>
#include <optional>

namespace volm {

// The typed text with spaces dropped and commas turned into points.
inline QString cleanDecimalText(QString text) {
    text.remove(QLatin1Char(' '));
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

// The number, or nothing when the cleaned text is not a finite decimal number.
std::optional<double> readDecimalText(const QString& text);

// The number; a text that is not one throws ConvertError naming the text.
double strToDecimal(const QString& text);

}  // namespace volm
