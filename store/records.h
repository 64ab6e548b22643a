#pragma once
// The record commands shared by the program: the calculation-done flag, the SQL
// store of a section row, the wipe of a working table, the match of a typed text
// against a drop-down list, and the record events that guard the cursors of the
// data module (deletion and insertion refusals, keys and default nodes of a new
// section row, the node-number refusal).
#include "store/table.h"
#include <QString>
#include <QStringList>
#include <vector>

namespace volm {

class App;

// Highest key of a section row.
inline constexpr qint64 kMaxSectionKey = 2147483600;

// Sets the calculation-done flag; writes НазвРасч.РасчетВыполнен only when the
// value changes.
void UstanovitRasVip(App& app, bool value);

// The text of one value in SQL: Null, whole numbers in decimal, True/False,
// floating point in FormatChisel, text single-quoted with every quote doubled.
QString sqlValueText(const Field& field, const QVariant& value);

// One built statement with the values bound to its parameters ?1, ?2, ...
struct BoundStatement {
    QString sql;
    std::vector<QVariant> values;
};

// UPDATE statements for the given fields of the current row of t, at most ten
// name = value pairs each, in the order given, keyed by the row's id. Names are
// quoted, values bound (the id last).
std::vector<BoundStatement> updateStatements(const Table& t, const std::vector<int>& fields);

// Writes the given fields of the current row of t, keyed by its id, all or
// nothing: an INSERT of the key first when insertKey is set, then the UPDATE
// statements, in one transaction. A failure leaves the file as it was.
void storeRow(const Table& t, const std::vector<int>& fields, bool insertKey);

// Stores the current section row through SQL (an INSERT of its key and every
// field when the row is new, the changed fields of a row read from the file) in
// one transaction, then re-reads that row by its key and browses on it. A
// failure leaves both the file and the row being edited as they were. A new
// row nothing was typed into is cancelled, leaving nothing in the file.
void ZapisatUchastok(App& app);

// The 0-based row of t whose id is this key; -1 when there is none.
int rowWithId(const Table& t, qint64 id);

// Deletes every row of t through the cursor.
void OchistitTablicu(Table& t);

// The item of a drop-down list that matches typed text ignoring letter case.
struct ListMatch {
    int index = -1;  // -1: none
    QString text;    // the item's text in its own letter case; empty when none
};
ListMatch NaitiVSpiske(const QStringList& items, const QString& text);

// The key for a new section row given the keys in use in ascending order:
// last + 1 while below the limit, otherwise the first free number; 0 when none.
qint64 nextSectionKey(const std::vector<qint64>& sortedKeys);

// After-insert handler of the section cursor: default start and end node and the
// key. Failures are reported here; the row stays in insert state.
void newSectionRow(App& app, Table& sections);

// Attach the record events to the cursors of the calculation file and of the
// reference book, once they are open.
void attachCalculationEvents(App& app);
void attachReferenceEvents(App& app);

}  // namespace volm
