#include "calc/node_equations.h"

#include <algorithm>
#include <functional>
#include <queue>

namespace volm::calc {

void NodeEquations::analyse(int n, const std::vector<std::pair<int, int>>& links) {
    n_ = n;
    links_ = links;
    std::vector<std::vector<int>> adj(static_cast<size_t>(n));
    for (const auto& [a, b] : links)
        if (a >= 0 && b >= 0 && a != b) {
            adj[size_t(a)].push_back(b);
            adj[size_t(b)].push_back(a);
        }
    for (auto& v : adj) {
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    }
    // Every entry the elimination ever holds: the links and the fill.
    std::vector<std::vector<int>> all = adj;
    // The node of least degree first, the lower number among equals; an
    // entry whose degree has changed since is passed over.
    using Entry = std::pair<size_t, int>;  // (degree, node)
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    for (int i = 0; i < n; ++i) queue.push({adj[size_t(i)].size(), i});
    order_.clear();
    order_.reserve(size_t(n));
    later_.assign(size_t(n), {});
    std::vector<char> gone(size_t(n), 0);
    std::vector<int> merged, fill;
    while (!queue.empty()) {
        const auto [degree, k] = queue.top();
        queue.pop();
        if (gone[size_t(k)] || degree != adj[size_t(k)].size()) continue;
        gone[size_t(k)] = 1;
        order_.push_back(k);
        later_[size_t(k)] = std::move(adj[size_t(k)]);
        adj[size_t(k)].clear();
        const std::vector<int>& nb = later_[size_t(k)];
        for (int u : nb) {
            std::vector<int>& au = adj[size_t(u)];
            au.erase(std::lower_bound(au.begin(), au.end(), k));
            // u now neighbours every other node of nb: those it did not are fill.
            fill.clear();
            std::set_difference(nb.begin(), nb.end(), au.begin(), au.end(), std::back_inserter(fill));
            fill.erase(std::lower_bound(fill.begin(), fill.end(), u));
            if (!fill.empty()) {
                merged.clear();
                std::merge(au.begin(), au.end(), fill.begin(), fill.end(), std::back_inserter(merged));
                au.swap(merged);
                std::vector<int>& row = all[size_t(u)];
                merged.clear();
                std::merge(row.begin(), row.end(), fill.begin(), fill.end(), std::back_inserter(merged));
                row.swap(merged);
            }
            queue.push({au.size(), u});
        }
    }
    // A slot for every pair of nodes the elimination ever holds an entry for,
    // numbered row by row: a row's entries before its own node were numbered
    // by those earlier rows, in the order of its sorted columns.
    std::vector<std::vector<int>> slotsOf(static_cast<size_t>(n));  // per node: the slot of each entry of all
    std::vector<size_t> numbered(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) slotsOf[size_t(i)].resize(all[size_t(i)].size());
    int slots = 0;
    for (int i = 0; i < n; ++i)
        for (size_t t = numbered[size_t(i)]; t < all[size_t(i)].size(); ++t) {
            const int col = all[size_t(i)][t];
            slotsOf[size_t(i)][t] = slots;
            slotsOf[size_t(col)][numbered[size_t(col)]++] = slots++;
        }
    // The slots of one row at a time spread over the columns.
    std::vector<int> where(static_cast<size_t>(n), -1);
    auto spread = [&](int row, bool on) {
        for (size_t t = 0; t < all[size_t(row)].size(); ++t)
            where[size_t(all[size_t(row)][t])] = on ? slotsOf[size_t(row)][t] : -1;
    };
    pivotStart_.assign(1, 0);
    updateStart_.assign(1, 0);
    pivotSlots_.clear();
    updateSlots_.clear();
    // Of the two nodes of a pair, the entry is read only while the one
    // eliminated first is: its factor scales the update (~slot when that is
    // the second of the pair).
    std::vector<int> step(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) step[size_t(order_[size_t(i)])] = i;
    for (int k : order_) {
        const std::vector<int>& nb = later_[size_t(k)];
        spread(k, true);
        for (int u : nb) pivotSlots_.push_back(where[size_t(u)]);
        spread(k, false);
        for (size_t i = 0; i < nb.size(); ++i) {
            spread(nb[i], true);
            for (size_t j = i + 1; j < nb.size(); ++j) {
                const int slot = where[size_t(nb[j])];
                updateSlots_.push_back(step[size_t(nb[i])] < step[size_t(nb[j])] ? slot : ~slot);
            }
            spread(nb[i], false);
        }
        pivotStart_.push_back(int(pivotSlots_.size()));
        updateStart_.push_back(int(updateSlots_.size()));
    }
    vals_.assign(size_t(slots), 0.0);
    linkSlot_.clear();
    for (const auto& [a, b] : links) {
        if (a < 0 || b < 0 || a == b) {
            linkSlot_.push_back(-1);
            continue;
        }
        const std::vector<int>& cols = all[size_t(a)];
        linkSlot_.push_back(slotsOf[size_t(a)][size_t(std::lower_bound(cols.begin(), cols.end(), b) - cols.begin())]);
    }
}

void NodeEquations::start(std::vector<double> rhs) {
    rhs_ = std::move(rhs);
    diag_.assign(size_t(n_), 0.0);
    std::fill(vals_.begin(), vals_.end(), 0.0);
}

void NodeEquations::addLink(int k, double c) {
    const auto [a, b] = links_[size_t(k)];
    if (a == b) return;
    if (a >= 0) diag_[size_t(a)] += c;
    if (b >= 0) diag_[size_t(b)] += c;
    if (const int slot = linkSlot_[size_t(k)]; slot >= 0) vals_[size_t(slot)] -= c;
}

bool NodeEquations::solve(std::vector<double>& x) {
    const int* update = updateSlots_.data();
    for (size_t step = 0; step < order_.size(); ++step) {
        const int k = order_[step];
        const double dk = diag_[size_t(k)];
        if (!(dk > 0)) return false;
        const std::vector<int>& nb = later_[size_t(k)];
        const int* pivot = pivotSlots_.data() + pivotStart_[step];
        column_.resize(nb.size());
        factor_.resize(nb.size());
        for (size_t i = 0; i < nb.size(); ++i) {
            column_[i] = vals_[size_t(pivot[i])];
            factor_[i] = column_[i] / dk;
        }
        for (size_t i = 0; i < nb.size(); ++i) {
            const int u = nb[i];
            diag_[size_t(u)] -= column_[i] * factor_[i];
            rhs_[size_t(u)] -= factor_[i] * rhs_[size_t(k)];
            for (size_t j = i + 1; j < nb.size(); ++j) {
                const int slot = *update++;
                if (slot >= 0)
                    vals_[size_t(slot)] -= factor_[i] * column_[j];
                else
                    vals_[size_t(~slot)] -= factor_[j] * column_[i];
            }
        }
    }
    x.assign(size_t(n_), 0.0);
    for (size_t step = order_.size(); step-- > 0;) {
        const int k = order_[step];
        const std::vector<int>& nb = later_[size_t(k)];
        const int* pivot = pivotSlots_.data() + pivotStart_[step];
        double s = rhs_[size_t(k)];
        for (size_t i = 0; i < nb.size(); ++i) s -= vals_[size_t(pivot[i])] * x[size_t(nb[i])];
        x[size_t(k)] = s / diag_[size_t(k)];
    }
    return true;
}

}  // namespace volm::calc
