#include "store/view_options.h"

#include "store/app.h"
#include "store/database.h"

namespace volm {

namespace {

const QString kTable = QStringLiteral("Настройки");
const QString kShowComputed = QStringLiteral("ПоказРасчПок");

bool hasColumn(Database& db, const QString& column) {
    for (const Database::ColumnInfo& c : db.columns(kTable))
        if (c.name.compare(column, Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

bool showComputedIndicators(App& app) {
    Database& db = app.dm.acNastr;
    if (!db.isOpen() || !hasColumn(db, kShowComputed)) return false;
    auto st = db.prepare(QStringLiteral("SELECT \"ПоказРасчПок\" FROM \"Настройки\" ORDER BY rowid LIMIT 1"));
    if (!st->step()) return false;
    const QVariant v = st->column(0);
    return !v.isNull() && v.toBool();
}

void setShowComputedIndicators(App& app, bool show) {
    Database& db = app.dm.acNastr;
    if (!db.isOpen()) return;
    if (!hasColumn(db, kShowComputed)) db.exec(QStringLiteral("ALTER TABLE [Настройки] ADD COLUMN [ПоказРасчПок] bit"));
    auto st = db.prepare(QStringLiteral(
        "UPDATE \"Настройки\" SET \"ПоказРасчПок\" = ?1 WHERE rowid = (SELECT rowid FROM \"Настройки\" ORDER BY rowid LIMIT 1)"));
    st->bind(1, QVariant(show));
    st->run();
}

}  // namespace volm
