// The tidy layered tree layout of Buchheim, Jünger and Leipert (Walker's
// algorithm in linear time): every subtree is drawn once, as compactly as its
// neighbours allow, a parent centred over its children, a single child straight
// under its parent, siblings kept in order and never crossing.
//
// Written here rather than taken from Graphviz: a network is always a tree (or
// nearly one) and its layered drawing is this one short algorithm, while dot's
// general layered layout (cycle breaking, crossing minimisation over all layers,
// network-simplex ranking and placement) is superlinear and is reported to take
// many seconds to minutes on graphs of tens of thousands of nodes. Graphviz is not
// installed on the build machine, so its time on a 30,000-node tree was not
// measured here; bench/schematic measures this layout (well under the second the
// schematic window may spend). Both walks use explicit stacks: a chain of 30,000
// sections would overflow a recursive walk.
#include "output/network_layout.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace volm::output {

namespace {

constexpr double kDistance = 1.0;   // between neighbouring nodes of a layer
constexpr double kPartGap = 2.0;    // between separately drawn parts

// One connected part as a rooted, ordered tree (children in CSR form).
struct Tree {
    std::vector<int> nodes;         // global node indices, parent before child
    std::vector<int> parent;        // local index, -1 for the root
    std::vector<int> childStart;    // children of local v: childList[childStart[v] .. childStart[v+1])
    std::vector<int> childList;
    std::vector<int> number;        // 1-based place among siblings
};

class Walker {
public:
    explicit Walker(const Tree& t) : t_(t) {
        const size_t n = t.nodes.size();
        prelim_.assign(n, 0);
        mod_.assign(n, 0);
        shift_.assign(n, 0);
        change_.assign(n, 0);
        thread_.assign(n, -1);
        ancestor_.resize(n);
        for (size_t i = 0; i < n; ++i) ancestor_[i] = int(i);
        x_.assign(n, 0);
        depth_.assign(n, 0);
    }

    void run() {
        firstWalk();
        secondWalk();
    }
    const std::vector<double>& x() const { return x_; }
    const std::vector<int>& depth() const { return depth_; }

private:
    int childCount(int v) const { return t_.childStart[size_t(v) + 1] - t_.childStart[size_t(v)]; }
    int firstChild(int v) const { return t_.childList[size_t(t_.childStart[size_t(v)])]; }
    int lastChild(int v) const { return t_.childList[size_t(t_.childStart[size_t(v) + 1] - 1)]; }
    int leftSibling(int v) const {
        const int p = t_.parent[size_t(v)];
        if (p < 0 || t_.number[size_t(v)] == 1) return -1;
        return t_.childList[size_t(t_.childStart[size_t(p)] + t_.number[size_t(v)] - 2)];
    }
    int leftmostSibling(int v) const {
        const int p = t_.parent[size_t(v)];
        return p < 0 ? v : firstChild(p);
    }
    int nextLeft(int v) const { return childCount(v) ? firstChild(v) : thread_[size_t(v)]; }
    int nextRight(int v) const { return childCount(v) ? lastChild(v) : thread_[size_t(v)]; }

    // The post-order walk: a node's place among its siblings' subtrees.
    void firstWalk() {
        struct Frame {
            int v;
            int next;  // next child to walk
        };
        std::vector<int> defaultAncestor(t_.nodes.size(), -1);
        std::vector<Frame> stack{{0, 0}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next < childCount(f.v)) {
                if (f.next == 0) defaultAncestor[size_t(f.v)] = firstChild(f.v);
                const int c = t_.childList[size_t(t_.childStart[size_t(f.v)] + f.next)];
                ++f.next;
                stack.push_back({c, 0});
                continue;
            }
            const int v = f.v;
            stack.pop_back();
            finish(v);
            const int p = t_.parent[size_t(v)];
            if (p >= 0) defaultAncestor[size_t(p)] = apportion(v, defaultAncestor[size_t(p)]);
        }
    }

    void finish(int v) {
        const int w = leftSibling(v);
        if (!childCount(v)) {
            prelim_[size_t(v)] = w >= 0 ? prelim_[size_t(w)] + kDistance : 0;
            return;
        }
        executeShifts(v);
        const double mid = (prelim_[size_t(firstChild(v))] + prelim_[size_t(lastChild(v))]) / 2;
        if (w >= 0) {
            prelim_[size_t(v)] = prelim_[size_t(w)] + kDistance;
            mod_[size_t(v)] = prelim_[size_t(v)] - mid;
        } else {
            prelim_[size_t(v)] = mid;
        }
    }

    int apportion(int v, int defaultAncestor) {
        const int w = leftSibling(v);
        if (w < 0) return defaultAncestor;
        int vir = v, vor = v, vil = w, vol = leftmostSibling(v);
        double sir = mod_[size_t(vir)], sor = mod_[size_t(vor)], sil = mod_[size_t(vil)], sol = mod_[size_t(vol)];
        while (nextRight(vil) >= 0 && nextLeft(vir) >= 0) {
            vil = nextRight(vil);
            vir = nextLeft(vir);
            vol = nextLeft(vol);
            vor = nextRight(vor);
            ancestor_[size_t(vor)] = v;
            const double shift = (prelim_[size_t(vil)] + sil) - (prelim_[size_t(vir)] + sir) + kDistance;
            if (shift > 0) {
                const int a = t_.parent[size_t(ancestor_[size_t(vil)])] == t_.parent[size_t(v)]
                                  ? ancestor_[size_t(vil)]
                                  : defaultAncestor;
                moveSubtree(a, v, shift);
                sir += shift;
                sor += shift;
            }
            sil += mod_[size_t(vil)];
            sir += mod_[size_t(vir)];
            sol += mod_[size_t(vol)];
            sor += mod_[size_t(vor)];
        }
        if (nextRight(vil) >= 0 && nextRight(vor) < 0) {
            thread_[size_t(vor)] = nextRight(vil);
            mod_[size_t(vor)] += sil - sor;
        }
        if (nextLeft(vir) >= 0 && nextLeft(vol) < 0) {
            thread_[size_t(vol)] = nextLeft(vir);
            mod_[size_t(vol)] += sir - sol;
            defaultAncestor = v;
        }
        return defaultAncestor;
    }

    void moveSubtree(int wl, int wr, double shift) {
        const double subtrees = t_.number[size_t(wr)] - t_.number[size_t(wl)];
        change_[size_t(wr)] -= shift / subtrees;
        shift_[size_t(wr)] += shift;
        change_[size_t(wl)] += shift / subtrees;
        prelim_[size_t(wr)] += shift;
        mod_[size_t(wr)] += shift;
    }

    void executeShifts(int v) {
        double shift = 0, change = 0;
        for (int i = t_.childStart[size_t(v) + 1] - 1; i >= t_.childStart[size_t(v)]; --i) {
            const int w = t_.childList[size_t(i)];
            prelim_[size_t(w)] += shift;
            mod_[size_t(w)] += shift;
            change += change_[size_t(w)];
            shift += shift_[size_t(w)] + change;
        }
    }

    // The pre-order walk: final places from the summed modifiers.
    void secondWalk() {
        struct Frame {
            int v;
            double m;
            int depth;
        };
        std::vector<Frame> stack{{0, -prelim_[0], 0}};
        while (!stack.empty()) {
            const Frame f = stack.back();
            stack.pop_back();
            x_[size_t(f.v)] = prelim_[size_t(f.v)] + f.m;
            depth_[size_t(f.v)] = f.depth;
            for (int i = t_.childStart[size_t(f.v)]; i < t_.childStart[size_t(f.v) + 1]; ++i)
                stack.push_back({t_.childList[size_t(i)], f.m + mod_[size_t(f.v)], f.depth + 1});
        }
    }

    const Tree& t_;
    std::vector<double> prelim_, mod_, shift_, change_, x_;
    std::vector<int> thread_, ancestor_, depth_;
};

}  // namespace

NetworkLayout layOutNetwork(const std::vector<LayoutSection>& sections, int startNode) {
    NetworkLayout out;
    const size_t m = sections.size();

    // Node indices: the start node first (when some section has it), then in the
    // order of first mention.
    std::unordered_map<int, int> index;
    index.reserve(m * 2 + 1);
    for (const LayoutSection& s : sections)
        if (s.start == startNode || s.end == startNode) out.startFound = true;
    auto add = [&](int number) {
        auto [it, fresh] = index.try_emplace(number, int(out.nodes.size()));
        if (fresh) out.nodes.push_back({number, 0, 0, true});
        return it->second;
    };
    if (out.startFound) add(startNode);
    out.edges.resize(m);
    for (size_t i = 0; i < m; ++i) {
        out.edges[i].from = add(sections[i].start);
        out.edges[i].to = add(sections[i].end);
    }
    const size_t n = out.nodes.size();
    if (!n) return out;

    // Undirected adjacency in section order.
    std::vector<int> adjStart(n + 1, 0), adj(m * 2);
    for (const NetworkLayout::Edge& e : out.edges) {
        ++adjStart[size_t(e.from) + 1];
        ++adjStart[size_t(e.to) + 1];
    }
    for (size_t v = 0; v < n; ++v) adjStart[v + 1] += adjStart[v];
    {
        std::vector<int> fill(adjStart.begin(), adjStart.end() - 1);
        for (size_t i = 0; i < m; ++i) {
            adj[size_t(fill[size_t(out.edges[i].from)]++)] = int(i);
            adj[size_t(fill[size_t(out.edges[i].to)]++)] = int(i);
        }
    }

    // Roots: the start node, then for every other part the first section's start
    // that no section ends at (or its first section's start).
    std::vector<char> hasIncoming(n, 0);
    for (const NetworkLayout::Edge& e : out.edges) hasIncoming[size_t(e.to)] = 1;
    std::vector<int> part(n, -1);
    std::vector<int> roots;
    std::vector<int> queue;
    queue.reserve(n);
    auto flood = [&](int from, int id) {
        queue.clear();
        queue.push_back(from);
        part[size_t(from)] = id;
        for (size_t q = 0; q < queue.size(); ++q) {
            const int v = queue[q];
            for (int k = adjStart[size_t(v)]; k < adjStart[size_t(v) + 1]; ++k) {
                const NetworkLayout::Edge& e = out.edges[size_t(adj[size_t(k)])];
                const int w = e.from == v ? e.to : e.from;
                if (part[size_t(w)] < 0) {
                    part[size_t(w)] = id;
                    queue.push_back(w);
                }
            }
        }
    };
    if (out.startFound) {
        flood(0, 0);
        roots.push_back(0);
    }
    std::vector<int> firstStart;
    for (size_t i = 0; i < m; ++i) {
        const int s = out.edges[i].from;
        if (part[size_t(s)] < 0) {
            flood(s, int(roots.size()));
            roots.push_back(-1);
            firstStart.resize(roots.size(), -1);
        }
        firstStart.resize(roots.size(), -1);
        const int p = part[size_t(s)];
        if (firstStart[size_t(p)] < 0) firstStart[size_t(p)] = s;
        if (roots[size_t(p)] < 0 && !hasIncoming[size_t(s)]) roots[size_t(p)] = s;
    }
    for (size_t p = 0; p < roots.size(); ++p)
        if (roots[p] < 0) roots[p] = firstStart[p];

    // Each part: its tree by a breadth-first walk (children in section order),
    // laid out and placed to the right of the parts before it.
    std::vector<int> local(n, -1);
    std::vector<char> treeEdge(m, 0);
    double left = 0;
    for (size_t p = 0; p < roots.size(); ++p) {
        Tree t;
        t.nodes.push_back(roots[p]);
        t.parent.push_back(-1);
        t.number.push_back(1);
        local[size_t(roots[p])] = 0;
        t.childStart.push_back(0);
        for (size_t q = 0; q < t.nodes.size(); ++q) {
            const int v = t.nodes[q];
            int count = 0;
            for (int k = adjStart[size_t(v)]; k < adjStart[size_t(v) + 1]; ++k) {
                const int i = adj[size_t(k)];
                const NetworkLayout::Edge& e = out.edges[size_t(i)];
                const int w = e.from == v ? e.to : e.from;
                if (local[size_t(w)] >= 0) continue;
                treeEdge[size_t(i)] = 1;
                local[size_t(w)] = int(t.nodes.size());
                t.nodes.push_back(w);
                t.parent.push_back(int(q));
                t.number.push_back(++count);
                t.childList.push_back(local[size_t(w)]);
            }
            t.childStart.push_back(int(t.childList.size()));
        }
        Walker walker(t);
        walker.run();
        double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
        for (double x : walker.x()) {
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        const bool connected = out.startFound && p == 0;
        for (size_t v = 0; v < t.nodes.size(); ++v) {
            NetworkLayout::Node& node = out.nodes[size_t(t.nodes[v])];
            node.x = walker.x()[v] - lo + left;
            node.y = walker.depth()[v];
            node.connected = connected || !out.startFound;
            out.height = std::max(out.height, node.y);
        }
        out.width = hi - lo + left;
        left = out.width + kPartGap;
    }
    for (size_t i = 0; i < m; ++i) {
        out.edges[i].tree = treeEdge[i] != 0;
        out.edges[i].connected = out.nodes[size_t(out.edges[i].from)].connected;
    }
    return out;
}

}  // namespace volm::output
