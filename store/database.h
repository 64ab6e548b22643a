#pragma once
// A connection to one database file (SQLite 3 under the ".mdb" name).
// Statements are written in the system's SQL dialect: bracketed names, text(n),
// float, smallint, integer, bit, PRIMARY KEY, True/False/Null, string literals in
// double or single quotes, "." decimals. Engine failures throw DatabaseError.
#include <QString>
#include <QVariant>
#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace volm {

class Table;

// A prepared statement with positional parameters (1-based), for bulk writes.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);  // null QVariant binds NULL
    void bindNull(int index);
    void bind(int index, double value);
    void bind(int index, qint64 value);
    void bind(int index, const QString& value);
    // Runs a statement that returns no rows, then resets it for the next bindings.
    void run();
    // For SELECT: steps to the next row; false at the end (then the statement is reset).
    bool step();
    QVariant column(int index) const;
    int columnCount() const;
    sqlite3_stmt* handle() const { return stmt_; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// How much of a file is checked when it is opened.
enum class FileCheck {
    EveryPage,       // every page is read (SQLite's quick check)
    HeaderAndSchema  // the header, the length the header gives and the schema
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing file (a missing file is an error, never a new database).
    // A file that is not a database, or is damaged, throws DatabaseError. The
    // cheaper check finds a file cut short or a damaged schema at once; a page
    // damaged inside a table is then found when the table is read.
    void open(const QString& path, FileCheck check = FileCheck::EveryPage);
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // The program never creates triggers: a file holding one comes from
    // elsewhere, and its triggers would act on every write of the program. The
    // file is closed and DatabaseError thrown, naming the trigger and role (what
    // it was to be opened as: "расчет", "файл настроек").
    void refuseTriggers(const QString& role);
    const QString& path() const { return path_; }

    // Every statement is SQLite's own dialect: 'text' is a literal, "name" and
    // [name] are names.
    // Executes one statement (CREATE, DROP, INSERT, UPDATE, DELETE).
    void exec(const QString& sql);
    // Number of rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;

    // A SELECT opened as a read-only cursor.
    std::unique_ptr<Table> query(const QString& sql);

    // A prepared statement (for the core's bulk work).
    std::unique_ptr<Statement> prepare(const QString& sql);

    // Transactions; nested begin/commit pairs count, the outermost one commits.
    // A rollback at any level undoes the whole transaction: the work done so far
    // is rolled back at once, later statements of the enclosing levels stay in a
    // transaction that can only be rolled back, and the outermost commit then
    // throws DatabaseError instead of reporting success. A COMMIT the engine
    // refuses is rolled back and thrown; either way no transaction stays open.
    // Code holds a Transaction guard rather than calling these by hand.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return txDepth_ > 0; }

    // Column names and declared types of a table, in table order; empty when the
    // table does not exist.
    struct ColumnInfo {
        QString name;
        QString declType;
        bool primaryKey = false;
    };
    std::vector<ColumnInfo> columns(const QString& table);
    bool hasTable(const QString& table);

    // Creates an empty database file; the file must not exist yet.
    static void create(const QString& path);
    // Writes a complete compacted copy of source to destination; source is left
    // untouched and must not be open elsewhere; destination must not exist.
    static void compact(const QString& source, const QString& destination);

    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
    QString path_;
    int txDepth_ = 0;
    bool txRolledBack_ = false;  // an inner level rolled back: the whole is undone
};

// Prepared statements by their text, for work that runs the same few many times.
class StatementCache {
public:
    explicit StatementCache(Database& db) : db_(db) {}
    Statement& get(const QString& sql) {
        auto it = cache_.find(sql);
        if (it == cache_.end()) it = cache_.emplace(sql, db_.prepare(sql)).first;
        return *it->second;
    }

private:
    Database& db_;
    std::unordered_map<QString, std::unique_ptr<Statement>> cache_;
};

// A transaction held for a scope: begun on construction, rolled back on leaving
// the scope unless commit() was reached.
class Transaction {
public:
    explicit Transaction(Database& db) : db_(db) { db_.begin(); }
    ~Transaction() {
        if (done_) return;
        try {
            db_.rollback();
        } catch (...) {
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        done_ = true;
        db_.commit();
    }

private:
    Database& db_;
    bool done_ = false;
};

}  // namespace volm
