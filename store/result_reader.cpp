#include "store/result_reader.h"

#include "store/database.h"
#include "store/finally.h"

#include <QString>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <sqlite3.h>
#include <system_error>
#include <thread>

namespace volm {

namespace {

// The values of consecutive result rows as read from the statement, converted
// to the kinds of their fields but not yet made into QVariants: per value its
// type and its number (for a text, the index of the text).
struct RowChunk {
    enum Type : unsigned char { Null, Int, Int64, Double, Bool, Text };
    union Number {
        int i;
        qint64 l;
        double d;
        bool b;
        qsizetype text;
    };
    std::vector<qint64> rowids;
    std::vector<Type> types;
    std::vector<Number> numbers;
    std::vector<QString> texts;

    void clear() {
        rowids.clear();
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

// Values in a chunk before it goes to the thread that makes the rows.
constexpr size_t kChunkValues = 8192;

// The chunks on their way between the thread that reads the statement and the
// thread that makes the rows, and back once made.
class ChunkQueue {
public:
    // Hands a full chunk over; returns an empty one.
    std::unique_ptr<RowChunk> push(std::unique_ptr<RowChunk> full) {
        std::unique_ptr<RowChunk> empty;
        {
            std::lock_guard lock(mutex_);
            full_.push_back(std::move(full));
            if (!free_.empty()) {
                empty = std::move(free_.back());
                free_.pop_back();
            }
        }
        ready_.notify_one();
        return empty ? std::move(empty) : std::make_unique<RowChunk>();
    }
    // The next full chunk; nullptr once closed and empty, or once abandoned.
    std::unique_ptr<RowChunk> pop() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !full_.empty() || closed_; });
        if (full_.empty() || abandoned_) return nullptr;
        std::unique_ptr<RowChunk> c = std::move(full_.front());
        full_.pop_front();
        return c;
    }
    void recycle(std::unique_ptr<RowChunk> c) {
        c->clear();
        std::lock_guard lock(mutex_);
        free_.push_back(std::move(c));
    }
    // No more chunks; abandon: the ones waiting are not wanted either.
    void close(bool abandon) {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
            abandoned_ = abandon;
        }
        ready_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::unique_ptr<RowChunk>> full_;
    std::vector<std::unique_ptr<RowChunk>> free_;
    bool closed_ = false;
    bool abandoned_ = false;
};

}  // namespace

QVariant fieldValue(const Statement& st, int c, FieldKind kind) {
    RowChunk chunk;
    chunk.read(sqlite3_column_value(st.handle(), c), kind);
    std::vector<QVariant> out;
    chunk.append(out, 0);
    return out.front();
}

std::optional<qint64> storedInteger(const Statement& st, int c) {
    if (sqlite3_column_type(st.handle(), c) != SQLITE_INTEGER) return std::nullopt;
    return sqlite3_column_int64(st.handle(), c);
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
    auto make = [&made, nf](RowChunk& c) {
        size_t k = 0;
        for (const qint64 key : c.rowids) {
            std::vector<QVariant> values;
            values.reserve(nf);
            for (size_t i = 0; i < nf; ++i) c.append(values, k++);
            made(key, std::move(values));
        }
    };
    ChunkQueue queue;
    std::thread maker;
    std::exception_ptr makerFault;
    bool done = false;
    Finally stopMaker([&] {
        if (!maker.joinable()) return;
        queue.close(!done);
        maker.join();
    });
    bool alone = false;  // no second thread to be had: the rows are made here
    auto chunk = std::make_unique<RowChunk>();
    qint64 count = 0;
    while (st.step()) {
        chunk->rowids.push_back(numbered ? ++count : sqlite3_column_int64(h, 0));
        for (size_t i = 0; i < nf; ++i) chunk->read(sqlite3_column_value(h, int(i) + firstColumn), kinds[i]);
        if (chunk->types.size() < kChunkValues) continue;
        if (!maker.joinable() && !alone) {
            try {
                maker = std::thread([&] {
                    try {
                        while (std::unique_ptr<RowChunk> c = queue.pop()) {
                            make(*c);
                            queue.recycle(std::move(c));
                        }
                    } catch (...) {
                        makerFault = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {
                alone = true;
            }
        }
        if (alone) {
            make(*chunk);
            chunk->clear();
        } else {
            chunk = queue.push(std::move(chunk));
        }
    }
    if (maker.joinable()) {
        queue.push(std::move(chunk));
        done = true;
        queue.close(false);
        maker.join();
        if (makerFault) std::rethrow_exception(makerFault);
    } else {
        make(*chunk);
    }
}

}  // namespace volm
