#pragma once
// Reading a whole number typed by the person. A text that is not a whole number
// (empty, letters, a fraction, out of the 32-bit range) is a conversion error,
// reported like any other failure.
#include "store/errors.h"
#include <QString>

namespace volm {

class ConvertError : public Error {
public:
    explicit ConvertError(QString message) : Error(QStringLiteral("EConvertError"), std::move(message)) {}
};

// The text as a 32-bit whole number; blanks around it are allowed.
inline int strToInt(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok) throw ConvertError(QLatin1Char('\'') + text + QStringLiteral("' не является допустимым целым числом."));
    return v;
}

}  // namespace volm
