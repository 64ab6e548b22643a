#pragma once
// PerestroitTablicu: gives a table the target column list, keeping every row and
// the values of every column that keeps its name. A column of another type or a
// smaller size keeps its values converted to the new type; a value the new type
// cannot hold stops the rebuild with a message naming the column and the first
// such row. The rebuild runs in one transaction of the calculation file: a
// failure leaves the table exactly as it was.
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

// The target columns whose name the table has with another type or a larger
// size: their values are converted.
ColumnList convertedColumns(const ColumnList& current, const ColumnList& target);

}  // namespace volm
