#include "calc/node_equations.h"

#include <algorithm>
#include <set>

namespace volm::calc {

double* NodeEquations::Row::at(int col) {
    const auto it = std::lower_bound(cols.begin(), cols.end(), col);
    return it != cols.end() && *it == col ? &vals[size_t(it - cols.begin())] : nullptr;
}

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
    std::set<std::pair<size_t, int>> queue;  // (degree, node)
    for (int i = 0; i < n; ++i) queue.insert({adj[size_t(i)].size(), i});
    order_.clear();
    order_.reserve(size_t(n));
    later_.assign(size_t(n), {});
    std::vector<char> gone(size_t(n), 0);
    while (!queue.empty()) {
        const int k = queue.begin()->second;
        queue.erase(queue.begin());
        gone[size_t(k)] = 1;
        order_.push_back(k);
        const std::vector<int> nb = adj[size_t(k)];
        later_[size_t(k)] = nb;
        for (int u : nb) {
            std::vector<int>& au = adj[size_t(u)];
            queue.erase({au.size(), u});
            au.erase(std::find(au.begin(), au.end(), k));
            std::vector<int> merged;
            merged.reserve(au.size() + nb.size());
            std::set_union(au.begin(), au.end(), nb.begin(), nb.end(), std::back_inserter(merged));
            merged.erase(std::find(merged.begin(), merged.end(), u));
            for (int w : merged)
                if (!std::binary_search(au.begin(), au.end(), w)) {
                    std::vector<int>& alw = all[size_t(u)];
                    alw.insert(std::lower_bound(alw.begin(), alw.end(), w), w);
                }
            au = std::move(merged);
            queue.insert({au.size(), u});
        }
        adj[size_t(k)].clear();
    }
    rows_.assign(size_t(n), {});
    for (int i = 0; i < n; ++i) {
        rows_[size_t(i)].cols = all[size_t(i)];
        rows_[size_t(i)].vals.assign(all[size_t(i)].size(), 0.0);
    }
    linkSlots_.clear();
    for (const auto& [a, b] : links) {
        if (a >= 0 && b >= 0 && a != b)
            linkSlots_.push_back({rows_[size_t(a)].at(b), rows_[size_t(b)].at(a)});
        else
            linkSlots_.push_back({nullptr, nullptr});
    }
}

void NodeEquations::start(std::vector<double> rhs) {
    rhs_ = std::move(rhs);
    diag_.assign(size_t(n_), 0.0);
    for (Row& r : rows_) std::fill(r.vals.begin(), r.vals.end(), 0.0);
}

void NodeEquations::addLink(int k, double c) {
    const auto [a, b] = links_[size_t(k)];
    if (a == b) return;
    if (a >= 0) diag_[size_t(a)] += c;
    if (b >= 0) diag_[size_t(b)] += c;
    const auto [ab, ba] = linkSlots_[size_t(k)];
    if (ab) *ab -= c;
    if (ba) *ba -= c;
}

bool NodeEquations::solve(std::vector<double>& x) {
    for (int k : order_) {
        const double dk = diag_[size_t(k)];
        if (!(dk > 0)) return false;
        Row& rk = rows_[size_t(k)];
        const std::vector<int>& nb = later_[size_t(k)];
        // The entries of k's row for its later neighbours, found once.
        column_.resize(nb.size());
        for (size_t i = 0; i < nb.size(); ++i) column_[i] = *rk.at(nb[i]);
        for (size_t i = 0; i < nb.size(); ++i) {
            const int u = nb[i];
            const double f = column_[i] / dk;
            diag_[size_t(u)] -= column_[i] * f;
            rhs_[size_t(u)] -= f * rhs_[size_t(k)];
            // Both lists are sorted: one walk along u's row.
            Row& ru = rows_[size_t(u)];
            auto at = ru.cols.begin();
            for (size_t j = 0; j < nb.size(); ++j) {
                if (j == i) continue;
                at = std::lower_bound(at, ru.cols.end(), nb[j]);
                ru.vals[size_t(at - ru.cols.begin())] -= f * column_[j];
            }
        }
    }
    x.assign(size_t(n_), 0.0);
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        const int k = *it;
        Row& rk = rows_[size_t(k)];
        double s = rhs_[size_t(k)];
        for (int u : later_[size_t(k)]) s -= *rk.at(u) * x[size_t(u)];
        x[size_t(k)] = s / diag_[size_t(k)];
    }
    return true;
}

}  // namespace volm::calc
