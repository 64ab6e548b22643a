// Indicators: every indicator defined by formula, in the stored
// evaluation order: the header indicators once, then the table indicators
// section by section from the source outwards. Before a section's formulas the
// head losses at its start node are taken from the section that feeds it and
// corrected by the head changes given at that node. Each formula is prepared
// once for the run and evaluated against the values of the header and of the
// current section, laid out side by side.
#include "calc/run_data.h"
#include "calc/stages.h"
#include "calc/text_bytes.h"
#include "formulas/evaluator.h"
#include "formulas/formula_text.h"

#include <cstring>
#include <optional>

namespace volm::calc {

namespace {

// One row of ПриоритетыЗаг or ПриоритетыТабл, ready to evaluate and to write.
struct Step {
    QString name;
    int column = -1;               // the indicator's column in Заг or Табл
    bool computed = false;         // Nприоритета above 0
    std::string heading;           // N + " (" + S + ") = "
    std::string formulaPart;       // T + " = "
    std::optional<PreparedFormula> formula;
};

// The values of a formula: the columns of Заг first, then those of Табл. A
// reference names a column of Заг when one is called so, else one of Табл.
struct Layout {
    const ValueTable& header;
    const ValueTable& sections;
    int headerOnly(const QString& name) const { return header.col(name); }
    int both(const QString& name) const {
        const int h = header.col(name);
        if (h >= 0) return h;
        const int s = sections.col(name);
        return s >= 0 ? header.width + s : -1;
    }
};

std::vector<Step> prepareSteps(const RunData& d, const std::vector<Priority>& order, const ValueTable& target,
                               const PreparedFormula::Resolver& resolve, bool text) {
    std::vector<Step> steps;
    steps.reserve(order.size());
    for (const Priority& p : order) {
        Step st;
        st.name = p.name;
        st.computed = p.rank > 0;
        const Indicator* ind = d.catalogue.find(p.name);
        const QString stored = ind ? ind->formula : QString();
        if (text) {
            st.heading = cp1251::fromUnicode(d.fullName(p.name) + QStringLiteral(" (") + p.name + QStringLiteral(") = "));
            st.formulaPart = cp1251::fromUnicode(UdalitKommentarii(stored) + QStringLiteral(" = "));
        }
        if (st.computed) st.formula.emplace(p.name, stored, resolve);
        st.column = target.need(p.name);
        steps.push_back(std::move(st));
    }
    return steps;
}

}  // namespace

void stageHeaderIndicators(RunData& d) {
    ValueTable& h = d.header;
    CalcText* t = d.txt();
    if (t) {
        t->emptyLine();
        t->line(QStringLiteral("Расчет заголовочных показателей:"));
    }
    d.progress.stage(QStringLiteral("Расчет показателей заголовочной части."));
    const Layout layout{d.header, d.sections};
    std::vector<double> values(h.values);
    for (const Priority& p : d.headerOrder) {
        Step st = std::move(prepareSteps(d, {p}, h, [&](const QString& n) { return layout.headerOnly(n); }, t != nullptr).front());
        if (t) t->putBytes(st.heading);
        if (st.computed) {
            if (t) t->putBytes(st.formulaPart);
            try {
                const double v = st.formula->evaluate(values.data(), nullptr, *d.reference);
                h.set(0, st.column, v);
                values[size_t(st.column)] = v;
            } catch (const FormulaError& e) {
                d.error = e.text();
                break;
            }
        }
        if (t) {
            const double v = h.get(0, st.column);
            if (!isNull(v)) t->num(v);
            t->end();
        }
    }
    d.progress.clear();
}

void stageTableIndicators(RunData& d) {
    ValueTable& s = d.sections;
    const ValueTable& h = d.header;
    const bool two = d.twoPipe();
    CalcText* t = d.txt();
    if (t) {
        t->emptyLine();
        t->emptyLine();
        t->line(QStringLiteral("Расчет табличных показателей:"));
        t->emptyLine();
    }
    const int potNachPod = s.need(QStringLiteral("ПотНОтИНачПод")), potKonPod = s.need(QStringLiteral("ПотНОтИКонПод"));
    const int potNachObr = two ? s.need(QStringLiteral("ПотНОтИНачОбр")) : -1;
    const int potKonObr = two ? s.need(QStringLiteral("ПотНОтИКонОбр")) : -1;

    const Layout layout{d.header, d.sections};
    std::vector<Step> steps =
        prepareSteps(d, d.tableOrder, s, [&](const QString& n) { return layout.both(n); }, t != nullptr);

    const int hw = h.width, sw = s.width;
    std::vector<double> values(size_t(hw + sw));
    std::memcpy(values.data(), h.values.data(), size_t(hw) * sizeof(double));
    double* row = values.data() + hw;
    const LossAgainstFlow alongFlow(d);

    // The loss at the start node from the section that feeds it, less the
    // change at the node; empty when the run must stop.
    auto startLoss = [&](int r, int a, int endColumn, const KeyMap<int, double>& changes,
                         const char* nachName, const char* konName) -> std::optional<double> {
        if (a == d.startNode) return 0.0;
        auto heading = [&] {
            return d.sectionHeading(r) + QStringLiteral("Ошибка при расчете показателя \"") + QString::fromUtf8(nachName) +
                   QStringLiteral("\":") + CR + CR;
        };
        const int up = d.sectionEndingAt(a);
        if (up < 0) {
            d.failAt(r, heading() + QStringLiteral("Не найден участок с конечным узлом № ") + nodeText(a) + QLatin1Char('.'));
            return std::nullopt;
        }
        const double upLoss = s.get(up, endColumn);
        if (isNull(upLoss)) {
            d.failAt(r, heading() + QStringLiteral("Значение показателя \"") + QString::fromUtf8(konName) +
                            QStringLiteral("\" на участке ") + nodeText(d.startOf[size_t(up)]) + QStringLiteral(" - ") +
                            nodeText(d.endOf[size_t(up)]) + QStringLiteral(" не заполнено."));
            return std::nullopt;
        }
        const double* change = changes.find(a);
        return change ? upLoss - *change : upLoss;
    };

    d.clearWorklist();
    for (const Main& main : d.mains) {
        for (size_t k = main.rows.size(); k-- > 0 && d.ok();) {
            const int r = main.rows[k];
            if (d.done[size_t(r)]) continue;
            const int a = d.startOf[size_t(r)], b = d.endOf[size_t(r)];
            d.progress.item([&] {
                return QStringLiteral("Расчет показателей табличной части. Участок ") + nodeText(a) +
                       QStringLiteral(" - ") + nodeText(b) + QLatin1Char('.');
            });
            if (t) t->putBytes(VOLM_CP("Участок ")).node(a).putBytes(" - ").node(b).putBytes(":").end();

            const auto pod = startLoss(r, a, potKonPod, d.changeSup, "ПотНОтИНачПод", "ПотНОтИКонПод");
            if (!pod) break;
            s.set(r, potNachPod, *pod);
            if (two) {
                const auto obr = startLoss(r, a, potKonObr, d.changeRet, "ПотНОтИНачОбр", "ПотНОтИКонОбр");
                if (!obr) break;
                s.set(r, potNachObr, *obr);
            }

            std::memcpy(row, s.row(r), size_t(sw) * sizeof(double));
            const SectionNodes nodes{a, b};
            for (const Step& st : steps) {
                if (t) t->putBytes(st.heading);
                if (st.computed) {
                    if (t) t->putBytes(st.formulaPart);
                    try {
                        const double v = alongFlow(r, st.column, st.formula->evaluate(values.data(), &nodes, *d.reference), row);
                        s.set(r, st.column, v);
                        row[st.column] = s.get(r, st.column);
                    } catch (const FormulaError& e) {
                        d.failAt(r, e.text());
                        break;
                    }
                }
                if (t) {
                    const double v = s.get(r, st.column);
                    if (!isNull(v)) t->num(v);
                    t->end();
                }
            }
            if (t && d.ok()) t->emptyLine();
            if (d.ok()) d.markDone(r);
        }
        if (!d.ok()) break;
    }
    d.clearWorklist();
    d.progress.clear();
}

}  // namespace volm::calc
