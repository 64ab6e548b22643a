#pragma once
// Pipe sizing ("Подбор диаметров..."): for the chosen sections, the smallest
// nominal diameter of the reference book (УслДиамТрПр of ДиамТрПр, ascending)
// that keeps every criterion — a computed table indicator — within its limit.
// Sizing evaluates the calculation's own formulas: it runs the stages of the
// calculation up to the flows, temperatures and header indicators, then, for
// each section and candidate, only the table indicators the criteria depend on,
// in their evaluation order. The chosen diameters are written in one
// transaction and the whole calculation is then run as "Выполнить расчет" runs it.
#include "calc/run.h"

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

struct SizingOutcome {
    enum class Status {
        NotOpen,     // no calculation open
        Refused,     // the request or the calculation cannot be sized; text says why
        Fault,       // a stage or a criterion formula stopped sizing; text is its message
        Unexpected,  // an unexpected fault; text is its message
        Sized,       // diameters written; run holds the outcome of the calculation
    };
    Status status = Status::NotOpen;
    bool sized() const { return status == Status::Sized; }
    QString text;            // the error text, or the sizing summary when sized
    int sections = 0;        // sections sized
    int changed = 0;         // sections whose diameter changed
    std::vector<SizingMiss> misses;
    RunOutcome run;          // the calculation run after writing (when sized)
};

// The summary of sizing: "Подбор диаметров: участков M, диаметр изменен у N участков."
// and, when some sections could not be sized within the limits, a line per
// section ("Участок 3 - 4: УдПотПод = 95,2 при Ду 1000"). decimal: the
// decimal separator of the numbers.
QString sizingSummary(const SizingOutcome& outcome, const QString& diameter, QChar decimal);

}  // namespace volm
