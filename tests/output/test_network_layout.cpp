// The tree layout of the schematic: places of nodes and sections of small
// networks, checked for overlaps, crossings, order and separated parts.
#include "output/network_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>

using volm::output::layOutNetwork;
using volm::output::LayoutSection;
using volm::output::NetworkLayout;

namespace {

struct TreeCase {
    std::string name;
    std::vector<LayoutSection> sections;
    int start;
};

void PrintTo(const TreeCase& c, std::ostream* os) { *os << c.name; }

// Proper crossing of two segments (touching at a shared end is not one).
bool crosses(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    auto orient = [](double px, double py, double qx, double qy, double rx, double ry) {
        const double v = (qx - px) * (ry - py) - (qy - py) * (rx - px);
        return v > 1e-9 ? 1 : v < -1e-9 ? -1 : 0;
    };
    const int o1 = orient(ax, ay, bx, by, cx, cy), o2 = orient(ax, ay, bx, by, dx, dy);
    const int o3 = orient(cx, cy, dx, dy, ax, ay), o4 = orient(cx, cy, dx, dy, bx, by);
    return o1 * o2 < 0 && o3 * o4 < 0;
}

std::vector<TreeCase> treeCases() {
    std::vector<TreeCase> cases;
    cases.push_back({"chain", {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}, 1});
    cases.push_back({"star", {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}}, 1});
    std::vector<LayoutSection> binary;
    for (int v = 1; v <= 15; ++v) {
        binary.push_back({v, 2 * v});
        binary.push_back({v, 2 * v + 1});
    }
    cases.push_back({"binary", binary, 1});
    // The main line 1-2-3-4-5, a branch from 2 listed after it, and a branch of
    // that branch listed before the section that reaches it.
    cases.push_back({"branch_back_to_main_line",
                     {{1, 2}, {2, 3}, {3, 4}, {20, 21}, {4, 5}, {2, 20}, {3, 30}, {30, 31}, {30, 32}, {21, 22}},
                     1});
    // A deep left subtree next to a shallow right one: the right one must be
    // pushed clear of the left one's lower layers, not only of its root.
    cases.push_back({"uneven_subtrees",
                     {{1, 2}, {1, 3}, {2, 4}, {2, 5}, {4, 6}, {4, 7}, {5, 8}, {5, 9}, {3, 10}, {3, 11}, {10, 12},
                      {10, 13}, {11, 14}, {11, 15}, {1, 16}, {16, 17}, {2, 18}},
                     1});
    // Sections entered from the consumer towards the source.
    cases.push_back({"sections_entered_backwards", {{2, 1}, {3, 2}, {4, 2}, {5, 3}}, 1});
    return cases;
}

class TreeLayout : public ::testing::TestWithParam<TreeCase> {};

TEST_P(TreeLayout, PlacesNodesApartWithoutCrossingsInSectionOrder) {
    const TreeCase& c = GetParam();
    const NetworkLayout l = layOutNetwork(c.sections, c.start);
    ASSERT_TRUE(l.startFound);
    ASSERT_EQ(l.edges.size(), c.sections.size());
    EXPECT_EQ(l.nodes.front().number, c.start);
    EXPECT_EQ(l.nodes.front().y, 0);

    std::set<std::pair<double, double>> places;
    for (const auto& n : l.nodes) {
        EXPECT_TRUE(n.connected);
        EXPECT_TRUE(places.insert({n.x, n.y}).second) << "node " << n.number << " shares its place";
        EXPECT_GE(n.x, 0);
        EXPECT_LE(n.x, l.width);
    }
    // Nodes of one layer at least one step apart.
    std::map<double, std::vector<double>> layers;
    for (const auto& n : l.nodes) layers[n.y].push_back(n.x);
    for (auto& [y, xs] : layers) {
        std::sort(xs.begin(), xs.end());
        for (size_t i = 1; i < xs.size(); ++i) EXPECT_GE(xs[i] - xs[i - 1], 1.0 - 1e-9) << "layer " << y;
    }
    for (size_t i = 0; i < l.edges.size(); ++i)
        for (size_t j = i + 1; j < l.edges.size(); ++j) {
            const auto &a = l.edges[i], &b = l.edges[j];
            EXPECT_FALSE(crosses(l.nodes[a.from].x, l.nodes[a.from].y, l.nodes[a.to].x, l.nodes[a.to].y,
                                 l.nodes[b.from].x, l.nodes[b.from].y, l.nodes[b.to].x, l.nodes[b.to].y))
                << "sections " << i << " and " << j << " cross";
        }
    // Every section one layer down; children left to right in section order, the
    // parent centred over them, a single child straight under it.
    std::map<int, std::vector<int>> children;  // parent index -> child indices in section order
    for (const auto& e : l.edges) {
        ASSERT_TRUE(e.tree);
        const int parent = l.nodes[e.from].y < l.nodes[e.to].y ? e.from : e.to;
        const int child = parent == e.from ? e.to : e.from;
        EXPECT_EQ(l.nodes[child].y, l.nodes[parent].y + 1);
        children[parent].push_back(child);
    }
    for (const auto& [parent, kids] : children) {
        for (size_t k = 1; k < kids.size(); ++k) EXPECT_LT(l.nodes[kids[k - 1]].x, l.nodes[kids[k]].x);
        EXPECT_DOUBLE_EQ(l.nodes[parent].x, (l.nodes[kids.front()].x + l.nodes[kids.back()].x) / 2)
            << "node " << l.nodes[parent].number;
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, TreeLayout, ::testing::ValuesIn(treeCases()),
                         [](const auto& info) { return info.param.name; });

TEST(NetworkLayoutParts, PartNotReachedFromTheStartIsDrawnApartAndMarked) {
    // 1-2-3 from the start node 1; 10-11, 11-12 entered towards 10 and 11 apart,
    // listed in between and not from its root.
    const NetworkLayout l = layOutNetwork({{1, 2}, {11, 12}, {10, 11}, {2, 3}, {1, 4}}, 1);
    ASSERT_TRUE(l.startFound);
    double mainRight = -1, apartLeft = 1e9;
    std::map<int, NetworkLayout::Node> byNumber;
    for (const auto& n : l.nodes) {
        byNumber[n.number] = n;
        const bool apart = n.number >= 10;
        EXPECT_EQ(n.connected, !apart) << n.number;
        if (apart) apartLeft = std::min(apartLeft, n.x);
        else mainRight = std::max(mainRight, n.x);
    }
    EXPECT_GT(apartLeft, mainRight + 1);
    EXPECT_EQ(byNumber[10].y, 0) << "the part's root is the node no section ends at";
    EXPECT_EQ(byNumber[11].y, 1);
    EXPECT_EQ(byNumber[12].y, 2);
    EXPECT_FALSE(l.edges[1].connected);
    EXPECT_TRUE(l.edges[3].connected);
}

TEST(NetworkLayoutParts, LoopClosingSectionIsDrawnButNotABranch) {
    const NetworkLayout l = layOutNetwork({{1, 2}, {1, 3}, {2, 4}, {3, 4}}, 1);
    EXPECT_EQ(l.nodes.size(), 4u);
    EXPECT_TRUE(l.edges[2].tree);
    EXPECT_FALSE(l.edges[3].tree);
}

TEST(NetworkLayoutParts, UnknownStartNodeLaysOutEveryPartUnmarked) {
    const NetworkLayout l = layOutNetwork({{5, 6}, {7, 8}}, 1);
    EXPECT_FALSE(l.startFound);
    ASSERT_EQ(l.nodes.size(), 4u);
    for (const auto& n : l.nodes) EXPECT_TRUE(n.connected);
    EXPECT_TRUE(layOutNetwork({}, 1).nodes.empty());
}

TEST(NetworkLayoutParts, LongChainStaysStraight) {
    std::vector<LayoutSection> chain;
    for (int v = 1; v < 40000; ++v) chain.push_back({v, v + 1});
    const NetworkLayout l = layOutNetwork(chain, 1);
    ASSERT_EQ(l.nodes.size(), 40000u);
    EXPECT_EQ(l.width, 0);
    EXPECT_EQ(l.height, 39999);
}

}  // namespace
