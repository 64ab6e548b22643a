// The regime checks over the stored results.
#include "output/regime_warnings.h"

#include "calc/regime_checks.h"
#include "calc/run_data.h"
#include "formulas/reference_data.h"
#include "store/app.h"
#include "store/database.h"
#include "store/table.h"

namespace volm {

namespace {

double number(const QVariant& v) {
    if (v.isNull()) return calc::kNull;
    bool ok = false;
    const double x = v.toDouble(&ok);
    return ok ? x : calc::kNull;
}

// Every field of a cursor's rows as numbers (texts and Null as no number), the
// row being inserted left out.
void readValues(const Table& t, calc::ValueTable& out) {
    std::vector<QString> names;
    for (const Field& f : t.fields()) names.push_back(f.name);
    const bool inserting = t.state() == Table::State::Insert;
    out.setColumns(std::move(names), t.rowCount() - (inserting ? 1 : 0));
    int r = 0;
    for (int row = 0; row < t.rowCount(); ++row) {
        if (inserting && row == t.currentRow()) continue;
        double* values = out.values.data() + size_t(r) * size_t(out.width);
        for (int c = 0; c < out.width; ++c) values[c] = number(t.valueAt(row, c));
        ++r;
    }
}

}  // namespace

std::vector<QString> storedRegimeWarnings(App& app) {
    DataModule& dm = app.dm;
    if (!app.RasVip || !dm.acGR.isOpen() || !dm.atZag || !dm.atTabl || !dm.atNazvRasch) return {};
    try {
        Table& name = *dm.atNazvRasch;
        name.first();
        const bool twoPipe = name.value(QStringLiteral("ТипСети")).toInt() == 1;
        calc::ValueTable header, sections;
        readValues(*dm.atZag, header);
        readValues(*dm.atTabl, sections);
        std::vector<int> startOf, endOf;
        const int a = sections.col(QStringLiteral("НачУзел")), b = sections.col(QStringLiteral("КонУзел"));
        if (a < 0 || b < 0) return {};
        for (int r = 0; r < sections.rowCount(); ++r) {
            const double x = sections.get(r, a), y = sections.get(r, b);
            startOf.push_back(calc::isNull(x) ? calc::kNullNode : int(x));
            endOf.push_back(calc::isNull(y) ? calc::kNullNode : int(y));
        }
        // The end-node results of the mains, as the run left them.
        std::vector<calc::EndResult> ends;
        auto st = dm.acGR.prepare(QStringLiteral("SELECT \"КонУзел\", \"РНап\" FROM \"КонМаг\" ORDER BY \"id_m\""));
        while (st->step()) {
            calc::EndResult e;
            e.endNode = st->column(0).toInt();
            e.rNap = number(st->column(1));
            ends.push_back(e);
        }
        const ReferenceData reference = ReferenceData::load(dm, app.locale);

        calc::RegimeInput in;
        in.header = &header;
        in.sections = &sections;
        in.startOf = &startOf;
        in.endOf = &endOf;
        in.endResults = &ends;
        in.twoPipe = twoPipe;
        in.density = [&reference](int t) { return reference.densityByTemperature(t); };
        return calc::checkRegime(in, calc::readRegimeSettings(dm.acGR), app.SistRazdelitel).lines;
    } catch (const std::exception&) {
        return {};
    }
}

QString warningsTitle(const std::vector<QString>& lines) {
    // The first line of the block the result dialog shows.
    return calc::RegimeWarnings{lines}.block().section(QStringLiteral("\r\n"), 0, 0);
}

}  // namespace volm
