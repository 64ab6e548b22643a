#include "output/report_parts.h"

#include <algorithm>
#include <numeric>

namespace volm::report {

namespace {

constexpr double kTitleCharPt = 4.6;  // the widest letters of DejaVu Sans at 6 pt, with a margin
constexpr double kValueCharPt = 4.6;  // digits of DejaVu Sans at 7 pt, with a margin
constexpr double kCellPt = 5;         // padding and lines of a cell

double sumWidth(const std::vector<TableColumn>& columns) {
    return std::accumulate(columns.begin(), columns.end(), 0.0,
                           [](double s, const TableColumn& c) { return s + columnWidthPt(c); });
}

}  // namespace

double columnWidthPt(const TableColumn& column) {
    return std::max(column.title.size() * kTitleCharPt, column.valueChars * kValueCharPt) + kCellPt;
}

std::vector<int> tableParts(const std::vector<TableColumn>& columns, const std::vector<TableColumn>& fixed,
                            const TableColumn* notes, double widthPt, int maxPerPart) {
    const int n = int(columns.size());
    const double room = widthPt - sumWidth(fixed);
    const double notesWidth = notes ? columnWidthPt(*notes) : 0;
    // Greedy cuts within `cap` points and `limit` columns a part.
    auto cut = [&](double cap, int limit) {
        std::vector<int> bounds{0};
        double used = 0;
        for (int i = 0; i < n; ++i) {
            const double w = columnWidthPt(columns[size_t(i)]);
            if (i > bounds.back() && (used + w > cap || i - bounds.back() >= limit)) {
                bounds.push_back(i);
                used = 0;
            }
            used += w;
        }
        // The notes go with the last part; when they do not fit, its last column moves on.
        if (notes && n > 0 && used + notesWidth > cap && n - bounds.back() > 1) bounds.push_back(n - 1);
        bounds.push_back(n);
        return bounds;
    };
    std::vector<int> best = cut(room, std::max(1, maxPerPart));
    // As many parts, as even as they can be: the fewest columns and the least
    // width a part that still give that many parts.
    const size_t parts = best.size();
    const int even = std::max(1, (n + int(parts) - 2) / std::max(1, int(parts) - 1));
    int limit = std::max(1, maxPerPart);
    if (even < limit && cut(room, even).size() == parts) {
        limit = even;
        best = cut(room, limit);
    }
    for (double cap = room * 0.98; cap > 0; cap -= room * 0.02) {
        std::vector<int> b = cut(cap, limit);
        if (b.size() != parts) break;
        best = std::move(b);
    }
    return best;
}

}  // namespace volm::report
