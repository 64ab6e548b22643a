#include "bench/calc/store_floor.h"

#include "bench/support/bench_support.h"
#include "store/database.h"

#include <QStringList>
#include <vector>

namespace volm::bench {

namespace {

// The rows of some columns of a table, as doubles (NaN for Null), with their count of columns.
struct Rows {
    QStringList columns;
    std::vector<QVariant> values;
    size_t count() const { return columns.isEmpty() ? 0 : values.size() / size_t(columns.size()); }
};

Rows readRows(Database& db, const QString& table, const QStringList& skipped) {
    Rows r;
    for (const auto& c : db.columns(table))
        if (!skipped.contains(c.name)) r.columns << c.name;
    auto st = db.prepare(QStringLiteral("SELECT \"%1\" FROM \"%2\"").arg(r.columns.join(QStringLiteral("\", \"")), table));
    while (st->step())
        for (int i = 0; i < r.columns.size(); ++i) r.values.push_back(st->column(i));
    return r;
}

void insertRows(Database& db, const QString& table, const Rows& rows) {
    db.prepare(QStringLiteral("DELETE FROM \"%1\"").arg(table))->run();
    QString marks = QStringLiteral("?");
    for (int i = 1; i < rows.columns.size(); ++i) marks += QStringLiteral(", ?");
    auto st = db.prepare(QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                             .arg(table, rows.columns.join(QStringLiteral("\", \"")), marks));
    const int n = int(rows.columns.size());
    for (size_t r = 0; r < rows.count(); ++r) {
        for (int i = 0; i < n; ++i) st->bind(i + 1, rows.values[r * size_t(n) + size_t(i)]);
        st->run();
    }
}

}  // namespace

double measureStoreFloor(const QString& computed, const QString& fresh, const QString& target) {
    Database src;
    src.open(computed);
    // Every column the run computes in Табл: all but the notes and the entered values; the key goes last.
    static const QStringList entered{"id", "НачУзел", "КонУзел", "ДлНаУчПод", "Ду", "КоэфМП", "Примечание", "Заполн_Уч"};
    Rows sections = readRows(src, QStringLiteral("Табл"), entered);
    std::vector<qint64> ids;
    {
        auto st = src.prepare(QStringLiteral("SELECT id FROM Табл"));
        while (st->step()) ids.push_back(st->column(0).toLongLong());
    }
    const Rows mains = readRows(src, QStringLiteral("МагистралиТС"), {});
    const Rows ends = readRows(src, QStringLiteral("КонМаг"), {});
    src.close();
    copyFile(fresh, target);

    Database db;
    db.open(target);
    const auto t0 = Clock::now();
    db.begin();
    {
        QString sql = QStringLiteral("UPDATE Табл SET ");
        for (int i = 0; i < sections.columns.size(); ++i)
            sql += (i ? QStringLiteral(", \"") : QStringLiteral("\"")) + sections.columns[i] + QStringLiteral("\" = ?");
        auto st = db.prepare(sql + QStringLiteral(" WHERE \"id\" = ?"));
        const int n = int(sections.columns.size());
        for (size_t r = 0; r < ids.size(); ++r) {
            for (int i = 0; i < n; ++i) st->bind(i + 1, sections.values[r * size_t(n) + size_t(i)]);
            st->bind(n + 1, ids[r]);
            st->run();
        }
    }
    insertRows(db, QStringLiteral("МагистралиТС"), mains);
    insertRows(db, QStringLiteral("КонМаг"), ends);
    db.commit();
    return seconds(t0, Clock::now());
}

}  // namespace volm::bench
