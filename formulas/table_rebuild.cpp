#include "formulas/table_rebuild.h"

#include "store/database.h"
#include "store/table.h"

namespace volm {

namespace {

QString bracket(const QString& name) { return QStringLiteral("[") + name + QStringLiteral("]"); }

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
    db.begin();
    try {
        if (db.hasTable(old)) db.exec(QStringLiteral("DROP TABLE ") + bracket(old));
        db.exec(QStringLiteral("ALTER TABLE ") + bracket(table) + QStringLiteral(" RENAME TO ") + bracket(old));
        db.exec(QStringLiteral("CREATE TABLE ") + bracket(table) + QStringLiteral(" ") + columnListText(target));
        if (copied.isEmpty()) {
            // Every row stays, even with no value to carry over.
            auto count = db.prepare(QStringLiteral("SELECT count(*) FROM ") + bracket(old));
            const qint64 rows = count->step() ? count->column(0).toLongLong() : 0;
            count.reset();
            auto insert = db.prepare(QStringLiteral("INSERT INTO ") + bracket(table) + QStringLiteral(" DEFAULT VALUES"));
            for (qint64 i = 0; i < rows; ++i) insert->run();
        } else {
            QString list;
            for (const QString& c : copied) list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + bracket(c);
            db.exec(QStringLiteral("INSERT INTO ") + bracket(table) + QStringLiteral(" (") + list +
                    QStringLiteral(") SELECT ") + list + QStringLiteral(" FROM ") + bracket(old) +
                    QStringLiteral(" ORDER BY rowid"));
        }
        db.exec(QStringLiteral("DROP TABLE ") + bracket(old));
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    return true;
}

}  // namespace volm
