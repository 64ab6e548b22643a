// Section flows of a looped network: the flows drawn at the consumers (the
// flows entered on the end sections) are carried from the source through the
// loops as the sections' own head losses share them. Each section's loss at a
// trial flow is the calculation's own formula chain up to the loss at its end
// node, evaluated from a start loss of zero; the loop solver finds the flows.
#include "calc/loop_solver.h"
#include "calc/looped_flows.h"
#include "calc/run_data.h"
#include "calc/stages.h"
#include "formulas/evaluator.h"
#include "formulas/formula_text.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

namespace volm::calc {

namespace {

// The formulas of the table order up to the loss at a section's end node,
// evaluated over the header and one section row with a trial flow.
class SectionLoss {
public:
    SectionLoss(const RunData& d, const QString& flow, const QString& startLoss, const QString& endLoss)
        : d_(d), hw_(d.header.width) {
        const ValueTable& s = d.sections;
        flow_ = s.need(flow);
        startLoss_ = s.need(startLoss);
        endLoss_ = s.need(endLoss);
        auto resolve = [&](const QString& name) {
            const int h = d.header.col(name);
            if (h >= 0) return h;
            const int c = s.col(name);
            return c >= 0 ? hw_ + c : -1;
        };
        // Only the formulas the end loss depends on: those of the other
        // pipeline may need values not known yet.
        std::vector<std::pair<const Priority*, QString>> chain;
        for (const Priority& p : d.tableOrder) {
            const Indicator* ind = d.catalogue.find(p.name);
            if (p.rank > 0) chain.push_back({&p, ind ? ind->formula : QString()});
            if (p.name == endLoss) break;
        }
        QSet<QString> needed{endLoss};
        std::vector<char> used(chain.size(), 0);
        static const QRegularExpression reference(QStringLiteral("<([^<>]+)>"));
        for (size_t k = chain.size(); k-- > 0;) {
            if (!needed.contains(chain[k].first->name)) continue;
            used[k] = 1;
            for (const QRegularExpressionMatch& m : reference.globalMatch(UdalitKommentarii(chain[k].second)))
                needed.insert(m.captured(1));
        }
        // The formulas that do not depend on the flow are evaluated once per section.
        QSet<QString> varying{flow, startLoss};
        for (size_t k = 0; k < chain.size(); ++k) {
            if (!used[k]) continue;
            const QString& name = chain[k].first->name;
            bool depends = false;
            for (const QRegularExpressionMatch& m : reference.globalMatch(UdalitKommentarii(chain[k].second)))
                depends = depends || varying.contains(m.captured(1));
            if (depends) {
                varying.insert(name);
                for (const QRegularExpressionMatch& m : reference.globalMatch(UdalitKommentarii(chain[k].second)))
                    if (const int c = s.col(m.captured(1)); c >= 0) read_.push_back(c);
            }
            (depends ? steps_ : fixed_).push_back({s.need(name), PreparedFormula(name, chain[k].second, resolve)});
        }
        std::sort(read_.begin(), read_.end());
        read_.erase(std::unique(read_.begin(), read_.end()), read_.end());
        // Within those formulas, the part that needs no varying value is done once per section.
        std::vector<int> varyingIndexes;
        for (const QString& name : varying)
            if (const int i = resolve(name); i >= 0) varyingIndexes.push_back(i);
        for (Step& st : steps_) st.formula.setVarying(varyingIndexes);
        values_.resize(size_t(hw_ + s.width));
        std::memcpy(values_.data(), d.header.values.data(), size_t(hw_) * sizeof(double));
        kept_.assign(size_t(s.rowCount()), -1);
    }

    // The loss along the section's own direction at signed flow q: the chain
    // at |q|, negative when the water runs against the section.
    double at(int r, double q) {
        const ValueTable& s = d_.sections;
        const size_t w = size_t(s.width);
        double* row = values_.data() + hw_;
        const SectionNodes nodes{d_.startOf[size_t(r)], d_.endOf[size_t(r)]};
        if (kept_[size_t(r)] < 0) {
            std::memcpy(row, s.row(r), w * sizeof(double));
            for (Step& st : fixed_) row[st.column] = st.formula.evaluate(values_.data(), &nodes, *d_.reference);
            kept_[size_t(r)] = keptRows_++;
            for (int c : read_) rows_.push_back(row[c]);
            for (Step& st : steps_) parts_.push_back(st.formula.fixPart(values_.data(), &nodes, *d_.reference));
        } else {
            const double* kept = rows_.data() + size_t(kept_[size_t(r)]) * read_.size();
            for (size_t i = 0; i < read_.size(); ++i) row[read_[i]] = kept[i];
        }
        row[flow_] = std::abs(q);
        row[startLoss_] = 0.0;
        const std::vector<double>* part = parts_.data() + size_t(kept_[size_t(r)]) * steps_.size();
        for (Step& st : steps_)
            row[st.column] = st.formula.finish(*part++, values_.data(), &nodes, *d_.reference);
        return q < 0 ? -row[endLoss_] : row[endLoss_];
    }

private:
    struct Step {
        int column;
        PreparedFormula formula;
    };
    const RunData& d_;
    int hw_;
    int flow_ = -1, startLoss_ = -1, endLoss_ = -1;
    std::vector<Step> steps_, fixed_;  // those that depend on the flow, and the others
    std::vector<int> read_;            // the section columns the formulas that depend on the flow read
    std::vector<double> values_;
    std::vector<double> rows_;         // per section asked about: its read_ columns after the fixed formulas
    std::vector<int> kept_;            // per section: its place in rows_ (in read_ sizes), or -1
    int keptRows_ = 0;
    std::vector<std::vector<double>> parts_;  // per section asked about and flow-dependent formula: its fixed part
};

}  // namespace

bool hasMeetingNode(const CalculationInput& d) {
    std::vector<int> ends;
    ends.reserve(d.endOf.size());
    for (const int node : d.endOf)
        if (node != kNullNode) ends.push_back(node);
    std::sort(ends.begin(), ends.end());
    return std::adjacent_find(ends.begin(), ends.end()) != ends.end();
}

bool solvesLoops(const CalculationInput& d) { return d.looped && d.computeFlows && hasMeetingNode(d); }

namespace {

// The flows of the supply or the return network through its loops in the
// sections' current directions; a solution that is not ok when the run must
// stop (its fault set). With startFromSupply the supply flows this run has
// found are the start (the directions settled, or the supply's for the
// return): they need few corrections. Without, the tree's flows are: flows
// left in the file by an earlier run would make the results depend on it.
LoopSolution solveNetwork(RunData& d, bool supply, bool startFromSupply) {
    const QString flowName = supply ? QStringLiteral("РасхПод") : QStringLiteral("РасхОбр");
    ValueTable& s = d.sections;
    const int f = s.need(flowName);
    // The return network draws the supply's flows unless its own are entered.
    const int drawn = supply || d.retFlowEntered ? f : s.need(QStringLiteral("РасхПод"));
    const int n = s.rowCount();

    // Nodes numbered in the order met, the start node first.
    LoopNetwork net;
    KeyMap<int, int> index;
    index.reserve(size_t(n) + 1);
    auto indexOf = [&](int node) {
        auto [i, fresh] = index.tryEmplace(node, net.nodeCount);
        if (fresh) ++net.nodeCount;
        return *i;
    };
    net.source = indexOf(d.startNode);
    for (int r = 0; r < n; ++r) net.pipes.push_back({indexOf(d.startOf[size_t(r)]), indexOf(d.endOf[size_t(r)])});
    net.demand.assign(size_t(net.nodeCount), 0.0);
    // The head changes given at the nodes act on the sections leaving them.
    net.boost.reserve(size_t(n));
    for (int r = 0; r < n; ++r)
        net.boost.push_back(supply ? d.deltaSup(d.startOf[size_t(r)]) : d.deltaRet(d.startOf[size_t(r)]));

    // The consumers: the end sections whose end node no other section reaches.
    LoopSolution none;
    std::vector<int> arriving(size_t(net.nodeCount), 0);
    for (const LoopNetwork::Pipe& pipe : net.pipes) ++arriving[size_t(pipe.to)];
    for (const Main& main : d.mains) {
        const int e = main.rows.front();
        const int b = d.endOf[size_t(e)];
        if (d.sectionEndingAt(b) != e) continue;  // a section arriving second at a meeting point
        if (d.firstSectionStartingAt(b) < 0 && arriving[size_t(net.pipes[size_t(e)].to)] > 1) {
            for (int r = 0; r < n; ++r)
                if (r != e && d.endOf[size_t(r)] == b) {
                    d.failAt(r, d.sectionHeading(r) + QStringLiteral("В узле ") + nodeText(b) +
                                    QStringLiteral(" сходятся несколько участков, и ни один не выходит из него. Расход "
                                                   "потребителя задается на отдельном участке, выходящем из этого узла."));
                    return none;
                }
        }
        const double flow = s.get(e, drawn);
        if (isNull(flow)) {
            d.failAt(e, d.sectionHeading(e) + QStringLiteral("Показатель \"") + s.names[size_t(drawn)] +
                            QStringLiteral("\" должен быть заполнен."));
            return none;
        }
        net.demand[size_t(net.pipes[size_t(e)].to)] += flow;
    }

    SectionLoss chain(d, flowName, supply ? QStringLiteral("ПотНОтИНачПод") : QStringLiteral("ПотНОтИНачОбр"),
                      supply ? QStringLiteral("ПотНОтИКонПод") : QStringLiteral("ПотНОтИКонОбр"));
    int faultRow = -1;
    std::optional<FormulaError> fault;
    // The branches are computed as a tree's afterwards.
    LoopSolverOptions options;
    options.branchLosses = false;
    if (startFromSupply) {
        const int former = s.need(QStringLiteral("РасхПод"));
        options.start.resize(size_t(n));
        for (int r = 0; r < n; ++r)
            options.start[size_t(r)] = marked(d.supplyAgainst, r) ? -s.get(r, former) : s.get(r, former);
    }
    LoopSolution sol = solveLoops(net, [&](int p, double q) {
        if (fault) return 0.0;
        try {
            return chain.at(p, q);
        } catch (const FormulaError& e) {
            fault = e;
            faultRow = p;
            return 0.0;
        }
    }, options);
    if (fault) {
        d.failAt(faultRow, fault->text());
        sol.ok = false;
    } else if (!sol.ok) {
        if (sol.failedPipe >= 0)
            d.failAt(sol.failedPipe, d.sectionHeading(sol.failedPipe) + sol.error);
        else
            d.error = sol.error;
    }
    return sol;
}

}  // namespace

void settleLoopDirections(RunData& d) {
    if (!solvesLoops(d)) return;
    const size_t n = size_t(d.sections.rowCount());
    d.reversed.assign(n, 0);
    d.supplyAgainst.assign(n, 0);
    d.returnAgainst.assign(n, 0);
    // The mains follow the directions and the temperatures the mains; the
    // losses follow the temperatures. A section with almost no water may turn
    // the temperatures of a main and with them its own direction, round after
    // round: after kTurnRounds the directions are kept, and a flow still
    // against its section is taken as such (its loss taken off, not added).
    constexpr int kTurnRounds = 5;
    for (int round = 0;; ++round) {
        stageSectionEndLengths(d);
        if (d.ok()) stageMainLengths(d);
        if (d.ok()) stageTemperatureLimits(d);
        if (d.ok()) stageTemperatures(d);
        if (!d.ok()) return;
        LoopSolution sol = solveNetwork(d, true, round > 0);
        if (!sol.ok) return;
        bool turned = false;
        if (round < kTurnRounds) {
            for (size_t r = 0; r < sol.flow.size(); ++r) {
                if (sol.flow[r] >= 0) continue;
                std::swap(d.startOf[r], d.endOf[r]);
                d.reversed[r] ^= 1;
                sol.flow[r] = -sol.flow[r];
                turned = true;
            }
        }
        ValueTable& s = d.sections;
        const int f = s.need(QStringLiteral("РасхПод"));
        for (size_t r = 0; r < sol.flow.size(); ++r) s.set(int(r), f, std::abs(sol.flow[r]));
        if (!turned) {
            d.settledSupply = RunData::SettledLoopFlows{std::move(sol.flow), sol.iterations, sol.imbalance};
            return;
        }
        d.buildIndexes();
        stageEndSectionsAndMains(d);
        if (d.ok()) stageEverySectionInMain(d);
        if (d.ok()) stageMainsReachStart(d);
        if (!d.ok()) return;
    }
}

void solveLoopedFlows(RunData& d, bool supply) {
    const QString flowName = supply ? QStringLiteral("РасхПод") : QStringLiteral("РасхОбр");
    ValueTable& s = d.sections;
    const int f = s.need(flowName);
    const int n = s.rowCount();
    d.progress.stage(flowName + QStringLiteral(" по участкам кольцевой сети."));
    LoopSolution sol;
    if (supply && d.settledSupply) {
        sol.ok = true;
        sol.flow = std::move(d.settledSupply->flow);
        sol.iterations = d.settledSupply->iterations;
        sol.imbalance = d.settledSupply->imbalance;
        d.settledSupply.reset();
    } else {
        sol = solveNetwork(d, supply, !supply);
    }
    if (!sol.ok) return;
    // The flows are kept as their sizes, those against their sections marked.
    std::vector<char>& against = supply ? d.supplyAgainst : d.returnAgainst;
    against.assign(size_t(n), 0);
    for (int r = 0; r < n; ++r) {
        against[size_t(r)] = sol.flow[size_t(r)] < 0;
        if (!d.putFinite(s, r, f, std::abs(sol.flow[size_t(r)]))) return;
    }
    for (Main& main : d.mains) (supply ? main.flowSup : main.flowRet) = std::abs(sol.flow[size_t(main.rows.front())]);
    if (CalcText* t = d.txt()) {
        t->line(QStringLiteral("Расходы кольцевой сети (") + flowName + QStringLiteral("): итераций ") +
                QString::number(sol.iterations) + QStringLiteral(", наибольшая невязка напоров в кольцах ") +
                QString::number(sol.imbalance, 'g', 6).replace(QLatin1Char('.'), d.decimal) + QStringLiteral(" м."));
        // The sections whose water does not run as their entry says, with the
        // flows as stored: signed in the entered direction.
        for (int r = 0; r < n; ++r) {
            const bool turned = d.turned(r);
            if (!turned && !against[size_t(r)]) continue;
            const double size = std::abs(sol.flow[size_t(r)]);
            const double stored = turned != bool(against[size_t(r)]) ? -size : size;
            const auto [a, b] = d.enteredEnds(r);
            // The supply water runs the entered way when its flow is positive, the return water then the other way.
            const bool entered = supply ? stored >= 0 : stored < 0;
            t->put(QStringLiteral("Участок ") + nodeText(a) + QStringLiteral(" - ") + nodeText(b) +
                   QStringLiteral(": ") + flowName + QStringLiteral(" = "))
                .num(stored)
                .put((supply ? QStringLiteral(" т/ч, вода течет от узла ")
                             : QStringLiteral(" т/ч, в обратном трубопроводе вода течет от узла ")) +
                     nodeText(entered ? a : b) + QStringLiteral(" к узлу ") + nodeText(entered ? b : a) +
                     QLatin1Char('.'))
                .end();
        }
    }
    d.progress.clear();
}

void signReversedFlows(RunData& d) {
    ValueTable& s = d.sections;
    std::vector<std::pair<int, const std::vector<char>*>> flows{{s.col(QStringLiteral("РасхПод")), &d.supplyAgainst}};
    if (d.twoPipe()) flows.push_back({s.col(QStringLiteral("РасхОбр")), &d.returnAgainst});
    for (int r = 0; r < s.rowCount(); ++r) {
        for (const auto& [f, against] : flows) {
            if (d.turned(r) == marked(*against, r)) continue;
            const double q = f < 0 ? kNull : s.get(r, f);
            if (!isNull(q) && q != 0) s.set(r, f, -q);
        }
    }
}

}  // namespace volm::calc
