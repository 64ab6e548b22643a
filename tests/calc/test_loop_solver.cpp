// The loop solver on plain data: flows split between parallel pipes as the
// loss law says, a tree keeps its summed flows, pipes entered against the
// water carry negative flows, random looped networks keep every node's
// balance with agreeing heads at every jumper (with or without the losses of
// the branches hanging off the loops), and the faults name the pipe.
#include "calc/loop_solver.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <random>

namespace volm::calc {
namespace {

// The template's law: Δh = 6.88e-3·kэ^0.25·G|G|·L·(1+α) / (ρ²·g·d^5.25), kэ 0.5 mm, α 0.3, ρ 971.77.
double templateLoss(double length, double diameterM, double g) {
    const double rho = 971.77;
    return 0.00688 * std::pow(0.0005, 0.25) * g * std::abs(g) * length * 1.3 / (9.81 * rho * rho * std::pow(diameterM, 5.25));
}

struct PipeData {
    int from, to;
    double length, diameter;  // m
};

LoopNetwork networkOf(int nodes, const std::vector<PipeData>& pipes, std::vector<double> demand) {
    LoopNetwork net;
    net.nodeCount = nodes;
    for (const PipeData& p : pipes) net.pipes.push_back({p.from, p.to});
    net.demand = std::move(demand);
    return net;
}

HeadLossFunction lossOf(const std::vector<PipeData>& pipes) {
    return [pipes](int p, double q) { return templateLoss(pipes[size_t(p)].length, pipes[size_t(p)].diameter, q); };
}

struct SplitCase {
    const char* name;
    std::vector<PipeData> pipes;
    std::vector<double> demand;
    std::vector<double> flows;  // expected, t/h
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

const SplitCase kSplits[] = {
    // Two equal pipes from the source to node 1: each carries half of 100 t/h.
    {"EqualParallelPipes", {{0, 1, 300, 0.207}, {0, 1, 300, 0.207}}, {0, 100}, {50, 50}},
    // Equal diameters, 100 m and 400 m: equal losses need L1·G1² = L2·G2², so
    // G1 = 2·G2, and G1 + G2 = 90 gives 60 and 30 t/h.
    {"UnequalLengths", {{0, 1, 100, 0.207}, {0, 1, 400, 0.207}}, {0, 90}, {60, 30}},
    // Equal lengths, Ду 200 (207 mm) and Ду 150 (159 mm): G ∝ d^2.625, so
    // G1/G2 = (207/159)^2.625 = 1.998733; of 100 t/h G2 = 100/2.998733 = 33.34742.
    {"UnequalDiameters", {{0, 1, 250, 0.207}, {0, 1, 250, 0.159}}, {0, 100}, {66.65258, 33.34742}},
    // Entered against the water: the second pipe's flow is negative.
    {"PipeEnteredBackwards", {{0, 1, 300, 0.207}, {1, 0, 300, 0.207}}, {0, 100}, {50, -50}},
    // A tree: 0 - 1 - 2, 1 - 3, every flow the sum of the drawn flows below it.
    {"Tree", {{0, 1, 500, 0.259}, {1, 2, 300, 0.159}, {1, 3, 400, 0.207}}, {0, 0, 40, 60}, {100, 40, 60}},
    // A square ring 0 - 1 - 2 - 3 - 0 of equal pipes drawing at 2 only: half each way.
    {"SymmetricRing",
     {{0, 1, 200, 0.207}, {1, 2, 200, 0.207}, {0, 3, 200, 0.207}, {3, 2, 200, 0.207}},
     {0, 0, 80, 0},
     {40, 40, 40, 40}},
};

class LoopSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LoopSplit, FlowsAsTheLossLawSaysAndHeadsAgree) {
    const SplitCase& c = GetParam();
    const LoopSolution s = solveLoops(networkOf(int(c.demand.size()), c.pipes, c.demand), lossOf(c.pipes));
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    for (size_t p = 0; p < c.flows.size(); ++p) EXPECT_NEAR(s.flow[p], c.flows[p], 1e-5) << "pipe " << p;
    EXPECT_LT(s.imbalance, 1e-5);
    EXPECT_GT(s.iterations, 0);
    for (size_t p = 0; p < c.pipes.size(); ++p)
        EXPECT_NEAR(s.lossFromSource[size_t(c.pipes[p].from)] + s.loss[p], s.lossFromSource[size_t(c.pipes[p].to)], 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Cases, LoopSplit, ::testing::ValuesIn(kSplits),
                         [](const auto& info) { return std::string(info.param.name); });

// Seeded random trees of 10 to 3000 pipes tied by 1-5 % jumpers: every node
// keeps its balance and the heads at both ends of every pipe agree.
TEST(LoopSolver, RandomLoopedNetworksBalanceEveryNode) {
    std::mt19937 rng(33);
    for (int size : {10, 57, 400, 3000}) {
        std::vector<PipeData> pipes;
        std::vector<int> parent(size_t(size) + 1, -1);
        std::vector<double> demand(size_t(size) + 1, 0.0), below(size_t(size) + 1, 0.0);
        std::uniform_real_distribution<double> len(20, 800), draw(0, 30);
        for (int v = 1; v <= size; ++v) {
            parent[size_t(v)] = std::uniform_int_distribution<int>(std::max(0, v - 20), v - 1)(rng);
            demand[size_t(v)] = below[size_t(v)] = rng() % 3 ? draw(rng) : 0.0;
        }
        for (int v = size; v >= 1; --v) below[size_t(parent[size_t(v)])] += below[size_t(v)];
        // Each pipe sized for about 1 m/s at the flow of the tree.
        auto sized = [](double flow) { return std::max(0.05, std::sqrt(4 * flow / 3600 / 3.14159)); };
        for (int v = 1; v <= size; ++v) {
            const int a = parent[size_t(v)];
            const bool backwards = rng() % 5 == 0;
            pipes.push_back({backwards ? v : a, backwards ? a : v, len(rng), sized(below[size_t(v)])});
        }
        const int jumpers = std::max(1, size * int(1 + rng() % 5) / 100);
        for (int j = 0; j < jumpers; ++j) {
            const int a = 1 + int(rng() % unsigned(size)), b = 1 + int(rng() % unsigned(size));
            if (a != b) pipes.push_back({a, b, len(rng), sized(below[size_t(a)] * 0.3)});
        }
        const LoopNetwork net = networkOf(size + 1, pipes, demand);
        const LoopSolution s = solveLoops(net, lossOf(pipes));
        ASSERT_TRUE(s.ok) << size << ": " << s.error.toStdString();
        std::vector<double> balance(size_t(size) + 1, 0.0);
        for (size_t p = 0; p < pipes.size(); ++p) {
            balance[size_t(pipes[p].to)] += s.flow[p];
            balance[size_t(pipes[p].from)] -= s.flow[p];
            EXPECT_NEAR(s.lossFromSource[size_t(pipes[p].from)] + s.loss[p], s.lossFromSource[size_t(pipes[p].to)], 1e-5)
                << size << " pipe " << p;
        }
        for (int v = 1; v <= size; ++v) EXPECT_NEAR(balance[size_t(v)], demand[size_t(v)], 1e-7) << size << " node " << v;

        // Without the losses of the branches: the same flows, and the law is
        // asked about the pipes of the loops only.
        LoopSolverOptions loopsOnly;
        loopsOnly.branchLosses = false;
        const HeadLossFunction law = lossOf(pipes);
        std::vector<char> asked(pipes.size(), 0);
        const LoopSolution t = solveLoops(net, [&](int p, double q) {
            asked[size_t(p)] = 1;
            return law(p, q);
        }, loopsOnly);
        ASSERT_TRUE(t.ok) << size << ": " << t.error.toStdString();
        EXPECT_EQ(t.flow, s.flow) << size;
        EXPECT_EQ(t.imbalance, s.imbalance) << size;
        EXPECT_LT(std::count(asked.begin(), asked.end(), 1), std::ptrdiff_t(pipes.size())) << size;
        for (size_t p = 0; p < pipes.size(); ++p)
            if (asked[p]) EXPECT_EQ(t.loss[p], s.loss[p]) << size << " pipe " << p;
    }
}

TEST(LoopSolver, FaultsNameThePipe) {
    const std::vector<PipeData> ring{{0, 1, 100, 0.207}, {0, 1, 400, 0.207}, {2, 3, 100, 0.207}};
    {
        // Nodes 2 and 3 are not reached from the source.
        const LoopSolution s = solveLoops(networkOf(4, ring, {0, 90, 0, 5}), lossOf(ring));
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.failedPipe, 2);
        EXPECT_EQ(s.error, QStringLiteral("не соединен с начальным узлом теплосети."));
    }
    const std::vector<PipeData> pair(ring.begin(), ring.begin() + 2);
    {
        LoopSolverOptions once;
        once.maxIterations = 1;
        const LoopSolution s = solveLoops(networkOf(2, pair, {0, 90}), lossOf(pair), once);
        EXPECT_FALSE(s.ok);
        EXPECT_TRUE(s.error.startsWith(QStringLiteral("Расчет кольцевой сети не сошелся за 1 итераций"))) << s.error.toStdString();
    }
    {
        // A zero diameter gives no finite loss.
        const LoopSolution s = solveLoops(networkOf(2, pair, {0, 90}), [&](int p, double q) {
            return p == 1 ? templateLoss(100, 0, q) : templateLoss(100, 0.207, q);
        });
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.failedPipe, 1);
        EXPECT_TRUE(s.error.startsWith(QStringLiteral("Потери напора не определены"))) << s.error.toStdString();
    }
    {
        // A loss that does not grow with the flow leaves the loop undetermined.
        const LoopSolution s = solveLoops(networkOf(2, pair, {0, 90}), [&](int p, double q) {
            return p == 0 ? 0.0 : templateLoss(100, 0.207, q);
        });
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.failedPipe, 0);
        EXPECT_EQ(s.error, QStringLiteral("Потери напора на участке кольцевой сети должны расти с расходом."));
    }
}

}  // namespace
}  // namespace volm::calc
