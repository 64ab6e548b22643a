#pragma once
// A table cursor: the rows of one table (or of a SELECT) in a chosen sort order,
// with a current row, editing through edit/insert/post/cancel, record events and
// observers. The rows are read on open and on requery, at once when a view
// observes the cursor, otherwise when they are first asked for (a cursor nobody
// looks at costs no read); posts write straight into the file. Grids show a
// cursor through a model that observes it.
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

struct sqlite3;

namespace volm {

class Database;

enum class FieldKind { SmallInt, Integer, Byte, Float, Bool, Text, Unknown };

struct Field {
    QString name;
    FieldKind kind = FieldKind::Unknown;
    int size = 0;          // text size in characters; 0 for other kinds
    bool visible = true;   // shown by bound grids
};

// The fields of a table of db as a cursor on it sees them; none when there is no such table.
std::vector<Field> tableFields(Database& db, const QString& table);
// The ORDER BY terms by which a cursor with this sort ("Nуз ASC, ТрПр ASC"; empty
// for file order) orders the rows of a table with these fields.
QString sortTerms(const QString& sort, const std::vector<Field>& fields);

// Whether a sort ("Nуз ASC, ТрПр ASC") names this field.
bool sortNames(const QString& sort, const QString& field);

// The value a cursor stores in the field for v (a typed text, a number):
// converted to the field's kind, Null for blanks. A value the field cannot hold
// throws DatabaseError.
QVariant storedValue(const Field& f, const QVariant& v);

// Told of changes so that a view can follow. A row insertion or removal is told
// twice, as Qt models announce it: before (the rows are still as they were) and
// after. While display updates are suspended nothing is told; resuming them
// fully tells tableReset once.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    virtual void tableReset() {}                         // rows, fields or order changed wholesale
    virtual void currentChanged(int /*row*/) {}          // the current row moved (0-based)
    virtual void rowChanged(int /*row*/) {}              // values of one row changed
    virtual void rowAboutToBeInserted(int /*row*/) {}    // a row is about to appear at this position
    virtual void rowInserted(int /*row*/) {}             // it has appeared
    virtual void rowAboutToBeRemoved(int /*row*/) {}     // the row at this position is about to go
    virtual void rowRemoved(int /*row*/) {}              // it has gone
    virtual void stateChanged() {}                       // browse/edit/insert or modified flag
    virtual void tableDestroyed() {}                     // the cursor is going away; forget it
};

class Table {
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Event = std::function<void(Table&)>;

    // A cursor on a table of db; open() reads it.
    Table(Database& db, QString tableName);
    // A read-only cursor on a SELECT statement.
    static std::unique_ptr<Table> forQuery(Database& db, QString sql);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const QString& tableName() const { return table_; }
    Database& database() const { return db_; }
    bool readOnly() const { return readOnly_; }

    void open();
    void close();
    bool isOpen() const { return state_ != State::Inactive; }

    // Sort expression such as "Nуз ASC, ТрПр ASC"; empty for none (file order).
    // Applying it to an open cursor re-reads the rows and keeps the current row.
    void setSort(const QString& sort);
    const QString& sort() const { return sort_; }

    // Movement. Leaving a row that is being edited or inserted posts it first.
    void first();
    void next();
    void prior();
    void last();
    void moveBy(int n);
    bool eof() const { return (rows(), eof_); }
    bool bof() const { return (rows(), bof_); }
    int recordCount() const;             // stored rows, without a row being inserted
    int recNo() const;                   // 1-based; -1 while inserting or when empty
    // False while the rows are still to be read: the cursor then stands on its
    // first row, if there is one.
    bool rowsRead() const { return !rowsPending_; }
    bool isEmpty() const { return rows().empty(); }

    // Random access for views: rows as shown (a row being inserted included).
    int rowCount() const { return int(rows().size()); }
    int currentRow() const { return (rows(), cur_); }  // 0-based, -1 when empty
    void setCurrentRow(int row);                      // posts a pending edit first
    QVariant valueAt(int row, int field) const;
    qint64 rowidAt(int row) const;

    // Row key of the current row (SQLite's rowid; for a table with an integer
    // primary key it is that key). 0 for a row not yet posted.
    qint64 rowid() const;
    // Moves to the row with this rowid; false when there is none.
    bool locate(qint64 rowid);

    // Fields, in table order.
    const std::vector<Field>& fields() const { return fields_; }
    int fieldCount() const { return int(fields_.size()); }
    int fieldIndex(const QString& name) const;  // -1 when there is no such field
    const Field& field(const QString& name) const;  // throws DatabaseError when absent
    void setFieldVisible(const QString& name, bool visible);

    // Values of the current row; a null QVariant is Null. Setting puts the cursor
    // into edit state (if browsing) and converts to the field's kind; a value that
    // does not convert throws DatabaseError.
    QVariant value(const QString& name) const;
    QVariant value(int field) const;
    bool isNull(const QString& name) const { return value(name).isNull(); }
    void setValue(const QString& name, const QVariant& v);
    void setValue(int field, const QVariant& v);
    // The value v as setValue would store it in field, or DatabaseError as there.
    QVariant convertValue(int field, const QVariant& v) const { return convert(fields_.at(size_t(field)), v); }

    // Editing.
    void edit();
    void insert();   // a new row before the current one
    void append();   // a new row after the last one
    void post();
    void cancel();
    void requery();  // re-reads every row; the first row becomes current
    // The fields of the row being edited whose values differ from those read
    // (of a row being inserted: those not Null).
    std::vector<int> changedFields() const;
    // The row being edited or inserted was written to the file by the caller
    // (these fields of it): the cursor browses on it again as the file holds
    // it now, re-read by its key, in its place in the order.
    void acceptStored(const std::vector<int>& storedFields);
    // Re-reads the row with this key from the file, without re-reading the
    // others; with reorder, the rows are put in the sort order again (the row
    // stays current). A row gone from the file leaves the cursor; false then.
    bool refreshRow(qint64 rowid, bool reorder = false);
    void remove();   // deletes the current row (before-delete may refuse)
    State state() const { return state_; }
    bool modified() const { return modified_; }
    bool editing() const { return state_ == State::Edit || state_ == State::Insert; }

    // Nested suspension of display updates (ControlsPause holds one).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

    // Record events. A before-event refuses the operation by throwing Abort,
    // which propagates to the caller and leaves the row and the table unchanged.
    Event beforeInsert, afterInsert, beforePost, beforeDelete;

    void addObserver(TableObserver* o);
    void removeObserver(TableObserver* o);

private:
    struct Row {
        qint64 rowid = 0;
        std::vector<QVariant> values;
    };
    void readFields();
    void readRows();
    QString selectSql(const QString& tail) const;
    sqlite3* connection() const;
    // The rows in the sort order again, by their keys; keep stays current.
    void reorderRows(qint64 keep);
    // The rows, read first when they are still to be read; a failed read
    // throws DatabaseError and leaves them to be read again.
    std::vector<Row>& rows() const;
    void readPendingRows();
    // The rows to be read at the next use, or at once when a view observes the
    // cursor; the first row becomes current.
    void rowsChanged();
    void startInsert(int position);
    void setCurrent(int row);
    void checkBrowse();
    void checkWritable() const;
    QVariant convert(const Field& f, const QVariant& v) const;
    const Row* currentRowData() const;
    template <typename F>
    void notify(F f) {
        if (disabled_ > 0) return;
        for (TableObserver* o : std::vector<TableObserver*>(observers_)) f(o);
    }

    Database& db_;
    QString table_;
    QString sql_;            // for query cursors
    bool readOnly_ = false;
    QString sort_;
    std::vector<Field> fields_;
    mutable std::vector<Row> rows_;
    mutable bool rowsPending_ = false;  // rows_ is still to be read
    mutable int cur_ = -1;
    mutable bool eof_ = true;
    mutable bool bof_ = true;
    State state_ = State::Inactive;
    bool modified_ = false;
    Row saved_;              // the row as it was before edit, for cancel
    int insertPos_ = -1;     // position of the row being inserted
    int disabled_ = 0;
    std::vector<TableObserver*> observers_;
};

}  // namespace volm
