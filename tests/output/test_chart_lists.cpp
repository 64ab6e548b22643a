// The main list and the node lists of the chart window, with their refill rules.
#include "output/chart_lists.h"

#include <gtest/gtest.h>
#include <ostream>

namespace volm {
namespace {

// Main 1: 1-2, 2-3, 3-4 (numbered 3, 2, 1); main 2: 1-2, 2-5; main 3 lacks its
// section numbered 1; main 4: the single section 2-6.
std::vector<MainRow> rows() {
    return {{1, 3, 1, 2}, {1, 2, 2, 3}, {1, 1, 3, 4}, {2, 2, 1, 2}, {2, 1, 2, 5},
            {3, 3, 1, 2}, {3, 2, 2, 7}, {4, 1, 2, 6}};
}

TEST(ChartLists, OneItemPerMainNamingItsFirstAndLastNode) {
    const ChartMains list = buildMainList(rows());
    ASSERT_EQ(list.mains.size(), 3u);
    EXPECT_EQ(list.mains[0].text, QStringLiteral("1.   1 - 4"));
    EXPECT_EQ(list.mains[1].text, QStringLiteral("2.   1 - 5"));
    EXPECT_EQ(list.mains[2].text, QStringLiteral("4.   2 - 6"));
    EXPECT_EQ(list.mains[2].idm, 4);
    EXPECT_EQ(list.mains[0].rows.size(), 3u);
    ASSERT_EQ(list.problems.size(), 1);
    EXPECT_TRUE(list.problems[0].startsWith(QStringLiteral("Магистраль 3 ")));
    EXPECT_TRUE(buildMainList({}).mains.empty());
}

TEST(ChartLists, StartNodesFirstSectionFirstAndEndNodesFromTheStartOn) {
    const ChartMain m = buildMainList(rows()).mains[0];
    EXPECT_EQ(startNodeItems(m), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(endNodeItems(m, QStringLiteral("1")), (QStringList{"2", "3", "4"}));
    EXPECT_EQ(endNodeItems(m, QStringLiteral("3")), (QStringList{"4"}));
    EXPECT_TRUE(endNodeItems(m, QStringLiteral("9")).isEmpty());
    EXPECT_TRUE(endNodeItems(m, QString()).isEmpty());
}

struct KeptCase {
    const char* name;
    QStringList items;
    const char* previous;
    bool lastWhenMissing;
    int expected;
};

std::ostream& operator<<(std::ostream& o, const KeptCase& c) { return o << c.name; }

class ChartKeptItem : public ::testing::TestWithParam<KeptCase> {};

TEST_P(ChartKeptItem, SelectsThePreviousTextOrTheFallback) {
    const KeptCase& c = GetParam();
    EXPECT_EQ(keptItem(c.items, QString::fromLatin1(c.previous), c.lastWhenMissing), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Refills, ChartKeptItem,
    ::testing::Values(KeptCase{"StartKeepsShownNode", {"1", "2", "3"}, "2", false, 1},
                      KeptCase{"StartFallsBackToFirst", {"1", "2", "3"}, "9", false, 0},
                      KeptCase{"EndKeepsReachableNode", {"3", "4"}, "4", true, 1},
                      KeptCase{"EndFallsBackToMainsEnd", {"3", "4"}, "2", true, 1},
                      KeptCase{"NothingShownBefore", {"3", "4", "5"}, "", false, 0},
                      KeptCase{"EmptyList", {}, "2", true, -1},
                      KeptCase{"TextMatchesWholeItemOnly", {"12", "21"}, "1", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The window's sequence: a later start node keeps the end node while it is still
// reachable, otherwise the main's end is chosen.
TEST(ChartLists, ChangingTheStartNodeKeepsAReachableEndNode) {
    const ChartMain m = buildMainList(rows()).mains[0];
    QStringList ends = endNodeItems(m, QStringLiteral("1"));
    QString shown = ends[keptItem(ends, QStringLiteral("3"), true)];
    EXPECT_EQ(shown, QStringLiteral("3"));
    ends = endNodeItems(m, QStringLiteral("2"));
    shown = ends[keptItem(ends, shown, true)];
    EXPECT_EQ(shown, QStringLiteral("3"));
    ends = endNodeItems(m, QStringLiteral("3"));
    shown = ends[keptItem(ends, shown, true)];
    EXPECT_EQ(shown, QStringLiteral("4"));
}

}  // namespace
}  // namespace volm
