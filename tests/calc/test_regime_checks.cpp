// The regime checks over a small network held in memory: every built-in rule at
// its boundary, one-pipe and two-pipe, the person's rules on header and table
// indicators, the cut of long place lists, the saturation pressure.
#include "calc/regime_checks.h"
#include "calc/saturation.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <cmath>
#include <functional>

namespace volm::calc {
namespace {

// A chain 1 - 2 - 3 - ... at ground height 100: supply heads 150 (pressure 50 m),
// return heads 130 (30 m), water at 70 °C, sections of 100 m, КоэфМП 0,3.
struct Network {
    ValueTable header, sections;
    std::vector<int> startOf, endOf;
    std::vector<EndResult> ends;
    bool twoPipe = true;
    RegimeSettings settings;

    explicit Network(int n = 2) {
        header.setColumns({QStringLiteral("ЭквШер"), QStringLiteral("МинТВоды"), QStringLiteral("МаксТВоды")}, 1);
        setHeader("ЭквШер", 0.5);
        setHeader("МинТВоды", 70);
        setHeader("МаксТВоды", 95);
        std::vector<QString> cols;
        for (const char* c : {"ГеодВысНач", "ГеодВысКон", "ДлНаУчПод", "ДлНаУчОбр", "ТВодыНачПод", "ТВодыКонПод",
                              "КоэфМП", "СкорПод", "ПНапНачПод", "ПНапКонПод", "ПНапНачОбр", "ПНапКонОбр", "РасхПод"})
            cols.push_back(QString::fromUtf8(c));
        sections.setColumns(cols, n);
        for (int r = 0; r < n; ++r) {
            startOf.push_back(r + 1);
            endOf.push_back(r + 2);
            for (auto [c, v] : std::initializer_list<std::pair<const char*, double>>{
                     {"ГеодВысНач", 100}, {"ГеодВысКон", 100}, {"ДлНаУчПод", 100}, {"ДлНаУчОбр", 100},
                     {"ТВодыНачПод", 70}, {"ТВодыКонПод", 70}, {"КоэфМП", 0.3}, {"СкорПод", 1},
                     {"ПНапНачПод", 150}, {"ПНапКонПод", 150}, {"ПНапНачОбр", 130}, {"ПНапКонОбр", 130},
                     {"РасхПод", 10}})
                set(r, c, v);
        }
        EndResult e;
        e.idm = 1;
        e.endNode = n + 1;
        e.rNap = 20;
        ends.push_back(e);
    }
    void setHeader(const char* c, double v) { header.set(0, header.need(QString::fromUtf8(c)), v); }
    void set(int row, const char* c, double v) { sections.set(row, sections.need(QString::fromUtf8(c)), v); }

    std::vector<QString> check(QChar dec = QLatin1Char(',')) const {
        RegimeInput in;
        in.header = &header;
        in.sections = &sections;
        in.startOf = &startOf;
        in.endOf = &endOf;
        in.endResults = &ends;
        in.twoPipe = twoPipe;
        in.density = [](int) { return std::optional<double>(917.0); };
        return checkRegime(in, settings, dec).lines;
    }
};

TEST(RegimeChecks, AQuietNetworkHasNoWarnings) {
    Network net;
    EXPECT_TRUE(net.check().empty());
}

// Boiling head of water at t °C as the checks compute it with the test density.
double boilingHead(double t) { return (saturationPressureMPa(t + 273.15) - 0.101325) * 1e6 / (917.0 * 9.81); }

struct Case {
    const char* name;
    std::function<void(Network&)> setUp;
    const char* expected;  // the one warning line; empty: none
};

const char* const kBoiling499 = "Узел 3: Запас до вскипания воды в подающем трубопроводе меньше 5 м (мин. 4,99 в узле 3)";

// Water at source °C leaving the source and at node °C at node 3, where the
// pressure is the boiling head at boilsAt °C plus over.
Case boiling(const char* name, double source, double node, double boilsAt, double over, const char* expected) {
    return Case{name,
                [=](Network& n) {
                    n.setHeader("МаксТВоды", source);
                    n.set(1, "ТВодыКонПод", node);
                    n.set(1, "ПНапКонПод", 100 + boilingHead(boilsAt) + over);
                },
                expected};
}

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.name; }

class BuiltInRule : public ::testing::TestWithParam<Case> {};

TEST_P(BuiltInRule, FiresOnlyPastItsLimit) {
    Network net;
    GetParam().setUp(net);
    const std::vector<QString> lines = net.check();
    const QString expected = QString::fromUtf8(GetParam().expected);
    if (expected.isEmpty()) {
        EXPECT_TRUE(lines.empty()) << (lines.empty() ? std::string() : lines.front().toStdString());
    } else {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines.front(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuiltInRule,
    ::testing::Values(
        Case{"SupplyAtMinimum", [](Network& n) { n.set(1, "ПНапКонПод", 105); }, ""},
        Case{"SupplyBelowMinimum", [](Network& n) { n.set(1, "ПНапКонПод", 104.99); },
             "Узел 3: Давление в подающем трубопроводе меньше 5 м (мин. 4,99 в узле 3)"},
        Case{"NodeNamedOnceWithItsWorstValue",
             [](Network& n) {
                 n.set(0, "ПНапКонПод", 104);
                 n.set(1, "ПНапНачПод", 103);
                 n.settings.limits.boilingOn = false;  // 95 °C water would boil within 5 m of 3 m
             },
             "Узел 2: Давление в подающем трубопроводе меньше 5 м (мин. 3 в узле 2)"},
        Case{"GroundHeightCounts",
             [](Network& n) {
                 n.set(1, "ГеодВысКон", 146);
                 n.set(1, "ПНапКонОбр", 151);
             },
             "Узел 3: Давление в подающем трубопроводе меньше 5 м (мин. 4 в узле 3)"},
        Case{"MinimumSwitchedOff",
             [](Network& n) {
                 n.set(1, "ПНапКонПод", 104);
                 n.settings.limits.minPressureOn = false;
             },
             ""},
        Case{"SupplyAtMaximum", [](Network& n) { n.set(0, "ПНапНачПод", 260); }, ""},
        Case{"SupplyAboveMaximum", [](Network& n) { n.set(0, "ПНапНачПод", 260.01); },
             "Узел 1: Давление в подающем трубопроводе больше 160 м (макс. 160,01 в узле 1)"},
        Case{"MaximumFromTheFile",
             [](Network& n) {
                 n.settings.limits.maxPressure = 40;
                 n.set(1, "ПНапНачПод", 150.5);
             },
             "Узлы 1, 2, 3: Давление в подающем трубопроводе больше 40 м (макс. 50,5 в узле 2)"},
        Case{"ReturnBelowMinimum", [](Network& n) { n.set(1, "ПНапКонОбр", 104.5); },
             "Узел 3: Давление в обратном трубопроводе меньше 5 м (мин. 4,5 в узле 3)"},
        Case{"OnePipeHasNoReturnRules",
             [](Network& n) {
                 n.twoPipe = false;
                 n.set(1, "ПНапКонОбр", 50);
             },
             ""},
        // The water cools along a main only on paper: the source's supply
        // temperature is the one that may boil at the far end; the nodes'
        // temperatures count only without it.
        boiling("BoilingAtMargin", 150, 70, 150, 5 + 1e-9, ""),
        boiling("BoilingBelowMargin", 150, 70, 150, 4.99, kBoiling499),
        boiling("BoilingAtTheSourceTemperatureNotTheNodes", 150, 110, 150, 4.99, kBoiling499),
        boiling("NodeTemperatureAboveTheSourceIgnored", 95, 150, 150, -1, ""),
        boiling("BoilingAtTheNodesWithoutSourceTemperature", std::nan(""), 150, 150, 4.99, kBoiling499),
        Case{"BoilingSwitchedOff",
             [](Network& n) {
                 n.setHeader("МаксТВоды", 150);
                 n.set(1, "ПНапКонПод", 120);
                 n.settings.limits.boilingOn = false;
             },
             ""},
        Case{"EndHeadOffByDefault", [](Network& n) { n.ends[0].rNap = -3; }, ""},
        Case{"EndHeadAtRequired",
             [](Network& n) {
                 n.settings.limits.endAvailableOn = true;
                 n.settings.limits.endAvailable = 20;
             },
             ""},
        Case{"EndHeadBelowRequired",
             [](Network& n) {
                 n.settings.limits.endAvailableOn = true;
                 n.settings.limits.endAvailable = 20.5;
             },
             "Узел 3: Располагаемый напор на конечном узле магистрали меньше 20,5 м (мин. 20 в узле 3)"},
        Case{"EndHeadNotInOnePipe",
             [](Network& n) {
                 n.twoPipe = false;
                 n.settings.limits.endAvailableOn = true;
                 n.settings.limits.endAvailable = 30;
             },
             ""},
        Case{"TemperaturesEqual", [](Network& n) { n.setHeader("МинТВоды", 95); },
             "Показатели МинТВоды, МаксТВоды: Минимальная температура воды в теплосети не ниже максимальной "
             "(МинТВоды = 95, МаксТВоды = 95)"},
        Case{"TemperaturesJustBelow", [](Network& n) { n.setHeader("МинТВоды", 94.99); }, ""},
        Case{"LocalShareAtOne", [](Network& n) { n.set(0, "КоэфМП", 1); n.set(1, "КоэфМП", 0); }, ""},
        Case{"LocalShareOutside",
             [](Network& n) {
                 n.set(0, "КоэфМП", -0.5);
                 n.set(1, "КоэфМП", 1.2);
             },
             "Участки 1 - 2, 2 - 3: Доля местных потерь напора (КоэфМП) вне пределов от 0 до 1 (-0,5 на участке 1 - 2)"},
        Case{"LengthAtTenKilometres", [](Network& n) { n.set(1, "ДлНаУчПод", 10000); }, ""},
        Case{"SupplyLengthOver", [](Network& n) { n.set(1, "ДлНаУчПод", 10000.5); },
             "Участок 2 - 3: Длина участка больше 10 км (макс. 10000,5 на участке 2 - 3)"},
        Case{"ReturnLengthOver", [](Network& n) { n.set(0, "ДлНаУчОбр", 12000); },
             "Участок 1 - 2: Длина участка больше 10 км (макс. 12000 на участке 1 - 2)"},
        Case{"ReturnLengthIgnoredInOnePipe",
             [](Network& n) {
                 n.twoPipe = false;
                 n.set(0, "ДлНаУчОбр", 12000);
             },
             ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

class UserRule : public ::testing::TestWithParam<Case> {};

TEST_P(UserRule, FiresOnlyPastItsLimit) {
    Network net;
    GetParam().setUp(net);
    const std::vector<QString> lines = net.check();
    const QString expected = QString::fromUtf8(GetParam().expected);
    if (expected.isEmpty()) {
        EXPECT_TRUE(lines.empty()) << (lines.empty() ? std::string() : lines.front().toStdString());
    } else {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines.front(), expected);
    }
}

RegimeRule rule(const char* indicator, bool greater, double limit, const char* text) {
    return {QString::fromUtf8(indicator), greater, limit, QString::fromUtf8(text)};
}

const char* kSpeed = "Скорость воды в подающем трубопроводе больше 3,5 м/с";

INSTANTIATE_TEST_SUITE_P(
    Cases, UserRule,
    ::testing::Values(
        Case{"TableAtLimit",
             [](Network& n) {
                 n.settings.rules.push_back(rule("СкорПод", true, 3.5, kSpeed));
                 n.set(1, "СкорПод", 3.5);
             },
             ""},
        Case{"TableOverLimit",
             [](Network& n) {
                 n.settings.rules.push_back(rule("СкорПод", true, 3.5, kSpeed));
                 n.set(0, "СкорПод", 3.6);
                 n.set(1, "СкорПод", 4.123);
             },
             "Участки 1 - 2, 2 - 3: Скорость воды в подающем трубопроводе больше 3,5 м/с (макс. 4,12 на участке 2 - 3)"},
        Case{"TableUnderLimit",
             [](Network& n) {
                 n.settings.rules.push_back(rule("СкорПод", false, 0.5, "Мала скорость"));
                 n.set(1, "СкорПод", 0.3);
             },
             "Участок 2 - 3: Мала скорость (мин. 0,3 на участке 2 - 3)"},
        Case{"NullValueNotChecked",
             [](Network& n) {
                 n.settings.rules.push_back(rule("СкорПод", false, 0.5, "Мала скорость"));
                 n.set(1, "СкорПод", kNull);
             },
             ""},
        // A flow is signed in the section's entered direction: its size counts.
        Case{"FlowAgainstTheSectionOverLimit",
             [](Network& n) {
                 n.settings.rules.push_back(rule("РасхПод", true, 50, "Велик расход"));
                 n.set(1, "РасхПод", -60);
             },
             "Участок 2 - 3: Велик расход (макс. -60 на участке 2 - 3)"},
        Case{"FlowAgainstTheSectionUnderLimit",
             [](Network& n) {
                 n.settings.rules.push_back(rule("РасхПод", false, 5, "Мал расход"));
                 n.set(0, "РасхПод", -20);
                 n.set(1, "РасхПод", -3);
             },
             "Участок 2 - 3: Мал расход (мин. -3 на участке 2 - 3)"},
        Case{"HeaderOverLimit",
             [](Network& n) { n.settings.rules.push_back(rule("ЭквШер", true, 0.4, "Велика шероховатость")); },
             "Показатель ЭквШер: Велика шероховатость (значение 0,5)"},
        Case{"HeaderAtLimit",
             [](Network& n) { n.settings.rules.push_back(rule("ЭквШер", false, 0.5, "Мала шероховатость")); }, ""},
        Case{"UnknownIndicatorSkipped",
             [](Network& n) { n.settings.rules.push_back(rule("НетТакого", true, -1, "x")); }, ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(RegimeChecks, LongPlaceListsAreCut) {
    struct Cut {
        int broken;
        const char* tail;
    };
    for (const Cut c : {Cut{20, "20 - 21: "}, Cut{21, "20 - 21 и еще 1: "}, Cut{30, "20 - 21 и еще 10: "}}) {
        Network net(30);
        net.settings.rules.push_back(rule("СкорПод", true, 3.5, kSpeed));
        for (int r = 0; r < c.broken; ++r) net.set(r, "СкорПод", 4 + r * 0.01);
        const std::vector<QString> lines = net.check();
        ASSERT_EQ(lines.size(), 1u) << c.broken;
        EXPECT_TRUE(lines.front().startsWith(QStringLiteral("Участки 1 - 2, 2 - 3, ")));
        EXPECT_TRUE(lines.front().contains(QString::fromUtf8(c.tail))) << lines.front().toStdString();
        EXPECT_EQ(lines.front().count(QStringLiteral(" - ")), 21);  // 20 places and the worst one
        const QString worst = QStringLiteral("на участке %1 - %2)").arg(c.broken).arg(c.broken + 1);
        EXPECT_TRUE(lines.front().endsWith(worst)) << lines.front().toStdString();
    }
}

TEST(RegimeChecks, BlockCountsLinesAndUsesTheDecimalSeparator) {
    Network net;
    net.settings.rules.push_back(rule("СкорПод", true, 0.5, "Скорость"));
    net.set(1, "ПНапКонПод", 104.25);
    RegimeWarnings w{net.check(QLatin1Char('.'))};
    EXPECT_EQ(w.block(), QStringLiteral("Предупреждения (2):\r\n"
                                        "Узел 3: Давление в подающем трубопроводе меньше 5 м (мин. 4.25 в узле 3)\r\n"
                                        "Участки 1 - 2, 2 - 3: Скорость (макс. 1 на участке 1 - 2)"));
    EXPECT_EQ(RegimeWarnings{}.block(), QString());
}

// The verification values of the saturation-pressure equation given with it.
TEST(SaturationPressure, MatchesTheVerificationValues) {
    struct Point {
        double kelvin, mpa;
    };
    for (const Point p : {Point{300, 0.353658941e-2}, Point{500, 0.263889776e1}, Point{600, 0.123443146e2}})
        EXPECT_NEAR(saturationPressureMPa(p.kelvin), p.mpa, p.mpa * 1e-8) << p.kelvin;
    // Water boils at 100 °C under the standard atmosphere.
    EXPECT_NEAR(saturationPressureMPa(373.15), 0.101325, 0.0001);
    EXPECT_TRUE(std::isnan(saturationPressureMPa(273.0)));
    EXPECT_TRUE(std::isnan(saturationPressureMPa(650.0)));
}

}  // namespace
}  // namespace volm::calc
