// The sizing command: the calculation's stages up to the header indicators
// (their checks and messages are those of the run), the choice of diameters,
// the diameters written in one transaction, then the whole calculation run.
#include "commands/sizing_command.h"

#include "commands/run_command.h"

#include "calc/calculation.h"
#include "calc/looped_flows.h"
#include "calc/sizing_choice.h"
#include "calc/stages.h"
#include "formulas/catalogue.h"
#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/initial_data_check.h"
#include "store/records.h"
#include "store/sql_names.h"

#include <QSet>
#include <optional>

namespace volm {

namespace {

using namespace calc;

const QString kImpossible = QStringLiteral("Расчет невозможен.");

// The rows of the sections marked "Д" in Заполн_Уч.
std::vector<char> markedRows(Database& gr, const RunData& d) {
    QSet<qint64> marked;
    auto st = gr.prepare(QStringLiteral("SELECT \"id\" FROM \"Табл\" WHERE \"Заполн_Уч\" = 'Д'"));
    while (st->step()) marked.insert(st->column(0).toLongLong());
    std::vector<char> rows(d.ids.size());
    for (size_t r = 0; r < d.ids.size(); ++r) rows[r] = marked.contains(d.ids[r]);
    return rows;
}

void writeDiameters(Database& gr, const QString& column, const RunData& d, const std::vector<SectionChoice>& choices) {
    Transaction tx(gr);
    auto st = gr.prepare(QStringLiteral("UPDATE \"Табл\" SET ") + quoteIdentifier(column) +
                         QStringLiteral(" = ? WHERE \"id\" = ?"));
    for (const SectionChoice& c : choices) {
        if (c.before == c.chosen) continue;
        st->bind(1, c.chosen);
        st->bind(2, d.ids[size_t(c.row)]);
        st->run();
    }
    tx.commit();
}

void requery(const std::unique_ptr<Table>& t) {
    if (t && t->isOpen()) t->requery();
}

// The run's outcome display, given the sizing summary first.
class SummaryFirst : public OutcomeDisplay {
public:
    SummaryFirst(OutcomeDisplay& inner, QString summary) : inner_(inner), summary_(std::move(summary)) {}
    void showOutcome(const QString& outcomeText) override {
        inner_.showOutcome(summary_ + QStringLiteral("\r\n\r\n") + outcomeText);
    }

private:
    OutcomeDisplay& inner_;
    QString summary_;
};

// Sizing up to the written diameters; the run follows in sizeDiameters.
void chooseAndWrite(App& app, const SizingRequest& request, const RunOptions& opt, SizingOutcome& out) {
    Person& person = app.person();
    DataModule& dm = app.dm;
    bool locked = false;
    BusyGuard busy(person);
    Finally unlock([&] {
        person.status(QString());
        if (locked && opt.lockWindow) opt.lockWindow(false);
    });
    if (app.editors().sectionGridEditing()) app.editors().flushEditors();
    if (opt.lockWindow) {
        opt.lockWindow(true);
        locked = true;
    }
    Table* zag = dm.atZag.get();
    Table* tabl = dm.atTabl.get();
    if (!zag || !tabl) throw DatabaseError(QStringLiteral("Таблицы \"Заг\", \"Табл\" не открыты."));
    if (zag->editing()) zag->post();
    if (tabl->editing()) ZapisatUchastok(app);

    auto fail = [&](SizingOutcome::Status status, const QString& text) {
        person.message(text);
        out.status = status;
        out.text = text;
    };
    if (!app.FormuliProvereny || !ProveritNachDann(app)) return fail(SizingOutcome::Status::Refused, kImpossible);

    const std::unique_ptr<RunData> read =
        readCalculation(dm.acGR, dm.acSpr, {opt.sectionOrder.isEmpty() ? tabl->sort() : opt.sectionOrder, app.locale});
    RunData& d = *read;
    d.decimal = app.SistRazdelitel;
    const Catalogue& catalogue = d.catalogue;
    // Sizing changes nothing in the file until its diameters are chosen.
    runStagesBeforeSections(d, opt);
    if (!d.ok()) return fail(SizingOutcome::Status::Fault, d.error);
    if (d.looped && hasMeetingNode(d))
        return fail(SizingOutcome::Status::Refused, QStringLiteral("Подбор диаметров выполняется только для тупиковых сетей."));
    if (const QString why = refusedRequest(d, catalogue, request); !why.isEmpty())
        return fail(SizingOutcome::Status::Refused, why);

    const std::vector<char> rows =
        request.markedOnly ? markedRows(dm.acGR, d) : std::vector<char>(d.ids.size(), char(1));
    person.status(QStringLiteral("Подбор диаметров."));
    const DiameterChoice choice = chooseDiameters(d, catalogue, request, rows);
    if (!choice.error.isEmpty()) return fail(SizingOutcome::Status::Fault, choice.error);

    writeDiameters(dm.acGR, request.diameter, d, choice.sections);
    requery(dm.atTabl);
    out.status = SizingOutcome::Status::Sized;
    out.sections = int(choice.sections.size());
    for (const SectionChoice& c : choice.sections) {
        if (c.before != c.chosen) ++out.changed;
        if (!c.fits)
            out.misses.push_back({d.ids[size_t(c.row)], d.startOf[size_t(c.row)], d.endOf[size_t(c.row)],
                                  request.criteria[size_t(c.criterion)].indicator, c.value, c.chosen});
    }
    out.text = sizingSummary(out, request.diameter, app.SistRazdelitel);
}

}  // namespace

SizingOutcome sizeDiameters(App& app, const SizingRequest& request, const RunOptions& run) {
    SizingOutcome out;
    Person& person = app.person();
    if (!app.dm.acGR.isOpen()) {
        person.message(kImpossible);
        out.text = kImpossible;
        return out;
    }
    try {
        chooseAndWrite(app, request, run, out);
    } catch (const Abort&) {
        out.status = SizingOutcome::Status::Unexpected;
        return out;
    } catch (const std::exception& e) {
        out.status = SizingOutcome::Status::Unexpected;
        out.text = failureText(e);
        person.message(out.text);
        return out;
    }
    if (!out.sized()) return out;

    RunOptions options = run;
    options.ask = false;
    std::optional<SummaryFirst> display;
    if (run.outcomeDisplay) options.outcomeDisplay = &display.emplace(*run.outcomeDisplay, out.text);
    out.run = runCalculation(app, options);
    return out;
}

}  // namespace volm
