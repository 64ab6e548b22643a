#include "formulas/table_rebuild.h"

#include "store/database.h"
#include "store/sql_names.h"
#include "store/table.h"

namespace volm {

namespace {

QString quoted(const QString& name) { return quoteIdentifier(name); }

// Runs one built statement (names quoted, SQLite's own dialect).
void run(Database& db, const QString& sql) { db.prepare(sql)->run(); }

}  // namespace

QStringList survivingColumns(const ColumnList& current, const ColumnList& target) {
    QStringList out;
    for (const ColumnSpec& t : target) {
        for (const ColumnSpec& c : current) {
            if (c.name != t.name) continue;
            if (c.kind == t.kind && t.size >= c.size) out << t.name;
            break;
        }
    }
    return out;
}

bool PerestroitTablicu(Database& db, const QString& table, const ColumnList& current, const ColumnList& target) {
    if (columnListText(current) == columnListText(target)) return false;

    const QString old = table + QStringLiteral("~$");
    const QStringList copied = survivingColumns(current, target);
    Transaction tx(db);
    {
        if (db.hasTable(old)) run(db, QStringLiteral("DROP TABLE ") + quoted(old));
        run(db, QStringLiteral("ALTER TABLE ") + quoted(table) + QStringLiteral(" RENAME TO ") + quoted(old));
        run(db, QStringLiteral("CREATE TABLE ") + quoted(table) + QStringLiteral(" ") + columnListText(target));
        if (copied.isEmpty()) {
            // Every row stays, even with no value to carry over.
            auto count = db.prepare(QStringLiteral("SELECT count(*) FROM ") + quoted(old));
            const qint64 rows = count->step() ? count->column(0).toLongLong() : 0;
            count.reset();
            auto insert = db.prepare(QStringLiteral("INSERT INTO ") + quoted(table) + QStringLiteral(" DEFAULT VALUES"));
            for (qint64 i = 0; i < rows; ++i) insert->run();
        } else {
            QString list;
            for (const QString& c : copied) list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + quoted(c);
            run(db, QStringLiteral("INSERT INTO ") + quoted(table) + QStringLiteral(" (") + list +
                    QStringLiteral(") SELECT ") + list + QStringLiteral(" FROM ") + quoted(old) +
                    QStringLiteral(" ORDER BY rowid"));
        }
        run(db, QStringLiteral("DROP TABLE ") + quoted(old));
    }
    tx.commit();
    return true;
}

}  // namespace volm
