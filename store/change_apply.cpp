// A recorded step taken back or made again in the calculation file, and the
// cursors of its tables brought up to date by key.
#include "store/change_record.h"

#include "store/app.h"
#include "store/catalogue_check.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/records.h"
#include "store/sql_names.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <unordered_map>

namespace volm {

namespace {


// The quoted names of the fields, each with "= ?n" when assigned.
QString namesOf(const TableChanges& t, const std::vector<int>& fields, bool assigned) {
    QStringList out;
    for (size_t i = 0; i < fields.size(); ++i) {
        const QString name = quoteIdentifier(t.columnNames.value(fields[i]));
        out << (assigned ? QStringLiteral("%1 = ?%2").arg(name).arg(i + 1) : name);
    }
    return out.join(QStringLiteral(", "));
}

void removeRow(StatementCache& sts, const TableChanges& t, qint64 key) {
    Statement& st = sts.get(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoteIdentifier(t.table)));
    st.bind(1, key);
    st.run();
}

void putRow(StatementCache& sts, const TableChanges& t, const RowChange& r, qint64 key, const std::vector<QVariant>& values) {
    QStringList marks;
    for (size_t i = 0; i <= r.fields.size(); ++i) marks << QStringLiteral("?%1").arg(i + 1);
    Statement& st = sts.get(QStringLiteral("INSERT INTO %1 (%2, rowid) VALUES (%3)")
                                .arg(quoteIdentifier(t.table), namesOf(t, r.fields, false),
                                     marks.join(QStringLiteral(", "))));
    for (size_t i = 0; i < values.size(); ++i) st.bind(int(i + 1), values[i]);
    st.bind(int(values.size() + 1), key);
    st.run();
}

void updateRow(StatementCache& sts, const TableChanges& t, const RowChange& r, qint64 from, qint64 to,
               const std::vector<QVariant>& values) {
    const int n = int(r.fields.size());
    QString sets = namesOf(t, r.fields, true);
    if (from != to) sets += (n > 0 ? QStringLiteral(", ") : QString()) + QStringLiteral("rowid = ?%1").arg(n + 1);
    Statement& st = sts.get(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3").arg(quoteIdentifier(t.table), sets).arg(n + 2));
    for (int i = 0; i < n; ++i) st.bind(i + 1, values[size_t(i)]);
    if (from != to) st.bind(n + 1, to);
    else st.bindNull(n + 1);
    st.bind(n + 2, from);
    st.run();
}

// The fields a step names must still be in the file's table.
void checkColumns(Database& db, const TableChanges& t) {
    QSet<QString> present;
    for (const Database::ColumnInfo& c : db.columns(t.table)) present.insert(c.name.toUpper());
    for (const QString& n : t.columnNames)
        if (!present.contains(n.toUpper()))
            throw DatabaseError(QStringLiteral("Таблица \"%1\" изменилась: в ней нет поля \"%2\".").arg(t.table, n));
}

// A rebuilt table made again as it was (undo) or became: its statements, the
// rows with their keys put back before the indexes are made.
void remakeTable(Database& db, const TableImage& image, bool undo) {
    const QStringList& schema = undo ? image.schemaBefore : image.schemaAfter;
    const auto& kept = undo ? image.rowsBefore : image.rowsAfter;
    db.exec(QStringLiteral("DROP TABLE IF EXISTS main.") + quoteIdentifier(image.table));
    if (schema.isEmpty()) return;
    db.exec(schema.first());
    if (kept) {
        QStringList names;
        auto st = db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1, 'temp')"));
        st->bind(1, kept->name());
        while (st->step()) names << quoteIdentifier(st->column(0).toString());
        if (names.isEmpty())
            throw DatabaseError(QStringLiteral("Прежнее содержимое таблицы \"%1\" не сохранилось.").arg(image.table));
        const QString key = names.takeFirst();
        const QString list = names.join(QStringLiteral(", "));
        db.exec(QStringLiteral("INSERT INTO main.%1 (rowid, %2) SELECT %3, %2 FROM temp.%4 ORDER BY %3")
                    .arg(quoteIdentifier(image.table), list, key, quoteIdentifier(kept->name())));
    }
    for (qsizetype i = 1; i < schema.size(); ++i) db.exec(schema[i]);
}

bool rebuilt(const ChangeSet& set, const QString& table) {
    for (const TableImage& i : set.images)
        if (i.table.compare(table, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The open cursors of the calculation file on this table.
std::vector<Table*> cursorsOn(DataModule& dm, const QString& table) {
    std::vector<Table*> out;
    for (const auto* t : {&dm.atZag, &dm.atNazvRasch, &dm.atTabl, &dm.atFormuli, &dm.atFormuli2, &dm.atFlyPredoprPok,
                          &dm.atFlyPredoprPok2, &dm.atUzliTS, &dm.atMagistraliTS, &dm.atPrioritetiZag,
                          &dm.atPrioritetiTabl, &dm.atSpisokRaschUchastkov, &dm.atIzmPNapVUzlahTS, &dm.atKonMag})
        if (*t && (*t)->isOpen() && (*t)->tableName().compare(table, Qt::CaseInsensitive) == 0) out.push_back(t->get());
    return out;
}

// The cursor back on the row that was current, or on its first row.
void keepCurrent(Table& c, qint64 current) {
    if (current == 0 || !c.locate(current)) {
        if (c.currentRow() < 0 && c.rowCount() > 0) c.first();
    }
}

// Few rows are re-read one by one; many, by re-reading the cursor.
constexpr int kRowsReadOneByOne = 50;

void refreshCursor(Table& c, const TableChanges& t) {
    if (c.editing()) c.cancel();
    const qint64 current = c.rowid();
    if (int(t.rows.size()) > kRowsReadOneByOne) {
        c.requery();
    } else {
        QSet<qint64> keys;
        for (const RowChange& r : t.rows) {
            if (r.keyBefore) keys.insert(r.keyBefore);
            if (r.keyAfter) keys.insert(r.keyAfter);
        }
        for (qint64 k : keys) c.refreshRow(k, true);
    }
    keepCurrent(c, current);
}

// Whether the step changed what the formulas are checked against: the
// indicators, the network type, the tables' columns.
bool readsFormulasAgain(const ChangeSet& set) {
    if (set.rebuildsTables()) return true;
    for (const TableChanges& t : set.tables) {
        if (t.table == QStringLiteral("Формулы") || t.table == QStringLiteral("ФлыПредопрПок")) return true;
        if (t.table != QStringLiteral("НазвРасч")) continue;
        const int type = int(t.columnNames.indexOf(QStringLiteral("ТипСети")));
        for (const RowChange& r : t.rows)
            if (r.kind != RowChange::Kind::Update || std::find(r.fields.begin(), r.fields.end(), type) != r.fields.end())
                return true;
    }
    return false;
}

// A cursor on a rebuilt table reads its columns again, its current row kept;
// on a table that is no longer there it closes.
void reopenCursor(Table& c) {
    if (c.editing()) c.cancel();
    const qint64 current = c.rowid();
    c.close();
    if (!c.database().hasTable(c.tableName())) return;
    c.open();
    keepCurrent(c, current);
}

}  // namespace

bool applyChangeSet(App& app, const ChangeSet& set, bool undo) {
    Database& db = app.dm.acGR;
    if (!db.isOpen()) throw DatabaseError(QStringLiteral("Расчет не открыт."));
    // The rows of a rebuilt table meet the columns they were written in only as
    // the step goes.
    for (const TableChanges& t : set.tables)
        if (!rebuilt(set, t.table)) checkColumns(db, t);
    {
        RecordingPause pause(app.changes);
        StatementCache sts(db);
        Transaction tx(db);
        const size_t n = set.order.size();
        for (size_t k = 0; k < n; ++k) {
            const auto& [ti, ri] = set.order[undo ? n - 1 - k : k];
            if (ti < 0) {
                remakeTable(db, set.images[size_t(-1 - ti)], undo);
                continue;
            }
            const TableChanges& t = set.tables[size_t(ti)];
            const RowChange& r = t.rows[size_t(ri)];
            using Kind = RowChange::Kind;
            const bool removes = (r.kind == Kind::Insert) == undo && r.kind != Kind::Update;
            if (removes) removeRow(sts, t, undo ? r.keyAfter : r.keyBefore);
            else if (r.kind == Kind::Update)
                updateRow(sts, t, r, undo ? r.keyAfter : r.keyBefore, undo ? r.keyBefore : r.keyAfter,
                          undo ? r.before : r.after);
            else putRow(sts, t, r, undo ? r.keyBefore : r.keyAfter, undo ? r.before : r.after);
        }
        tx.commit();
        UstanovitRasVip(app, false);
    }
    for (const TableImage& i : set.images)
        for (Table* c : cursorsOn(app.dm, i.table)) reopenCursor(*c);
    for (const TableChanges& t : set.tables)
        if (!rebuilt(set, t.table))
            for (Table* c : cursorsOn(app.dm, t.table)) refreshCursor(*c, t);
    bool reshaped = false;
    if (readsFormulasAgain(set)) {
        // The formulas are read again as on opening. The tables have the
        // columns they ask for, unless the step is part of a session whose
        // rebuild came in a later step.
        RecordingPause pause(app.changes);
        if (CatalogueCheck* check = app.catalogueCheck()) {
            const QString before = schemaText(db);
            check->checkAndRebuild(app);
            reshaped = schemaText(db) != before;
        }
    }
    app.changed();
    return !reshaped;
}

}  // namespace volm
