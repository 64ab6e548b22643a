#pragma once
// The texts of sizing: numbers as the person reads them, the candidate named in
// an error, the summary of what sizing did.
#include <QChar>
#include <QString>

namespace volm::calc {

// A value with four significant digits (at least the whole part), trailing
// zeros dropped, with the given decimal separator: 95,2; 0,3474; 1000.
QString sizingNumber(double v, QChar decimal);

// "Подбор диаметров: Ду = 150." — the candidate an error was met with.
QString candidateText(const QString& diameter, double candidate, QChar decimal);

}  // namespace volm::calc
