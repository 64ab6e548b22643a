#include "store/table.h"

#include "store/collation.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/result_reader.h"
#include "store/sql_names.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <sqlite3.h>

namespace volm {

namespace {

// The kind and text size of a field from its declared column type.
Field fieldFromDecl(const QString& name, const QString& declType) {
    Field f;
    f.name = name;
    const QString t = declType.trimmed().toLower();
    if (t.startsWith(QLatin1String("smallint")) || t.startsWith(QLatin1String("short")))
        f.kind = FieldKind::SmallInt;
    else if (t.startsWith(QLatin1String("byte")) || t.startsWith(QLatin1String("tinyint")))
        f.kind = FieldKind::Byte;
    else if (t.contains(QLatin1String("int")) || t.startsWith(QLatin1String("long")) || t == QLatin1String("counter"))
        f.kind = FieldKind::Integer;
    else if (t.startsWith(QLatin1String("float")) || t.startsWith(QLatin1String("double")) ||
             t.startsWith(QLatin1String("real")) || t.startsWith(QLatin1String("numeric")) ||
             t.startsWith(QLatin1String("decimal")) || t.startsWith(QLatin1String("single")))
        f.kind = FieldKind::Float;
    else if (t.startsWith(QLatin1String("bit")) || t.startsWith(QLatin1String("bool")) ||
             t.startsWith(QLatin1String("yesno")) || t.startsWith(QLatin1String("logical")))
        f.kind = FieldKind::Bool;
    else if (t.startsWith(QLatin1String("text")) || t.contains(QLatin1String("char")) ||
             t.startsWith(QLatin1String("memo")) || t.startsWith(QLatin1String("string"))) {
        f.kind = FieldKind::Text;
        static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
        auto m = size.match(t);
        f.size = m.hasMatch() ? m.captured(1).toInt() : (t.startsWith(QLatin1String("memo")) ? 65535 : 255);
    }
    return f;
}

// A typed number as the program reads it whatever the locale: blanks of any
// kind dropped (a digit group separator of the person's locale among them), and
// "," read as the decimal separator like "." (never as a thousands separator).
QString numberText(const QString& typed) {
    QString s;
    s.reserve(typed.size());
    for (QChar c : typed) {
        if (c.isSpace()) continue;
        s += c == QLatin1Char(',') ? QLatin1Char('.') : c;
    }
    return s;
}

}  // namespace

bool sortNames(const QString& sort, const QString& field) {
    if (sort.isEmpty()) return false;
    static const QRegularExpression word(QStringLiteral("[\\w]+"), QRegularExpression::UseUnicodePropertiesOption);
    for (auto it = word.globalMatch(sort); it.hasNext();)
        if (it.next().captured(0).compare(field, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The ORDER BY clause of a sort such as "Nуз ASC, ТрПр ASC": text columns go in
// alphabetical order; ties keep the file order.
QString sortTerms(const QString& sort, const std::vector<Field>& fields) {
    if (sort.trimmed().isEmpty()) return QStringLiteral("rowid");
    static const QRegularExpression term(QStringLiteral("^\\[?([^\\[\\]\\s]+)\\]?(?:\\s+(ASC|DESC))?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (const QString& part : sort.split(QLatin1Char(','))) {
        const QString t = part.trimmed();
        const auto m = term.match(t);
        const auto field = m.hasMatch() ? std::find_if(fields.begin(), fields.end(),
                                                       [&](const Field& f) {
                                                           return f.name.compare(m.captured(1), Qt::CaseInsensitive) == 0;
                                                       })
                                        : fields.end();
        if (field == fields.end() || field->kind != FieldKind::Text) {
            out << t;
            continue;
        }
        QString ordered = alphabeticalTerm(quoteIdentifier(field->name));
        if (!m.captured(2).isEmpty()) ordered += QLatin1Char(' ') + m.captured(2).toUpper();
        out << ordered;
    }
    return out.join(QStringLiteral(", ")) + QStringLiteral(", rowid");
}

std::vector<Field> tableFields(Database& db, const QString& table) {
    std::vector<Field> fields;
    for (const auto& c : db.columns(table)) fields.push_back(fieldFromDecl(c.name, c.declType));
    return fields;
}

Table::Table(Database& db, QString tableName) : db_(db), table_(std::move(tableName)) {}

std::unique_ptr<Table> Table::forQuery(Database& db, QString sql) {
    auto t = std::make_unique<Table>(db, QString());
    t->sql_ = std::move(sql);
    t->readOnly_ = true;
    return t;
}

Table::~Table() {
    // Views hold the cursor by pointer: tell them before it goes, suspended or not.
    for (TableObserver* o : std::vector<TableObserver*>(observers_)) o->tableDestroyed();
}

void Table::addObserver(TableObserver* o) {
    if (std::find(observers_.begin(), observers_.end(), o) == observers_.end()) observers_.push_back(o);
}

void Table::removeObserver(TableObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void Table::readFields() {
    fields_.clear();
    if (readOnly_) return;  // a query learns its fields from the statement
    auto cols = db_.columns(table_);
    if (cols.empty()) throw DatabaseError(QStringLiteral("Не найдена таблица \"%1\".").arg(table_));
    for (const auto& c : cols) fields_.push_back(fieldFromDecl(c.name, c.declType));
}

QString Table::selectSql(const QString& tail) const {
    QString sql = QStringLiteral("SELECT rowid");
    for (const Field& f : fields_) sql += QStringLiteral(", ") + quoteIdentifier(f.name);
    return sql + QStringLiteral(" FROM ") + quoteIdentifier(table_) + QLatin1Char(' ') + tail;
}

sqlite3* Table::connection() const {
    sqlite3* db = db_.handle();
    if (!db) throw DatabaseError(QStringLiteral("Соединение с базой данных не открыто."));
    return db;
}

void Table::readRows() {
    sqlite3* db = connection();
    const QString sql = readOnly_ ? sql_ : selectSql(QStringLiteral("ORDER BY ") + sortTerms(sort_, fields_));
    Statement st(db, sql);
    sqlite3_stmt* h = st.handle();
    const int offset = readOnly_ ? 0 : 1;
    if (readOnly_) {
        fields_.clear();
        const int n = sqlite3_column_count(h);
        for (int i = 0; i < n; ++i) {
            const char* decl = sqlite3_column_decltype(h, i);
            fields_.push_back(fieldFromDecl(QString::fromUtf8(sqlite3_column_name(h, i)),
                                            decl ? QString::fromUtf8(decl) : QString()));
        }
    }
    const size_t nf = fields_.size();
    std::vector<FieldKind> kinds;
    kinds.reserve(nf);
    for (const Field& f : fields_) kinds.push_back(f.kind);

    // The rows are made apart from the cursor's, which stay as they are if the
    // read fails.
    std::vector<Row> rows;
    rows.reserve(rows_.size());  // a requery finds about as many rows as before
    readResultRows(st, offset, readOnly_, kinds, [&rows](qint64 rowid, std::vector<QVariant>&& values) {
        rows.push_back(Row{rowid, std::move(values)});
    });
    rows_ = std::move(rows);
}

std::vector<Table::Row>& Table::rows() const {
    if (rowsPending_) const_cast<Table*>(this)->readPendingRows();
    return rows_;
}

void Table::readPendingRows() {
    readRows();  // a failure leaves the rows as they were
    rowsPending_ = false;
    cur_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
}

void Table::rowsChanged() {
    // A view reads every row at once anyway: they are read here, where a
    // failure reaches the command that opened or re-read the cursor. A query
    // learns its fields with its rows.
    if (!observers_.empty() || readOnly_) {
        readPendingRows();
        return;
    }
    rows_.clear();
    rowsPending_ = true;
    cur_ = -1;
    bof_ = eof_ = true;
}

void Table::open() {
    if (isOpen()) return;
    readFields();
    rowsChanged();
    state_ = State::Browse;
    modified_ = false;
    insertPos_ = -1;
    notify([](TableObserver* o) { o->tableReset(); });
}

void Table::close() {
    if (!isOpen()) return;
    rows_.clear();
    rowsPending_ = false;
    state_ = State::Inactive;
    modified_ = false;
    insertPos_ = -1;
    cur_ = -1;
    bof_ = eof_ = true;
    notify([](TableObserver* o) { o->tableReset(); });
}

void Table::setSort(const QString& sort) {
    if (sort_ == sort && isOpen()) return;
    sort_ = sort;
    if (!isOpen()) return;
    if (rowsPending_) {
        // Not read yet: they will be read in the new order.
        rowsChanged();
        notify([](TableObserver* o) { o->tableReset(); });
        return;
    }
    checkBrowse();
    const qint64 keep = rowid();
    readRows();
    cur_ = rows().empty() ? -1 : 0;
    for (int i = 0; i < rowCount(); ++i)
        if (rows()[i].rowid == keep) cur_ = i;
    bof_ = eof_ = rows().empty();
    notify([](TableObserver* o) { o->tableReset(); });
}

void Table::checkBrowse() {
    if (!isOpen()) throw DatabaseError(QStringLiteral("Таблица \"%1\" не открыта.").arg(table_));
    if (!editing()) return;
    if (modified_) post();
    else cancel();
}

void Table::setCurrent(int row) {
    const int before = cur_;
    cur_ = row;
    if (before != cur_) notify([row](TableObserver* o) { o->currentChanged(row); });
}

void Table::first() {
    checkBrowse();
    setCurrent(rows().empty() ? -1 : 0);
    bof_ = true;
    eof_ = rows().empty();
}

void Table::last() {
    checkBrowse();
    setCurrent(rowCount() - 1);
    eof_ = true;
    bof_ = rows().empty();
}

void Table::next() {
    checkBrowse();
    if (cur_ + 1 < rowCount()) {
        setCurrent(cur_ + 1);
        bof_ = eof_ = false;
    } else {
        eof_ = true;
    }
}

void Table::prior() {
    checkBrowse();
    if (cur_ > 0) {
        setCurrent(cur_ - 1);
        bof_ = eof_ = false;
    } else {
        bof_ = true;
    }
}

void Table::moveBy(int n) {
    checkBrowse();
    if (rows().empty()) {
        bof_ = eof_ = true;
        return;
    }
    long target = long(cur_) + n;
    bof_ = eof_ = false;
    if (target >= rowCount()) {
        target = rowCount() - 1;
        eof_ = true;
    } else if (target < 0) {
        target = 0;
        bof_ = true;
    }
    setCurrent(int(target));
}

void Table::setCurrentRow(int row) {
    if (row == cur_ && isOpen()) return;
    // The row asked for is kept by its key: storing the row left may re-read the
    // rows in their order and move them.
    const qint64 wanted = row >= 0 && row < rowCount() && row != insertPos_ ? rows()[size_t(row)].rowid : 0;
    const int before = rowCount();
    checkBrowse();
    if (wanted != 0 && (rowCount() != before || rowidAt(row) != wanted))
        for (int i = 0; i < rowCount(); ++i)
            if (rows()[size_t(i)].rowid == wanted) row = i;
    if (row < 0 || row >= rowCount()) return;
    setCurrent(row);
    bof_ = eof_ = false;
}

int Table::recordCount() const { return rowCount() - (state_ == State::Insert ? 1 : 0); }

int Table::recNo() const {
    rows();
    if (state_ == State::Insert || cur_ < 0) return -1;
    return cur_ + 1;
}

const Table::Row* Table::currentRowData() const {
    rows();
    if (!isOpen() || cur_ < 0 || cur_ >= rowCount()) return nullptr;
    return &rows()[cur_];
}

QVariant Table::valueAt(int row, int field) const {
    if (row < 0 || row >= rowCount() || field < 0 || field >= fieldCount()) return {};
    return rows()[row].values[field];
}

qint64 Table::rowidAt(int row) const {
    if (row < 0 || row >= rowCount()) return 0;
    return rows()[row].rowid;
}

qint64 Table::rowid() const {
    const Row* r = currentRowData();
    return r ? r->rowid : 0;
}

bool Table::locate(qint64 rowid) {
    checkBrowse();
    for (int i = 0; i < rowCount(); ++i)
        if (rows()[i].rowid == rowid) {
            setCurrent(i);
            bof_ = eof_ = false;
            return true;
        }
    return false;
}

int Table::fieldIndex(const QString& name) const {
    for (int i = 0; i < fieldCount(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

const Field& Table::field(const QString& name) const {
    int i = fieldIndex(name);
    if (i < 0) throw DatabaseError(QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(name, table_));
    return fields_[i];
}

void Table::setFieldVisible(const QString& name, bool visible) {
    int i = fieldIndex(name);
    if (i < 0) return;
    if (fields_[i].visible == visible) return;
    fields_[i].visible = visible;
    notify([](TableObserver* o) { o->tableReset(); });
}

QVariant Table::value(const QString& name) const {
    int i = fieldIndex(name);
    if (i < 0) throw DatabaseError(QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(name, table_));
    return value(i);
}

QVariant Table::value(int field) const {
    const Row* r = currentRowData();
    if (!r || field < 0 || field >= fieldCount()) return {};
    return r->values[field];
}

void Table::checkWritable() const {
    if (readOnly_) throw DatabaseError(QStringLiteral("Набор данных открыт только для чтения."));
    if (!isOpen()) throw DatabaseError(QStringLiteral("Таблица \"%1\" не открыта.").arg(table_));
}

QVariant Table::convert(const Field& f, const QVariant& v) const { return storedValue(f, v); }

QVariant storedValue(const Field& f, const QVariant& v) {
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::QString && f.kind != FieldKind::Text && v.toString().trimmed().isEmpty()) return {};
    auto bad = [&] {
        return DatabaseError(QStringLiteral("Значение \"%1\" недопустимо для поля \"%2\".").arg(v.toString(), f.name));
    };
    auto whole = [&](qint64 lo, qint64 hi) -> QVariant {
        bool ok = false;
        qint64 n = 0;
        if (v.typeId() == QMetaType::Double) {
            double d = v.toDouble();
            ok = std::isfinite(d) && d == std::floor(d);
            n = qint64(d);
        } else if (v.typeId() == QMetaType::Bool) {
            ok = true;
            n = v.toBool() ? -1 : 0;
        } else {
            n = numberText(v.toString()).toLongLong(&ok);
        }
        if (!ok) throw bad();
        if (n < lo || n > hi)
            throw DatabaseError(QStringLiteral("Значение %1 поля \"%2\" выходит за пределы диапазона [%3...%4].")
                                    .arg(n).arg(f.name).arg(lo).arg(hi));
        return QVariant(int(n));
    };
    switch (f.kind) {
    case FieldKind::SmallInt: return whole(-32768, 32767);
    case FieldKind::Byte: return whole(0, 255);
    case FieldKind::Integer: return whole(INT_MIN, INT_MAX);
    case FieldKind::Float: {
        bool ok = false;
        double d = 0;
        if (v.typeId() == QMetaType::QString) {
            d = numberText(v.toString()).toDouble(&ok);
        } else {
            d = v.toDouble(&ok);
        }
        if (!ok || !std::isfinite(d)) throw bad();
        return QVariant(d);
    }
    case FieldKind::Bool: {
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            if (s == QLatin1String("true") || s == QStringLiteral("да") || s == QLatin1String("1") || s == QLatin1String("-1"))
                return QVariant(true);
            if (s == QLatin1String("false") || s == QStringLiteral("нет") || s == QLatin1String("0")) return QVariant(false);
            throw bad();
        }
        return QVariant(v.toBool());
    }
    case FieldKind::Text: {
        QString s = v.toString();
        if (f.size > 0 && s.size() > f.size)
            throw DatabaseError(QStringLiteral("Текст поля \"%1\" длиннее %2 символов.").arg(f.name).arg(f.size));
        return QVariant(s);
    }
    default: return v;
    }
}

void Table::disableControls() { ++disabled_; }

void Table::enableControls() {
    if (disabled_ == 0) return;
    if (--disabled_ == 0) notify([](TableObserver* o) { o->tableReset(); });
}

}  // namespace volm
