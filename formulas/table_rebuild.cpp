#include "formulas/table_rebuild.h"

#include "store/database.h"
#include "store/errors.h"
#include "store/sql_names.h"
#include "store/table.h"

#include <cmath>
#include <optional>

namespace volm {

namespace {

// Runs one built statement (names quoted, SQLite's own dialect).
void run(Database& db, const QString& sql) { db.prepare(sql)->run(); }

// A whole number from a stored value, when it is one.
std::optional<qint64> wholeNumber(const QVariant& v) {
    bool ok = false;
    if (v.typeId() == QMetaType::LongLong) return v.toLongLong();
    double d = 0;
    if (v.typeId() == QMetaType::Double) {
        d = v.toDouble();
    } else {
        const QString t = v.toString().trimmed();
        const qint64 n = t.toLongLong(&ok);
        if (ok) return n;
        d = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok) return std::nullopt;
    }
    if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15) return std::nullopt;
    return qint64(d);
}

// A value of the column's new type; nullopt when it has none.
std::optional<QVariant> converted(const QVariant& v, const ColumnSpec& to) {
    if (v.isNull()) return QVariant();
    const bool text = v.typeId() == QMetaType::QString;
    if (to.kind != FieldKind::Text && text && v.toString().trimmed().isEmpty()) return QVariant();
    switch (to.kind) {
    case FieldKind::Text: {
        const QString t = v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 15) : v.toString();
        if (t.size() > to.size) return std::nullopt;
        return QVariant(t);
    }
    case FieldKind::Float: {
        if (!text) return QVariant(v.toDouble());
        bool ok = false;
        const double d = v.toString().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || !std::isfinite(d)) return std::nullopt;
        return QVariant(d);
    }
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::Byte:
    case FieldKind::Bool: {
        const std::optional<qint64> n = wholeNumber(v);
        if (!n) return std::nullopt;
        if (to.kind == FieldKind::SmallInt && (*n < -32768 || *n > 32767)) return std::nullopt;
        if (to.kind == FieldKind::Byte && (*n < 0 || *n > 255)) return std::nullopt;
        if (to.kind == FieldKind::Bool) return QVariant(qint64(*n != 0));
        return QVariant(*n);
    }
    case FieldKind::Unknown: break;
    }
    return v;
}

// The values of a converted column, keyed by the rowid their row gets in the
// new table; DatabaseError naming the column and the first row whose value
// the new type cannot hold.
std::vector<std::pair<qint64, QVariant>> convertColumn(Database& db, const QString& table, const QString& old,
                                                       const ColumnSpec& to, const QString& key) {
    std::vector<std::pair<qint64, QVariant>> out;
    auto st = db.prepare(QStringLiteral("SELECT ") + key + QStringLiteral(", ") + quoteIdentifier(to.name) +
                         QStringLiteral(" FROM ") + quoteIdentifier(old) + QStringLiteral(" ORDER BY rowid"));
    qint64 row = 0;
    while (st->step()) {
        ++row;
        const QVariant v = st->column(1);
        const std::optional<QVariant> c = converted(v, to);
        if (!c) {
            QString shown = v.toString();
            if (shown.size() > 50) shown = shown.left(50) + QStringLiteral("…");
            throw DatabaseError(QStringLiteral("Значение \"%1\" поля \"%2\" таблицы \"%3\" в строке %4 не может быть "
                                               "преобразовано в тип %5. Файл не изменен.")
                                    .arg(shown, to.name, table)
                                    .arg(row)
                                    .arg(columnTypeText(ColumnSpec{to.name, to.kind, to.size, false})));
        }
        out.emplace_back(st->column(0).toLongLong(), *c);
    }
    return out;
}

}  // namespace

ColumnList convertedColumns(const ColumnList& current, const ColumnList& target) {
    ColumnList out;
    for (const ColumnSpec& t : target) {
        for (const ColumnSpec& c : current) {
            if (c.name != t.name) continue;
            if (!(c.kind == t.kind && t.size >= c.size)) out.push_back(t);
            break;
        }
    }
    return out;
}

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
    const ColumnList changed = convertedColumns(current, target);
    // The rows keep their rowid, or take the copied key column's value as it.
    QString keyColumn;
    for (const ColumnSpec& t : target)
        if (t.primaryKey && copied.contains(t.name)) keyColumn = t.name;
    const QString key = keyColumn.isEmpty() ? QStringLiteral("rowid") : quoteIdentifier(keyColumn);
    Transaction tx(db);
    {
        if (db.hasTable(old)) run(db, QStringLiteral("DROP TABLE ") + quoteIdentifier(old));
        run(db, QStringLiteral("ALTER TABLE ") + quoteIdentifier(table) + QStringLiteral(" RENAME TO ") + quoteIdentifier(old));
        run(db, QStringLiteral("CREATE TABLE ") + quoteIdentifier(table) + QStringLiteral(" ") + columnListText(target));
        // Every row stays, even with no value to carry over.
        QString list = keyColumn.isEmpty() ? QStringLiteral("rowid") : QString();
        for (const QString& c : copied) list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + quoteIdentifier(c);
        run(db, QStringLiteral("INSERT INTO ") + quoteIdentifier(table) + QStringLiteral(" (") + list +
                QStringLiteral(") SELECT ") + list + QStringLiteral(" FROM ") + quoteIdentifier(old) +
                QStringLiteral(" ORDER BY rowid"));
        // A column of another type keeps its values in the new type.
        for (const ColumnSpec& c : changed) {
            const auto values = convertColumn(db, table, old, c, key);
            auto update = db.prepare(QStringLiteral("UPDATE ") + quoteIdentifier(table) + QStringLiteral(" SET ") +
                                     quoteIdentifier(c.name) + QStringLiteral(" = ?1 WHERE rowid = ?2"));
            for (const auto& [rowid, value] : values) {
                update->bind(1, value);
                update->bind(2, rowid);
                update->run();
            }
        }
        run(db, QStringLiteral("DROP TABLE ") + quoteIdentifier(old));
    }
    tx.commit();
    return true;
}

}  // namespace volm
