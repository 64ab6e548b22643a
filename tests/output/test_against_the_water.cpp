// The outputs of a looped run in which a section is entered against the
// water: the two-loop example with 5 - 8 entered as 8 - 5. The water runs from
// 5 to 8; the section's flows are stored negative and its other values in the
// water's direction.
#include "output/chart_data.h"
#include "output/report_data.h"
#include "store/app.h"
#include "store/table.h"
#include "tests/calc/calc_harness.h"

namespace volm::test {
namespace {

class AgainstTheWater : public CalcHarness {
protected:
    void SetUp() override {
        openExample(QStringLiteral("two_loops.mdb"), {QStringLiteral("UPDATE Табл SET НачУзел=8, КонУзел=5 WHERE id=9")});
        ASSERT_TRUE(run().success());
        ASSERT_LT(sectionValue(8, 5, QStringLiteral("РасхПод")), 0);
    }
};

// The main through the section is drawn whole, from the section's start
// head at node 5 to its end head at node 8.
TEST_F(AgainstTheWater, ChartDrawsTheMainThroughItWhole) {
    const ChartMains list = buildMainList(readMainRows(app->dm.acGR));
    const ChartSource src = readChartSource(*app);
    int through = 0;
    for (const ChartMain& m : list.mains) {
        ChartRequest r;
        r.startNode = QString::number(m.rows.front().startNode);
        r.endNode = QString::number(m.rows.back().endNode);
        const Chart chart = buildChart(src, m, r);
        EXPECT_TRUE(chart.error.isEmpty()) << chart.error.toStdString();
        for (size_t k = 0; k < m.rows.size(); ++k) {
            if (m.rows[k].startNode != 5 || m.rows[k].endNode != 8) continue;
            ++through;
            // Each section gives its start and end point.
            ASSERT_GT(chart.sup.points.size(), 2 * k + 1);
            EXPECT_DOUBLE_EQ(chart.sup.points[2 * k].y, sectionValue(8, 5, QStringLiteral("ПНапНачПод")));
            EXPECT_DOUBLE_EQ(chart.sup.points[2 * k + 1].y, sectionValue(8, 5, QStringLiteral("ПНапКонПод")));
        }
    }
    EXPECT_EQ(through, 1);
}

// The report's short-of-head nodes take the section's heads where the water
// has them: its low end head is at node 8, not at its entered end node 5.
TEST_F(AgainstTheWater, ReportNamesTheWatersEndShortOfHead) {
    app->dm.acGR.exec(QStringLiteral("UPDATE Табл SET РНапКон=0.05 WHERE id=9"));
    app->dm.atTabl->requery();
    const report::ReportData d = report::gatherReportData(*app);
    EXPECT_EQ(d.lowHeadNodes, std::vector<int>{8});
}

}  // namespace
}  // namespace volm::test
