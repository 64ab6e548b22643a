#pragma once
// Splits a script of SQL statements into single statements: ";" ends a
// statement unless it stands inside a string literal ('…' or "…", a doubled
// quote standing for one) or a bracketed name; "--" starts a comment that runs
// to the end of the line. Empty statements are dropped.
#include <QString>
#include <vector>

namespace volm::mkdata {

struct ScriptStatement {
    QString text;   // without the closing ";" and without comments, trimmed
    int line = 0;   // 1-based line on which the statement starts
};

// Throws std::runtime_error for a literal or bracket left open at the end.
std::vector<ScriptStatement> splitScript(const QString& script);

}  // namespace volm::mkdata
