#include "store/looped_network.h"

#include "store/database.h"

namespace volm {

void ensureLoopedColumn(Database& db) {
    for (const Database::ColumnInfo& c : db.columns(QStringLiteral("НазвРасч")))
        if (c.name.compare(kLoopedColumn, Qt::CaseInsensitive) == 0) return;
    db.exec(QStringLiteral("ALTER TABLE [НазвРасч] ADD COLUMN [КольцСеть] bit DEFAULT 0"));
}

}  // namespace volm
