#include "formulas/table_structure.h"

#include "formulas/table_columns.h"
#include "formulas/table_rebuild.h"
#include "store/app.h"
#include "store/change_record.h"
#include "store/command.h"

namespace volm {

namespace {

const Indicator* captionIndicator(const Catalogue& c, const QString& field) {
    if (const Indicator* p = c.findPredefined(field)) return p;
    return c.findUser(field);
}

bool shown(const Catalogue& c, const QString& field) {
    const Indicator* i = captionIndicator(c, field);
    return i && i->userEntered;
}

std::vector<QString> names(const Table& t) {
    std::vector<QString> out;
    for (const Field& f : t.fields()) out.push_back(f.name);
    return out;
}

// The cursor of a calculation table, opened when the data module has none.
Table& cursor(std::unique_ptr<Table>& slot, Database& db, const QString& name) {
    if (!slot) slot = std::make_unique<Table>(db, name);
    if (!slot->isOpen()) slot->open();
    return *slot;
}

void reopen(Table& t, const QString& sort = QString()) {
    t.close();
    if (!sort.isEmpty()) t.setSort(sort);
    t.open();
}

void applyVisibility(Table& t, const std::vector<ShownColumn>& shownColumns) {
    for (const Field& f : std::vector<Field>(t.fields())) {
        bool visible = false;
        for (const auto& s : shownColumns) visible = visible || s.field == f.name;
        t.setFieldVisible(f.name, visible);
    }
}

// Drops and re-creates a caption table with one text column per shown column
// and its one row of captions. With nothing shown it still gets one column П1,
// holding no caption.
void writeCaptionTable(Database& scratch, const QString& name, const std::vector<ShownColumn>& columns) {
    if (scratch.hasTable(QStringLiteral("ВКол"))) scratch.exec(QStringLiteral("DELETE FROM ВКол"));
    if (scratch.hasTable(name)) scratch.exec(QStringLiteral("DROP TABLE ") + name);
    const int n = std::max<int>(1, int(columns.size()));
    QString decl, list, params;
    for (int k = 1; k <= n; ++k) {
        const QString sep = k > 1 ? QStringLiteral(", ") : QString();
        decl += sep + QStringLiteral("П%1 text").arg(k);
        list += sep + QStringLiteral("[П%1]").arg(k);
        params += sep + QStringLiteral("?%1").arg(k);
    }
    scratch.exec(QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (") + decl + QStringLiteral(")"));
    auto st = scratch.prepare(QStringLiteral("INSERT INTO [") + name + QStringLiteral("] (") + list +
                              QStringLiteral(") VALUES (") + params + QStringLiteral(")"));
    for (int k = 1; k <= n; ++k) {
        if (k <= int(columns.size())) st->bind(k, columns[size_t(k - 1)].caption);
        else st->bindNull(k);
    }
    st->run();
}

void reopenScratch(std::unique_ptr<Table>& t) {
    if (t) reopen(*t);
}

}  // namespace

std::vector<ShownColumn> headerShownColumns(const std::vector<QString>& fields, const Catalogue& catalogue) {
    std::vector<ShownColumn> out;
    for (const QString& f : fields)
        if (shown(catalogue, f)) out.push_back({f, captionIndicator(catalogue, f)->fullName});
    return out;
}

std::vector<ShownColumn> sectionShownColumns(const std::vector<QString>& fields, const Catalogue& catalogue) {
    std::vector<ShownColumn> out;
    out.push_back({QStringLiteral("НачУзел"), QStringLiteral("Номер начального узла участка")});
    out.push_back({QStringLiteral("КонУзел"), QStringLiteral("Номер конечного узла участка")});
    bool between = false;
    for (const QString& f : fields) {
        if (f == QStringLiteral("Примечание")) break;
        if (between && shown(catalogue, f)) out.push_back({f, captionIndicator(catalogue, f)->fullName});
        if (f == QStringLiteral("ГеодВысКон")) between = true;
    }
    out.push_back({QStringLiteral("Примечание"), QStringLiteral("Примечание")});
    return out;
}

void NastroitStrukturuTablic(App& app) {
    DataModule& dm = app.dm;
    Database& gr = dm.acGR;
    Person& person = app.person();

    person.busy(true);
    bool busy = true;
    Finally end([&] {
        person.status(QString());
        if (busy) person.busy(false);
    });
    person.status(QStringLiteral("Настройка структуры таблиц гидравлического расчета..."));
    person.processEvents();

    QVariant type;
    {
        auto st = gr.prepare(QStringLiteral("SELECT [ТипСети] FROM [НазвРасч] ORDER BY rowid LIMIT 1"));
        if (st->step()) type = st->column(0);
    }
    bool typeOk = false;
    const qint64 t = type.isNull() ? -1 : type.toLongLong(&typeOk);
    if (!typeOk || (t != 0 && t != 1)) {
        person.busy(false);
        busy = false;
        person.message(QStringLiteral("Тип сети указан неверно!"));
        return;
    }
    const bool twoPipe = t == 1;
    const Catalogue catalogue = Catalogue::load(gr);

    // Inside a recorded step (a dialog's session) the tables whose columns
    // change become part of the step, so that it can be taken back whole.
    RecordedRebuild recorded(app.changes, {QStringLiteral("Заг"), QStringLiteral("Табл"), QStringLiteral("КонМаг")});
    // The three tables change together or not at all: a rebuild that stops
    // leaves the whole file as it was. The caption tables of the scratch
    // database are written in one transaction of their own.
    Transaction tx(gr);
    Transaction scratchTx(dm.acVremDB);

    // Header.
    Table& zag = cursor(dm.atZag, gr, QStringLiteral("Заг"));
    PerestroitTablicu(gr, QStringLiteral("Заг"), currentHeaderColumns(zag.fields()),
                      targetHeaderColumns(catalogue, twoPipe));
    reopen(zag);
    const auto headerShown = headerShownColumns(names(zag), catalogue);
    applyVisibility(zag, headerShown);
    writeCaptionTable(dm.acVremDB, QStringLiteral("ВКолЗаг"), headerShown);
    reopenScratch(dm.atVKolZag);

    // Sections.
    Table& tabl = cursor(dm.atTabl, gr, QStringLiteral("Табл"));
    PerestroitTablicu(gr, QStringLiteral("Табл"), currentSectionColumns(tabl.fields()),
                      targetSectionColumns(catalogue, twoPipe));
    reopen(tabl, app.sectionSort);
    const auto sectionShown = sectionShownColumns(names(tabl), catalogue);
    applyVisibility(tabl, sectionShown);
    writeCaptionTable(dm.acVremDB, QStringLiteral("ВКолТабл"), sectionShown);
    reopenScratch(dm.atVKolTabl);
    if (dm.atVKol && dm.atVKol->isOpen()) dm.atVKol->requery();

    // End-node results.
    Table& konMag = cursor(dm.atKonMag, gr, QStringLiteral("КонМаг"));
    PerestroitTablicu(gr, QStringLiteral("КонМаг"), currentMainEndColumns(konMag.fields()),
                      targetMainEndColumns(twoPipe));
    reopen(konMag);
    tx.commit();
    scratchTx.commit();

    Q_EMIT app.tablesShaped(twoPipe);
    app.changed();
}

}  // namespace volm
