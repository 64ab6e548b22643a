// The chart read from a computed calculation: mains from МагистралиТС, heads and
// temperatures from Табл and КонМаг, the network type and the report precision.
#include "output/chart_data.h"
#include "tests/calc/calc_harness.h"

namespace volm::test {
namespace {

class ChartFromRun : public CalcHarness {};

TEST_F(ChartFromRun, SeriesFollowTheStoredResults) {
    Net net;
    net.type = 1;
    net.sections = {{1, 2, 100, 1, 1}, {2, 3, 150, 2, 2}, {2, 4, 80, 1, 1}};
    net.changes = {{2, false, 10}};
    open(net);
    ASSERT_TRUE(run().success()) << person.messages.join(QLatin1Char('\n')).toStdString();

    const ChartMains list = buildMainList(readMainRows(app->dm.acGR));
    ASSERT_EQ(list.mains.size(), 2u);
    EXPECT_TRUE(list.problems.isEmpty());
    const ChartMain* toThree = nullptr;
    for (const ChartMain& m : list.mains)
        if (m.text.endsWith(QStringLiteral(" - 3"))) toThree = &m;
    ASSERT_NE(toThree, nullptr);
    EXPECT_EQ(toThree->text, QString::number(toThree->idm) + QStringLiteral(".   1 - 3"));

    const ChartSource src = readChartSource(*app);
    EXPECT_TRUE(src.twoPipe);
    EXPECT_EQ(src.precision, 2);
    ChartRequest r;
    r.startNode = QStringLiteral("1");
    r.endNode = QStringLiteral("3");
    const Chart whole = buildChart(src, *toThree, r);
    ASSERT_TRUE(whole.error.isEmpty()) << whole.error.toStdString();
    const std::vector<std::pair<double, double>> sup = {
        {sectionValue(1, 2, QStringLiteral("ДлНачПод")), sectionValue(1, 2, QStringLiteral("ПНапНачПод"))},
        {100, sectionValue(1, 2, QStringLiteral("ПНапКонПод"))},
        {100, sectionValue(2, 3, QStringLiteral("ПНапНачПод"))},
        {250, sectionValue(2, 3, QStringLiteral("ПНапКонПод"))},
        {250, endValue(toThree->idm, QStringLiteral("ПНапПод"))},
    };
    ASSERT_EQ(whole.sup.points.size(), sup.size());
    for (size_t i = 0; i < sup.size(); ++i) {
        EXPECT_DOUBLE_EQ(whole.sup.points[i].x, sup[i].first) << i;
        EXPECT_DOUBLE_EQ(whole.sup.points[i].y, sup[i].second) << i;
    }
    EXPECT_EQ(whole.ret.points.size(), sup.size());
    EXPECT_DOUBLE_EQ(whole.ret.points.back().y, endValue(toThree->idm, QStringLiteral("ПНапОбр")));
    EXPECT_DOUBLE_EQ(whole.ground.points.back().y, sectionValue(2, 3, QStringLiteral("ГеодВысКон")));

    // Ending at node 2 closes with the head at the start of 2-3, not of 2-4's.
    r.endNode = QStringLiteral("2");
    const Chart part = buildChart(src, *toThree, r);
    ASSERT_TRUE(part.error.isEmpty());
    EXPECT_DOUBLE_EQ(part.sup.points.back().y, sectionValue(2, 3, QStringLiteral("ПНапНачПод")));
    EXPECT_DOUBLE_EQ(part.sup.points.back().x, 100);
}

}  // namespace
}  // namespace volm::test
