// Editing the cursor's rows: values set, a row edited, inserted, posted,
// cancelled or removed, each with its record events.
#include "store/table.h"

#include "store/database.h"
#include "store/errors.h"
#include "store/sql_names.h"

#include <QStringList>
#include <algorithm>
#include <sqlite3.h>

namespace volm {

namespace {

// The refusal of a key already in the table, naming the values the row was to
// store under it.
[[noreturn]] void refuseDuplicate(const DuplicateKeyError& e, const std::vector<Field>& fields,
                                  const std::vector<QVariant>& values) {
    QStringList named;
    for (const QString& c : e.columns()) {
        QString value = QStringLiteral("(пусто)");
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(c, Qt::CaseInsensitive) == 0 && !values[i].isNull())
                value = fields[i].kind == FieldKind::Bool ? (values[i].toBool() ? QStringLiteral("Да") : QStringLiteral("Нет"))
                                                          : values[i].toString();
        named << c + QStringLiteral(" = ") + value;
    }
    throw DuplicateKeyError(QStringLiteral("Запись не сохранена: в таблице \"%1\" уже есть запись со %2 %3.")
                                .arg(e.table(), named.size() > 1 ? QStringLiteral("значениями") : QStringLiteral("значением"),
                                     named.join(QStringLiteral(", "))),
                            e.table(), e.columns());
}

// Stores a row; a key already in the table is refused naming the row's values.
void runRow(Statement& st, const std::vector<Field>& fields, const std::vector<QVariant>& values) {
    try {
        st.run();
    } catch (const DuplicateKeyError& e) {
        refuseDuplicate(e, fields, values);
    }
}

}  // namespace

void Table::setValue(const QString& name, const QVariant& v) {
    int i = fieldIndex(name);
    if (i < 0) throw DatabaseError(QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(name, table_));
    setValue(i, v);
}

void Table::setValue(int field, const QVariant& v) {
    checkWritable();
    if (field < 0 || field >= fieldCount()) throw DatabaseError(QStringLiteral("Неверный номер поля."));
    if (!editing()) edit();
    QVariant c = convert(fields_[field], v);
    Row& r = rows()[cur_];
    QVariant& slot = r.values[field];
    if (slot.isNull() != c.isNull() || slot != c) {
        slot = c;
        const bool wasModified = modified_;
        modified_ = true;
        const int row = cur_;
        notify([row](TableObserver* o) { o->rowChanged(row); });
        if (!wasModified) notify([](TableObserver* o) { o->stateChanged(); });
    }
}

void Table::edit() {
    rows();
    checkWritable();
    if (editing()) return;
    if (cur_ < 0) {
        append();
        return;
    }
    saved_ = rows()[cur_];
    state_ = State::Edit;
    modified_ = false;
    notify([](TableObserver* o) { o->stateChanged(); });
}

void Table::startInsert(int position) {
    checkWritable();
    checkBrowse();
    if (beforeInsert) beforeInsert(*this);
    Row r;
    r.values.resize(fields_.size());
    notify([position](TableObserver* o) { o->rowAboutToBeInserted(position); });
    rows().insert(rows().begin() + position, std::move(r));
    insertPos_ = position;
    state_ = State::Insert;
    modified_ = false;
    cur_ = position;
    bof_ = eof_ = false;
    notify([position](TableObserver* o) { o->rowInserted(position); });
    notify([position](TableObserver* o) { o->currentChanged(position); });
    notify([](TableObserver* o) { o->stateChanged(); });
    if (!afterInsert) return;
    afterInsert(*this);
    // What the event filled in (a key, defaults) is no change of the person's:
    // a new row left untouched is cancelled, not stored.
    if (state_ == State::Insert && modified_) {
        modified_ = false;
        notify([](TableObserver* o) { o->stateChanged(); });
    }
}

// The row being edited or inserted is left (stored or cancelled) before the new
// row's place is chosen: storing may put it elsewhere in the order.
void Table::insert() {
    checkWritable();
    checkBrowse();
    startInsert(cur_ < 0 ? 0 : cur_);
}

void Table::append() {
    checkWritable();
    checkBrowse();
    startInsert(rowCount());
}

void Table::post() {
    checkWritable();
    if (!editing()) return;
    if (beforePost) beforePost(*this);
    if (!editing()) return;  // the handler stored or cancelled the row itself
    Row& r = rows()[cur_];
    sqlite3* db = db_.handle();
    bool reorder = false;  // the row may now belong elsewhere in the sort order
    if (state_ == State::Insert) {
        reorder = true;  // the new row leaves the place where it was started
        QStringList names, marks;
        std::vector<int> idx;
        for (int i = 0; i < fieldCount(); ++i) {
            if (r.values[i].isNull()) continue;
            names << quoteIdentifier(fields_[i].name);
            marks << QStringLiteral("?%1").arg(idx.size() + 1);
            idx.push_back(i);
        }
        QString sql = names.isEmpty()
                          ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table_))
                          : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(quoteIdentifier(table_), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        Statement st(db, sql);
        for (size_t k = 0; k < idx.size(); ++k) st.bind(int(k + 1), r.values[idx[k]]);
        runRow(st, fields_, r.values);
        r.rowid = sqlite3_last_insert_rowid(db);
        const int row = cur_;
        notify([row](TableObserver* o) { o->rowChanged(row); });  // the row has its key now
    } else {
        QStringList sets;
        std::vector<int> idx;
        for (int i = 0; i < fieldCount(); ++i) {
            const QVariant& a = r.values[i];
            const QVariant& b = saved_.values[i];
            if (a.isNull() == b.isNull() && a == b) continue;
            sets << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(fields_[i].name)).arg(idx.size() + 1);
            idx.push_back(i);
            reorder = reorder || sortNames(sort_, fields_[i].name);
        }
        if (!idx.empty()) {
            Statement st(db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                 .arg(quoteIdentifier(table_), sets.join(QStringLiteral(", ")))
                                 .arg(idx.size() + 1));
            for (size_t k = 0; k < idx.size(); ++k) st.bind(int(k + 1), r.values[idx[k]]);
            st.bind(int(idx.size() + 1), r.rowid);
            runRow(st, fields_, r.values);
        }
    }
    const bool inserted = state_ == State::Insert;
    const qint64 key = r.rowid;
    state_ = State::Browse;
    modified_ = false;
    insertPos_ = -1;
    // Shown in the chosen order at once, the stored row still current; a row
    // read before shows what the file holds now (another writer's values too).
    if (inserted) reorderRows(key);
    else refreshRow(key, reorder);
    notify([](TableObserver* o) { o->stateChanged(); });
}

void Table::cancel() {
    if (!editing()) return;
    if (state_ == State::Insert) {
        const int pos = insertPos_;
        notify([pos](TableObserver* o) { o->rowAboutToBeRemoved(pos); });
        rows().erase(rows().begin() + pos);
        state_ = State::Browse;
        modified_ = false;
        insertPos_ = -1;
        notify([pos](TableObserver* o) { o->rowRemoved(pos); });
        int c = std::min(pos, rowCount() - 1);
        cur_ = -2;  // force the current-row notice
        setCurrent(c);
        bof_ = eof_ = rows().empty();
    } else {
        rows()[cur_] = saved_;
        state_ = State::Browse;
        modified_ = false;
        const int row = cur_;
        notify([row](TableObserver* o) { o->rowChanged(row); });
    }
    notify([](TableObserver* o) { o->stateChanged(); });
}

void Table::requery() {
    if (!isOpen()) {
        open();
        return;
    }
    checkBrowse();
    rowsChanged();
    notify([](TableObserver* o) { o->tableReset(); });
}

void Table::remove() {
    rows();
    checkWritable();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (editing()) cancel();
    if (cur_ < 0) throw DatabaseError(QStringLiteral("Нет записи для удаления."));
    if (beforeDelete) beforeDelete(*this);
    Statement st(db_.handle(), QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoteIdentifier(table_)));
    st.bind(1, rows()[cur_].rowid);
    st.run();
    const int pos = cur_;
    notify([pos](TableObserver* o) { o->rowAboutToBeRemoved(pos); });
    rows().erase(rows().begin() + pos);
    notify([pos](TableObserver* o) { o->rowRemoved(pos); });
    cur_ = -2;
    setCurrent(std::min(pos, rowCount() - 1));
    bof_ = eof_ = rows().empty();
    if (!rows().empty() && pos >= rowCount()) eof_ = true;
}

}  // namespace volm
