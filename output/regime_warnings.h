#pragma once
// The warnings of the regime checks over the stored results of the open
// calculation, as the result dialog shows them after a run: for the printed
// report, the workbook and the window of the rules, which recomputes them as
// the rules change (the results themselves do not).
#include <QString>
#include <vector>

namespace volm {

class App;

// The warning lines of the computed calculation with the rules and limits the
// file holds now; none when the calculation is not computed, and none when the
// checks cannot read what they need (a fault of theirs costs only the warnings).
std::vector<QString> storedRegimeWarnings(App& app);

// "Предупреждения (N):"; empty for none.
QString warningsTitle(const std::vector<QString>& lines);

}  // namespace volm
