#pragma once
// A block of typed cells written into a table at once: what a paste from a
// spreadsheet or the clearing of several cells does. Every cell is converted
// as the cursor converts a typed value, and every row is stored as a typed row
// is stored when the grid leaves it (the section table's store on post, the new
// section's key and default nodes, the cleared calculation-done flag). The
// whole block is one transaction: a cell that does not convert stops it before
// anything is written, and a write that fails leaves the file as it was.
#include "store/table.h"

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace volm {

class App;

// One row of the block: a row of the cursor, or a new row after the last one.
struct EnteredRow {
    int row = -1;                                 // cursor row; -1: a new row
    std::vector<std::pair<int, QVariant>> cells;  // field index and the value as typed
};

// The cell that stopped the block.
struct EntryFault {
    int entry = -1;    // index into the rows given
    int field = -1;
    QVariant typed;
    QString message;   // why the value was refused
};

struct EntryOutcome {
    bool done = false;   // the block is in the file
    EntryFault fault;    // when not done
    int rowsAdded = 0;
};

// Writes the rows into the table of the cursor t (a row being edited is posted
// first) and re-reads the cursor, which then stands on the first row written.
// A refused cell gives the fault and writes nothing; a database failure throws
// after rolling back, the cursor re-read from the file.
EntryOutcome enterCells(App& app, Table& t, const std::vector<EnteredRow>& rows);

}  // namespace volm
