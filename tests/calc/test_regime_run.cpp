// The regime checks inside the run and the calculation file: a new file ships
// the usual rules, an older file gets the tables when opened, a run whose
// regime breaks a rule still succeeds and shows the warnings after its outcome.
#include "commands/run_options.h"
#include "store/database.h"
#include "tests/calc/calc_harness.h"

namespace volm::test {
namespace {

class CapturedOutcome : public OutcomeDisplay {
public:
    QStringList shown;
    void showOutcome(const QString& text) override { shown << text; }
};

class RegimeRun : public CalcHarness {};

// Nodes at 100 m and 160 m of supply head at the source: pressures stay near 60 m
// on the supply and 20 m on the return (available head 40 m).
Net quietNet() {
    Net net;
    net.headSup = 160;
    net.headAvail = 40;
    net.sections = {{1, 2}, {2, 3}, {2, 4}};
    return net;
}

TEST_F(RegimeRun, TheTemplateShipsTheUsualRules) {
    open(quietNet());
    EXPECT_EQ(rows(QStringLiteral("SELECT Показатель, Условие, Предел, Предупреждение FROM ПроверкиРежима ORDER BY Nпп")),
              QStringList({QStringLiteral("СкорПод больше 3.5 Скорость воды в подающем трубопроводе больше 3,5 м/с"),
                           QStringLiteral("УдПотПод больше 300 Удельные потери давления в подающем трубопроводе больше "
                                          "300 Па/м")}));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM ПределыНапоров")), QStringList({QStringLiteral("5 1 160 1 5 1 0 0")}));
}

// A file written before the checks is opened unchanged; its run is checked
// with the default head limits and no rules on indicators.
TEST_F(RegimeRun, AnOlderFileIsCheckedWithTheDefaultLimits) {
    Net net = quietNet();
    net.nodes = {{1, 100}, {2, 100}, {3, 158}, {4, 100}};
    open(net, {QStringLiteral("DROP TABLE ПроверкиРежима"), QStringLiteral("DROP TABLE ПределыНапоров")});
    EXPECT_FALSE(fileValue(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'ПроверкиРежима'")).toBool());
    const RunOutcome out = run();
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    ASSERT_FALSE(out.warnings.empty());
    EXPECT_TRUE(out.warnings.front().startsWith(QStringLiteral("Узел 3: Давление в подающем трубопроводе меньше 5 м")))
        << out.warnings.front().toStdString();
}

TEST_F(RegimeRun, AQuietRunShowsOnlyItsOutcome) {
    open(quietNet());
    CapturedOutcome display;
    RunOptions options;
    options.outcomeDisplay = &display;
    const RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"), options);
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(display.shown, QStringList({QStringLiteral("Расчет выполнен успешно.")}));
}

TEST_F(RegimeRun, BrokenRulesWarnAfterTheOutcomeAndTheRunStillSucceeds) {
    Net net = quietNet();
    net.nodes = {{1, 100}, {2, 100}, {3, 158}, {4, 100}};  // node 3 on a hill: its supply pressure is 0
    open(net, {QStringLiteral("UPDATE ПределыНапоров SET ПровТребРНап = 1, ТребРНап = 39")});
    CapturedOutcome display;
    RunOptions options;
    options.outcomeDisplay = &display;
    const RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"), options);
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toInt(), 1);
    ASSERT_EQ(display.shown.size(), 1);
    const QString shown = display.shown.front();
    EXPECT_TRUE(shown.startsWith(out.text + QStringLiteral("\r\n\r\nПредупреждения (")));
    EXPECT_EQ(QString(shown).remove(0, out.text.size() + 4).split(QStringLiteral("\r\n")).mid(1),
              QStringList(out.warnings.begin(), out.warnings.end()));
    ASSERT_FALSE(out.warnings.empty());
    EXPECT_TRUE(out.warnings.front().startsWith(QStringLiteral("Узел 3: Давление в подающем трубопроводе меньше 5 м")))
        << out.warnings.front().toStdString();
    // The end nodes 3 and 4 have 40 m less the losses of two sections available.
    EXPECT_TRUE(out.warnings.back().startsWith(
        QStringLiteral("Узлы 3, 4: Располагаемый напор на конечном узле магистрали меньше 39 м")) ||
                out.warnings.back().startsWith(
        QStringLiteral("Узлы 4, 3: Располагаемый напор на конечном узле магистрали меньше 39 м")))
        << out.warnings.back().toStdString();
}

}  // namespace
}  // namespace volm::test
