// Recording the rows written on the calculation's connection through the
// engine's pre-update, commit and rollback hooks.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "store/change_record.h"

#include "store/database.h"
#include "store/sql_names.h"

#include <QHash>
#include <atomic>
#include <cstring>
#include <sqlite3.h>

namespace volm {

namespace {

const QString kDoneFlag = QStringLiteral("РасчетВыполнен");

void preUpdate(void* ctx, sqlite3*, int op, const char* db, const char* table, sqlite3_int64 key1,
               sqlite3_int64 key2) {
    if (std::strcmp(db, "main") != 0) return;
    static_cast<ChangeRecorder*>(ctx)->rowWritten(op, table, key1, key2);
}

int onCommit(void* ctx) {
    static_cast<ChangeRecorder*>(ctx)->committed();
    return 0;
}

void onRollback(void* ctx) { static_cast<ChangeRecorder*>(ctx)->rolledBack(); }

QVariant valueOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_value_int64(v)));
    case SQLITE_FLOAT: return QVariant(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v)));
    default: return QVariant();
    }
}

bool sameValue(sqlite3_value* a, sqlite3_value* b) {
    const int t = sqlite3_value_type(a);
    if (t != sqlite3_value_type(b)) return false;
    switch (t) {
    case SQLITE_NULL: return true;
    case SQLITE_INTEGER: return sqlite3_value_int64(a) == sqlite3_value_int64(b);
    case SQLITE_FLOAT: return sqlite3_value_double(a) == sqlite3_value_double(b);
    default: {
        const int n = sqlite3_value_bytes(a);
        if (n != sqlite3_value_bytes(b)) return false;
        const void* pa = t == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(a)) : sqlite3_value_blob(a);
        const void* pb = t == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(b)) : sqlite3_value_blob(b);
        return n == 0 || std::memcmp(pa, pb, size_t(n)) == 0;
    }
    }
}

// The text of a step nobody named, from what it changed.
QString describe(const ChangeSet& s) {
    int inserted = 0, deleted = 0, updated = 0;
    for (const auto& [t, r] : s.order) {
        if (t < 0) continue;
        switch (s.tables[size_t(t)].rows[size_t(r)].kind) {
        case RowChange::Kind::Insert: ++inserted; break;
        case RowChange::Kind::Delete: ++deleted; break;
        case RowChange::Kind::Update: ++updated; break;
        }
    }
    if (inserted > 0 && deleted == 0) return QStringLiteral("новая запись");
    if (deleted > 0 && inserted == 0 && updated == 0) return QStringLiteral("удаление записи");
    return QStringLiteral("ввод значения");
}

// Keeps in the writing order only the rows marked (counted table by table);
// the rebuilt tables stay.
void keepInOrder(ChangeSet& s, const std::vector<char>& keep) {
    std::vector<size_t> first(s.tables.size());
    for (size_t t = 1; t < s.tables.size(); ++t) first[t] = first[t - 1] + s.tables[t - 1].rows.size();
    std::vector<std::pair<int, int>> order;
    for (const auto& p : s.order)
        if (p.first < 0 || keep[first[size_t(p.first)] + size_t(p.second)]) order.push_back(p);
    s.order = std::move(order);
}

// Drops the calculation-done flag from the step's rows, and rows left with nothing.
void dropDoneFlag(ChangeSet& s) {
    std::vector<char> keep;
    for (TableChanges& t : s.tables) {
        const int flag = int(t.columnNames.indexOf(kDoneFlag));
        for (RowChange& r : t.rows) {
            bool left = true;
            if (flag >= 0 && r.kind == RowChange::Kind::Update) {
                for (size_t i = 0; i < r.fields.size(); ++i) {
                    if (r.fields[i] != flag) continue;
                    r.fields.erase(r.fields.begin() + long(i));
                    r.before.erase(r.before.begin() + long(i));
                    r.after.erase(r.after.begin() + long(i));
                    break;
                }
                left = !r.fields.empty() || r.keyBefore != r.keyAfter;
            }
            keep.push_back(left);
        }
    }
    keepInOrder(s, keep);
}

bool sameValues(const std::vector<QVariant>& a, const std::vector<QVariant>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].typeId() != b[i].typeId() || a[i] != b[i]) return false;
    return true;
}

// A row deleted and put back as it was under the same key is no change: a
// table written anew with the rows it had (the priorities the formula check
// writes) leaves nothing to take back.
void dropRewrittenRows(ChangeSet& s) {
    std::vector<char> keep;
    for (const TableChanges& t : s.tables) {
        const size_t base = keep.size();
        keep.resize(base + t.rows.size(), 1);
        QHash<qint64, size_t> deleted;  // key: its deletion, not yet put back
        for (size_t i = 0; i < t.rows.size(); ++i) {
            const RowChange& r = t.rows[i];
            if (r.kind == RowChange::Kind::Delete) {
                deleted.insert(r.keyBefore, i);
                continue;
            }
            const auto it = deleted.find(r.keyAfter);
            if (it == deleted.end()) continue;
            const RowChange& gone = t.rows[*it];
            if (r.kind == RowChange::Kind::Insert && gone.fields == r.fields && sameValues(gone.before, r.after))
                keep[base + *it] = keep[base + i] = 0;
            deleted.erase(it);
        }
    }
    keepInOrder(s, keep);
}

// The statements that make a table of the file and its indexes, the table's
// first; empty when there is no such table.
QStringList definitionOf(Database& db, const QString& table) {
    QStringList out;
    auto st = db.prepare(QStringLiteral("SELECT sql FROM main.sqlite_master WHERE tbl_name = ?1 COLLATE NOCASE AND "
                                        "sql IS NOT NULL ORDER BY type <> 'table', rowid"));
    st->bind(1, table);
    while (st->step()) out << st->column(0).toString();
    return out;
}

// A copy of the table's rows in a new temporary table, the key first.
std::shared_ptr<const KeptRows> keepRows(Database& db, const QString& table) {
    static std::atomic<int> counter{0};
    auto kept = std::make_shared<const KeptRows>(db, QStringLiteral("kept_rows_%1").arg(++counter));
    db.exec(QStringLiteral("CREATE TEMP TABLE %1 AS SELECT rowid AS kept_key, * FROM main.%2")
                .arg(quoteIdentifier(kept->name()), quoteIdentifier(table)));
    return kept;
}

// An estimate of the bytes a table's rows take.
size_t bytesOf(Database& db, const QString& table) {
    auto st = db.prepare(QStringLiteral("SELECT count(*) FROM temp.%1").arg(quoteIdentifier(table)));
    const qint64 rows = st->step() ? st->column(0).toLongLong() : 0;
    return size_t(rows) * db.columns(table).size() * 16;
}

}  // namespace

KeptRows::KeptRows(Database& db, QString name) : db_(db), handle_(db.handle()), name_(std::move(name)) {}

KeptRows::~KeptRows() {
    if (!db_.isOpen() || db_.handle() != handle_) return;
    try {
        db_.exec(QStringLiteral("DROP TABLE IF EXISTS temp.") + quoteIdentifier(name_));
    } catch (...) {
        // Left to vanish with the connection.
    }
}

int ChangeSet::rowsOf(const QString& table) const {
    int n = 0;
    for (const TableChanges& t : tables)
        if (t.table.compare(table, Qt::CaseInsensitive) == 0) n += int(t.rows.size());
    return n;
}

size_t ChangeSet::bytes() const {
    size_t n = sizeof(ChangeSet) + order.size() * sizeof(order[0]);
    for (const TableImage& i : images) n += sizeof(TableImage) + i.bytes;
    for (const TableChanges& t : tables)
        for (const RowChange& r : t.rows) {
            n += sizeof(RowChange) + r.fields.size() * sizeof(int) + (r.before.size() + r.after.size()) * sizeof(QVariant);
            for (const auto* values : {&r.before, &r.after})
                for (const QVariant& v : *values)
                    if (v.typeId() == QMetaType::QString) n += size_t(v.toString().size()) * 2 + 32;
        }
    return n;
}

ChangeRecorder::~ChangeRecorder() { detach(); }

void ChangeRecorder::attach(Database& db) {
    detach();
    if (!db.isOpen()) return;
    db_ = &db;
    handle_ = db.handle();
    sqlite3_preupdate_hook(handle_, preUpdate, this);
    sqlite3_commit_hook(handle_, onCommit, this);
    sqlite3_rollback_hook(handle_, onRollback, this);
}

void ChangeRecorder::detach() {
    if (db_ && db_->isOpen() && db_->handle() == handle_) {
        sqlite3_preupdate_hook(handle_, nullptr, nullptr);
        sqlite3_commit_hook(handle_, nullptr, nullptr);
        sqlite3_rollback_hook(handle_, nullptr, nullptr);
    }
    db_ = nullptr;
    handle_ = nullptr;
    depth_ = 0;
    forget_ = false;
    rebuilding_.clear();
    rebuildDepth_ = 0;
    stepsLost_ = false;
    resetOpen();
    done_.clear();
}

bool ChangeRecorder::attachedTo(const Database& db) const {
    return db_ == &db && db.isOpen() && db.handle() == handle_;
}

void ChangeRecorder::beginStep(const QString& text) {
    if (depth_++ == 0) {
        // What was written outside a step and never committed is no step.
        resetOpen();
        stepText_ = text;
    }
}

void ChangeRecorder::endStep() {
    if (depth_ == 0) return;
    if (--depth_ == 0) completeStep(stepText_);
}

void ChangeRecorder::splitStep(const QString& text) {
    if (depth_ == 0) return;
    completeStep(stepText_);
    stepText_ = text;
}

void ChangeRecorder::forgetStep() {
    forget_ = depth_ > 0;
    resetOpen();
}

void ChangeRecorder::resetOpen() {
    open_ = ChangeSet();
    committedRows_ = 0;
    lastTable_ = -1;
}

void ChangeRecorder::completeStep(const QString& text) {
    if (forget_) {
        forget_ = false;
    } else if (!open_.empty()) {
        open_.text = text.isEmpty() ? describe(open_) : text;
        done_.push_back(std::move(open_));
        if (stepReady) stepReady();
    }
    resetOpen();
}

TableChanges& ChangeRecorder::tableFor(const char* name, int columnCount) {
    // Rows written before a rebuild (their columns named then) belong to the
    // table as it was.
    if (lastTable_ >= 0 && size_t(lastTable_) < open_.tables.size() && lastName_ == name &&
        open_.tables[size_t(lastTable_)].columnCount == columnCount)
        return open_.tables[size_t(lastTable_)];
    const QString n = QString::fromUtf8(name);
    lastName_ = name;
    for (size_t i = 0; i < open_.tables.size(); ++i)
        if (open_.tables[i].columnCount == columnCount && open_.tables[i].table == n &&
            open_.tables[i].columnNames.isEmpty()) {
            lastTable_ = int(i);
            return open_.tables[i];
        }
    open_.tables.push_back(TableChanges{n, columnCount, {}, {}});
    lastTable_ = int(open_.tables.size()) - 1;
    return open_.tables.back();
}

void ChangeRecorder::keepWhilePaused(const QString& table, int column) {
    keptTable_ = table.toUtf8();
    keptColumn_ = table.isEmpty() ? -1 : column;
}

void ChangeRecorder::rowWritten(int op, const char* table, qint64 keyBefore, qint64 keyAfter) {
    const bool keptOnly = paused_ > 0;
    if (keptOnly && (keptColumn_ < 0 || op != SQLITE_UPDATE || keyBefore != keyAfter || keptTable_ != table)) return;
    const int n = sqlite3_preupdate_count(handle_);
    RowChange r;
    sqlite3_value* a = nullptr;
    sqlite3_value* b = nullptr;
    if (op == SQLITE_INSERT || op == SQLITE_DELETE) {
        // The whole row: as it became, or as it was.
        const bool inserted = op == SQLITE_INSERT;
        r.kind = inserted ? RowChange::Kind::Insert : RowChange::Kind::Delete;
        (inserted ? r.keyAfter : r.keyBefore) = inserted ? keyAfter : keyBefore;
        std::vector<QVariant>& values = inserted ? r.after : r.before;
        for (int i = 0; i < n; ++i) {
            if (inserted) sqlite3_preupdate_new(handle_, i, &b);
            else sqlite3_preupdate_old(handle_, i, &b);
            r.fields.push_back(i);
            values.push_back(valueOf(b));
        }
    } else {
        r.keyBefore = keyBefore;
        r.keyAfter = keyAfter;
        for (int i = 0; i < n; ++i) {
            if (keptOnly && i != keptColumn_) continue;
            sqlite3_preupdate_old(handle_, i, &a);
            sqlite3_preupdate_new(handle_, i, &b);
            if (sameValue(a, b)) continue;
            r.fields.push_back(i);
            r.before.push_back(valueOf(a));
            r.after.push_back(valueOf(b));
        }
        if (r.fields.empty() && keyBefore == keyAfter) return;
    }
    TableChanges& t = tableFor(table, n);
    const int tableIndex = int(&t - open_.tables.data());
    t.rows.push_back(std::move(r));
    open_.order.emplace_back(tableIndex, int(t.rows.size()) - 1);
}

void ChangeRecorder::committed() {
    committedRows_ = open_.order.size();
    if (depth_ == 0) completeStep(QString());
}

void ChangeRecorder::rolledBack() {
    while (open_.order.size() > committedRows_) {
        const int t = open_.order.back().first;
        if (t < 0) open_.images.pop_back();
        else open_.tables[size_t(t)].rows.pop_back();
        open_.order.pop_back();
    }
}

void ChangeRecorder::beginRebuild(const QStringList& tables) {
    ++paused_;
    if (rebuildDepth_++ > 0 || depth_ == 0 || !db_ || !attachedTo(*db_)) return;
    // The steps' rows are named while their tables still have the columns
    // they were written in; the rows written from now on go to new entries.
    try {
        nameColumns(done_);
        std::deque<ChangeSet> open(1);
        open[0] = std::move(open_);
        nameColumns(open);
        open_ = std::move(open[0]);
        lastTable_ = -1;
        for (const QString& t : tables) {
            QStringList schema = definitionOf(*db_, t);
            rebuilding_.push_back({t, schema, schema.isEmpty() ? nullptr : keepRows(*db_, t)});
        }
    } catch (const std::exception&) {
        loseSteps();
    }
}

void ChangeRecorder::loseSteps() {
    rebuilding_.clear();
    forgetStep();
    stepsLost_ = true;
}

void ChangeRecorder::endRebuild() {
    --paused_;
    if (--rebuildDepth_ > 0) return;
    std::vector<Kept> kept = std::move(rebuilding_);
    rebuilding_.clear();
    if (!db_ || !attachedTo(*db_)) return;
    try {
        for (Kept& k : kept) {
            QStringList schema = definitionOf(*db_, k.table);
            if (schema == k.schema) continue;
            TableImage image{k.table, std::move(k.schema), std::move(schema), std::move(k.rows), nullptr, 0};
            if (!image.schemaAfter.isEmpty()) image.rowsAfter = keepRows(*db_, k.table);
            for (const auto* rows : {&image.rowsBefore, &image.rowsAfter})
                if (*rows) image.bytes += bytesOf(*db_, (*rows)->name());
            open_.images.push_back(std::move(image));
            open_.order.emplace_back(-1 - int(open_.images.size() - 1), 0);
        }
    } catch (const std::exception&) {
        loseSteps();
    }
    if (!db_->inTransaction()) committedRows_ = open_.order.size();
}

bool ChangeRecorder::nameColumns(std::deque<ChangeSet>& steps) {
    QHash<QString, QStringList> names;
    for (ChangeSet& s : steps)
        for (TableChanges& t : s.tables) {
            if (t.columnNames.isEmpty()) {
                auto it = names.find(t.table);
                if (it == names.end()) {
                    QStringList n;
                    for (const Database::ColumnInfo& c : db_->columns(t.table)) n << c.name;
                    it = names.insert(t.table, n);
                }
                t.columnNames = *it;
            }
            if (t.columnNames.size() != t.columnCount) return false;
        }
    return true;
}

std::vector<ChangeSet> ChangeRecorder::takeSteps(bool* structureChanged) {
    if (structureChanged) *structureChanged = false;
    std::vector<ChangeSet> out;
    if (stepsLost_) {
        stepsLost_ = false;
        done_.clear();
        if (structureChanged) *structureChanged = true;
        return out;
    }
    if (done_.empty()) return out;
    if (!db_ || !attachedTo(*db_)) {
        done_.clear();
        if (structureChanged) *structureChanged = true;
        return out;
    }
    if (!nameColumns(done_)) {
        done_.clear();
        if (structureChanged) *structureChanged = true;
        return {};
    }
    for (ChangeSet& s : done_) {
        dropDoneFlag(s);
        dropRewrittenRows(s);
        if (!s.empty()) out.push_back(std::move(s));
    }
    done_.clear();
    return out;
}

QString schemaText(Database& db) {
    QString out;
    auto st = db.prepare(QStringLiteral("SELECT name, sql FROM sqlite_master ORDER BY name"));
    while (st->step()) out += st->column(0).toString() + QLatin1Char('\n') + st->column(1).toString() + QLatin1Char('\n');
    return out;
}

QString countText(qint64 n, const QString& one, const QString& few, const QString& many) {
    const qint64 tens = n % 100, units = n % 10;
    const QString& noun = (tens >= 11 && tens <= 14) ? many : units == 1 ? one : (units >= 2 && units <= 4) ? few : many;
    return QStringLiteral("%1 %2").arg(n).arg(noun);
}

}  // namespace volm
