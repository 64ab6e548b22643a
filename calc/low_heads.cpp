// The nodes of a two-pipe network whose available head is below 0.1 m, for
// the outcome: the end nodes of the mains in КонМаг's last order, then the
// section ends in the order of Табл, each node once.
#include "calc/run_data.h"
#include "calc/stages.h"

namespace volm::calc {

std::vector<int> collectLowHeadNodes(RunData& d) {
    constexpr double kLimit = 0.1;
    std::vector<int> nodes;
    KeyMap<int, bool> seen;
    auto add = [&](int n) {
        if (seen.tryEmplace(n, true).second) nodes.push_back(n);
    };
    d.clearWorklist();
    for (int idx : d.endOrder) {
        const EndResult& e = d.endResults[size_t(idx)];
        if (e.rNap < kLimit) add(e.endNode);
    }
    const ValueTable& s = d.sections;
    const int rNach = s.need(QStringLiteral("РНапНач")), rKon = s.need(QStringLiteral("РНапКон"));
    for (int r = 0; r < s.rowCount(); ++r) {
        if (s.get(r, rNach) < kLimit) add(d.startOf[size_t(r)]);
        if (s.get(r, rKon) < kLimit) add(d.endOf[size_t(r)]);
    }
    d.clearWorklist();  // the set is emptied once the list is written
    return nodes;
}

}  // namespace volm::calc
