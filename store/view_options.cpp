#include "store/view_options.h"

#include "store/app.h"
#include "store/database.h"

#include <QSet>
#include <algorithm>

namespace volm {

namespace {

const QString kTable = QStringLiteral("Настройки");
const QString kShowComputed = QStringLiteral("ПоказРасчПок");
const QString kChoiceTable = QStringLiteral("РасчСтолбцы");

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

ComputedColumnChoice computedColumnChoice(Database& calc) {
    ComputedColumnChoice out;
    if (!calc.isOpen() || !calc.hasTable(kChoiceTable)) return out;
    auto st = calc.prepare(
        QStringLiteral("SELECT \"Показатель\", \"Показывать\" FROM \"РасчСтолбцы\" ORDER BY \"Nпп\", rowid"));
    while (st->step()) {
        const QString name = st->column(0).toString().trimmed();
        if (name.isEmpty()) continue;
        const QVariant shown = st->column(1);
        out.push_back({name, shown.isNull() || shown.toBool()});
    }
    return out;
}

void setComputedColumnChoice(Database& calc, const ComputedColumnChoice& choice) {
    Transaction tx(calc);
    if (!calc.hasTable(kChoiceTable))
        calc.exec(QStringLiteral(
            "CREATE TABLE \"РасчСтолбцы\" (\"Nпп\" integer, \"Показатель\" text(50), \"Показывать\" bit)"));
    calc.exec(QStringLiteral("DELETE FROM \"РасчСтолбцы\""));
    auto st = calc.prepare(QStringLiteral("INSERT INTO \"РасчСтолбцы\" VALUES (?1, ?2, ?3)"));
    int n = 0;
    for (const ComputedColumn& c : choice) {
        st->bind(1, qint64(++n));
        st->bind(2, c.indicator);
        st->bind(3, QVariant(c.shown));
        st->run();
    }
    tx.commit();
}

ComputedColumnChoice arrangeComputedColumns(const QStringList& available, const ComputedColumnChoice& choice) {
    ComputedColumnChoice out;
    QSet<QString> placed;
    auto key = [](const QString& name) { return name.toCaseFolded(); };
    for (const ComputedColumn& c : choice) {
        const auto at = std::find_if(available.cbegin(), available.cend(), [&](const QString& name) {
            return name.compare(c.indicator, Qt::CaseInsensitive) == 0;
        });
        if (at == available.cend() || placed.contains(key(c.indicator))) continue;
        placed.insert(key(c.indicator));
        out.push_back({*at, c.shown});
    }
    for (const QString& name : available)
        if (!placed.contains(key(name))) out.push_back({name, true});
    return out;
}

QStringList shownComputedColumns(const QStringList& available, const ComputedColumnChoice& choice) {
    QStringList out;
    for (const ComputedColumn& c : arrangeComputedColumns(available, choice))
        if (c.shown) out << c.indicator;
    return out;
}

}  // namespace volm
