#pragma once
// The three reference-book editors share one design; a ReferenceBook describes
// one of them: its table and the sort it gets while open, its columns, the key
// columns by which a row is deleted, and the main-window item that opens it.
// Rows are deleted by statements with bound values (a roughness value is never
// pasted into SQL text); a row whose key is empty is reached too.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace volm {

class App;
class Database;
class Person;
class Table;
struct DataModule;

struct ReferenceColumn {
    QString field;
    QString title;
    int width = 0;
};

struct ReferenceBook {
    QString formName;      // object name of the editor window
    QString title;         // the main-window item, shown in the caption
    QString table;
    QString sort;          // while the editor is open
    std::vector<ReferenceColumn> columns;
    QStringList keys;      // the columns a row is deleted by
    std::unique_ptr<Table> DataModule::*cursor = nullptr;
};

const ReferenceBook& correctionBook();  // ПопрКоэфКУдПот
const ReferenceBook& diameterBook();    // ДиамТрПр
const ReferenceBook& densityBook();     // ПлВодыОтТ

// The book's cursor, or nullptr when the reference book is not open.
Table* referenceCursor(App& app, const ReferenceBook& book);

// The editor opens only with both the reference book and the calculation open.
bool referenceEditorAvailable(App& app, const ReferenceBook& book);

// ФайлСпр + " - " + title, or the title alone when the setting is empty.
QString referenceCaption(App& app, const ReferenceBook& book);

// The delete statement of one row: "DELETE FROM [t] WHERE [k1] IS ?1 AND ..."
QString referenceDeleteSql(const ReferenceBook& book);
// Deletes the row at this position (0-based) of the cursor by its key values.
void deleteReferenceRow(Database& db, const ReferenceBook& book, const Table& t, int row);

// The open reference book cannot be written: it lies in a program folder the
// program may not write to (installed for all users), or the file or its
// folder is not writable.
bool referenceBookReadOnly(App& app);

// "Разрешить редактирование": a book that cannot be written is refused with
// the reason and the way to a writable copy; otherwise asks the question and
// on Yes clears the calculation-done flag and returns true.
bool allowReferenceEditing(App& app);

// "Удалить записи" and "Удалить все записи" on the book's cursor (the landing
// row and the questions of the record commands). True when rows were deleted.
bool deleteSelectedReferenceRows(App& app, const ReferenceBook& book, const std::vector<int>& rows);
bool deleteAllReferenceRows(App& app, const ReferenceBook& book);

}  // namespace volm
