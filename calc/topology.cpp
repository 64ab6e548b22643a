// Topology: the end sections and the mains of the network, and the
// checks that every section lies on a main and every main reaches the start
// node. A main is walked from its end section towards the source through the
// index end node -> section; a ring of sections that does not pass through the
// start node ends the walk when a section would be met a second time.
#include "calc/run_data.h"
#include "calc/stages.h"

#include <algorithm>
#include <numeric>

namespace volm::calc {

void stageEndSectionsAndMains(RunData& d) {
    d.progress.stage(QStringLiteral("Определение конечных участков теплосети."));
    d.mains.clear();
    d.mainsBuilt = true;
    const int n = d.sections.rowCount();

    // End sections in ascending order of their end node: the mains' numbers.
    std::vector<int> byEndNode(static_cast<size_t>(n));
    std::iota(byEndNode.begin(), byEndNode.end(), 0);
    std::stable_sort(byEndNode.begin(), byEndNode.end(),
                     [&](int x, int y) { return d.endOf[size_t(x)] < d.endOf[size_t(y)]; });
    for (int r : byEndNode) {
        d.progress.item([&] { return QStringLiteral("Определение конечных участков. id = ") + QString::number(d.ids[size_t(r)]); });
        // In a looped network every section but the first to reach a node ends a main there.
        const int end = d.endOf[size_t(r)];
        if (d.firstSectionStartingAt(end) < 0 || (d.looped && d.sectionEndingAt(end) != r)) {
            Main m;
            m.rows.reserve(16);  // most mains are shorter: one allocation
            m.rows.push_back(r);
            d.mains.push_back(std::move(m));
        }
    }

    // Each main from its end section towards the source.
    std::vector<int> seenIn(static_cast<size_t>(n), 0);  // the last main that took the section
    for (int m = 1; m <= int(d.mains.size()); ++m) {
        d.progress.item([&] { return QStringLiteral("Определение магистралей теплосети. id_m = ") + QString::number(m); });
        Main& main = d.mains[size_t(m - 1)];
        seenIn[size_t(main.rows.front())] = m;
        int c = d.startOf[size_t(main.rows.front())];
        for (;;) {
            const int s = d.sectionEndingAt(c);
            if (s < 0 || seenIn[size_t(s)] == m) break;  // complete, or round a ring
            seenIn[size_t(s)] = m;
            main.rows.push_back(s);
            c = d.startOf[size_t(s)];
        }
    }
    d.progress.clear();
}

void stageEverySectionInMain(RunData& d) {
    const int n = d.sections.rowCount();
    std::vector<char> inMain(size_t(n), 0);
    for (const Main& m : d.mains)
        for (int r : m.rows) inMain[size_t(r)] = 1;
    for (int r = 0; r < n; ++r) {
        d.progress.item([&] { return QStringLiteral("Проверка участков теплосети. id = ") + QString::number(d.ids[size_t(r)]); });
        if (!inMain[size_t(r)]) {
            d.failAt(r, d.sectionName(r) + QStringLiteral(" не входит ни в одну магистраль теплосети."));
            break;
        }
    }
    d.progress.clear();
}

void stageMainsReachStart(RunData& d) {
    for (int m = 1; m <= int(d.mains.size()); ++m) {
        d.progress.item([&] { return QStringLiteral("Проверка магистралей теплосети. id_m = ") + QString::number(m); });
        const Main& main = d.mains[size_t(m - 1)];
        const bool reaches = std::any_of(main.rows.begin(), main.rows.end(),
                                         [&](int r) { return d.startOf[size_t(r)] == d.startNode; });
        if (!reaches) {
            d.failAt(main.rows.back(), d.sectionName(main.rows.back()) + QStringLiteral(" не соединен с начальным узлом теплосети."));
            break;
        }
    }
    d.progress.clear();
}

}  // namespace volm::calc
