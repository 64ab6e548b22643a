#pragma once
// The linear equations of the heads of a pipe network: one per node whose
// head is unknown, each pipe adding its conductance between its two nodes
// (a symmetric, positive definite matrix when every node reaches a node of
// known head). Solved by elimination in the order of least degree, which on
// a tree with a few jumpers creates almost no new entries: the order and the
// places of the entries are found once, the numbers for every solution.
#include <utility>
#include <vector>

namespace volm::calc {

class NodeEquations {
public:
    // Nodes 0..n-1 are unknown; a link to a node of known head is given as -1
    // and only adds to the diagonal.
    void analyse(int n, const std::vector<std::pair<int, int>>& links);

    // Sets every coefficient to zero and the right-hand side to rhs.
    void start(std::vector<double> rhs);
    // Adds conductance c for link k of analyse().
    void addLink(int k, double c);
    // Solves; false when a pivot is not positive (a node cut off from every
    // node of known head). x is the unknown heads.
    bool solve(std::vector<double>& x);

private:
    // The entries off the diagonal are kept once per pair of nodes, in slots
    // numbered by analyse(); the elimination of each node is a list of slots.
    int n_ = 0;
    std::vector<int> order_;                  // elimination order
    std::vector<std::vector<int>> later_;     // per node: its neighbours eliminated after it, sorted
    std::vector<int> first_;                  // per step of order_: the slot of (node, first later neighbour); the rest follow
    std::vector<int> updateSlots_;            // step after step: the slot of each pair of its later neighbours (see analyse)
    std::vector<int> linkSlot_;               // per link: its slot, or -1
    std::vector<std::pair<int, int>> links_;
    std::vector<double> vals_, diag_, rhs_;
    std::vector<double> column_, factor_;     // scratch: the entries of the row being eliminated, over its pivot
};

}  // namespace volm::calc
