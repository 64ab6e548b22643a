// Solves a looped network given as text on standard input with the loop
// solver and the standard method's quadratic-zone law at one water density:
//   nodes N source S
//   pipe FROM TO LENGTH_M DIAMETER_M ROUGHNESS_M     (one line per pipe)
//   demand NODE FLOW_T_PER_H                          (one line per consumer)
// Writes "iterations I imbalance X seconds T", then "flow P G" per pipe (t/h)
// and "loss N H" per node (head loss from the source, m).
#include "calc/loop_solver.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

using namespace volm::calc;

int main() {
    constexpr double kDensity = 971.77, kG = 9.81;
    LoopNetwork net;
    struct Pipe {
        double length, diameter, roughness;
    };
    std::vector<Pipe> pipes;
    std::string word;
    while (std::cin >> word) {
        if (word == "nodes") {
            std::cin >> net.nodeCount >> word >> net.source;
            net.demand.assign(size_t(net.nodeCount), 0.0);
        } else if (word == "pipe") {
            LoopNetwork::Pipe p;
            Pipe q{};
            std::cin >> p.from >> p.to >> q.length >> q.diameter >> q.roughness;
            net.pipes.push_back(p);
            pipes.push_back(q);
        } else if (word == "demand") {
            int node = 0;
            double flow = 0;
            std::cin >> node >> flow;
            net.demand[size_t(node)] += flow;
        }
    }
    std::vector<double> coefficient(pipes.size());
    for (size_t p = 0; p < pipes.size(); ++p)
        coefficient[p] = 0.00688 * std::pow(pipes[p].roughness, 0.25) * pipes[p].length /
                         (kG * kDensity * kDensity * std::pow(pipes[p].diameter, 5.25));
    const auto start = std::chrono::steady_clock::now();
    const LoopSolution s = solveLoops(net, [&](int p, double g) { return coefficient[size_t(p)] * g * std::abs(g); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!s.ok) {
        std::fprintf(stderr, "%s\n", s.error.toUtf8().constData());
        return 1;
    }
    std::printf("iterations %d imbalance %.17g seconds %.6f\n", s.iterations, s.imbalance, seconds);
    for (size_t p = 0; p < s.flow.size(); ++p) std::printf("flow %zu %.17g\n", p, s.flow[p]);
    for (size_t v = 0; v < s.lossFromSource.size(); ++v) std::printf("loss %zu %.17g\n", v, s.lossFromSource[v]);
    return 0;
}
