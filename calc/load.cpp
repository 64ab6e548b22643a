#include "calc/load.h"

#include "calc/run_data.h"
#include "calc/stages.h"
#include "formulas/reference_data.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/looped_network.h"
#include "store/result_reader.h"
#include "store/sql_names.h"
#include "store/table.h"

namespace volm::calc {

namespace {

// A SELECT of the rows of one table of the calculation, in a cursor's sort,
// whose values convert as the cursor's would. Columns are addressed by their
// place in the table; the SELECT holds every column, or only those asked for.
struct TableQuery {
    std::vector<Field> fields;
    std::vector<int> place;  // a table column's place in the SELECT; -1 when not selected
    std::unique_ptr<Statement> st;

    TableQuery(Database& db, const QString& table) : fields(tableFields(db, table)), db_(db), table_(table) {
        if (fields.empty()) throw DatabaseError(QStringLiteral("Не найдена таблица \"%1\".").arg(table));
    }
    TableQuery(Database& db, const QString& table, const QString& sort) : TableQuery(db, table) {
        select(sort, std::vector<char>(fields.size(), 1));
    }
    // Prepares the SELECT of the columns c with wanted[c] set.
    void select(const QString& sort, const std::vector<char>& wanted) {
        place.assign(fields.size(), -1);
        QString sql = QStringLiteral("SELECT ");
        int n = 0;
        for (size_t c = 0; c < fields.size(); ++c) {
            if (!wanted[c]) continue;
            sql += (n ? QStringLiteral(", ") : QString()) + quoteIdentifier(fields[c].name);
            place[c] = n++;
        }
        if (n == 0) sql += QStringLiteral("rowid");
        st = db_.prepare(sql + QStringLiteral(" FROM ") + quoteIdentifier(table_) + QStringLiteral(" ORDER BY ") +
                         sortTerms(sort, fields));
    }
    bool step() { return st->step(); }
    int column(const QString& name) const {
        for (size_t c = 0; c < fields.size(); ++c)
            if (fields[c].name.compare(name, Qt::CaseInsensitive) == 0) return int(c);
        return -1;
    }
    // The column, or DatabaseError naming the table and the field.
    int need(const QString& table, const QString& name) const {
        const int c = column(name);
        if (c < 0) throw DatabaseError(QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(name, table));
        return c;
    }
    QVariant value(int c) const { return fieldValue(*st, place[size_t(c)], fields[size_t(c)].kind); }
    // A whole number of column c within [lo, hi]: an integer the file stores
    // is taken as it is; anything else goes through the cursor's value, whose
    // checks name what is wrong (wholeIn). Null gives nullopt.
    template <typename Check>
    std::optional<qint64> whole(int c, qint64 lo, qint64 hi, Check check) const {
        if (const std::optional<qint64> n = storedInteger(*st, place[size_t(c)]); n && *n >= lo && *n <= hi) return n;
        const QVariant v = value(c);
        if (v.isNull()) return std::nullopt;
        return check(v);
    }
    double number(int c) const { return fieldNumber(*st, place[size_t(c)], fields[size_t(c)].kind); }

private:
    Database& db_;
    QString table_;
};

// A whole number read from the file, checked against the range of its field;
// a value out of range or not whole stops the load with a message naming the
// table, the row (1-based, in the order read) and the field.
qint64 wholeIn(const QVariant& v, qint64 lo, qint64 hi, const char* table, int row, const char* field) {
    if (v.typeId() == QMetaType::Int) {
        const int n = *static_cast<const int*>(v.constData());
        if (n >= lo && n <= hi) return n;
    }
    auto where = [&] {
        return QStringLiteral("Таблица \"%1\", запись %2: ").arg(QString::fromUtf8(table)).arg(row);
    };
    auto outOfRange = [&](const QString& value) {
        return DatabaseError(where() + QStringLiteral("значение %1 поля \"%2\" выходит за пределы диапазона [%3...%4].")
                                           .arg(value, QString::fromUtf8(field))
                                           .arg(lo)
                                           .arg(hi));
    };
    auto notWhole = [&](const QString& value) {
        return DatabaseError(where() + QStringLiteral("значение \"%1\" поля \"%2\" не является целым числом.")
                                           .arg(value, QString::fromUtf8(field)));
    };
    if (v.typeId() == QMetaType::Double) {
        const double x = v.toDouble();
        if (!std::isfinite(x) || x != std::floor(x)) throw notWhole(QString::number(x));
        if (x < double(lo) || x > double(hi)) throw outOfRange(QString::number(x));
        return qint64(x);
    }
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok) throw notWhole(v.toString());
    if (n < lo || n > hi) throw outOfRange(QString::number(n));
    return n;
}

// Node numbers are 16-bit, so that the Null mark kNullNode is none of them.
int toNode(const QVariant& v, const char* table, int row, const char* field) {
    static_assert(kNullNode < -32768);
    return v.isNull() ? kNullNode : int(wholeIn(v, -32768, 32767, table, row, field));
}

qint64 toKey(const QVariant& v, int row) {
    return wholeIn(v, INT_MIN, INT_MAX, "Табл", row, "id");
}

qint64 sectionKey(const TableQuery& q, int c, int row) {
    const auto n = q.whole(c, INT_MIN, INT_MAX, [&](const QVariant& v) { return toKey(v, row); });
    return n ? *n : toKey(QVariant(), row);
}

int sectionNode(const TableQuery& q, int c, int row, const char* field) {
    const auto n = q.whole(c, -32768, 32767, [&](const QVariant& v) { return toNode(v, "Табл", row, field); });
    return n ? int(*n) : kNullNode;
}

std::vector<Priority> readPriorities(Database& db, const QString& table) {
    auto st = db.prepare(QStringLiteral("SELECT \"Показатель\", \"Nприоритета\" FROM \"%1\" "
                                        "ORDER BY \"Nприоритета\", rowid")
                             .arg(table));
    std::vector<Priority> out;
    while (st->step()) {
        Priority p;
        const QVariant name = st->column(0);
        p.name = name.isNull() ? QString() : name.toString();
        p.rank = st->column(1).toInt();
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace

void readNetworkType(CalculationInput& d, Database& gr) {
    TableQuery name(gr, QStringLiteral("НазвРасч"), QString());
    const int fType = name.need(QStringLiteral("НазвРасч"), QStringLiteral("ТипСети"));
    const int fFlows = name.need(QStringLiteral("НазвРасч"), QStringLiteral("РасчРасх"));
    const bool read = name.step();
    // Anything but 0 or 1 (text, a fraction, another number) is kept as -1,
    // which the run refuses.
    const QVariant type = read ? name.value(fType) : QVariant();
    bool typeOk = false;
    const double t = type.isNull() ? -1 : type.toDouble(&typeOk);
    d.networkType = typeOk && (t == 0 || t == 1) ? int(t) : -1;
    d.computeFlows = read && name.value(fFlows).toBool();
    const int fLooped = name.column(kLoopedColumn);
    d.looped = read && fLooped >= 0 && name.value(fLooped).toBool();
}

void loadCalculation(CalculationInput& d, Database& gr, Database& referenceBook, const QString& sectionOrder,
                     const QLocale& locale) {
    {
        const QString table = QStringLiteral("НазвРасч");
        TableQuery name(gr, table, QString());
        d.nameFields = name.fields;
        const int fName = name.need(table, QStringLiteral("НазвРасч"));
        const int fStart = name.need(table, QStringLiteral("NНачУз"));
        const int fSupply = name.need(table, QStringLiteral("NузПНапПод"));
        const int fAvail = name.need(table, QStringLiteral("NузРНап"));
        if (name.step()) {
            d.calcName = name.value(fName);
            d.startNode = toNode(name.value(fStart), "НазвРасч", 1, "NНачУз");
            d.supplyNode = toNode(name.value(fSupply), "НазвРасч", 1, "NузПНапПод");
            d.availNode = toNode(name.value(fAvail), "НазвРасч", 1, "NузРНап");
        }
    }

    // The catalogue goes first: the section columns the run clears before it
    // reads them are not read.
    d.catalogue = Catalogue::load(gr);

    // Заг: the first row.
    {
        TableQuery zag(gr, QStringLiteral("Заг"), QString());
        std::vector<QString> names;
        for (const Field& f : zag.fields) names.push_back(f.name);
        d.header.setColumns(std::move(names), 1);
        if (zag.step()) {
            d.headerRead = true;
            d.headerRowid = 0;
            for (int c = 0; c < d.header.width; ++c) d.header.values[size_t(c)] = zag.number(c);
        }
    }
    if (d.headerRead) {
        auto st = gr.prepare(QStringLiteral("SELECT rowid FROM \"Заг\" ORDER BY rowid LIMIT 1"));
        if (st->step()) d.headerRowid = st->column(0).toLongLong();
    }

    // Табл: every row in the order given.
    {
        const QString table = QStringLiteral("Табл");
        auto count = gr.prepare(QStringLiteral("SELECT count(*) FROM \"Табл\""));
        const int rows = count->step() ? count->column(0).toInt() : 0;
        TableQuery tabl(gr, table);
        std::vector<QString> names;
        for (const Field& f : tabl.fields) names.push_back(f.name);
        d.sections.setColumns(std::move(names), rows);
        d.sections.storedAsText = true;
        const int fId = tabl.column(QStringLiteral("id"));
        const int fStart = tabl.column(QStringLiteral("НачУзел"));
        const int fEnd = tabl.column(QStringLiteral("КонУзел"));
        if (fId < 0 || fStart < 0 || fEnd < 0)
            throw DatabaseError(QStringLiteral("Таблица \"Табл\" не содержит полей id, НачУзел, КонУзел."));
        d.ids.resize(size_t(rows));
        d.startOf.resize(size_t(rows));
        d.endOf.resize(size_t(rows));
        // Only what the run uses is read: the key, the nodes and the numbers
        // it does not clear first.
        std::vector<int> numeric;
        std::vector<char> wanted(tabl.fields.size());
        {
            std::vector<char> cleared(size_t(d.sections.width));
            for (const QString& name : clearedSectionColumns(d))
                if (const int c = d.sections.col(name); c >= 0) cleared[size_t(c)] = 1;
            for (int c = 0; c < d.sections.width; ++c)
                if (tabl.fields[size_t(c)].kind != FieldKind::Text && !cleared[size_t(c)]) numeric.push_back(c);
        }
        for (int c : numeric) wanted[size_t(c)] = 1;
        for (int c : {fId, fStart, fEnd}) wanted[size_t(c)] = 1;
        tabl.select(sectionOrder, wanted);
        int r = 0;
        for (; r < rows && tabl.step(); ++r) {
            double* out = d.sections.values.data() + size_t(r) * size_t(d.sections.width);
            for (int c : numeric) out[c] = tabl.number(c);
            d.ids[size_t(r)] = sectionKey(tabl, fId, r + 1);
            d.startOf[size_t(r)] = sectionNode(tabl, fStart, r + 1, "НачУзел");
            d.endOf[size_t(r)] = sectionNode(tabl, fEnd, r + 1, "КонУзел");
        }
    }

    // Nodes and head changes.
    d.nodes.reserve(size_t(d.sections.rowCount()) + 1);
    {
        auto st = gr.prepare(QStringLiteral("SELECT \"Nуз\", \"ГеодВыс\" FROM \"УзлыТС\" ORDER BY \"Nуз\", rowid"));
        for (int row = 1; st->step(); ++row) {
            const QVariant n = st->column(0);
            if (n.isNull()) continue;
            d.nodes.tryEmplace(toNode(n, "УзлыТС", row, "Nуз"), fieldNumber(*st, 1, FieldKind::Float));
        }
    }
    {
        auto st = gr.prepare(QStringLiteral(
            "SELECT \"Nуз\", \"ТрПр\", \"ИзмПНап\" FROM \"ИзмПНапВУзлахТС\" ORDER BY \"Nуз\", \"ТрПр\", rowid"));
        for (int row = 1; st->step(); ++row) {
            const QVariant n = st->column(0);
            if (n.isNull()) continue;
            const bool ret = st->column(1).toBool();
            const double change = fieldNumber(*st, 2, FieldKind::Float);
            (ret ? d.changeRet : d.changeSup)
                .tryEmplace(toNode(n, "ИзмПНапВУзлахТС", row, "Nуз"), isNull(change) ? 0.0 : change);
        }
    }

    d.headerOrder = readPriorities(gr, QStringLiteral("ПриоритетыЗаг"));
    d.tableOrder = readPriorities(gr, QStringLiteral("ПриоритетыТабл"));
    separateAfterHeadsOrder(d);

    d.reference = std::make_shared<const ReferenceData>(ReferenceData::load(referenceBook, locale));
}

}  // namespace volm::calc
