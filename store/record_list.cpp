#include "store/record_list.h"

#include "store/sql_names.h"

#include "store/command.h"
#include "store/controls_pause.h"
#include "store/database.h"
#include "store/person.h"
#include "store/table.h"

#include <algorithm>

namespace volm {

void postPendingRow(Table& t) {
    if (!t.editing()) return;
    if (t.state() == Table::State::Insert && !t.modified())
        t.cancel();
    else
        t.post();
}

bool deleteSelectedRecords(Person& person, Table& t, Database& db, std::vector<int> selectedRows,
                           const RowDeleteStatement& statement) {
    return deleteSelectedRows(person, t, std::move(selectedRows),
                              [&](const Table& table, int row) { db.exec(statement(table, row)); });
}

bool deleteSelectedRows(Person& person, Table& t, std::vector<int> selectedRows, const RowDelete& deleteRow) {
    postPendingRow(t);
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    selectedRows.erase(std::remove_if(selectedRows.begin(), selectedRows.end(),
                                      [&](int r) { return r < 0 || r >= t.rowCount(); }),
                       selectedRows.end());
    if (selectedRows.empty()) {
        person.message(QStringLiteral("Выделите хотя бы одну запись."));
        return false;
    }
    if (!person.ask(QStringLiteral("Удалить выделенные записи?"))) return false;

    ControlsPause pause(&t);
    int n = 0;
    int r = 0;  // record number (1-based) of the last deleted row
    for (int row : selectedRows) {
        r = row + 1;
        ++n;
        deleteRow(t, row);
    }
    t.requery();
    const int q = r - n;
    if (!t.isEmpty()) {
        if (q >= t.recordCount()) {
            t.last();
        } else {
            t.first();
            t.moveBy(q);
        }
    }
    return true;
}

bool deleteAllRecords(Person& person, Table& t, Database& db) {
    if (!person.ask(QStringLiteral("Удалить все записи?"))) return false;
    ControlsPause pause(&t);
    if (t.editing()) t.cancel();
    db.prepare(QStringLiteral("DELETE FROM ") + quoteIdentifier(t.tableName()))->run();
    t.requery();
    return true;
}

namespace {

QVariant at(const Table& t, int row, const char* field) {
    const QString name = QString::fromUtf8(field);
    const int f = t.fieldIndex(name);
    if (f < 0) throw DatabaseError(QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(name, t.tableName()));
    return t.valueAt(row, f);
}

// A node number as SQL condition text: "Nуз=5"; a row without a number is
// reached by "Nуз Is Null".
QString nodeCondition(const QVariant& node) {
    return node.isNull() ? QStringLiteral("Nуз Is Null") : QStringLiteral("Nуз=") + QString::number(node.toLongLong());
}

}  // namespace

QString deleteSectionStatement(const Table& sections, int row) {
    return QStringLiteral("DELETE FROM Табл WHERE id=") + QString::number(at(sections, row, "id").toLongLong());
}

QString deleteNodeStatement(const Table& nodes, int row) {
    return QStringLiteral("DELETE FROM УзлыТС WHERE ") + nodeCondition(at(nodes, row, "Nуз"));
}

QString deleteHeadChangeStatement(const Table& changes, int row) {
    const QVariant pipe = at(changes, row, "ТрПр");
    const QString pipeCondition = pipe.isNull() ? QStringLiteral("ТрПр Is Null")
                                                : QStringLiteral("ТрПр=") + (pipe.toBool() ? QStringLiteral("True")
                                                                                          : QStringLiteral("False"));
    return QStringLiteral("DELETE FROM ИзмПНапВУзлахТС WHERE (") + nodeCondition(at(changes, row, "Nуз")) +
           QStringLiteral(") and (") + pipeCondition + QLatin1Char(')');
}

QString deleteIndicatorStatement(const Table& formulas, int row) {
    QString name = at(formulas, row, "НаимПокСокр").toString();
    name.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("DELETE FROM Формулы WHERE НаимПокСокр='") + name + QLatin1Char('\'');
}

}  // namespace volm
