#pragma once
// Pipe sizing ("Подбор диаметров..."): for the chosen sections, the smallest
// nominal diameter of the reference book (УслДиамТрПр of ДиамТрПр, ascending)
// that keeps every criterion — a computed table indicator — within its limit.
// Sizing evaluates the calculation's own formulas: it runs the stages of the
// calculation up to the flows, temperatures and header indicators, then, for
// each section and candidate, only the table indicators the criteria depend on,
// in their evaluation order.

#include <QString>
#include <vector>

namespace volm {

struct SizingCriterion {
    QString indicator;  // a computed table indicator, e.g. УдПотПод
    double limit = 0;   // the indicator must not exceed it
};

struct SizingRequest {
    // The user-entered table indicator that holds the diameter.
    QString diameter = QStringLiteral("Ду");
    // One or two criteria; every one must hold.
    std::vector<SizingCriterion> criteria;
    // Only the sections marked "Д" in Заполн_Уч; otherwise every section.
    bool markedOnly = false;
};

// A section where even the largest candidate breaks a limit.
struct SizingMiss {
    qint64 id = 0;           // Табл.id
    int startNode = 0, endNode = 0;
    QString indicator;       // the first criterion over its limit
    double value = 0;        // its value at the largest candidate
    double diameter = 0;     // the largest candidate
};

// What sizing chose: how many sections were sized, how many of them got
// another diameter, and those no candidate fits.
struct SizingTally {
    int sections = 0;        // sections sized
    int changed = 0;         // sections whose diameter changed
    std::vector<SizingMiss> misses;
};

// The summary of sizing: "Подбор диаметров: участков M, диаметр изменен у N участков."
// and, when some sections could not be sized within the limits, a line per
// section ("Участок 3 - 4: УдПотПод = 95,2 при Ду 1000"). decimal: the
// decimal separator of the numbers.
QString sizingSummary(const SizingTally& tally, const QString& diameter, QChar decimal);

}  // namespace volm
