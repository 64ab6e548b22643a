#include "commands/run_options.h"

#include "calc/regime_checks.h"

namespace volm {

QString outcomeWithWarnings(const RunOutcome& out) {
    if (out.warnings.empty()) return out.text;
    return out.text + QStringLiteral("\r\n\r\n") + calc::RegimeWarnings{out.warnings}.block();
}

}  // namespace volm
