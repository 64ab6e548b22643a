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

std::vector<int> placeMarks(const std::vector<MarkBox>& boxes) {
    const size_t n = boxes.size();
    std::vector<int> place(n, 0);
    if (n == 0) return place;
    // Kept boxes in columns as wide as the widest box: a box can only meet
    // boxes of its own column and the two beside it.
    double cell = 1;
    for (const MarkBox& b : boxes) cell = std::max(cell, b.w);
    struct Kept {
        double x, y, w, h;
    };
    std::unordered_map<long long, std::vector<Kept>> columns;
    auto column = [&](double x) { return (long long)std::floor(x / cell); };
    auto fits = [&](const MarkBox& b, double y) {
        if (!std::isfinite(b.x) || !std::isfinite(y)) return false;
        const long long c = column(b.x);
        for (long long k = c - 1; k <= c + 1; ++k) {
            auto it = columns.find(k);
            if (it == columns.end()) continue;
            for (const Kept& o : it->second)
                if (std::fabs(b.x - o.x) * 2 < b.w + o.w && std::fabs(y - o.y) * 2 < b.h + o.h) return false;
        }
        return true;
    };
    auto take = [&](size_t i, int where) {
        const MarkBox& b = boxes[i];
        place[i] = where;
        columns[column(b.x)].push_back(Kept{b.x, where == 2 ? b.altY : b.y, b.w, b.h});
    };
    for (size_t i = 0; i < n; ++i)
        if (boxes[i].always) take(i, 1);
    for (size_t i = 0; i < n; ++i) {
        if (boxes[i].always) continue;
        if (fits(boxes[i], boxes[i].y)) take(i, 1);
        else if (fits(boxes[i], boxes[i].altY)) take(i, 2);
    }
    return place;
}

std::vector<bool> thinMarks(const std::vector<MarkBox>& boxes) {
    const std::vector<int> place = placeMarks(boxes);
    std::vector<bool> keep(place.size());
    for (size_t i = 0; i < place.size(); ++i) keep[i] = place[i] != 0;
    return keep;
}

}  // namespace volm
