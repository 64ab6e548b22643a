#include "calc/write_back.h"

#include "calc/run_data.h"
#include "store/app.h"
#include "store/database.h"

namespace volm::calc {

namespace {

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

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
    QString sql = QStringLiteral("UPDATE ") + quoted(table) + QStringLiteral(" SET ");
    for (size_t i = 0; i < cols.size(); ++i) {
        if (i) sql += QStringLiteral(", ");
        sql += quoted(t.names[size_t(cols[i])]) + QStringLiteral(" = ?");
    }
    return sql + QStringLiteral(" WHERE ") + key + QStringLiteral(" = ?");
}

void writeHeader(RunData& d, Database& db) {
    const std::vector<int> cols = touchedColumns(d.header);
    if (cols.empty() || !d.headerRead) return;
    auto st = db.prepare(updateSql(QStringLiteral("Заг"), d.header, cols, QStringLiteral("rowid")));
    int k = 1;
    for (int c : cols) bindValue(*st, k++, d.header.get(0, c));
    st->bind(k, d.headerRowid);
    st->run();
}

void writeSections(RunData& d, Database& db) {
    const ValueTable& s = d.sections;
    const std::vector<int> cols = touchedColumns(s);
    if (cols.empty()) return;
    auto st = db.prepare(updateSql(QStringLiteral("Табл"), s, cols, quoted(QStringLiteral("id"))));
    const int key = int(cols.size()) + 1;
    for (int r = 0; r < s.rowCount(); ++r) {
        if (!s.dirty[size_t(r)]) continue;
        const double* row = s.row(r);
        int k = 1;
        for (int c : cols) bindValue(*st, k++, row[c]);
        st->bind(key, d.ids[size_t(r)]);
        st->run();
    }
}

void writeMains(RunData& d, Database& db) {
    db.prepare(QStringLiteral("DELETE FROM \"МагистралиТС\""))->run();
    auto st = db.prepare(QStringLiteral(
        "INSERT INTO \"МагистралиТС\" (\"id_m\", \"NппУчВМ\", \"НачУзел\", \"КонУзел\", \"РасхПод\", \"РасхОбр\") "
        "VALUES (?, ?, ?, ?, ?, ?)"));
    auto insert = [&](int m, int pos) {
        const Main& main = d.mains[size_t(m - 1)];
        const int r = main.rows[size_t(pos - 1)];
        st->bind(1, qint64(m));
        st->bind(2, qint64(pos));
        st->bind(3, qint64(d.startOf[size_t(r)]));
        st->bind(4, qint64(d.endOf[size_t(r)]));
        bindValue(*st, 5, main.flowSup);
        bindValue(*st, 6, main.flowRet);
        st->run();
    };
    // In the order the rows are found: every end section first, then each main
    // towards the source.
    for (int m = 1; m <= int(d.mains.size()); ++m) insert(m, 1);
    for (int m = 1; m <= int(d.mains.size()); ++m)
        for (int pos = 2; pos <= int(d.mains[size_t(m - 1)].rows.size()); ++pos) insert(m, pos);
}

void writeEndResults(RunData& d, Database& db) {
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
    QString names = QStringLiteral("\"id_m\", \"КонУзел\""), marks = QStringLiteral("?, ?");
    for (const Column* c : present) {
        names += QStringLiteral(", ") + quoted(QString::fromUtf8(c->name));
        marks += QStringLiteral(", ?");
    }
    auto st = db.prepare(QStringLiteral("INSERT INTO \"КонМаг\" (") + names + QStringLiteral(") VALUES (") + marks +
                         QLatin1Char(')'));
    for (const EndResult& e : d.endResults) {
        st->bind(1, qint64(e.idm));
        st->bind(2, qint64(e.endNode));
        int k = 3;
        for (const Column* c : present) bindValue(*st, k++, e.*(c->value));
        st->run();
    }
}

void writeWorklist(RunData& d, Database& db) {
    db.prepare(QStringLiteral("DELETE FROM \"СписокРасчУчастков\""))->run();
    auto st = db.prepare(QStringLiteral("INSERT INTO \"СписокРасчУчастков\" (\"НачУзел\", \"КонУзел\") VALUES (?, ?)"));
    for (const auto& [a, b] : d.worklist) {
        st->bind(1, qint64(a));
        st->bind(2, qint64(b));
        st->run();
    }
}

}  // namespace

void writeBack(RunData& d) {
    Database& db = d.app.dm.acGR;
    writeHeader(d, db);
    writeSections(d, db);
    if (d.mainsBuilt) writeMains(d, db);
    if (d.endResultsBuilt) writeEndResults(d, db);
    if (d.worklistUsed) writeWorklist(d, db);
}

}  // namespace volm::calc
