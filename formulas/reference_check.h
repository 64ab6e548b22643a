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
// afterHeads: the indicator is computed after the heads, so it may reference
// the heads, the indicators computed after them and, in a one-pipe network,
// the return pipeline's indicators (it is then left empty by the run). Any
// other formula may not reference an indicator computed after the heads.
// Returns the whole message of the first fault.
std::optional<QString> ProveritSsylki(const QString& heading, const QString& shortName, const QString& formula,
                                      bool isTable, const Catalogue& catalogue, bool onePipe,
                                      bool afterHeads = false);

// The values the program sets in every section before any formula or, for
// the heads, before the formulas computed after them: formulas may count on
// them being there.
bool isHeadIndicator(const QString& name);
bool isEndSectionMark(const QString& name);
// The short name of the end-section mark: 1 at an end section, 0 elsewhere.
inline const QString kEndSectionMark = QStringLiteral("КонУч");

// The names a formula (comments removed) references, each once, in the order met.
std::vector<QString> SobratZavisimosti(const QString& formula);

}  // namespace volm
