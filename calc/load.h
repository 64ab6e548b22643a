#pragma once
// Reading the open calculation into memory once, at the start of a run.
#include <QString>

namespace volm::calc {

struct RunData;

// The report precision and the keep-text setting from Настройки,
// the network type and the compute-flows flag from НазвРасч.
void readRunSettings(RunData& d);

// Everything else the stages read, with statements of the run's own: НазвРасч,
// the catalogue, Заг, Табл in sectionOrder (a sort such as "id ASC"), УзлыТС,
// ИзмПНапВУзлахТС, the evaluation order and the reference book. A database
// error throws DatabaseError.
void loadCalculation(RunData& d, const QString& sectionOrder);

}  // namespace volm::calc
