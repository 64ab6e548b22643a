#include "store/initial_data_check.h"

#include "store/app.h"
#include "store/errors.h"

namespace volm {

namespace {

// Walks t from its first row until a row's Nуз equals node; true when found.
// A Null start node matches no row (a Null node number never equals it).
bool walkToNode(Table& t, const QVariant& node) {
    const int f = t.fieldIndex(QStringLiteral("Nуз"));
    if (f < 0) throw DatabaseError(QStringLiteral("Не найдено поле \"Nуз\" в таблице \"%1\".").arg(t.tableName()));
    t.first();
    while (!t.eof()) {
        const QVariant v = t.value(f);
        if (!node.isNull() && !v.isNull() && v.toLongLong() == node.toLongLong()) return true;
        t.next();
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

    if (!walkToNode(*dm.atUzliTS, start)) {
        app.person().message(
            QStringLiteral("Номер начального узла тепловой сети не найден в таблице \"Узлы тепловой сети\"."));
        return false;
    }
    if (walkToNode(*dm.atIzmPNapVUzlahTS, start)) {
        app.person().message(QStringLiteral(
            "Номер начального узла тепловой сети не должен присутствовать в таблице \"Изменение полного напора в "
            "узлах теплосети\"."));
        return false;
    }
    return true;
}

}  // namespace volm
