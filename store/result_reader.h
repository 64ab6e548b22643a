#pragma once
// Reading every row of a cursor's SELECT into QVariants converted to the kinds
// of its fields. SQLite's stepping and the making of the QVariants take about
// as long each, so the rows of a large result are made on a second thread
// while the calling one reads on.
#include "store/table.h"

#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

namespace volm {

class Statement;

// Column c of the current row of st as a cursor holds it in a field of this kind.
QVariant fieldValue(const Statement& st, int c, FieldKind kind);
// The number a cursor's value of column c converts to: NaN for Null and for a
// text that is no number.
double fieldNumber(const Statement& st, int c, FieldKind kind);

// The integer the file stores in column c of the current row of st; nullopt
// when it stores anything else there (Null, a real, a text).
std::optional<qint64> storedInteger(const Statement& st, int c);

// Steps st to its end. The values of a row are its columns from firstColumn
// on, one per kind; its key is column 0, or, when numbered, its number from 1.
// made(key, values) is called for every row in order, from one thread at a
// time (not always the calling one), and all calls are over when this returns.
// A step that fails throws its DatabaseError; rows read before it may have
// been made by then.
void readResultRows(Statement& st, int firstColumn, bool numbered, const std::vector<FieldKind>& kinds,
                    const std::function<void(qint64 key, std::vector<QVariant>&& values)>& made);

}  // namespace volm
