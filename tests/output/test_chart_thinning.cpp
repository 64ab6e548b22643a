// Which node labels and value marks of a long chart are drawn.
#include "output/chart_thinning.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <ostream>

namespace volm {
namespace {

std::string shown(const std::vector<bool>& keep) {
    std::string s;
    for (bool k : keep) s += k ? '#' : '.';
    return s;
}

struct LabelCase {
    const char* name;
    std::vector<double> centres;
    double width;
    const char* expected;
};

std::ostream& operator<<(std::ostream& o, const LabelCase& c) { return o << c.name; }

class ChartLabelThinning : public ::testing::TestWithParam<LabelCase> {};

TEST_P(ChartLabelThinning, KeepsFirstLastAndThoseThatFit) {
    const LabelCase& c = GetParam();
    const std::vector<double> widths(c.centres.size(), c.width);
    EXPECT_EQ(shown(thinAxisLabels(c.centres, widths, 2)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, ChartLabelThinning,
    ::testing::Values(LabelCase{"AllFit", {0, 20, 40, 60}, 10, "####"},
                      LabelCase{"EveryOtherFits", {0, 10, 20, 30, 40}, 10, "#.#.#"},
                      LabelCase{"LastPushesOutItsNeighbour", {0, 12, 24, 30}, 10, "##.#"},
                      LabelCase{"LastPushesOutAllItCovers", {0, 12, 24, 25, 26}, 10, "##..#"},
                      LabelCase{"JustFitting", {0, 12, 24, 36}, 10, "####"},
                      LabelCase{"SamePlaceKeepsFirstAndLast", {5, 5, 5}, 10, "#.#"},
                      LabelCase{"One", {3}, 10, "#"},
                      LabelCase{"None", {}, 10, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChartMarkThinning, DropsOverlapsKeepsAlwaysAndSeparatedOnes) {
    std::vector<MarkBox> b = {
        {0, 0, 20, 10, true},     // always
        {10, 0, 20, 10, false},   // overlaps the first
        {10, 30, 20, 10, false},  // same x, far below: kept
        {25, 0, 20, 10, false},   // clear of the first, covered by the next always-kept one
        {30, 2, 20, 10, true},    // always, although it covers the one before
        {1000, 0, 20, 10, false},
    };
    EXPECT_EQ(shown(thinMarks(b)), "#.#.##");
}

TEST(ChartMarkThinning, CoveredMarkMovesToItsSecondPlace) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<MarkBox> b = {
        {0, 0, 20, 10, true, nan},
        {5, 0, 20, 10, false, 20},   // covered above, free below
        {8, 0, 20, 10, false, 20},   // covered in both places
        {9, 0, 20, 10, false, nan},  // covered, no second place
        {60, 0, 20, 10, false, 20},  // free where it is
    };
    std::vector<int> place = placeMarks(b);
    EXPECT_EQ(place, (std::vector<int>{1, 2, 0, 0, 1}));
}

TEST(ChartMarkThinning, ManyMarksOnOnePlaceLeaveOne) {
    std::vector<MarkBox> b(500, MarkBox{50, 50, 30, 12, false});
    const auto keep = thinMarks(b);
    EXPECT_EQ(std::count(keep.begin(), keep.end(), true), 1);
}

}  // namespace
}  // namespace volm
