#include "store/cell_entry.h"

#include "store/app.h"
#include "store/command.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/records.h"
#include "store/sql_names.h"

#include <unordered_map>
#include <QStringList>
#include <algorithm>
#include <memory>

namespace volm {

namespace {

using Cells = std::vector<std::pair<int, QVariant>>;


// The order of the cursor as terms (field, descending), to know which row is the
// last one shown: the row a new section's start node is taken from.
struct SortTerm {
    int field = -1;
    bool descending = false;
};

std::vector<SortTerm> sortTerms(const Table& t) {
    std::vector<SortTerm> out;
    for (const QString& part : t.sort().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QStringList words = part.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        QString name = words.first();
        if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) name = name.mid(1, name.size() - 2);
        const int f = t.fieldIndex(name);
        if (f < 0) continue;
        out.push_back({f, words.size() > 1 && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0});
    }
    return out;
}

// -1, 0, 1 as the file orders two values of a column: Null first, then numbers
// by value, texts alphabetically.
int compareValues(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return int(!a.isNull()) - int(!b.isNull());
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.toString().compare(b.toString(), Qt::CaseInsensitive);
    const double x = a.toDouble(), y = b.toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
}

// The values of a row in the sort: a row that ties comes later in the file and
// is shown after.
bool comesAfterOrTies(const std::vector<SortTerm>& terms, const std::vector<QVariant>& row,
                      const std::vector<QVariant>& last) {
    for (const SortTerm& s : terms) {
        int c = compareValues(row[size_t(s.field)], last[size_t(s.field)]);
        if (s.descending) c = -c;
        if (c != 0) return c > 0;
    }
    return true;
}

// A section row as the store on post writes it: the given fields (never the
// key or the repeated-data mark), ten pairs a statement, keyed by id.
void updateSection(StatementCache& st, const Table& t, const std::vector<int>& fields, const std::vector<QVariant>& values,
                   int idField) {
    const QString head = QStringLiteral("UPDATE ") + quoteIdentifier(t.tableName()) + QStringLiteral(" SET ");
    for (size_t from = 0; from < fields.size(); from += 10) {
        const size_t to = std::min(fields.size(), from + 10);
        QStringList pairs;
        for (size_t k = from; k < to; ++k)
            pairs << quoteIdentifier(t.fields()[size_t(fields[k])].name) + QStringLiteral(" = ?") +
                         QString::number(k - from + 1);
        Statement& s = st.get(head + pairs.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") +
                              quoteIdentifier(QStringLiteral("id")) + QStringLiteral(" = ?") +
                              QString::number(to - from + 1));
        for (size_t k = from; k < to; ++k) s.bind(int(k - from + 1), values[size_t(fields[k])]);
        s.bind(int(to - from + 1), values[size_t(idField)]);
        s.run();
    }
}

// A new row as the cursor posts it: the fields that hold a value.
void insertRow(StatementCache& st, const Table& t, const std::vector<QVariant>& values) {
    QStringList names, marks;
    std::vector<int> idx;
    for (int f = 0; f < t.fieldCount(); ++f) {
        if (values[size_t(f)].isNull()) continue;
        names << quoteIdentifier(t.fields()[size_t(f)].name);
        marks << QStringLiteral("?") + QString::number(idx.size() + 1);
        idx.push_back(f);
    }
    Statement& s = st.get(QStringLiteral("INSERT INTO ") + quoteIdentifier(t.tableName()) + QStringLiteral(" (") +
                          names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                          marks.join(QStringLiteral(", ")) + QLatin1Char(')'));
    for (size_t k = 0; k < idx.size(); ++k) s.bind(int(k + 1), values[size_t(idx[k])]);
    s.run();
}

// The section table: existing rows by the statements of the store on post, new
// rows with the key and the start and end node a new row gets.
qint64 writeSections(Table& t, const std::vector<EnteredRow>& rows, const std::vector<Cells>& converted) {
    Database& db = t.database();
    StatementCache st(db);
    const int idField = t.fieldIndex(QStringLiteral("id"));
    const int startField = t.fieldIndex(QStringLiteral("НачУзел"));
    const int endField = t.fieldIndex(QStringLiteral("КонУзел"));
    const int markField = t.fieldIndex(QStringLiteral("Заполн_Уч"));
    if (idField < 0 || startField < 0 || endField < 0)
        throw DatabaseError(QStringLiteral("Таблица участков не содержит полей id, НачУзел и КонУзел."));

    qint64 first = 0;
    bool anyNew = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].row < 0) {
            anyNew = true;
            continue;
        }
        std::vector<QVariant> values(size_t(t.fieldCount()));
        for (int f = 0; f < t.fieldCount(); ++f) values[size_t(f)] = t.valueAt(rows[i].row, f);
        if (values[size_t(idField)].isNull())
            throw DatabaseError(QStringLiteral("Поле id участка не заполнено: участок не может быть сохранен."));
        // Only the cells of the block are written: a value another writer
        // stored in the row meanwhile stays.
        std::vector<int> written;
        for (const auto& [f, v] : converted[i]) {
            if (f == idField || f == markField) continue;  // a row keeps its key
            values[size_t(f)] = v;
            written.push_back(f);
        }
        if (!written.empty()) updateSection(st, t, written, values, idField);
        if (i == 0) first = values[size_t(idField)].toLongLong();
    }
    if (!anyNew) return first;

    // As a new row does: the start node is the end node of the last row shown,
    // the key the next free one; both read from the file as it is now.
    Table file(db, t.tableName());
    file.setSort(t.sort());
    file.open();
    const std::vector<SortTerm> terms = sortTerms(file);
    std::vector<QVariant> last;
    if (!file.isEmpty()) {
        const int r = file.rowCount() - 1;
        for (int f = 0; f < file.fieldCount(); ++f) last.push_back(file.valueAt(r, f));
    }
    std::vector<qint64> keys;
    keys.reserve(size_t(file.rowCount()) + rows.size());
    for (int r = 0; r < file.rowCount(); ++r) {
        const QVariant v = file.valueAt(r, idField);
        if (!v.isNull()) keys.push_back(v.toLongLong());
    }
    std::sort(keys.begin(), keys.end());
    file.close();

    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].row >= 0) continue;
        std::vector<QVariant> values(size_t(t.fieldCount()));
        qint64 a = 0;
        if (!last.empty() && !last[size_t(endField)].isNull()) a = last[size_t(endField)].toLongLong();
        values[size_t(startField)] = int(a);
        if (a < 32767) values[size_t(endField)] = int(a + 1);
        const qint64 key = nextSectionKey(keys);
        if (key == 0) throw DatabaseError(QStringLiteral("Невозможно сгенерировать значение ключевого поля."));
        keys.insert(std::upper_bound(keys.begin(), keys.end(), key), key);
        values[size_t(idField)] = key;
        for (const auto& [f, v] : converted[i])
            if (f != idField) values[size_t(f)] = v;  // the key is the generated one
        insertRow(st, t, values);
        if (last.empty() || comesAfterOrTies(terms, values, last)) last = values;
        if (i == 0) first = key;
    }
    return first;
}

// Any other table: row by row through the cursor and its own record events.
qint64 writeThroughCursor(Table& t, const std::vector<EnteredRow>& rows, const std::vector<Cells>& converted) {
    qint64 first = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].row < 0) t.append();
        else t.setCurrentRow(rows[i].row);
        for (const auto& [f, v] : converted[i]) t.setValue(f, v);
        t.post();
        if (i == 0) first = t.rowid();
    }
    return first;
}

}  // namespace

EntryOutcome enterCells(App& app, Table& t, const std::vector<EnteredRow>& rows) {
    EntryOutcome out;
    if (!t.isOpen()) return out;
    if (t.editing()) t.post();

    // Every cell is converted before anything is written.
    std::vector<Cells> converted(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].row >= t.rowCount()) throw DatabaseError(QStringLiteral("Нет такой строки таблицы."));
        for (const auto& [f, typed] : rows[i].cells) {
            try {
                converted[i].emplace_back(f, t.convertValue(f, typed));
            } catch (const Error& e) {
                out.fault = {int(i), f, typed, e.message()};
                return out;
            }
        }
        if (rows[i].row < 0) ++out.rowsAdded;
    }
    if (rows.empty()) {
        out.done = true;
        return out;
    }

    UstanovitRasVip(app, false);
    const bool sections = &t == app.dm.atTabl.get();
    // A few rows of the cursor written: only they are read again afterwards.
    std::vector<qint64> written;
    if (out.rowsAdded == 0 && rows.size() <= 64)
        for (const EnteredRow& r : rows) written.push_back(t.rowidAt(r.row));
    t.disableControls();
    Finally resume([&] { t.enableControls(); });
    qint64 land = 0;
    try {
        Transaction tx(t.database());
        land = sections ? writeSections(t, rows, converted) : writeThroughCursor(t, rows, converted);
        tx.commit();
    } catch (...) {
        if (t.editing()) t.cancel();
        t.requery();
        throw;
    }
    if (written.empty() || !sections) {
        t.requery();
    } else {
        for (size_t i = 0; i < written.size(); ++i) t.refreshRow(written[i], i + 1 == written.size());
    }
    if (land != 0) t.locate(land);
    out.done = true;
    return out;
}

}  // namespace volm
