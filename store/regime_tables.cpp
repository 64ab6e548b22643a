#include "store/regime_tables.h"

#include "store/database.h"
#include "store/errors.h"

namespace volm {

void ensureRegimeTables(Database& db) {
    try {
        if (!db.hasTable(QStringLiteral("ПроверкиРежима")))
            db.exec(QStringLiteral("CREATE TABLE \"ПроверкиРежима\" (\"Nпп\" integer, \"Показатель\" text(50), "
                                   "\"Условие\" text(10), \"Предел\" float, \"Предупреждение\" text(255))"));
        if (!db.hasTable(QStringLiteral("ПределыНапоров")))
            db.exec(QStringLiteral("CREATE TABLE \"ПределыНапоров\" (\"МинНапор\" float, \"ПровМинНапор\" bit, "
                                   "\"МаксНапор\" float, \"ПровМаксНапор\" bit, \"ЗапасВскип\" float, \"ПровВскип\" bit, "
                                   "\"ТребРНап\" float, \"ПровТребРНап\" bit)"));
        auto count = db.prepare(QStringLiteral("SELECT count(*) FROM \"ПределыНапоров\""));
        if (count->step() && count->column(0).toLongLong() == 0)
            db.exec(QStringLiteral("INSERT INTO \"ПределыНапоров\" VALUES (5, 1, 160, 1, 5, 1, 0, 0)"));
    } catch (const DatabaseError&) {
        // Read-only file: it stays without the tables.
    }
}

}  // namespace volm
