// Recording the rows written on the calculation's connection through the
// engine's pre-update, commit and rollback hooks.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "store/change_record.h"

#include "store/database.h"

#include <QHash>
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
    // Rows were counted table by table; map them back to the writing order.
    std::vector<size_t> first(s.tables.size());
    for (size_t t = 1; t < s.tables.size(); ++t) first[t] = first[t - 1] + s.tables[t - 1].rows.size();
    std::vector<std::pair<int, int>> order;
    for (const auto& p : s.order)
        if (keep[first[size_t(p.first)] + size_t(p.second)]) order.push_back(p);
    s.order = std::move(order);
}

}  // namespace

int ChangeSet::rowsOf(const QString& table) const {
    int n = 0;
    for (const TableChanges& t : tables)
        if (t.table.compare(table, Qt::CaseInsensitive) == 0) n += int(t.rows.size());
    return n;
}

size_t ChangeSet::bytes() const {
    size_t n = sizeof(ChangeSet) + order.size() * sizeof(order[0]);
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
    if (lastTable_ >= 0 && size_t(lastTable_) < open_.tables.size() && lastName_ == name &&
        open_.tables[size_t(lastTable_)].columnCount == columnCount)
        return open_.tables[size_t(lastTable_)];
    const QString n = QString::fromUtf8(name);
    lastName_ = name;
    for (size_t i = 0; i < open_.tables.size(); ++i)
        if (open_.tables[i].columnCount == columnCount && open_.tables[i].table == n) {
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
        open_.tables[size_t(open_.order.back().first)].rows.pop_back();
        open_.order.pop_back();
    }
}

std::vector<ChangeSet> ChangeRecorder::takeSteps(bool* structureChanged) {
    if (structureChanged) *structureChanged = false;
    std::vector<ChangeSet> out;
    if (done_.empty()) return out;
    if (!db_ || !attachedTo(*db_)) {
        done_.clear();
        if (structureChanged) *structureChanged = true;
        return out;
    }
    QHash<QString, QStringList> names;
    for (ChangeSet& s : done_) {
        for (TableChanges& t : s.tables) {
            auto it = names.find(t.table);
            if (it == names.end()) {
                QStringList n;
                for (const Database::ColumnInfo& c : db_->columns(t.table)) n << c.name;
                it = names.insert(t.table, n);
            }
            if (it->size() != t.columnCount) {
                done_.clear();
                if (structureChanged) *structureChanged = true;
                return {};
            }
            t.columnNames = *it;
        }
        dropDoneFlag(s);
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
