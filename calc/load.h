#pragma once
// Reading the open calculation into memory once, at the start of a run.
#include <QLocale>
#include <QString>

namespace volm {

class Database;

namespace calc {

struct CalculationInput;

// The network type and the compute-flows flag from НазвРасч.
void readNetworkType(CalculationInput& d, Database& gr);

// Everything else the stages read, with statements of the run's own: НазвРасч,
// the catalogue, Заг, Табл in sectionOrder (a sort such as "id ASC"), УзлыТС,
// ИзмПНапВУзлахТС, the evaluation order and the reference book. A database
// error throws DatabaseError.
void loadCalculation(CalculationInput& d, Database& gr, Database& referenceBook, const QString& sectionOrder,
                     const QLocale& locale);

}  // namespace calc
}  // namespace volm
