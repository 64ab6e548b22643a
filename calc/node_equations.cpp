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
    // The node of least degree first, the lower number among equals; an
    // entry whose degree has changed since is passed over.
    using Entry = unsigned long long;  // degree above, node below
    auto entry = [](size_t degree, int node) { return Entry(degree) << 32 | Entry(unsigned(node)); };
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    for (int i = 0; i < n; ++i) queue.push(entry(adj[size_t(i)].size(), i));
    order_.clear();
    order_.reserve(size_t(n));
    later_.assign(size_t(n), {});
    std::vector<char> gone(size_t(n), 0);
    std::vector<int> merged, fill;
    while (!queue.empty()) {
        const size_t degree = size_t(queue.top() >> 32);
        const int k = int(queue.top() & 0xffffffffu);
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
            }
            queue.push(entry(au.size(), u));
        }
    }
    // Every entry the elimination ever holds is one of a node and a later
    // neighbour at its elimination: the slots are numbered so, node after node
    // in the order of elimination.
    std::vector<int> step(static_cast<size_t>(n)), first(static_cast<size_t>(n));
    first_.assign(1, 0);
    for (int i = 0; i < n; ++i) {
        const int k = order_[size_t(i)];
        step[size_t(k)] = i;
        first[size_t(k)] = first_.back();
        first_.push_back(first_.back() + int(later_[size_t(k)].size()));
    }
    auto slotOf = [&](int a, int b) {
        if (step[size_t(b)] < step[size_t(a)]) std::swap(a, b);
        const std::vector<int>& nb = later_[size_t(a)];
        return first[size_t(a)] + int(std::lower_bound(nb.begin(), nb.end(), b) - nb.begin());
    };
    updateSlots_.clear();
    // Of the two nodes of a pair, the entry is read only while the one
    // eliminated first is: its factor scales the update (~slot when that is
    // the second of the pair).
    for (int k : order_) {
        const std::vector<int>& nb = later_[size_t(k)];
        for (size_t i = 0; i < nb.size(); ++i)
            for (size_t j = i + 1; j < nb.size(); ++j) {
                const int slot = slotOf(nb[i], nb[j]);
                updateSlots_.push_back(step[size_t(nb[i])] < step[size_t(nb[j])] ? slot : ~slot);
            }
    }
    vals_.assign(size_t(first_.back()), 0.0);
    linkSlot_.clear();
    for (const auto& [a, b] : links) linkSlot_.push_back(a >= 0 && b >= 0 && a != b ? slotOf(a, b) : -1);
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
        const double* pivot = vals_.data() + first_[step];
        column_.resize(nb.size());
        factor_.resize(nb.size());
        for (size_t i = 0; i < nb.size(); ++i) {
            column_[i] = pivot[i];
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
        const double* pivot = vals_.data() + first_[step];
        double s = rhs_[size_t(k)];
        for (size_t i = 0; i < nb.size(); ++i) s -= pivot[i] * x[size_t(nb[i])];
        x[size_t(k)] = s / diag_[size_t(k)];
    }
    return true;
}

}  // namespace volm::calc
