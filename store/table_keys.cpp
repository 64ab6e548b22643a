// The rows of a cursor read again and put in order by their keys: a stored row
// re-read alone, the order taken from the file's keys without reading the
// other rows' values.
#include "store/table.h"

#include "store/database.h"
#include "store/result_reader.h"
#include "store/sql_names.h"

#include <QHash>
#include <algorithm>
#include <sqlite3.h>

namespace volm {

std::vector<int> Table::changedFields() const {
    std::vector<int> out;
    const Row* r = currentRowData();
    if (!r || !editing()) return out;
    for (int i = 0; i < fieldCount(); ++i) {
        if (state_ == State::Insert) {
            if (!r->values[size_t(i)].isNull()) out.push_back(i);
            continue;
        }
        const QVariant& a = r->values[size_t(i)];
        const QVariant& b = saved_.values[size_t(i)];
        if (a.isNull() != b.isNull() || a != b) out.push_back(i);
    }
    return out;
}

void Table::reorderRows(qint64 keep) {
    std::vector<qint64> keys;
    {
        Statement st(connection(), QStringLiteral("SELECT rowid FROM %1 ORDER BY %2")
                                       .arg(quoteIdentifier(table_), sortTerms(sort_, fields_)));
        while (st.step()) keys.push_back(sqlite3_column_int64(st.handle(), 0));
    }
    // The rows keep their values and go where their keys now stand; rows the
    // cursor does not hold, or holds no more, are read afresh.
    std::vector<int> from;
    from.reserve(keys.size());
    if (keys.size() == rows_.size()) {
        QHash<qint64, int> at;
        at.reserve(int(rows_.size()));
        for (int i = 0; i < int(rows_.size()); ++i) at.insert(rows_[size_t(i)].rowid, i);
        for (qint64 k : keys) {
            const auto it = at.constFind(k);
            if (it == at.constEnd()) break;
            from.push_back(*it);
        }
    }
    bool inPlace = from.size() == keys.size() && keys.size() == rows_.size();
    for (size_t i = 0; inPlace && i < from.size(); ++i) inPlace = from[i] == int(i);
    if (inPlace) {
        // Nothing moved (a row added at the end of the order, a value that kept its place).
        for (int i = 0; i < int(rows_.size()); ++i)
            if (rows_[size_t(i)].rowid == keep) {
                notify([i](TableObserver* o) { o->rowChanged(i); });
                setCurrent(i);
            }
        return;
    }
    if (from.size() == keys.size() && keys.size() == rows_.size()) {
        std::vector<Row> ordered;
        ordered.reserve(rows_.size());
        for (int i : from) ordered.push_back(std::move(rows_[size_t(i)]));
        rows_ = std::move(ordered);
    } else {
        readRows();
    }
    cur_ = rows_.empty() ? -1 : 0;
    for (int i = 0; i < int(rows_.size()); ++i)
        if (rows_[size_t(i)].rowid == keep) cur_ = i;
    bof_ = eof_ = rows_.empty();
    notify([](TableObserver* o) { o->tableReset(); });
}

void Table::acceptStored(const std::vector<int>& storedFields) {
    checkWritable();
    if (!editing()) return;
    Row& r = rows()[size_t(cur_)];
    const QVariant idValue = r.values.empty() ? QVariant() : r.values[0];
    const bool inserted = state_ == State::Insert;
    if (inserted && r.rowid == 0 && !idValue.isNull()) r.rowid = idValue.toLongLong();
    bool reorder = inserted;
    for (int f : storedFields) reorder = reorder || sortNames(sort_, fields_[size_t(f)].name);
    state_ = State::Browse;
    modified_ = false;
    insertPos_ = -1;
    refreshRow(r.rowid, reorder);
    notify([](TableObserver* o) { o->stateChanged(); });
}

bool Table::refreshRow(qint64 rowid, bool reorder) {
    int row = -1;
    for (int i = 0; i < rowCount(); ++i)
        if (rows_[size_t(i)].rowid == rowid) row = i;
    std::vector<Row> read;
    {
        Statement st(connection(), selectSql(QStringLiteral("WHERE rowid = ?1")));
        st.bind(1, rowid);
        std::vector<FieldKind> kinds;
        for (const Field& f : fields_) kinds.push_back(f.kind);
        readResultRows(st, 1, false, kinds, [&read](qint64 key, std::vector<QVariant>&& values) {
            read.push_back(Row{key, std::move(values)});
        });
    }
    if (read.empty()) {
        // Gone from the file: gone from the cursor.
        if (row >= 0) {
            notify([row](TableObserver* o) { o->rowAboutToBeRemoved(row); });
            rows_.erase(rows_.begin() + row);
            notify([row](TableObserver* o) { o->rowRemoved(row); });
            cur_ = -2;
            setCurrent(std::min(row, rowCount() - 1));
            bof_ = eof_ = rows_.empty();
        }
        return false;
    }
    if (row < 0) {
        reorderRows(rowid);
        return true;
    }
    rows_[size_t(row)] = std::move(read.front());
    if (reorder && !sort_.isEmpty()) {
        reorderRows(rowid);
        return true;
    }
    notify([row](TableObserver* o) { o->rowChanged(row); });
    if (cur_ != row) setCurrent(row);
    return true;
}

}  // namespace volm
