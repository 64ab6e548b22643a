#pragma once
// ProveritFormuli: the check of the whole catalogue of the open calculation and
// the evaluation order it writes to ПриоритетыЗаг and ПриоритетыТабл.
#include "formulas/catalogue.h"
#include <QString>
#include <optional>

namespace volm {

class App;

// The checking steps on a catalogue alone: short names, then the references of
// the user formulas, then those of the predefined formulas. The first message.
std::optional<QString> checkCatalogue(const Catalogue& catalogue, bool twoPipe);

// Runs the whole check: shows at most one message, sets and returns
// App::FormuliProvereny. Database failures propagate after the finishing steps.
bool ProveritFormuli(App& app);

}  // namespace volm
