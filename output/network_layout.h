#pragma once
// The network drawn as a tree: places for the nodes and sections of a network
// given as a list of sections (start node, end node), grown from the start node.
// Plain data for the schematic window; units are layout steps (one step between
// neighbouring nodes of a layer, one step between layers).
#include <vector>

namespace volm::output {

struct LayoutSection {
    int start = 0;  // НачУзел
    int end = 0;    // КонУзел
};

struct NetworkLayout {
    struct Node {
        int number = 0;          // the node's number
        double x = 0;
        double y = 0;            // layer: 0 for a root, +1 per section away from it
        bool connected = true;   // reached from the start node
    };
    struct Edge {
        int from = -1;           // index into nodes of the section's start node
        int to = -1;             // index into nodes of its end node
        bool tree = true;        // a branch of the drawn tree (false: a section closing a loop or repeating one)
        bool connected = true;
    };
    std::vector<Node> nodes;     // the start node first, then in the order of first mention
    std::vector<Edge> edges;     // one per section, in the order given
    bool startFound = false;     // the start node is a node of some section
    double width = 0;            // x of the rightmost node
    double height = 0;           // deepest layer
};

// Lays out the sections. The part reached from startNode comes first (its root
// at x 0); every other connected part is laid out on its own, to the right, its
// root being its first section's start that no section ends at. Children of a
// node follow the order of the sections that lead to them. Linear in the size.
NetworkLayout layOutNetwork(const std::vector<LayoutSection>& sections, int startNode);

}  // namespace volm::output
