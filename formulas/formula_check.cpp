#include "formulas/formula_check.h"

#include "formulas/formula_text.h"
#include "formulas/name_rules.h"
#include "formulas/priorities.h"
#include "formulas/reference_check.h"
#include "store/app.h"
#include "store/command.h"
#include "store/controls_pause.h"
#include "store/sql_names.h"

namespace volm {

namespace {

// Rewrites a priority table with the rows worked out.
void writePriorities(Database& gr, const QString& table, const std::vector<PriorityRow>& rows) {
    Transaction tx(gr);
    gr.prepare(QStringLiteral("DELETE FROM ") + quoteIdentifier(table))->run();
    auto st = gr.prepare(QStringLiteral("INSERT INTO ") + quoteIdentifier(table) + QStringLiteral(" (") +
                         quoteIdentifier(QStringLiteral("Показатель")) + QStringLiteral(", ") +
                         quoteIdentifier(QStringLiteral("Nприоритета")) + QStringLiteral(") VALUES (?1, ?2)"));
    for (const auto& r : rows) {
        st->bind(1, r.name);
        st->bind(2, qint64(r.priority));
        st->run();
    }
    st.reset();
    tx.commit();
}

void requery(Table* t) {
    if (t && t->isOpen()) t->requery();
}

}  // namespace

std::optional<QString> checkCatalogue(const Catalogue& catalogue, bool twoPipe) {
    for (const Indicator& i : catalogue.user)
        if (auto e = checkUserShortName(i.shortName, catalogue)) return e;
    for (const Indicator& i : catalogue.user)
        if (auto e = ProveritSsylki(QStringLiteral("Показатели расчета:"), i.shortName, formulaText(i.formula), i.table,
                                    catalogue, !twoPipe, i.afterHeads && !i.userEntered))
            return e;
    QStringList predefined{QStringLiteral("ПотНОтИКонПод")};
    if (twoPipe) predefined << QStringLiteral("ПотНОтИКонОбр");
    for (const QString& name : predefined) {
        const Indicator* p = catalogue.findPredefined(name);
        if (auto e = ProveritSsylki(QStringLiteral("Предопределенные показатели расчета:"), name,
                                    formulaText(p ? p->formula : QString()), true, catalogue, !twoPipe))
            return e;
    }
    return std::nullopt;
}

bool ProveritFormuli(App& app) {
    DataModule& dm = app.dm;
    Person& person = app.person();
    std::optional<QString> error;

    app.FormuliProvereny = false;
    person.busy(true);
    bool busy = true;
    ControlsPause pauseFormulas(dm.atFormuli.get());
    ControlsPause pausePredefined(dm.atFlyPredoprPok.get());

    auto finish = [&] {
        // The pairs live only during the check.
        if (dm.acVremDB.isOpen() && dm.acVremDB.hasTable(QStringLiteral("ЗависимостьПоказателей")))
            dm.acVremDB.exec(QStringLiteral("DELETE FROM ЗависимостьПоказателей"));
        requery(dm.atZavisimostPokazatelei.get());
        if (busy) person.busy(false);
        busy = false;
    };
    Finally resume([&] {
        if (busy) person.busy(false);
    });

    requery(dm.atFormuli2.get());
    requery(dm.atFlyPredoprPok2.get());
    const Catalogue catalogue = Catalogue::load(dm.acGR);
    QVariant type;
    {
        auto st = dm.acGR.prepare(QStringLiteral("SELECT [ТипСети] FROM [НазвРасч] ORDER BY rowid LIMIT 1"));
        if (st->step()) type = st->column(0);
    }
    const bool twoPipe = !type.isNull() && type.toLongLong() == 1;

    error = checkCatalogue(catalogue, twoPipe);
    if (!error) {
        const Placement header = placeHeader(catalogue, twoPipe);
        writePriorities(dm.acGR, QStringLiteral("ПриоритетыЗаг"), header.rows);
        requery(dm.atPrioritetiZag.get());
        error = header.error;
        if (!error) {
            const Placement table = placeTable(catalogue, twoPipe);
            writePriorities(dm.acGR, QStringLiteral("ПриоритетыТабл"), table.rows);
            requery(dm.atPrioritetiTabl.get());
            error = table.error;
        }
    }

    finish();
    if (error) {
        app.FormuliProvereny = false;
        person.message(*error);
    } else {
        app.FormuliProvereny = true;
    }
    return app.FormuliProvereny;
}

}  // namespace volm
