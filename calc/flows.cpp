// Section flows summed from the flows given at the end sections
// (RaspredelitRashod), and the return flow equal to the supply flow when the
// person does not enter it.
#include "calc/looped_flows.h"
#include "calc/run_data.h"
#include "calc/stages.h"

namespace volm::calc {

namespace {

void RaspredelitRashod(RunData& d, const QString& field, bool supply) {
    ValueTable& s = d.sections;
    const int f = s.need(field);
    for (int m = 1; m <= int(d.mains.size()); ++m) {
        d.progress.item([&] { return field + QStringLiteral(" по магистралям теплосети. id_m = ") + QString::number(m); });
        Main& main = d.mains[size_t(m - 1)];
        const int end = main.rows.front();
        const double flow = s.get(end, f);
        if (isNull(flow)) {
            d.failAt(end, d.sectionHeading(end) + QStringLiteral("Показатель \"") + field + QStringLiteral("\" должен быть заполнен."));
            return;
        }
        (supply ? main.flowSup : main.flowRet) = flow;
    }
    // Every section carries the sum of the end flows of the mains through it,
    // added in the order of the mains.
    const int n = s.rowCount();
    std::vector<double> sum(size_t(n), 0.0);
    for (const Main& main : d.mains) {
        const double flow = supply ? main.flowSup : main.flowRet;
        for (int r : main.rows) sum[size_t(r)] += flow;
    }
    for (int r = 0; r < n; ++r) {
        d.progress.item([&] { return field + QStringLiteral(" по участкам теплосети. id = ") + QString::number(d.ids[size_t(r)]); });
        if (!d.putFinite(s, r, f, sum[size_t(r)])) return;
    }
}

// Where the flows are read as entered, a section is computed from its start
// node to its end node: a negative flow (as a looped run stores it for a
// section the water runs against) stops the run, naming the section.
void refuseFlowsAgainstEntry(RunData& d) {
    const ValueTable& s = d.sections;
    std::vector<QString> names{QStringLiteral("РасхПод")};
    if (d.twoPipe() && d.retFlowEntered) names.push_back(QStringLiteral("РасхОбр"));
    for (const QString& name : names) {
        const int f = s.need(name);
        for (int r = 0; r < s.rowCount(); ++r) {
            const double q = s.get(r, f);
            if (!(q < 0)) continue;
            const QString from = nodeText(d.endOf[size_t(r)]), to = nodeText(d.startOf[size_t(r)]);
            d.failAt(r, d.sectionHeading(r) + name + QStringLiteral(" = ") + fixedNumber(q, d.precision, d.decimal) +
                            QStringLiteral(" т/ч: вода течет от узла ") + from + QStringLiteral(" к узлу ") + to +
                            QStringLiteral(", против направления участка. Когда расходы участков не вычисляются, "
                                           "участок рассчитывается от начального узла к конечному: введите его от узла ") +
                            from + QStringLiteral(" к узлу ") + to +
                            QStringLiteral(" с положительным расходом или отметьте \"Вычислять расход воды для каждого "
                                           "участка по заданным расходам в конечных узлах сети\"."));
            return;
        }
    }
}

}  // namespace

void stageFlows(RunData& d) {
    if (d.looped && !d.computeFlows) {
        refuseFlowsAgainstEntry(d);
        if (!d.ok()) return;
    }
    const bool loops = solvesLoops(d);
    if (loops)
        solveLoopedFlows(d, true);
    else if (d.computeFlows)
        RaspredelitRashod(d, QStringLiteral("РасхПод"), true);
    if (d.ok() && d.twoPipe()) {
        if (loops) {
            solveLoopedFlows(d, false);
        } else if (!d.retFlowEntered) {
            d.progress.stage(QStringLiteral("РасхОбр по участкам теплосети."));
            ValueTable& s = d.sections;
            const int pod = s.need(QStringLiteral("РасхПод")), obr = s.need(QStringLiteral("РасхОбр"));
            for (int r = 0; r < s.rowCount(); ++r) {
                const double v = s.get(r, pod);  // Null stays Null
                if (isNull(v))
                    s.set(r, obr, v);
                else if (!d.putFinite(s, r, obr, v))
                    break;
            }
        } else if (d.computeFlows) {
            RaspredelitRashod(d, QStringLiteral("РасхОбр"), false);
        }
    }
    d.progress.clear();
}

}  // namespace volm::calc
