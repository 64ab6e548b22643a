#pragma once
// The flows of a looped pipe network by the global gradient method: each
// iteration linearises every pipe's head loss at its trial flow and solves
// the heads of all nodes at once so that the corrected flows keep the balance
// of every node; it stops when the heads at the ends of every jumper, each
// reached from the source along the tree of the other pipes, agree.
//
// Plain data only: the pipes between numbered nodes, the flows drawn at the
// nodes and one source. Flows are positive along a pipe's own direction
// (from -> to); a pipe's head loss is a function of that signed flow.
#include <QString>
#include <functional>
#include <vector>

namespace volm::calc {

struct LoopNetwork {
    struct Pipe {
        int from = 0, to = 0;  // node indexes
    };
    int nodeCount = 0;
    int source = 0;
    std::vector<Pipe> pipes;
    std::vector<double> demand;  // per node: the flow drawn there (the source's is ignored)
    std::vector<double> boost;   // per pipe, or empty: head added at its start (a pump at the node), m
};

// The head loss of pipe p at signed flow q: loss along the pipe's own
// direction (negative when the water runs against it).
using HeadLossFunction = std::function<double(int p, double q)>;

struct LoopSolverOptions {
    double headTolerance = 1e-5;  // m: the largest head difference at a jumper's end
    double flowTolerance = 1e-7;  // the largest flow correction of the last iteration
    int maxIterations = 100;
    std::vector<double> start;    // per pipe, or empty: the flows to start from (a former solution)
    // The losses of the branches hanging off the loops too (their flows are
    // fixed, so the iterations do not need them): without them their loss is
    // 0 and lossFromSource holds only the nodes of the loops and the pipes
    // between them.
    bool branchLosses = true;
};

struct LoopSolution {
    bool ok = false;
    QString error;               // why there is no solution (Russian, names the pipe)
    int failedPipe = -1;         // the pipe the error is about; -1 for none
    int iterations = 0;
    double imbalance = 0;        // the largest head difference at a jumper's end, m
    std::vector<double> flow;    // per pipe, signed
    std::vector<double> loss;    // per pipe: the head loss at its flow
    std::vector<double> lossFromSource;  // per node, along the tree from the source
    std::vector<char> jumper;    // per pipe: outside the tree the heads were carried along
};

LoopSolution solveLoops(const LoopNetwork& net, const HeadLossFunction& loss, const LoopSolverOptions& options = {});

}  // namespace volm::calc
