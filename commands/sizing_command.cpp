// The sizing command: the calculation read once; on a copy of it the
// calculation's stages up to the header indicators (their checks and messages
// are those of the run) and the choice of diameters, on a looped network
// repeated with the chosen diameters until they settle; then the whole
// calculation run on the input with the chosen diameters, which are stored
// with its results in one transaction.
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
#include "store/change_record.h"
#include "store/records.h"

#include <QSet>
#include <optional>

namespace volm {

namespace {

using namespace calc;

const QString kImpossible = QStringLiteral("Расчет невозможен.");

// The rows of the sections marked "Д" in Заполн_Уч.
std::vector<char> markedRows(Database& gr, const std::vector<qint64>& ids) {
    QSet<qint64> marked;
    auto st = gr.prepare(QStringLiteral("SELECT \"id\" FROM \"Табл\" WHERE \"Заполн_Уч\" = 'Д'"));
    while (st->step()) marked.insert(st->column(0).toLongLong());
    std::vector<char> rows(ids.size());
    for (size_t r = 0; r < ids.size(); ++r) rows[r] = marked.contains(ids[r]);
    return rows;
}

// The loops cannot be solved through a section without a diameter: a section
// to be sized that has none starts from the middle of the candidates.
void giveStartDiameters(CalculationInput& in, const QString& column, const std::vector<char>& rows) {
    const int c = in.sections.col(column);
    if (c < 0) return;
    const std::vector<double> candidates = candidateDiameters(in);
    if (candidates.empty()) return;
    for (int r = 0; r < in.sections.rowCount(); ++r)
        if (rows[size_t(r)] && isNull(in.sections.get(r, c))) in.sections.set(r, c, candidates[candidates.size() / 2]);
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

// Sizing up to the chosen diameters, put into sized, the calculation as read;
// the run of sized follows in sizeDiameters and stores them with its results.
void choose(App& app, const SizingRequest& request, const RunOptions& opt, SizingOutcome& out, CalculationInput& sized) {
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

    sized = readCalculation(dm.acGR, dm.acSpr, {opt.sectionOrder.isEmpty() ? tabl->sort() : opt.sectionOrder, app.locale});
    const std::vector<char> rows =
        request.markedOnly ? markedRows(dm.acGR, sized.ids) : std::vector<char>(sized.ids.size(), char(1));
    // On a looped network the flows follow the diameters: the loops are solved
    // again with the diameters chosen until a round changes none of them.
    const bool loops = solvesLoops(sized);
    std::vector<double> entered;  // per row, the diameter before sizing
    if (const int c = sized.sections.col(request.diameter); c >= 0)
        for (int r = 0; r < sized.sections.rowCount(); ++r) entered.push_back(sized.sections.get(r, c));
    if (loops) giveStartDiameters(sized, request.diameter, rows);
    constexpr int kRounds = 60;
    for (int round = 0;; ++round) {
        RunData d{CalculationInput(sized)};
        d.decimal = app.SistRazdelitel;
        const Catalogue& catalogue = d.catalogue;
        // Sizing changes nothing in the file until its diameters are chosen.
        runStagesBeforeSections(d, opt.supplyNodeText, opt.availNodeText);
        if (!d.ok()) return fail(SizingOutcome::Status::Fault, d.error);
        if (round == 0) {
            if (const QString why = refusedRequest(d, catalogue, request); !why.isEmpty())
                return fail(SizingOutcome::Status::Refused, why);
            person.status(QStringLiteral("Подбор диаметров."));
        }
        const DiameterChoice choice = chooseDiameters(d, catalogue, request, rows);
        if (!choice.error.isEmpty()) return fail(SizingOutcome::Status::Fault, choice.error);
        bool changed = false;
        for (const SectionChoice& c : choice.sections) changed = changed || c.before != c.chosen;
        putChosenDiameters(sized, request.diameter, choice.sections);
        if (changed && loops) {
            if (round + 1 < kRounds) continue;
            return fail(SizingOutcome::Status::Fault, QStringLiteral("Диаметры кольцевой сети не установились за ") +
                                                          QString::number(kRounds) + QStringLiteral(" приближений."));
        }
        out.status = SizingOutcome::Status::Sized;
        out.sections = int(choice.sections.size());
        for (const SectionChoice& c : choice.sections) {
            const size_t r = size_t(c.row);
            if (entered[r] != c.chosen) ++out.changed;
            // A section the water runs against is named as it was entered.
            if (!c.fits) {
                const auto [a, b] = d.enteredEnds(c.row);
                out.misses.push_back({d.ids[r], a, b, request.criteria[size_t(c.criterion)].indicator, c.value, c.chosen});
            }
        }
        break;
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
    CalculationInput sized;
    try {
        choose(app, request, run, out, sized);
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
    options.input = &sized;
    std::optional<SummaryFirst> display;
    if (run.outcomeDisplay) options.outcomeDisplay = &display.emplace(*run.outcomeDisplay, out.text);
    // The diameters are stored with the run's results: they, not the results,
    // are the step the person can take back.
    int diameterColumn = -1;
    const auto columns = app.dm.acGR.columns(QStringLiteral("Табл"));
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(request.diameter, Qt::CaseInsensitive) == 0) diameterColumn = int(i);
    KeptWhilePaused diametersAreTheStep(app.changes, QStringLiteral("Табл"), diameterColumn);
    out.run = runCalculation(app, options);
    return out;
}

}  // namespace volm
