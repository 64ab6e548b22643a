#pragma once
// Keeping the texts of a long chart readable: of the node labels along the
// bottom axis and of the value marks at the points, only those that do not
// cover one already kept are drawn, the first and the last always. Sizes are
// in pixels of the drawn chart.
#include <limits>
#include <vector>

namespace volm {

// Labels centred at centres (non-decreasing), each of its width; a label is
// kept when it stays gap apart from the kept one before it. The first and the
// last are kept; a label kept before the last that the last would cover goes.
std::vector<bool> thinAxisLabels(const std::vector<double>& centres, const std::vector<double>& widths, double gap);

struct MarkBox {
    double x = 0, y = 0;   // centre
    double w = 0, h = 0;   // size
    bool always = false;   // kept whatever it covers
    double altY = std::numeric_limits<double>::quiet_NaN();  // second place (e.g. below the point), NaN: none
};

// Marks taken in order (the always-kept first); a mark is kept when its box
// overlaps no box kept so far.
std::vector<bool> thinMarks(const std::vector<MarkBox>& boxes);

// The same, trying a mark's second place when its first is covered:
// 0 left out, 1 at y, 2 at altY.
std::vector<int> placeMarks(const std::vector<MarkBox>& boxes);

}  // namespace volm
