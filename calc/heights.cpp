// Node heights: the geodetic heights of both ends of every section from the
// network's nodes, and the lowest and highest of them. A node without a height
// stops the run with a message naming the section and the node.
#include "calc/run_data.h"
#include "calc/stages.h"

#include <stdexcept>

namespace volm::calc {

void stageNodeHeights(RunData& d) {
    ValueTable& s = d.sections;
    const int nach = s.need(QStringLiteral("ГеодВысНач")), kon = s.need(QStringLiteral("ГеодВысКон"));
    const int n = s.rowCount();
    double lo = 0, hi = 0;
    for (int r = 0; r < n; ++r) {
        d.progress.item([&] {
            return QStringLiteral("Определение показателей ГеодВысНач, ГеодВысКон. id = ") + QString::number(d.ids[size_t(r)]);
        });
        const int a = d.startOf[size_t(r)], b = d.endOf[size_t(r)];
        const double* pa = d.nodes.find(a);
        const double* pb = d.nodes.find(b);
        if (!pa || !pb) throw std::out_of_range("node");  // cannot happen: the node checks passed
        const double ha = *pa, hb = *pb;
        for (const auto& [node, height] : {std::pair{a, ha}, std::pair{b, hb}}) {
            if (isNull(height)) {
                d.failAt(r, d.sectionHeading(r) + QStringLiteral("Геодезическая высота узла ") + nodeText(node) +
                          QStringLiteral(" в таблице \"Узлы тепловой сети\" должна быть заполнена."));
                d.progress.clear();
                return;
            }
        }
        s.set(r, nach, ha);
        s.set(r, kon, hb);
        const double top = ha > hb ? ha : hb, bottom = ha < hb ? ha : hb;
        if (r == 0) {
            lo = bottom;
            hi = top;
        } else {
            if (top > hi) hi = top;
            if (bottom < lo) lo = bottom;
        }
    }
    ValueTable& h = d.header;
    h.set(0, h.need(QStringLiteral("МинГеодВысТС")), lo);
    h.set(0, h.need(QStringLiteral("МаксГеодВысТС")), hi);
    d.progress.clear();
}

}  // namespace volm::calc
