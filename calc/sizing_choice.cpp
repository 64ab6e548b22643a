// The choice of diameters. Only the table indicators the criteria depend on
// (directly or through other indicators) are evaluated, in the stored
// evaluation order; those that do not depend on the diameter are evaluated once
// per section, the others once per candidate. A value is taken as the run
// takes it: rounded as the file stores it.
#include "calc/sizing_choice.h"

#include "calc/run_data.h"
#include "calc/sizing_text.h"
#include "calc/stages.h"
#include "calc/stored_number.h"
#include "formulas/catalogue.h"
#include "formulas/evaluator.h"
#include "formulas/formula_text.h"
#include "formulas/reference_check.h"
#include "formulas/reference_data.h"

#include <QSet>
#include <algorithm>
#include <cstring>
#include <optional>

namespace volm::calc {

namespace {

struct Step {
    int column = -1;         // in the sections
    bool perCandidate = false;
    std::optional<PreparedFormula> formula;
};

const volm::Indicator* tableIndicator(const Catalogue& c, const QString& name) {
    const volm::Indicator* ind = c.find(name);
    return ind && ind->table ? ind : nullptr;
}

bool computedInOrder(const RunData& d, const QString& name) {
    for (const Priority& p : d.tableOrder)
        if (p.name == name) return p.rank > 0;
    return false;
}

}  // namespace

void runStagesBeforeSections(RunData& d, const QString& supplyNodeText, const QString& availNodeText) {
    runStagesThroughHeader(d, supplyNodeText, availNodeText, QString());
}

void putChosenDiameters(CalculationInput& input, const QString& column, const std::vector<SectionChoice>& choices) {
    const int c = input.sections.need(column);
    for (const SectionChoice& choice : choices)
        if (choice.before != choice.chosen) input.sections.set(choice.row, c, choice.chosen);
}

std::vector<double> candidateDiameters(const CalculationInput& d) {
    std::vector<double> out;
    if (!d.reference) return out;
    for (const ReferenceData::DiameterRow& row : d.reference->diameters)
        if (!isNull(row.nominal)) out.push_back(row.nominal);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

QString refusedRequest(const RunData& d, const Catalogue& catalogue, const SizingRequest& request) {
    const volm::Indicator* diameter = tableIndicator(catalogue, request.diameter);
    if (!diameter || !diameter->userEntered || d.sections.col(request.diameter) < 0)
        return QStringLiteral("Показатель \"") + request.diameter +
               QStringLiteral("\" не является табличным показателем, вводимым пользователем.");
    if (request.criteria.empty()) return QStringLiteral("Не задан ни один показатель, по которому подбирается диаметр.");
    for (const SizingCriterion& c : request.criteria) {
        if (!tableIndicator(catalogue, c.indicator) || !computedInOrder(d, c.indicator) ||
            d.sections.col(c.indicator) < 0)
            return QStringLiteral("Показатель \"") + c.indicator +
                   QStringLiteral("\" не является табличным показателем, рассчитываемым по формуле.");
        if (!std::isfinite(c.limit))
            return QStringLiteral("Предел показателя \"") + c.indicator + QStringLiteral("\" должен быть конечным числом.");
    }
    if (candidateDiameters(d).empty())
        return QStringLiteral("В справочнике \"Диаметры трубопровода\" нет ни одного условного диаметра.");
    return {};
}

DiameterChoice chooseDiameters(const RunData& d, const Catalogue& catalogue, const SizingRequest& request,
                               const std::vector<char>& sized) {
    DiameterChoice out;
    const ValueTable& h = d.header;
    const ValueTable& s = d.sections;
    const int hw = h.width, sw = s.width;
    const int diameterColumn = s.col(request.diameter);
    const std::vector<double> candidates = candidateDiameters(d);

    // The indicators the criteria need, found from the last in the evaluation
    // order back to the first (a formula references only those before it).
    QSet<QString> needed;
    for (const SizingCriterion& c : request.criteria) needed.insert(c.indicator);
    std::vector<const Priority*> chain;
    for (auto p = d.tableOrder.rbegin(); p != d.tableOrder.rend(); ++p) {
        if (p->rank <= 0 || !needed.contains(p->name)) continue;
        chain.push_back(&*p);
        const volm::Indicator* ind = catalogue.find(p->name);
        for (const QString& ref : SobratZavisimosti(UdalitKommentarii(ind ? ind->formula : QString())))
            needed.insert(ref);
    }
    std::reverse(chain.begin(), chain.end());

    auto resolve = [&](const QString& name) {
        const int hc = h.col(name);
        if (hc >= 0) return hc;
        const int sc = s.col(name);
        return sc >= 0 ? hw + sc : -1;
    };
    QSet<QString> varies{request.diameter};
    std::vector<Step> steps;
    steps.reserve(chain.size());
    for (const Priority* p : chain) {
        const volm::Indicator* ind = catalogue.find(p->name);
        const QString stored = ind ? ind->formula : QString();
        Step st;
        st.column = s.need(p->name);
        for (const QString& ref : SobratZavisimosti(UdalitKommentarii(stored)))
            if (varies.contains(ref) && h.col(ref) < 0) st.perCandidate = true;
        if (st.perCandidate) varies.insert(p->name);
        st.formula.emplace(p->name, stored, resolve);
        steps.push_back(std::move(st));
    }
    std::vector<int> criterionColumns;
    for (const SizingCriterion& c : request.criteria) criterionColumns.push_back(s.col(c.indicator));

    std::vector<double> values(size_t(hw + sw));
    std::memcpy(values.data(), h.values.data(), size_t(hw) * sizeof(double));
    double* row = values.data() + hw;
    const ReferenceData& ref = *d.reference;

    // Criteria that reach the losses at a section's start node (ПотНОтИКонПод
    // and what depends on it) take them, as the run does, from the section that
    // feeds it, corrected by the head changes at that node: the sections are
    // then taken from the source outwards, each with the values of the diameter
    // chosen for it (or, for a section not sized, of its own diameter).
    struct StartLoss {
        int start = -1, end = -1;
        const KeyMap<int, double>* changes = nullptr;
    };
    std::vector<StartLoss> startLosses;
    auto addStartLoss = [&](const char* start, const char* end, const KeyMap<int, double>& changes) {
        const int a = s.col(QString::fromUtf8(start)), b = s.col(QString::fromUtf8(end));
        if (a >= 0 && b >= 0 && needed.contains(QString::fromUtf8(start))) startLosses.push_back({a, b, &changes});
    };
    addStartLoss("ПотНОтИНачПод", "ПотНОтИКонПод", d.changeSup);
    if (d.twoPipe()) addStartLoss("ПотНОтИНачОбр", "ПотНОтИКонОбр", d.changeRet);
    std::vector<int> order;
    std::vector<double> computed;  // the rows as evaluated so far, for the start losses
    if (startLosses.empty()) {
        for (int r = 0; r < s.rowCount(); ++r)
            if (sized[size_t(r)]) order.push_back(r);
    } else {
        computed = s.values;
        std::vector<char> seen(size_t(s.rowCount()));
        for (const Main& main : d.mains)
            for (size_t k = main.rows.size(); k-- > 0;)
                if (!seen[size_t(main.rows[k])]) {
                    seen[size_t(main.rows[k])] = 1;
                    order.push_back(main.rows[k]);
                }
    }

    auto evaluate = [&](int r, const SectionNodes& nodes, bool all, std::optional<double> candidate) {
        for (const Step& st : steps) {
            if (!all && !st.perCandidate) continue;
            try {
                row[st.column] = asStoredText(st.formula->evaluate(values.data(), &nodes, ref));
            } catch (const FormulaError& e) {
                out.error = e.text();
                if (candidate) out.error += QString(CR) + CR + candidateText(request.diameter, *candidate, d.decimal);
                out.errorRow = r;
                return false;
            }
        }
        return true;
    };

    for (const int r : order) {
        const int a = d.startOf[size_t(r)];
        const SectionNodes nodes{a, d.endOf[size_t(r)]};
        std::memcpy(row, s.row(r), size_t(sw) * sizeof(double));
        for (const StartLoss& loss : startLosses) {
            const int up = a == d.startNode ? -1 : d.sectionEndingAt(a);
            double v = a == d.startNode ? 0.0 : kNull;
            if (up >= 0) {
                v = computed[size_t(up) * size_t(sw) + size_t(loss.end)];
                if (const double* change = loss.changes->find(a)) v -= *change;
            }
            row[loss.start] = v;
        }
        if (!sized[size_t(r)]) {
            if (!evaluate(r, nodes, true, std::nullopt)) return {out.error, out.errorRow, {}};
        } else {
            SectionChoice choice;
            choice.row = r;
            choice.before = s.get(r, diameterColumn);
            bool first = true;
            for (const double candidate : candidates) {
                row[diameterColumn] = candidate;
                if (!evaluate(r, nodes, first, candidate)) return {out.error, out.errorRow, {}};
                first = false;
                choice.chosen = candidate;
                choice.criterion = -1;
                for (size_t k = 0; k < criterionColumns.size(); ++k) {
                    const double v = row[criterionColumns[k]];
                    if (!(v <= request.criteria[k].limit)) {
                        choice.criterion = int(k);
                        choice.value = v;
                        break;
                    }
                }
                if (choice.criterion < 0) break;
            }
            choice.fits = choice.criterion < 0;
            out.sections.push_back(choice);
        }
        if (!computed.empty()) std::memcpy(computed.data() + size_t(r) * size_t(sw), row, size_t(sw) * sizeof(double));
    }
    std::sort(out.sections.begin(), out.sections.end(),
              [](const SectionChoice& x, const SectionChoice& y) { return x.row < y.row; });
    return out;
}

}  // namespace volm::calc
