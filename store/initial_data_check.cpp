#include "store/initial_data_check.h"

#include "store/app.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/result_reader.h"
#include "store/sql_names.h"

#include <climits>

namespace volm {

namespace {

// True when a row of the cursor's table has Nуз equal to node, its values
// taken as the cursor holds them. A Null start node matches no row (a Null
// node number never equals it). The table is read through a statement of its
// own: the cursor's rows need not be read for it.
bool hasNode(const Table& t, const QVariant& node) {
    const int f = t.fieldIndex(QStringLiteral("Nуз"));
    if (f < 0) throw DatabaseError(QStringLiteral("Не найдено поле \"Nуз\" в таблице \"%1\".").arg(t.tableName()));
    if (node.isNull()) return false;
    const qint64 wanted = node.toLongLong();
    const Field& field = t.fields()[size_t(f)];
    auto st = t.database().prepare(QStringLiteral("SELECT ") + quoteIdentifier(field.name) + QStringLiteral(" FROM ") +
                                   quoteIdentifier(t.tableName()));
    const bool integers = field.kind != FieldKind::Bool;  // a flag holds 0 or 1, whatever the file stores
    while (st->step()) {
        if (const std::optional<qint64> n = storedInteger(*st, 0); integers && n && *n >= INT_MIN && *n <= INT_MAX) {
            if (*n == wanted) return true;
            continue;
        }
        const QVariant v = fieldValue(*st, 0, field.kind);
        if (!v.isNull() && v.toLongLong() == wanted) return true;
    }
    return false;
}

}  // namespace

bool ProveritNachDann(App& app) {
    DataModule& dm = app.dm;
    if (!dm.atNazvRasch || !dm.atUzliTS || !dm.atIzmPNapVUzlahTS)
        throw DatabaseError(QStringLiteral("Файл гидравлического расчета не открыт."));
    Table& nazv = *dm.atNazvRasch;
    nazv.first();
    const QVariant start = nazv.value(QStringLiteral("NНачУз"));

    if (!hasNode(*dm.atUzliTS, start)) {
        app.person().message(
            QStringLiteral("Номер начального узла тепловой сети не найден в таблице \"Узлы тепловой сети\"."));
        return false;
    }
    if (hasNode(*dm.atIzmPNapVUzlahTS, start)) {
        app.person().message(QStringLiteral(
            "Номер начального узла тепловой сети не должен присутствовать в таблице \"Изменение полного напора в "
            "узлах теплосети\"."));
        return false;
    }
    return true;
}

}  // namespace volm
