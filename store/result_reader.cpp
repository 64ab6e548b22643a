#include "store/result_reader.h"

#include "store/database.h"

#include <QString>
#include <climits>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace volm {

namespace {

// The values of a result row as read from the statement, converted to the
// kinds of their fields but not yet made into QVariants: per value its type and
// its number (for a text, the index of the text).
struct RowValues {
    enum Type : unsigned char { Null, Int, Int64, Double, Bool, Text };
    union Number {
        int i;
        qint64 l;
        double d;
        bool b;
        qsizetype text;
    };
    std::vector<Type> types;
    std::vector<Number> numbers;
    std::vector<QString> texts;

    void clear() {
        types.clear();
        numbers.clear();
        texts.clear();
    }
    void add(Type t, Number n) {
        types.push_back(t);
        numbers.push_back(n);
    }

    // One column of the current result row, converted to the field's kind.
    void read(sqlite3_value* v, FieldKind kind) {
        const int type = sqlite3_value_type(v);
        if (type == SQLITE_NULL) return add(Null, Number{.l = 0});
        switch (kind) {
        case FieldKind::SmallInt:
        case FieldKind::Integer:
        case FieldKind::Byte:
            // A value that does not fit the field keeps its own value, for the
            // readers' range checks to find, never some other whole number.
            if (type == SQLITE_INTEGER) {
                const qint64 n = sqlite3_value_int64(v);
                if (n >= INT_MIN && n <= INT_MAX) return add(Int, Number{.i = int(n)});
                return add(Int64, Number{.l = n});
            }
            if (type == SQLITE_FLOAT) {
                const double x = sqlite3_value_double(v);
                if (x >= INT_MIN && x <= INT_MAX) return add(Int, Number{.i = int(std::lround(x))});
                return add(Double, Number{.d = x});
            }
            break;
        case FieldKind::Float:
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return add(Double, Number{.d = sqlite3_value_double(v)});
            break;
        case FieldKind::Bool:
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return add(Bool, Number{.b = sqlite3_value_int64(v) != 0});
            break;
        default:
            break;
        }
        switch (type) {
        case SQLITE_INTEGER: {
            const qint64 n = sqlite3_value_int64(v);
            if (n >= INT_MIN && n <= INT_MAX) return add(Int, Number{.i = int(n)});
            return add(Int64, Number{.l = n});
        }
        case SQLITE_FLOAT: return add(Double, Number{.d = sqlite3_value_double(v)});
        default: {
            const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
            texts.push_back(QString::fromUtf8(text, sqlite3_value_bytes(v)));
            return add(Text, Number{.text = qsizetype(texts.size() - 1)});
        }
        }
    }

    // Value k appended to the values of a row.
    void append(std::vector<QVariant>& out, size_t k) {
        const Number& n = numbers[k];
        switch (types[k]) {
        case Int: out.emplace_back(n.i); return;
        case Int64: out.emplace_back(n.l); return;
        case Double: out.emplace_back(n.d); return;
        case Bool: out.emplace_back(n.b); return;
        case Text: out.emplace_back(std::move(texts[size_t(n.text)])); return;
        default: out.emplace_back(); return;
        }
    }
};

}  // namespace

QVariant fieldValue(const Statement& st, int c, FieldKind kind) {
    RowValues chunk;
    chunk.read(sqlite3_column_value(st.handle(), c), kind);
    std::vector<QVariant> out;
    chunk.append(out, 0);
    return out.front();
}

double fieldNumber(const Statement& st, int c, FieldKind kind) {
    sqlite3_stmt* h = st.handle();
    switch (sqlite3_column_type(h, c)) {
    case SQLITE_NULL: return std::numeric_limits<double>::quiet_NaN();
    case SQLITE_INTEGER:
        if (kind == FieldKind::Bool) return sqlite3_column_int64(h, c) != 0 ? 1 : 0;
        return double(sqlite3_column_int64(h, c));
    case SQLITE_FLOAT: {
        const double x = sqlite3_column_double(h, c);
        switch (kind) {
        case FieldKind::SmallInt:
        case FieldKind::Integer:
        case FieldKind::Byte: return x >= INT_MIN && x <= INT_MAX ? double(std::lround(x)) : x;
        case FieldKind::Bool: return sqlite3_column_int64(h, c) != 0 ? 1 : 0;
        default: return x;
        }
    }
    default: {
        bool ok = false;
        const double d = fieldValue(st, c, kind).toDouble(&ok);
        return ok ? d : std::numeric_limits<double>::quiet_NaN();
    }
    }
}

void readResultRows(Statement& st, int firstColumn, bool numbered, const std::vector<FieldKind>& kinds,
                    const std::function<void(qint64 key, std::vector<QVariant>&& values)>& made) {
    sqlite3_stmt* h = st.handle();
    const size_t nf = kinds.size();
    RowValues row;
    qint64 count = 0;
    while (st.step()) {
        row.clear();
        for (size_t i = 0; i < nf; ++i) row.read(sqlite3_column_value(h, int(i) + firstColumn), kinds[i]);
        std::vector<QVariant> values;
        values.reserve(nf);
        for (size_t i = 0; i < nf; ++i) row.append(values, i);
        made(numbered ? ++count : sqlite3_column_int64(h, 0), std::move(values));
    }
}

}  // namespace volm
