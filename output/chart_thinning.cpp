#include "output/chart_thinning.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace volm {

std::vector<bool> thinAxisLabels(const std::vector<double>& centres, const std::vector<double>& widths, double gap) {
    const size_t n = centres.size();
    std::vector<bool> keep(n, false);
    if (n == 0) return keep;
    auto apart = [&](size_t a, size_t b) {
        return centres[b] - widths[b] / 2 >= centres[a] + widths[a] / 2 + gap;
    };
    keep[0] = true;
    size_t lastKept = 0;
    for (size_t i = 1; i + 1 < n; ++i) {
        if (apart(lastKept, i)) {
            keep[i] = true;
            lastKept = i;
        }
    }
    if (n > 1) {
        keep[n - 1] = true;
        // The last label stays; the kept ones it would cover give way (never the first).
        size_t i = n - 1;
        while (i-- > 1) {
            if (!keep[i]) continue;
            if (apart(i, n - 1)) break;
            keep[i] = false;
        }
    }
    return keep;
}

std::vector<bool> thinMarks(const std::vector<MarkBox>& boxes) {
    const size_t n = boxes.size();
    std::vector<bool> keep(n, false);
    if (n == 0) return keep;
    // Kept boxes in columns as wide as the widest box: a box can only meet
    // boxes of its own column and the two beside it.
    double cell = 1;
    for (const MarkBox& b : boxes) cell = std::max(cell, b.w);
    std::unordered_map<long long, std::vector<size_t>> columns;
    auto column = [&](const MarkBox& b) { return (long long)std::floor(b.x / cell); };
    auto overlap = [](const MarkBox& a, const MarkBox& b) {
        return std::fabs(a.x - b.x) * 2 < a.w + b.w && std::fabs(a.y - b.y) * 2 < a.h + b.h;
    };
    auto fits = [&](size_t i) {
        const long long c = column(boxes[i]);
        for (long long k = c - 1; k <= c + 1; ++k) {
            auto it = columns.find(k);
            if (it == columns.end()) continue;
            for (size_t j : it->second)
                if (overlap(boxes[i], boxes[j])) return false;
        }
        return true;
    };
    auto take = [&](size_t i) {
        keep[i] = true;
        columns[column(boxes[i])].push_back(i);
    };
    for (size_t i = 0; i < n; ++i)
        if (boxes[i].always) take(i);
    for (size_t i = 0; i < n; ++i)
        if (!boxes[i].always && std::isfinite(boxes[i].x) && std::isfinite(boxes[i].y) && fits(i)) take(i);
    return keep;
}

}  // namespace volm
