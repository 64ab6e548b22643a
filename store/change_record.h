#pragma once
// The record of what the person's commands changed in the calculation file, so
// that a change can be taken back and made again. The recorder watches every
// row written on the connection (inserted, updated, deleted) and keeps, by table
// and key, the values before and after: of an updated row only the fields that
// changed, of an inserted or deleted row all of them. A table rebuilt with other
// columns inside a step is kept whole instead, before and after the rebuild, in
// temporary tables of the connection. What it watches is cut
// into steps: a command names its step (beginStep/endStep, nested pairs count);
// outside a named step every committed transaction is a step of its own (a typed
// row stored when the grid leaves it). Changes rolled back are forgotten. A run
// holds a pause: its results are no step. The calculation-done flag is never
// part of a step: taking back or making again an input change clears it as any
// input change does.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;

namespace volm {

class App;
class Database;

// One row written: the key before and after (0 where there is none: an inserted
// row has no key before, a deleted one none after) and the fields named with
// their values before and after.
struct RowChange {
    enum class Kind { Insert, Update, Delete };
    Kind kind = Kind::Update;
    qint64 keyBefore = 0;
    qint64 keyAfter = 0;
    std::vector<int> fields;          // column positions in the table
    std::vector<QVariant> before;     // one per field; empty for an insertion
    std::vector<QVariant> after;      // one per field; empty for a deletion
};

// The rows one table of a step changed, in the order they were written.
struct TableChanges {
    QString table;
    int columnCount = 0;              // the table's width when the rows were written
    QStringList columnNames;          // filled when the step is complete
    std::vector<RowChange> rows;
};

// Temporary tables of the calculation's connection that hold the rows of rebuilt
// tables; dropped with the last step that names them (they vanish anyway when
// the connection closes).
class KeptRows {
public:
    KeptRows(Database& db, QString name);
    ~KeptRows();
    KeptRows(const KeptRows&) = delete;
    KeptRows& operator=(const KeptRows&) = delete;
    const QString& name() const { return name_; }

private:
    Database& db_;
    sqlite3* handle_;
    QString name_;
};

// A table rebuilt inside a step: the statements that make it and its indexes
// (the table's first) and its rows with their keys, before and after. No
// statements: the table was not there.
struct TableImage {
    QString table;
    QStringList schemaBefore, schemaAfter;
    std::shared_ptr<const KeptRows> rowsBefore, rowsAfter;
    size_t bytes = 0;  // an estimate of what the kept rows take
};

// One step: the text that names it ("вставка 12 участков") and its rows, in the
// order written. order holds, per row written, which table it belongs to; an
// entry (-1 - i, 0) stands for the rebuild of images[i].
struct ChangeSet {
    QString text;
    std::vector<TableChanges> tables;
    std::vector<TableImage> images;
    std::vector<std::pair<int, int>> order;  // (table index, row index) in writing order
    bool empty() const { return order.empty(); }
    bool rebuildsTables() const { return !images.empty(); }
    // Rows of this table the step changed.
    int rowsOf(const QString& table) const;
    // An estimate of the memory the step holds, in bytes, the rows kept of
    // rebuilt tables (in the connection's temporary file) counted too.
    size_t bytes() const;
};

class ChangeRecorder {
public:
    ChangeRecorder() = default;
    ~ChangeRecorder();
    ChangeRecorder(const ChangeRecorder&) = delete;
    ChangeRecorder& operator=(const ChangeRecorder&) = delete;

    // Watches db from now on (a step under way and the steps not yet taken are
    // dropped); detach stops watching. Reattaching to the same open file is
    // what a newly opened calculation needs.
    void attach(Database& db);
    void detach();
    bool attachedTo(const Database& db) const;

    // A named step: everything written until the matching endStep is one step.
    void beginStep(const QString& text);
    void endStep();
    // The step under way cannot be taken back: it is dropped when it ends,
    // together with what it recorded so far.
    void forgetStep();
    // Drops the completed steps not yet taken.
    void dropSteps() { done_.clear(); }
    bool inStep() const { return depth_ > 0; }
    // Ends the step under way here and goes on with a new one of this text, as
    // if the step had ended and begun again (nesting kept).
    void splitStep(const QString& text);

    // The tables named are about to be rebuilt, their columns perhaps changed.
    // Inside a step each one whose definition the rebuild changes becomes part
    // of the step whole, as it was and as it became; outside a step nothing is
    // kept. The rows the rebuild writes are recorded by nobody. When a table
    // cannot be kept (the disk full), the step is dropped and the next
    // takeSteps gives none, as after a rebuild outside a step.
    void beginRebuild(const QStringList& tables);
    void endRebuild();

    // While paused nothing is recorded (a run's results, a step taken back).
    void pause() { ++paused_; }
    void resume() { --paused_; }
    bool paused() const { return paused_ > 0; }
    // While paused, the updates of this one column of table are still recorded:
    // an input a command changes through a run (the diameters sizing chooses,
    // stored with the results). A negative column keeps none.
    void keepWhilePaused(const QString& table, int column);

    // The steps completed since the last call, oldest first, each with its
    // column names read. A table whose width changed since its rows were
    // written (the tables rebuilt outside a step) makes the steps unusable:
    // structureChanged is then set and no step is given.
    std::vector<ChangeSet> takeSteps(bool* structureChanged = nullptr);

    // Told (from inside a write, where nothing may touch the file) that a step
    // has completed; the listener takes it later with takeSteps.
    std::function<void()> stepReady;

    // The hooks of the engine (public for its callbacks only).
    void rowWritten(int op, const char* table, qint64 keyBefore, qint64 keyAfter);
    void committed();
    void rolledBack();

private:
    void completeStep(const QString& text);
    void resetOpen();
    TableChanges& tableFor(const char* name, int columnCount);
    // Reads the column names of the tables the steps wrote that have none yet;
    // false when a table's width is no longer the one its rows were written in.
    bool nameColumns(std::deque<ChangeSet>& steps);

    struct Kept {
        QString table;
        QStringList schema;
        std::shared_ptr<const KeptRows> rows;
    };
    std::vector<Kept> rebuilding_;   // the tables of the rebuild under way, as they were
    int rebuildDepth_ = 0;
    bool stepsLost_ = false;         // a rebuild could not be kept: the steps no longer meet the file
    void loseSteps();
    Database* db_ = nullptr;
    sqlite3* handle_ = nullptr;
    int depth_ = 0;
    int paused_ = 0;
    QString stepText_;
    ChangeSet open_;                 // the step being recorded
    size_t committedRows_ = 0;       // rows of open_ committed so far
    std::deque<ChangeSet> done_;
    QByteArray lastName_;            // the table last written, as the engine names it
    int lastTable_ = -1;             // its place in open_.tables
    bool forget_ = false;            // the step under way is dropped when it ends
    QByteArray keptTable_;           // recorded while paused: this table's column
    int keptColumn_ = -1;
};

// Holds a pause of the recorder for a scope.
class RecordingPause {
public:
    explicit RecordingPause(ChangeRecorder& r) : r_(r) { r_.pause(); }
    ~RecordingPause() { r_.resume(); }
    RecordingPause(const RecordingPause&) = delete;
    RecordingPause& operator=(const RecordingPause&) = delete;

private:
    ChangeRecorder& r_;
};

// Keeps a column recorded through a pause for a scope.
class KeptWhilePaused {
public:
    KeptWhilePaused(ChangeRecorder& r, const QString& table, int column) : r_(r) { r_.keepWhilePaused(table, column); }
    ~KeptWhilePaused() { r_.keepWhilePaused(QString(), -1); }
    KeptWhilePaused(const KeptWhilePaused&) = delete;
    KeptWhilePaused& operator=(const KeptWhilePaused&) = delete;

private:
    ChangeRecorder& r_;
};

// Holds the recorder's watch of a rebuild for a scope (see beginRebuild).
class RecordedRebuild {
public:
    RecordedRebuild(ChangeRecorder& r, const QStringList& tables) : r_(r) { r_.beginRebuild(tables); }
    ~RecordedRebuild() { r_.endRebuild(); }
    RecordedRebuild(const RecordedRebuild&) = delete;
    RecordedRebuild& operator=(const RecordedRebuild&) = delete;

private:
    ChangeRecorder& r_;
};

// Holds a named step for a scope.
class RecordedStep {
public:
    RecordedStep(ChangeRecorder& r, const QString& text) : r_(r) { r_.beginStep(text); }
    ~RecordedStep() { r_.endStep(); }
    RecordedStep(const RecordedStep&) = delete;
    RecordedStep& operator=(const RecordedStep&) = delete;

private:
    ChangeRecorder& r_;
};

// Takes a step back (undo) or makes it again (redo) in the calculation file of
// app: the rows written as they were before (after), keys included, in one
// transaction that the recorder does not see; a rebuilt table is made again as
// it was (became). The calculation-done flag is then cleared, and the cursors
// of the tables touched re-read with their current rows kept by key. After a
// step that rebuilt tables the formulas are checked and the tables shaped as
// on opening (the App's CatalogueCheck), as after a step that changed the
// indicators or the network type. False when that check shaped the tables
// anew (a session whose rebuild is in another step): the steps recorded no
// longer meet the tables they were written in. A failure of the step throws
// with the file as it was.
bool applyChangeSet(App& app, const ChangeSet& set, bool undo);

// The statements that make the tables of db, as the file keeps them: the same
// text before and after a rebuild when it changed no table.
QString schemaText(Database& db);

// The text of a count with its noun in the right form: "12 участков".
QString countText(qint64 n, const QString& one, const QString& few, const QString& many);

}  // namespace volm
