#pragma once
// Reading the open calculation into memory once, at the start of a run.
namespace volm::calc {

struct RunData;

// Start step 4: the report precision and the keep-text setting from Настройки,
// the network type and the compute-flows flag from НазвРасч.
void readRunSettings(RunData& d);

// Everything else the stages read: НазвРасч, Заг, Табл in the section grid's
// order, УзлыТС, ИзмПНапВУзлахТС, the catalogue, the evaluation order and the
// reference book.
void loadCalculation(RunData& d);

}  // namespace volm::calc
