#pragma once
// The store floor: SQLite alone writing the rows a run writes (every computed
// column of every section, МагистралиТС and КонМаг) into a copy of the network
// as it was before the run, with prepared statements in one transaction. The
// rows are read beforehand from the computed file.
#include <QString>

namespace volm::bench {

// Seconds the writing takes; computed is the file after a run, fresh the same
// network before it, target the copy written.
double measureStoreFloor(const QString& computed, const QString& fresh, const QString& target);

}  // namespace volm::bench
