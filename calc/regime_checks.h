#pragma once
// Checks of the computed regime: after a successful run the heads, flows and
// entered data are compared with design rules, and every rule that is broken
// gives one warning line naming its places. The checks only read; they never
// change a result nor make the run fail.
//
// The rules live in the calculation file: the person's rules on indicators in
// ПроверкиРежима and the limits of the built-in head rules in ПределыНапоров
// (store/regime_tables.h).
#include "calc/run_data.h"

#include <QChar>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace volm {
class Database;
}

namespace volm::calc {

// A rule on an indicator: warns where the indicator is greater (less) than the limit.
struct RegimeRule {
    QString indicator;   // short name of a header or table indicator
    bool greater = true; // "больше"; false: "меньше"
    double limit = 0;
    QString text;        // the warning
};

// The built-in head rules; every head is in metres of water column.
struct HeadLimits {
    double minPressure = 5;     // full head at least the ground height plus this
    bool minPressureOn = true;
    double maxPressure = 160;   // full head at most the ground height plus this
    bool maxPressureOn = true;
    double boilingMargin = 5;   // supply pressure above the boiling pressure plus this
    bool boilingOn = true;
    double endAvailable = 0;    // available head at every end node of a main
    bool endAvailableOn = false;
};

struct RegimeSettings {
    std::vector<RegimeRule> rules;
    HeadLimits limits;
};

// What the checks read: the run's tables after a successful run.
struct RegimeInput {
    const ValueTable* header = nullptr;     // one row
    const ValueTable* sections = nullptr;
    const std::vector<int>* startOf = nullptr;
    const std::vector<int>* endOf = nullptr;
    const std::vector<EndResult>* endResults = nullptr;  // may be null
    bool twoPipe = true;
    // Water density in kg/m3 at a whole temperature in °C; none: 1000.
    std::function<std::optional<double>(int)> density;
    // Also say which cells each warning is about (RegimeWarnings::marks).
    bool wantMarks = false;
};

// A cell a warning is about: a value of a section row or of the header.
struct RegimeMark {
    int row = -1;     // section row; -1: the header
    QString field;    // the indicator's column
    int line = 0;     // index of the warning in RegimeWarnings::lines
};

struct RegimeWarnings {
    std::vector<QString> lines;  // one per broken rule
    std::vector<RegimeMark> marks{};  // when asked for
    bool empty() const { return lines.empty(); }
    int count() const { return int(lines.size()); }
    // "Предупреждения (N):" and the lines, joined by CR LF; empty when none.
    QString block() const;
};

// Places listed in one warning line before "и еще K".
inline constexpr int kMaxPlaces = 20;
// A section longer than this (m) is reported as entered in error.
inline constexpr double kMaxSectionLength = 10000;

// Runs every check. decimal is the person's decimal separator.
RegimeWarnings checkRegime(const RegimeInput& in, const RegimeSettings& settings, QChar decimal);
// The same over the data of a run that has just succeeded.
RegimeWarnings checkRegime(const RunData& d, const RegimeSettings& settings);

// Rules and limits as the calculation file holds them; a file without the tables
// gives no rules and the default limits.
RegimeSettings readRegimeSettings(Database& db);

// The message for a rule whose indicator is not in the calculation's catalogue
// (Формулы and ФлыПредопрПок); empty when it is there. Such a rule is never
// checked, so the person is told when entering it.
QString unknownIndicatorMessage(Database& db, const QString& shortName);

// A number as the warnings write it: at most two decimals, trailing zeros
// dropped, the given decimal separator, no thousands separator.
QString warningNumber(double v, QChar decimal);

}  // namespace volm::calc
