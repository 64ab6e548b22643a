#pragma once
// ProveritSsylki and SobratZavisimosti: the references of one formula.
#include "formulas/catalogue.h"
#include <QString>
#include <optional>
#include <vector>

namespace volm {

// Checks the references of a formula (comments already removed). heading is
// "Показатели расчета:" for user indicators and "Предопределенные показатели
// расчета:" for predefined ones; onePipe: the calculation is a one-pipe network.
// Returns the whole message of the first fault.
std::optional<QString> ProveritSsylki(const QString& heading, const QString& shortName, const QString& formula,
                                      bool isTable, const Catalogue& catalogue, bool onePipe);

// The names a formula (comments removed) references, each once, in the order met.
std::vector<QString> SobratZavisimosti(const QString& formula);

}  // namespace volm
