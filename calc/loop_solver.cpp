#include "calc/loop_solver.h"

#include "calc/node_equations.h"

#include <algorithm>
#include <cmath>

namespace volm::calc {

namespace {

// The tree the heads are carried along: every node reached from the source
// in breadth order, each by the first pipe that reaches it.
struct Tree {
    std::vector<int> via;    // per node: the pipe it was reached by; -1 for the source and unreached nodes
    std::vector<int> order;  // the nodes in the order reached, the source first
};

// Per node: the pipes that start or end there, in the order of the pipes.
class PipesTouching {
public:
    explicit PipesTouching(const LoopNetwork& net) : start_(size_t(net.nodeCount) + 1, 0), pipes_(2 * net.pipes.size()) {
        for (const LoopNetwork::Pipe& pipe : net.pipes) {
            ++start_[size_t(pipe.from) + 1];
            ++start_[size_t(pipe.to) + 1];
        }
        for (size_t v = 1; v < start_.size(); ++v) start_[v] += start_[v - 1];
        std::vector<int> next(start_.begin(), start_.end() - 1);
        for (int p = 0; p < int(net.pipes.size()); ++p) {
            pipes_[size_t(next[size_t(net.pipes[size_t(p)].from)]++)] = p;
            pipes_[size_t(next[size_t(net.pipes[size_t(p)].to)]++)] = p;
        }
    }
    // The pipes at node v.
    struct Range {
        const int *b, *e;
        const int* begin() const { return b; }
        const int* end() const { return e; }
        size_t size() const { return size_t(e - b); }
    };
    Range operator[](size_t v) const { return {pipes_.data() + start_[v], pipes_.data() + start_[v + 1]}; }

private:
    std::vector<int> start_;  // per node: where its pipes begin in pipes_
    std::vector<int> pipes_;
};

Tree spanningTree(const LoopNetwork& net, const PipesTouching& touching) {
    Tree t;
    t.via.assign(size_t(net.nodeCount), -1);
    std::vector<char> reached(size_t(net.nodeCount), 0);
    reached[size_t(net.source)] = 1;
    t.order.push_back(net.source);
    for (size_t i = 0; i < t.order.size(); ++i) {
        const int v = t.order[i];
        for (int p : touching[size_t(v)]) {
            const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
            const int w = pipe.from == v ? pipe.to : pipe.from;
            if (reached[size_t(w)]) continue;
            reached[size_t(w)] = 1;
            t.via[size_t(w)] = p;
            t.order.push_back(w);
        }
    }
    return t;
}

// The branches that hang off the loops: trees whose flows are those drawn
// below them whatever the loops do. Found by cutting off, again and again,
// every node other than the source that only one remaining pipe touches.
struct Branches {
    std::vector<char> pendant;  // per pipe: on a branch
    std::vector<char> cut;      // per node: cut off with a branch
    std::vector<double> flow;   // per pipe on a branch: its signed flow
    std::vector<double> drawn;  // per node left: its own flow and those of the branches hanging from it
};

Branches cutBranches(const LoopNetwork& net, const PipesTouching& touching) {
    const size_t n = size_t(net.nodeCount), m = net.pipes.size();
    Branches b;
    b.pendant.assign(m, 0);
    b.cut.assign(n, 0);
    b.flow.assign(m, 0.0);
    b.drawn.assign(n, 0.0);
    std::vector<int> degree(n, 0), queue;
    for (size_t v = 0; v < n; ++v) {
        degree[v] = int(touching[v].size());
        b.drawn[v] = int(v) == net.source ? 0.0 : net.demand[v];
        if (degree[v] == 1 && int(v) != net.source) queue.push_back(int(v));
    }
    for (size_t i = 0; i < queue.size(); ++i) {
        const int v = queue[i];
        b.cut[size_t(v)] = 1;
        for (int p : touching[size_t(v)]) {
            if (b.pendant[size_t(p)]) continue;
            b.pendant[size_t(p)] = 1;
            const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
            const int u = pipe.from == v ? pipe.to : pipe.from;
            b.flow[size_t(p)] = pipe.to == v ? b.drawn[size_t(v)] : -b.drawn[size_t(v)];
            b.drawn[size_t(u)] += b.drawn[size_t(v)];
            if (--degree[size_t(u)] == 1 && u != net.source) queue.push_back(u);
        }
    }
    return b;
}

// Head loss from the source to every node along the tree, at the pipes' head drops h.
void carryHeads(const LoopNetwork& net, const Tree& t, const std::vector<double>& h, std::vector<double>& fromSource) {
    fromSource.assign(size_t(net.nodeCount), 0.0);
    for (size_t i = 1; i < t.order.size(); ++i) {
        const int v = t.order[i];
        const int p = t.via[size_t(v)];
        const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
        fromSource[size_t(v)] = pipe.to == v ? fromSource[size_t(pipe.from)] + h[size_t(p)]
                                             : fromSource[size_t(pipe.to)] - h[size_t(p)];
    }
}

QString number(double v) { return QString::number(v, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(',')); }

}  // namespace

LoopSolution solveLoops(const LoopNetwork& net, const HeadLossFunction& loss, const LoopSolverOptions& options) {
    LoopSolution out;
    const int n = net.nodeCount;
    const int m = int(net.pipes.size());
    const PipesTouching touching(net);
    const Tree tree = spanningTree(net, touching);
    out.jumper.assign(size_t(m), 1);
    for (int v = 0; v < n; ++v)
        if (tree.via[size_t(v)] >= 0) out.jumper[size_t(tree.via[size_t(v)])] = 0;
    if (int(tree.order.size()) < n) {
        for (int p = 0; p < m; ++p) {
            const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
            if (tree.via[size_t(pipe.from)] < 0 && pipe.from != net.source) {
                out.failedPipe = p;
                break;
            }
        }
        out.error = QStringLiteral("не соединен с начальным узлом теплосети.");
        return out;
    }

    // Flows of the tree as the start: every drawn flow carried to the source.
    std::vector<double> q(static_cast<size_t>(m), 0.0), below(static_cast<size_t>(n), 0.0);
    double total = 0;
    for (int v = 0; v < n; ++v)
        if (v != net.source) {
            below[size_t(v)] = net.demand[size_t(v)];
            total += std::abs(net.demand[size_t(v)]);
        }
    for (size_t i = tree.order.size(); i-- > 1;) {
        const int v = tree.order[i];
        const int p = tree.via[size_t(v)];
        const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
        q[size_t(p)] = pipe.to == v ? below[size_t(v)] : -below[size_t(v)];
        below[size_t(pipe.to == v ? pipe.from : pipe.to)] += below[size_t(v)];
    }
    // A pipe without flow has no slope of its loss to start from.
    if (options.start.size() == size_t(m))
        for (int p = 0; p < m; ++p)
            if (std::isfinite(options.start[size_t(p)])) q[size_t(p)] = options.start[size_t(p)];
    const double qStart = std::max(total / std::max(m, 1) * 0.1, 1e-6);
    const double qFloor = std::max(total * 1e-7, 1e-9);
    for (double& x : q)
        if (std::abs(x) < qStart) x = qStart;

    // Only the loops and the pipes between them are iterated; the branches
    // hanging off them keep their flows and their losses.
    const Branches branches = cutBranches(net, touching);
    std::vector<int> looped;  // the pipes iterated
    looped.reserve(size_t(m));
    for (int p = 0; p < m; ++p) {
        if (branches.pendant[size_t(p)])
            q[size_t(p)] = branches.flow[size_t(p)];
        else
            looped.push_back(p);
    }
    std::vector<int> unknown(size_t(n), -1);
    int unknowns = 0;
    for (int v = 0; v < n; ++v)
        if (v != net.source && !branches.cut[size_t(v)]) unknown[size_t(v)] = unknowns++;
    std::vector<std::pair<int, int>> links;
    links.reserve(size_t(m));
    for (int p = 0; p < m; ++p) {
        const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
        links.push_back(branches.pendant[size_t(p)] ? std::pair{-1, -1}
                                                    : std::pair{unknown[size_t(pipe.from)], unknown[size_t(pipe.to)]});
    }
    NodeEquations equations;
    equations.analyse(unknowns, links);

    // The least slope of each pipe's loss: its secant at a flow far below
    // every drawn one, so that a pipe near zero flow keeps a bounded conductance.
    std::vector<double> minSlope(static_cast<size_t>(m));
    for (int p = 0; p < m; ++p) {
        if (branches.pendant[size_t(p)] && !options.branchLosses) continue;
        const double h = loss(p, qFloor);
        minSlope[size_t(p)] = std::abs(h) / qFloor;
        if (!std::isfinite(h) || !(minSlope[size_t(p)] > 0)) {
            out.failedPipe = p;
            out.error = std::isfinite(h) ? QStringLiteral("Потери напора на участке кольцевой сети должны расти с расходом.")
                                         : QStringLiteral("Потери напора не определены при расходе ") + number(qFloor) +
                                               QStringLiteral(" т/ч.");
            return out;
        }
    }
    std::vector<double> h(static_cast<size_t>(m)), c(static_cast<size_t>(m)), y(static_cast<size_t>(m)), heads, rhs;
    double correction = INFINITY, previousCorrection = INFINITY;
    // The loss of a pipe less the head added at its start.
    auto boost = [&](int p) { return net.boost.empty() ? 0.0 : net.boost[size_t(p)]; };
    std::vector<double> drop(static_cast<size_t>(m));
    // The loss of pipe p at its present flow; false, with the error, when it is not a number.
    auto lossAtFlow = [&](int p) {
        h[size_t(p)] = loss(p, q[size_t(p)]);
        drop[size_t(p)] = h[size_t(p)] - boost(p);
        if (std::isfinite(h[size_t(p)])) return true;
        out.failedPipe = p;
        out.error = QStringLiteral("Потери напора не определены при расходе ") + number(q[size_t(p)]) + QStringLiteral(" т/ч.");
        return false;
    };
    for (int p = 0; p < m; ++p) {
        if (!branches.pendant[size_t(p)]) continue;
        if (!options.branchLosses)
            drop[size_t(p)] = -boost(p);
        else if (!lossAtFlow(p))
            return out;
    }
    for (int it = 0;; ++it) {
        for (int p : looped)
            if (!lossAtFlow(p)) return out;
        if (it > 0) {
            carryHeads(net, tree, drop, out.lossFromSource);
            out.imbalance = 0;
            for (int p = 0; p < m; ++p)
                if (out.jumper[size_t(p)]) {
                    const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
                    const double gap = out.lossFromSource[size_t(pipe.from)] + drop[size_t(p)] -
                                       out.lossFromSource[size_t(pipe.to)];
                    out.imbalance = std::max(out.imbalance, std::abs(gap));
                }
            out.iterations = it;
            // The rounding of large heads leaves flow corrections that never
            // vanish: heads agreeing far below the tolerance, or corrections
            // that no longer shrink, end the iterations too.
            if (out.imbalance < options.headTolerance &&
                (correction < options.flowTolerance || out.imbalance < options.headTolerance * 1e-4 ||
                 correction > 0.5 * previousCorrection))
                break;
            if (it >= options.maxIterations) {
                out.error = QStringLiteral("Расчет кольцевой сети не сошелся за ") + QString::number(it) +
                            QStringLiteral(" итераций: наибольшая невязка напоров в кольце ") + number(out.imbalance) +
                            QStringLiteral(" м.");
                return out;
            }
        }
        // Each pipe's flow corrected to its linearised loss at the new heads;
        // the heads keep every node's balance of those flows.
        rhs.assign(size_t(unknowns), 0.0);
        for (int v = 0; v < n; ++v)
            if (unknown[size_t(v)] >= 0) rhs[size_t(unknown[size_t(v)])] = -branches.drawn[size_t(v)];
        for (int p : looped) {
            const double qp = q[size_t(p)];
            const double step = std::max(std::abs(qp) * 1e-6, 1e-9);
            const double slope = (loss(p, qp + step) - h[size_t(p)]) / step;
            c[size_t(p)] = 1.0 / std::max(slope, minSlope[size_t(p)]);
            y[size_t(p)] = qp - drop[size_t(p)] * c[size_t(p)];
            const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
            if (pipe.to != net.source) rhs[size_t(unknown[size_t(pipe.to)])] += y[size_t(p)];
            if (pipe.from != net.source) rhs[size_t(unknown[size_t(pipe.from)])] -= y[size_t(p)];
        }
        equations.start(std::move(rhs));
        for (int p : looped) equations.addLink(p, c[size_t(p)]);
        if (!equations.solve(heads)) {
            out.error = QStringLiteral("Система уравнений напоров кольцевой сети вырождена.");
            return out;
        }
        auto head = [&](int v) { return v == net.source ? 0.0 : heads[size_t(unknown[size_t(v)])]; };
        previousCorrection = correction;
        correction = 0;
        for (int p : looped) {
            const LoopNetwork::Pipe& pipe = net.pipes[size_t(p)];
            const double next = y[size_t(p)] + c[size_t(p)] * (head(pipe.from) - head(pipe.to));
            correction = std::max(correction, std::abs(next - q[size_t(p)]));
            q[size_t(p)] = next;
        }
    }
    out.flow = std::move(q);
    out.loss = std::move(h);
    out.ok = true;
    return out;
}

}  // namespace volm::calc
