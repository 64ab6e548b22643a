// Indicators computed after the heads (ПослеНапоров in Формулы), and the
// end-section mark that formulas may use. Their ranks are taken out of the
// stored evaluation order when the calculation is read, so that the ordinary
// passes leave them alone; once the heads are known they are evaluated in
// that order: the header ones once, then the table ones section by section.
// Where a value such a formula references is empty (the required head of a
// section that feeds no consumer), the indicator stays empty there instead of
// stopping the run. The calculation text, when kept, shows them as it shows
// the ordinary indicators.
#include "calc/run_data.h"
#include "calc/stages.h"
#include "calc/text_bytes.h"
#include "formulas/evaluator.h"
#include "formulas/formula_text.h"
#include "formulas/reference_check.h"

#include <QSet>
#include <cstring>

namespace volm::calc {

namespace {

// Moves the ranks of the computed indicators marked ПослеНапоров from order
// to after. In a one-pipe network an indicator that reaches an indicator of
// the return pipeline, directly or through another such one, is dropped: it
// stays empty.
void separate(const CalculationInput& d, std::vector<Priority>& order, std::vector<Priority>& after) {
    QSet<QString> dropped;
    std::vector<Priority> kept;
    kept.reserve(order.size());
    for (Priority& p : order) {
        const Indicator* u = p.rank > 0 ? d.catalogue.findUser(p.name) : nullptr;
        if (!u || !u->afterHeads || u->userEntered) {
            kept.push_back(std::move(p));
            continue;
        }
        bool drop = false;
        if (!d.twoPipe()) {
            for (const QString& ref : SobratZavisimosti(formulaText(u->formula))) {
                const Indicator* p2 = d.catalogue.findPredefined(ref);
                if (dropped.contains(ref) || (p2 && !d.catalogue.findUser(ref) && !p2->onePipe)) drop = true;
            }
        }
        if (drop) dropped.insert(p.name);
        else after.push_back(std::move(p));
    }
    order = std::move(kept);
}

struct Step {
    int column;
    PreparedFormula formula;
    std::vector<int> references;  // indexes of the values the formula reads
    std::string text;             // "N (S) = formula = " for the calculation text

    bool anyEmpty(const double* values) const {
        for (int i : references)
            if (isNull(values[i])) return true;
        return false;
    }
};

std::vector<Step> prepare(const RunData& d, const std::vector<Priority>& order, const ValueTable& target,
                          const PreparedFormula::Resolver& resolve) {
    std::vector<Step> steps;
    steps.reserve(order.size());
    for (const Priority& p : order) {
        const Indicator* ind = d.catalogue.find(p.name);
        const QString formula = ind ? ind->formula : QString();
        std::vector<int> references;
        for (const QString& name : SobratZavisimosti(formulaText(formula)))
            if (const int i = resolve(name); i >= 0) references.push_back(i);
        std::string text;
        if (d.txt())
            text = cp1251::fromUnicode(d.fullName(p.name) + QStringLiteral(" (") + p.name + QStringLiteral(") = ") +
                                       UdalitKommentarii(formula) + QStringLiteral(" = "));
        steps.push_back({target.need(p.name), PreparedFormula(p.name, formula, resolve), std::move(references),
                         std::move(text)});
    }
    return steps;
}

}  // namespace

void separateAfterHeadsOrder(CalculationInput& d) {
    d.headerAfterHeads.clear();
    d.tableAfterHeads.clear();
    separate(d, d.headerOrder, d.headerAfterHeads);
    separate(d, d.tableOrder, d.tableAfterHeads);
}

void stageEndSectionMarks(RunData& d) {
    ValueTable& s = d.sections;
    const int c = s.col(kEndSectionMark);
    if (c < 0) return;  // a file made before the mark
    const int n = s.rowCount();
    for (int r = 0; r < n; ++r) s.set(r, c, 0.0);
    for (const Main& m : d.mains)
        if (!m.rows.empty()) s.set(m.rows.front(), c, 1.0);
}

void stageAfterHeadsIndicators(RunData& d) {
    if (d.headerAfterHeads.empty() && d.tableAfterHeads.empty()) return;
    d.progress.stage(QStringLiteral("Расчет показателей после расчета напоров."));
    ValueTable& h = d.header;
    ValueTable& s = d.sections;
    const int hw = h.width, sw = s.width;
    auto headerOnly = [&](const QString& name) { return h.col(name); };
    auto both = [&](const QString& name) {
        const int hc = h.col(name);
        if (hc >= 0) return hc;
        const int sc = s.col(name);
        return sc >= 0 ? hw + sc : -1;
    };

    std::vector<double> values(size_t(hw + sw));
    std::memcpy(values.data(), h.values.data(), size_t(hw) * sizeof(double));
    CalcText* t = d.txt();
    // One step's line of the text: the value, or nothing when it stays empty.
    auto put = [&](const Step& st, double v) {
        if (!t) return;
        t->putBytes(st.text);
        if (!isNull(v)) t->num(v);
        t->end();
    };
    if (t) {
        t->emptyLine();
        t->line(QStringLiteral("Расчет показателей после расчета напоров:"));
        t->emptyLine();
    }
    for (const Step& st : prepare(d, d.headerAfterHeads, h, headerOnly)) {
        if (!st.anyEmpty(values.data())) {
            try {
                const double v = st.formula.evaluate(values.data(), nullptr, *d.reference);
                h.set(0, st.column, v);
                values[size_t(st.column)] = v;
            } catch (const FormulaError& e) {
                d.error = e.text();
                d.progress.clear();
                return;
            }
        }
        put(st, h.get(0, st.column));
    }

    const std::vector<Step> steps = prepare(d, d.tableAfterHeads, s, both);
    double* row = values.data() + hw;
    const int n = s.rowCount();
    for (int r = 0; r < n && !steps.empty(); ++r) {
        std::memcpy(row, s.row(r), size_t(sw) * sizeof(double));
        const SectionNodes nodes{d.startOf[size_t(r)], d.endOf[size_t(r)]};
        if (t) t->putBytes(VOLM_CP("Участок ")).node(nodes.startNode).putBytes(" - ").node(nodes.endNode).putBytes(":").end();
        for (const Step& st : steps) {
            if (!st.anyEmpty(values.data())) {
                try {
                    s.set(r, st.column, st.formula.evaluate(values.data(), &nodes, *d.reference));
                    row[st.column] = s.get(r, st.column);
                } catch (const FormulaError& e) {
                    d.failAt(r, e.text());
                    d.progress.clear();
                    return;
                }
            }
            put(st, s.get(r, st.column));
        }
        if (t) t->emptyLine();
    }
    d.progress.clear();
}

}  // namespace volm::calc
