#pragma once
// The record commands of the windows with record grids ("Удалить записи",
// "Удалить все записи"): rows go only by SQL DELETE statements built from each
// selected row's key, the table is then re-read and the cursor placed on the row
// that followed the last deleted one. The grid hands over which rows are selected.
#include <QString>
#include <functional>
#include <vector>

namespace volm {

class Database;
class Person;
class Table;

// Ends a pending edit of the table: posts a row being edited or inserted; a new
// row nothing was typed into is dropped instead of being stored empty.
void postPendingRow(Table& t);

// The DELETE statement for the row at this position (0-based) of the table.
using RowDeleteStatement = std::function<QString(const Table& t, int row)>;

// "Удалить записи". selectedRows are 0-based positions in the table's current
// order, read after the pending edit was ended (postPendingRow); with nothing selected shows
// "Выделите хотя бы одну запись."; otherwise asks "Удалить выделенные записи?" and,
// on Yes, deletes row by row in table order, requeries and lands on the row after
// the last deleted one (or the last row). Display updates stay suspended while it
// runs. Returns true when it deleted. Database failures propagate.
bool deleteSelectedRecords(Person& person, Table& t, Database& db, std::vector<int> selectedRows,
                           const RowDeleteStatement& statement);

// The same with each row deleted by deleteRow (for statements with bound values).
using RowDelete = std::function<void(const Table& t, int row)>;
bool deleteSelectedRows(Person& person, Table& t, std::vector<int> selectedRows, const RowDelete& deleteRow);

// "Удалить все записи": asks "Удалить все записи?" and, on Yes, deletes every
// row of the table and requeries. Returns true when it deleted.
bool deleteAllRecords(Person& person, Table& t, Database& db);

// Statements of the main window's, the initial-data dialog's grids and of the formulas window.
QString deleteSectionStatement(const Table& sections, int row);  // Табл by id
QString deleteNodeStatement(const Table& nodes, int row);        // УзлыТС by Nуз
QString deleteHeadChangeStatement(const Table& changes, int row); // ИзмПНапВУзлахТС by Nуз and ТрПр
QString deleteIndicatorStatement(const Table& formulas, int row);  // Формулы by НаимПокСокр

}  // namespace volm
