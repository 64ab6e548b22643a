#pragma once
// Numbers shown to the person inside function messages: the shortest general
// format with up to 15 significant digits, in the person's locale (its decimal
// separator and minus sign, no thousands separator); an exponent is written
// "E" + power ("1E20", "1,5E-7").
#include <QLocale>
#include <QString>

namespace volm {

QString formatGeneral(double value, const QLocale& locale);

}  // namespace volm
