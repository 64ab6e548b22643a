#pragma once
// PerestroitTablicu: gives a table the target column list, keeping every row and
// the values of every column that keeps its name, its type and at least its size.
// The rebuild runs in one transaction of the calculation file: a failure leaves
// the table exactly as it was.
#include "formulas/table_columns.h"
#include <QString>

namespace volm {

class Database;

// Rebuilds the table when the two lists differ as texts; returns whether it did.
// current describes the table as it is (a Заг column counts as float whatever it
// holds); database failures propagate after the rollback.
bool PerestroitTablicu(Database& db, const QString& table, const ColumnList& current, const ColumnList& target);

// The columns whose values survive: the first current column of exactly the same
// name, of the same type, and of a size not above the new one.
QStringList survivingColumns(const ColumnList& current, const ColumnList& target);

}  // namespace volm
