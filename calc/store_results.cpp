// Storing what the stages changed: the given-head nodes, the changed columns of
// Заг and of every changed row of Табл, and the rebuilt tables МагистралиТС,
// КонМаг and СписокРасчУчастков, with prepared statements in one transaction.
#include "calc/calculation.h"

#include "calc/run_data.h"
#include "store/database.h"
#include "store/sql_names.h"

namespace volm::calc {

namespace {

void bindValue(Statement& st, int index, double v) {
    if (isNull(v))
        st.bindNull(index);
    else
        st.bind(index, v);
}

std::vector<int> touchedColumns(const ValueTable& t) {
    std::vector<int> cols;
    for (int c = 0; c < t.width; ++c)
        if (t.touched[size_t(c)]) cols.push_back(c);
    return cols;
}

QString updateSql(const QString& table, const ValueTable& t, const std::vector<int>& cols, const QString& key) {
    QString sql = QStringLiteral("UPDATE ") + quoteIdentifier(table) + QStringLiteral(" SET ");
    for (size_t i = 0; i < cols.size(); ++i) {
        if (i) sql += QStringLiteral(", ");
        sql += quoteIdentifier(t.names[size_t(cols[i])]) + QStringLiteral(" = ?");
    }
    return sql + QStringLiteral(" WHERE ") + key + QStringLiteral(" = ?");
}

// Inserts count rows of width columns: many rows per run of one prepared
// statement, which costs SQLite far less than a run per row; the rows go in
// the order given. head is "INSERT INTO t (columns) VALUES ". bindRow(st, k, i)
// binds the values of row i to the parameters k, k + 1, ...
template <typename BindRow>
void insertRows(Database& db, const QString& head, int width, size_t count, BindRow bindRow) {
    constexpr size_t kBatch = 64;
    QString tuple = QStringLiteral("(?");
    for (int c = 1; c < width; ++c) tuple += QStringLiteral(", ?");
    tuple += QLatin1Char(')');
    size_t i = 0;
    if (count >= kBatch) {
        QString sql = head + tuple;
        for (size_t b = 1; b < kBatch; ++b) sql += QStringLiteral(", ") + tuple;
        auto many = db.prepare(sql);
        for (; i + kBatch <= count; i += kBatch) {
            for (size_t b = 0; b < kBatch; ++b) bindRow(*many, int(b) * width + 1, i + b);
            many->run();
        }
    }
    if (i == count) return;
    auto one = db.prepare(head + tuple);
    for (; i < count; ++i) {
        bindRow(*one, 1, i);
        one->run();
    }
}

bool writeHeader(const CalculationResult& d, Database& db) {
    const std::vector<int> cols = touchedColumns(d.header);
    if (cols.empty() || !d.headerRead) return false;
    auto st = db.prepare(updateSql(QStringLiteral("Заг"), d.header, cols, QStringLiteral("rowid")));
    int k = 1;
    for (int c : cols) bindValue(*st, k++, d.header.get(0, c));
    st->bind(k, d.headerRowid);
    st->run();
    return true;
}

bool writeSections(const CalculationResult& d, Database& db) {
    const ValueTable& s = d.sections;
    const std::vector<int> cols = touchedColumns(s);
    if (cols.empty()) return false;
    auto st = db.prepare(updateSql(QStringLiteral("Табл"), s, cols, quoteIdentifier(QStringLiteral("id"))));
    const int key = int(cols.size()) + 1;
    for (int r = 0; r < s.rowCount(); ++r) {
        if (!s.dirty[size_t(r)]) continue;
        const double* row = s.row(r);
        int k = 1;
        for (int c : cols) bindValue(*st, k++, row[c]);
        st->bind(key, d.ids[size_t(r)]);
        st->run();
    }
    return true;
}

void writeMains(const CalculationResult& d, Database& db) {
    db.prepare(QStringLiteral("DELETE FROM \"МагистралиТС\""))->run();
    // In the order the rows are found: every end section first, then each main
    // towards the source.
    std::vector<std::pair<int, int>> order;  // main, position
    for (int m = 1; m <= int(d.mains.size()); ++m) order.emplace_back(m, 1);
    for (int m = 1; m <= int(d.mains.size()); ++m)
        for (int pos = 2; pos <= int(d.mains[size_t(m - 1)].rows.size()); ++pos) order.emplace_back(m, pos);
    insertRows(db,
               QStringLiteral("INSERT INTO \"МагистралиТС\" (\"id_m\", \"NппУчВМ\", \"НачУзел\", \"КонУзел\", "
                              "\"РасхПод\", \"РасхОбр\") VALUES "),
               6, order.size(), [&](Statement& st, int k, size_t i) {
                   const auto [m, pos] = order[i];
                   const Main& main = d.mains[size_t(m - 1)];
                   const int r = main.rows[size_t(pos - 1)];
                   st.bind(k, qint64(m));
                   st.bind(k + 1, qint64(pos));
                   st.bind(k + 2, qint64(d.startOf[size_t(r)]));
                   st.bind(k + 3, qint64(d.endOf[size_t(r)]));
                   bindValue(st, k + 4, main.flowSup);
                   bindValue(st, k + 5, main.flowRet);
               });
}

void writeEndResults(const CalculationResult& d, Database& db) {
    db.prepare(QStringLiteral("DELETE FROM \"КонМаг\""))->run();
    // The columns present follow the network type (the table rebuild lays them out).
    struct Column {
        const char* name;
        double EndResult::*value;
    };
    static const Column all[] = {
        {"ДлМагПод", &EndResult::dlPod},   {"ПотНОтИПод", &EndResult::potPod}, {"ПНапПод", &EndResult::pNapPod},
        {"ДлМагОбр", &EndResult::dlObr},   {"ДлМагСум", &EndResult::dlSum},    {"ПотНОтИОбр", &EndResult::potObr},
        {"ПНапОбр", &EndResult::pNapObr},  {"РНап", &EndResult::rNap},
    };
    std::vector<const Column*> present;
    for (const auto& info : db.columns(QStringLiteral("КонМаг")))
        for (const Column& c : all)
            if (info.name == QString::fromUtf8(c.name)) present.push_back(&c);
    QString names = QStringLiteral("\"id_m\", \"КонУзел\"");
    for (const Column* c : present) names += QStringLiteral(", ") + quoteIdentifier(QString::fromUtf8(c->name));
    insertRows(db, QStringLiteral("INSERT INTO \"КонМаг\" (") + names + QStringLiteral(") VALUES "),
               2 + int(present.size()), d.endResults.size(), [&](Statement& st, int k, size_t i) {
                   const EndResult& e = d.endResults[i];
                   st.bind(k++, qint64(e.idm));
                   st.bind(k++, qint64(e.endNode));
                   for (const Column* c : present) bindValue(st, k++, e.*(c->value));
               });
}

// The given-head nodes, in the first row of НазвРасч.
bool writeGivenHeadNodes(const CalculationResult& d, Database& db) {
    if (d.givenHeadNodes.empty()) return false;
    const QString table = QStringLiteral("НазвРасч");
    QString sql = QStringLiteral("UPDATE ") + quoteIdentifier(table) + QStringLiteral(" SET ");
    for (size_t i = 0; i < d.givenHeadNodes.size(); ++i)
        sql += (i ? QStringLiteral(", ") : QString()) + quoteIdentifier(d.givenHeadNodes[i].first) +
               QStringLiteral(" = ?");
    auto st = db.prepare(sql + QStringLiteral(" WHERE rowid = (SELECT min(rowid) FROM ") + quoteIdentifier(table) +
                         QLatin1Char(')'));
    for (size_t i = 0; i < d.givenHeadNodes.size(); ++i) st->bind(int(i) + 1, d.givenHeadNodes[i].second);
    st->run();
    return true;
}

void writeWorklist(const CalculationResult& d, Database& db) {
    db.prepare(QStringLiteral("DELETE FROM \"СписокРасчУчастков\""))->run();
    insertRows(db, QStringLiteral("INSERT INTO \"СписокРасчУчастков\" (\"НачУзел\", \"КонУзел\") VALUES "), 2,
               d.worklist.size(), [&](Statement& st, int k, size_t i) {
                   st.bind(k, qint64(d.worklist[i].first));
                   st.bind(k + 1, qint64(d.worklist[i].second));
               });
}

}  // namespace

StoredTables storeResults(Database& db, const CalculationResult& d) {
    Transaction tx(db);
    StoredTables stored;
    stored.name = writeGivenHeadNodes(d, db);
    stored.header = writeHeader(d, db);
    stored.sections = writeSections(d, db);
    if ((stored.mains = d.mainsBuilt)) writeMains(d, db);
    if ((stored.endResults = d.endResultsBuilt)) writeEndResults(d, db);
    if ((stored.worklist = d.worklistUsed)) writeWorklist(d, db);
    tx.commit();
    return stored;
}

}  // namespace volm::calc
