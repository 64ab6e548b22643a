#include "store/formula_columns.h"

#include "store/app.h"
#include "store/database.h"
#include "store/errors.h"

namespace volm {

bool hasAfterHeadsColumn(Database& gr) {
    for (const Database::ColumnInfo& c : gr.columns(QStringLiteral("Формулы")))
        if (c.name.compare(kAfterHeadsColumn, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void addAfterHeadsColumn(Database& gr) {
    try {
        if (!gr.hasTable(QStringLiteral("Формулы")) || hasAfterHeadsColumn(gr)) return;
        gr.exec(QStringLiteral("ALTER TABLE [Формулы] ADD COLUMN [ПослеНапоров] bit DEFAULT 0"));
    } catch (const DatabaseError&) {
        // A read-only file keeps every indicator unmarked.
    }
}

void addAfterHeadsColumn(App& app) {
    Database& gr = app.dm.acGR;
    if (!gr.isOpen() || !gr.hasTable(QStringLiteral("Формулы")) || hasAfterHeadsColumn(gr)) return;
    addAfterHeadsColumn(gr);
    if (!hasAfterHeadsColumn(gr)) return;
    for (Table* t : {app.dm.atFormuli.get(), app.dm.atFormuli2.get()}) {
        if (!t || !t->isOpen()) continue;
        const int row = t->currentRow();
        t->close();
        t->open();
        if (row >= 0 && row < t->rowCount()) t->setCurrentRow(row);
    }
}

}  // namespace volm
