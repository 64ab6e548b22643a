#pragma once
// Helpers shared by the formula tests: evaluating a formula both ways over named
// values, and a small reference book.
#include "formulas/evaluator.h"
#include "formulas/reference_data.h"
#include <QString>
#include <map>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    QString shown = s;
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    *os << '"' << shown.toStdString() << '"';
}

namespace volm::test {

// Named values of one evaluation; NaN is Null; a name not in the map is no field.
using NamedValues = std::map<QString, double>;

struct Outcome {
    bool ok = false;
    double value = 0;
    QString error;  // the whole message when !ok
    bool operator==(const Outcome& o) const;
};
std::ostream& operator<<(std::ostream& os, const Outcome& o);

Outcome evalPrepared(const QString& formula, const NamedValues& values, const ReferenceData& ref,
                     const SectionNodes* section = nullptr, const QString& shortName = QStringLiteral("X"));
Outcome evalLiteral(const QString& formula, const NamedValues& values, const ReferenceData& ref,
                    const SectionNodes* section = nullptr, const QString& shortName = QStringLiteral("X"));

// Rows with duplicates and a Null, to show first-match lookups:
// ДиамТрПр (100, 107), (100, 999), (150, 160), (200, 207), (300, Null), (400, 160);
// ПлВодыОтТ (60, 983.2), (70, 977.76), (70, 1.0), (80, 971.79), (90, 965.3);
// ПопрКоэфКУдПот (100, 0.5, 1.0), (100, 1.0, 1.19), (100, 0.5, 7.0), (200, 0.5, 1.0).
ReferenceData sampleReference(const QLocale& locale = QLocale(QLocale::Russian, QLocale::Russia));

// The context of a header formula named X.
QString headerContext(const QString& shortName = QStringLiteral("X"));

}  // namespace volm::test
