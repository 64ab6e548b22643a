// The chart's series, marks, labels and axis ranges computed from a main and its
// sections, and the walk's clean stop on data it cannot follow.
#include "output/chart_data.h"

#include <gtest/gtest.h>
#include <cmath>
#include <ostream>

namespace volm {
namespace {

// A main from its sections, first section first: "1-2 2-3 3-4" numbered 3, 2, 1.
ChartMain chain(const std::vector<std::pair<int, int>>& pairs, int idm = 1, bool lastNumbered1 = true) {
    ChartMain m;
    m.idm = idm;
    int number = int(pairs.size()) + (lastNumbered1 ? 0 : 1);
    for (auto [a, b] : pairs) m.rows.push_back(MainRow{idm, number--, a, b});
    m.text = QStringLiteral("%1.   %2 - %3").arg(idm).arg(pairs.front().first).arg(pairs.back().second);
    return m;
}

// One section whose values follow a pattern from its start node a: ground 100+a
// at the start and 100+b at the end, supply heads 200-10a at the start and 5
// less at the end, return heads 150+10a and 5 more at the end, supply
// temperatures 90-a / 89-a, return 50+a / 51+a, length 100 per section.
ChartSection section(int a, int b, double lenStart) {
    ChartSection s;
    s.lenStart = lenStart;
    s.len = 100;
    s.groundStart = 100 + a;
    s.groundEnd = 100 + b;
    s.supStart = 200 - 10 * a;
    s.supEnd = s.supStart - 5;
    s.retStart = 150 + 10 * a;
    s.retEnd = s.retStart + 5;
    s.tSupStart = 90 - a;
    s.tSupEnd = 89 - a;
    s.tRetStart = 50 + a;
    s.tRetEnd = 51 + a;
    return s;
}

ChartSource sourceFor(const ChartMain& m, bool twoPipe) {
    ChartSource src;
    src.twoPipe = twoPipe;
    src.precision = 1;
    double len = 0;
    for (const MainRow& r : m.rows) {
        src.sections[ChartSource::sectionKey(r.startNode, r.endNode)] = section(r.startNode, r.endNode, len);
        len += 100;
    }
    src.ends[m.rows.back().endNode] = ChartEnd{111, 177};
    return src;
}

// "x:y" per point, "x:y[label]" for a labelled one.
std::string text(const ChartSeries& s) {
    QStringList parts;
    for (const ChartPoint& p : s.points) {
        QString t = QString::number(p.x) + QLatin1Char(':') + QString::number(p.y);
        if (!p.label.isEmpty()) t += QLatin1Char('[') + p.label + QLatin1Char(']');
        parts << t;
    }
    return parts.join(QLatin1Char(' ')).toStdString();
}

struct SeriesCase {
    const char* name;
    bool twoPipe;
    ChartKind kind;
    const char* start;
    const char* end;
    bool byLength;
    const char* ground;
    const char* ret;
    const char* sup;
    double xMin, xMax, yMin, yMax;
};

std::ostream& operator<<(std::ostream& o, const SeriesCase& c) { return o << c.name; }

class ChartSeriesTable : public ::testing::TestWithParam<SeriesCase> {};

// The main 1-2-3-4: sections 1-2, 2-3, 3-4 of 100 each; at node 2 the supply
// head falls from 185 (end of 1-2) to 180 (start of 2-3): a vertical step.
TEST_P(ChartSeriesTable, PointsLabelsAndAxes) {
    const SeriesCase& c = GetParam();
    const ChartMain m = chain({{1, 2}, {2, 3}, {3, 4}});
    ChartRequest r;
    r.kind = c.kind;
    r.startNode = QString::fromLatin1(c.start);
    r.endNode = QString::fromLatin1(c.end);
    r.byLength = c.byLength;
    const Chart chart = buildChart(sourceFor(m, c.twoPipe), m, r);
    EXPECT_TRUE(chart.error.isEmpty()) << chart.error.toStdString();
    EXPECT_EQ(text(chart.ground), c.ground);
    EXPECT_EQ(text(chart.ret), c.ret);
    EXPECT_EQ(text(chart.sup), c.sup);
    EXPECT_DOUBLE_EQ(chart.xMin, c.xMin);
    EXPECT_DOUBLE_EQ(chart.xMax, c.xMax);
    EXPECT_DOUBLE_EQ(chart.yMin, c.yMin);
    EXPECT_DOUBLE_EQ(chart.yMax, c.yMax);
    EXPECT_EQ(chart.title, m.text);
}

INSTANTIATE_TEST_SUITE_P(
    Stretches, ChartSeriesTable,
    ::testing::Values(
        // Whole main, two-pipe: closing heads from КонМаг (supply 111, return 177).
        SeriesCase{"TwoPipeWholeMainEndsWithEndResult", true, ChartKind::Piezometric, "1", "4", true,
                   "0:101[1] 100:102[2] 200:103[3] 300:104[4]",
                   "0:160 100:165 100:170 200:175 200:180 300:185 300:177",
                   "0:190 100:185 100:180 200:175 200:170 300:165 300:111",
                   -1.5, 301.5, 101 - 8.9, 190 + 8.9},
        // Ends inside the main at node 3: closing heads are the start heads of 3-4.
        SeriesCase{"TwoPipeStretchEndsInsideWithNextSectionStart", true, ChartKind::Piezometric, "2", "3", true,
                   "100:102[2] 200:103[3]", "100:170 200:175 200:180", "100:180 200:175 200:170",
                   99.5, 200.5, 102 - 7.8, 180 + 7.8},
        SeriesCase{"OnePipeHasNoReturnLine", false, ChartKind::Piezometric, "1", "2", true,
                   "0:101[1] 100:102[2]", "", "0:190 100:185 100:180", -0.5, 100.5, 101 - 8.9, 190 + 8.9},
        SeriesCase{"OnePipeTemperatureHasNoReturnLine", false, ChartKind::Temperature, "1", "4", true, "", "",
                   "0:89[1] 100:88[2] 200:87[3] 300:86[4]", -1.5, 301.5, 86 - 0.3, 89 + 0.3},
        SeriesCase{"TwoPipeTemperatureLabelsSupply", true, ChartKind::Temperature, "2", "4", true, "",
                   "100:52 200:53 300:54", "100:88[2] 200:87[3] 300:86[4]", 99, 301, 52 - 3.6, 88 + 3.6},
        SeriesCase{"OneUnitPerSectionWithoutLengths", true, ChartKind::Piezometric, "2", "4", false,
                   "0:102[2] 1:103[3] 2:104[4]", "0:170 1:175 1:180 2:185 2:177", "0:180 1:175 1:170 2:165 2:111",
                   -0.01, 2.01, 102 - 8.3, 185 + 8.3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChartData, FlatStretchGivesFiveEitherSide) {
    ChartMain m = chain({{7, 8}});
    ChartSource src;
    src.twoPipe = false;
    ChartSection s{};
    s.len = 50;
    s.groundStart = s.groundEnd = s.supStart = s.supEnd = 120;
    src.sections[ChartSource::sectionKey(7, 8)] = s;
    src.ends[8] = ChartEnd{120, 0};
    ChartRequest r;
    r.startNode = QStringLiteral("7");
    r.endNode = QStringLiteral("8");
    const Chart chart = buildChart(src, m, r);
    EXPECT_TRUE(chart.error.isEmpty());
    EXPECT_DOUBLE_EQ(chart.yMin, 115);
    EXPECT_DOUBLE_EQ(chart.yMax, 125);
    EXPECT_DOUBLE_EQ(chart.xMin, -0.25);
    EXPECT_DOUBLE_EQ(chart.xMax, 50.25);
}

TEST(ChartData, ColoursTitlesAndValueFormat) {
    const ChartMain m = chain({{1, 2}});
    ChartSource src = sourceFor(m, true);
    src.precision = 2;
    ChartRequest r;
    r.startNode = QStringLiteral("1");
    r.endNode = QStringLiteral("2");
    Chart c = buildChart(src, m, r);
    EXPECT_EQ(c.ret.rgb, kChartBlue);
    EXPECT_EQ(c.sup.rgb, kChartRed);
    EXPECT_EQ(c.ground.title, QStringLiteral("ГеодВыс"));
    EXPECT_EQ(c.ret.title, QStringLiteral("Обр"));
    EXPECT_EQ(c.sup.title, QStringLiteral("Под"));
    EXPECT_EQ(c.leftTitle, QStringLiteral("Высота, напор, м."));
    EXPECT_EQ(c.bottomTitle, QStringLiteral("Узлы теплосети"));
    EXPECT_EQ(c.valueFormat, QStringLiteral("0.00"));
    EXPECT_EQ(c.markText(12.345), QStringLiteral("12,35"));
    EXPECT_EQ(c.markText(-0.001), QStringLiteral("0,00"));
    EXPECT_EQ(c.markText(std::nan("")), QString());
    r.blackAndWhite = true;
    r.kind = ChartKind::Temperature;
    c = buildChart(src, m, r);
    EXPECT_EQ(c.ret.rgb, kChartBlack);
    EXPECT_EQ(c.sup.rgb, kChartBlack);
    EXPECT_EQ(c.leftTitle, QStringLiteral("Температура воды в трубопроводе, град. С"));
    EXPECT_EQ(chartValueFormat(0), QStringLiteral("0"));
    EXPECT_EQ(chartValueFormat(3), QStringLiteral("0.000"));
    EXPECT_EQ(c.nodeLabels().size(), 2u);
}

struct BrokenCase {
    const char* name;
    const char* start;
    const char* end;
    int dropStart, dropEnd;   // section pair removed from Табл (0: none)
    bool dropEnd1;            // КонМаг row of the main's end removed
    bool withoutRow1;         // the main's rows stop before the section numbered 1
    const char* message;      // part of the error
    const char* sup;          // supply points drawn before the stop
};

std::ostream& operator<<(std::ostream& o, const BrokenCase& c) { return o << c.name; }

class ChartBrokenData : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(ChartBrokenData, StopsWithAMessageKeepingWhatWasDrawn) {
    const BrokenCase& c = GetParam();
    const ChartMain m = chain({{1, 2}, {2, 3}, {3, 4}}, 1, !c.withoutRow1);
    ChartSource src = sourceFor(m, false);
    if (c.dropStart) src.sections.erase(ChartSource::sectionKey(c.dropStart, c.dropEnd));
    if (c.dropEnd1) src.ends.clear();
    ChartRequest r;
    r.startNode = QString::fromLatin1(c.start);
    r.endNode = QString::fromLatin1(c.end);
    const Chart chart = buildChart(src, m, r);
    EXPECT_TRUE(chart.error.contains(QString::fromUtf8(c.message))) << chart.error.toStdString();
    EXPECT_EQ(text(chart.sup), c.sup);
    EXPECT_LE(chart.xMin, chart.xMax);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, ChartBrokenData,
    ::testing::Values(
        BrokenCase{"SectionMissingMidway", "1", "4", 2, 3, false, false, "Участок 2 - 3 магистрали 1", "0:190 100:185"},
        BrokenCase{"FirstSectionMissing", "1", "4", 1, 2, false, false, "Участок 1 - 2", ""},
        BrokenCase{"NextSectionMissing", "1", "3", 3, 4, false, false, "Участок 3 - 4", "0:190 100:185 100:180 200:175"},
        BrokenCase{"EndResultMissing", "3", "4", 0, 0, true, false, "конечном узле 4", "200:170 300:165"},
        BrokenCase{"StartNodeNotOnMain", "9", "4", 0, 0, false, false, "Начальный узел \"9\"", ""},
        BrokenCase{"EndNodeBeforeStart", "3", "2", 0, 0, false, false, "Конечный узел \"2\"", "200:170 300:165"},
        BrokenCase{"MainWithoutRowNumbered1", "3", "4", 0, 0, false, true, "обрывается на узле 4",
                   "200:170 300:165"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace volm
