// The computing stages on small networks whose figures are worked out by hand:
// mains, lengths, temperatures, flows, heights, start losses and heads.
#include "tests/calc/calc_harness.h"

#include "store/errors.h"
#include "store/table.h"

#include <QDir>
#include <QFile>

namespace volm::test {
namespace {

class Stages : public CalcHarness {
protected:
    RunOutcome runOk(const QString& supply = QStringLiteral("1"), const QString& avail = QStringLiteral("1")) {
        RunOutcome out = run(supply, avail);
        EXPECT_TRUE(out.success()) << out.text.toStdString();
        return out;
    }
    QStringList mains() const {
        return rows(QStringLiteral("SELECT id_m, NппУчВМ, НачУзел, КонУзел FROM МагистралиТС ORDER BY id_m, NппУчВМ"));
    }
};

TEST_F(Stages, MainsOfASingleSectionAStarAChainAndATree) {
    {
        Net n;
        n.sections = {{1, 2}};
        open(n);
        runOk();
        EXPECT_EQ(mains(), QStringList({"1 1 1 2"}));
    }
    {
        Net n;
        n.sections = {{1, 4}, {1, 2}, {1, 3}};  // numbered by end node, not by row
        open(n);
        runOk();
        EXPECT_EQ(mains(), QStringList({"1 1 1 2", "2 1 1 3", "3 1 1 4"}));
    }
    {
        Net n;
        n.sections = {{3, 4}, {1, 2}, {2, 3}};  // any order of the rows
        open(n);
        runOk();
        EXPECT_EQ(mains(), QStringList({"1 1 3 4", "1 2 2 3", "1 3 1 2"}));
    }
    {
        Net n;
        n.sections = {{1, 2}, {2, 3}, {2, 4}};
        open(n);
        runOk();
        EXPECT_EQ(mains(), QStringList({"1 1 2 3", "1 2 1 2", "2 1 2 4", "2 2 1 2"}));
        // Rows in the file in the order they are found: the end sections first.
        EXPECT_EQ(rows(QStringLiteral("SELECT id_m, NппУчВМ FROM МагистралиТС ORDER BY rowid")),
                  QStringList({"1 1", "2 1", "1 2", "2 2"}));
    }
}

TEST_F(Stages, OnePipeChainLengthsAndTemperatures) {
    Net n;
    n.type = 0;
    n.sections = {{2, 3, 300}, {1, 2, 100}};
    n.maxT = 95;
    n.minT = 55;
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксДлПод")), 400);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ДлНачПод")), 0);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ДлКонПод")), 100);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ДлНачПод")), 100);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ДлКонПод")), 400);
    EXPECT_NEAR(sectionValue(1, 2, QStringLiteral("ТВодыНачПод")), 95, 1e-12);
    EXPECT_NEAR(sectionValue(1, 2, QStringLiteral("ТВодыКонПод")), 85, 1e-12);
    EXPECT_NEAR(sectionValue(2, 3, QStringLiteral("ТВодыНачПод")), 85, 1e-12);
    EXPECT_NEAR(sectionValue(2, 3, QStringLiteral("ТВодыКонПод")), 55, 1e-12);
    // No return columns in a one-pipe calculation.
    EXPECT_FALSE(fileValue(QStringLiteral("SELECT count(*) FROM pragma_table_info('Табл') WHERE name='ТВодыНачОбр'")).toBool());
}

TEST_F(Stages, TwoPipeChainMeetsAtTheEndNode) {
    Net n;
    n.sections = {{1, 2, 100}, {2, 3, 300}};
    n.maxT = 95;
    n.minT = 55;
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксДлОбр")), 400);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксСумДлПодОбр")), 800);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ДлНаУчОбр")), 300);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ДлКонОбр")), 400);
    const double tol = 1e-12;
    EXPECT_NEAR(sectionValue(1, 2, QStringLiteral("ТВодыНачПод")), 95, tol);
    EXPECT_NEAR(sectionValue(1, 2, QStringLiteral("ТВодыКонПод")), 90, tol);
    EXPECT_NEAR(sectionValue(2, 3, QStringLiteral("ТВодыКонПод")), 75, tol);
    EXPECT_NEAR(sectionValue(1, 2, QStringLiteral("ТВодыНачОбр")), 55, tol);
    EXPECT_NEAR(sectionValue(1, 2, QStringLiteral("ТВодыКонОбр")), 60, tol);
    EXPECT_NEAR(sectionValue(2, 3, QStringLiteral("ТВодыКонОбр")), 75, tol);
}

TEST_F(Stages, FlowsSummedFromTheEndSections) {
    Net n;
    n.computeFlows = true;
    // 1 - 2 lies on the three mains ending at 3, 4 and 5; 2 - 5 is not an end section.
    n.sections = {{1, 2, 100, 1, 1, 999}, {2, 3, 100, 1, 1, 10}, {2, 4, 100, 1, 1, 20}, {2, 5, 100, 1, 1, 7},
                  {5, 6, 100, 1, 1, 30}};
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("РасхПод")), 60);
    EXPECT_DOUBLE_EQ(sectionValue(2, 5, QStringLiteral("РасхПод")), 30);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("РасхПод")), 10);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("РасхОбр")), 60);  // not entered: equal to the supply flow
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT id_m, РасхПод FROM МагистралиТС ORDER BY id_m")),
              QStringList({"1 10", "2 20", "3 30"}));
}

TEST_F(Stages, ReturnFlowFollowsSupplyWhenNotComputed) {
    Net n;
    n.sections = {{1, 2, 100, 1, 1, 15}, {2, 3, 100, 1, 1, 5}};
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("РасхПод")), 15);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("РасхОбр")), 15);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("РасхОбр")), 5);
}

TEST_F(Stages, NodeHeightsAndTheirLimits) {
    Net n;
    n.sections = {{1, 2}, {2, 3}};
    n.nodes = {{1, 50}, {2, 47.5}, {3, 61}};
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ГеодВысНач")), 47.5);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ГеодВысКон")), 61);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МинГеодВысТС")), 47.5);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксГеодВысТС")), 61);
}

TEST_F(Stages, StartLossesTakeTheHeadChangesAtTheNode) {
    Net n;
    n.sections = {{1, 2, 100, 12, 3}, {2, 3, 100, 1, 1}};
    n.changes = {{2, false, 5}, {2, true, 2}};
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ПотНОтИНачПод")), 0);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ПотНОтИНачОбр")), 0);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ПотНОтИНачПод")), 7);  // 12 - 5; the return row does not count
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ПотНОтИНачОбр")), 1);  // 3 - 2
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ПотНОтИКонПод")), 8);
}

TEST_F(Stages, HeadGivenAtTheSource) {
    Net n;
    n.type = 0;
    n.sections = {{1, 2, 100, 4}, {1, 3, 100, 2}};
    n.headSup = 100;
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ПНапНачПод")), 100);
    EXPECT_DOUBLE_EQ(sectionValue(1, 3, QStringLiteral("ПНапНачПод")), 100);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ПНапКонПод")), 96);
}

TEST_F(Stages, HeadGivenAtAnEndNodeWithAndWithoutAHeadChange) {
    for (const double change : {0.0, 10.0}) {
        SCOPED_TRACE(change);
        Net n;
        n.type = 0;
        n.sections = {{1, 5, 100, 2}, {5, 9, 100, 4}};  // end loss at 9: 6
        n.headSup = 50;
        if (change != 0) n.changes = {{9, false, change}};
        open(n);
        runOk(QStringLiteral("9"), QString());
        const double h0 = change == 0 ? 56 : 46;
        EXPECT_DOUBLE_EQ(sectionValue(1, 5, QStringLiteral("ПНапНачПод")), h0);
        EXPECT_DOUBLE_EQ(sectionValue(5, 9, QStringLiteral("ПНапКонПод")), h0 - 6);
        EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("ПНапПод")), 50);
        EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("ПотНОтИПод")), 6 - change);
        EXPECT_DOUBLE_EQ(fileValue(QStringLiteral("SELECT NузПНапПод FROM НазвРасч")).toInt(), 9);
    }
}

TEST_F(Stages, AvailableHeadGivenAtAnEndNode) {
    Net n;
    n.sections = {{1, 5, 100, 2, 2}, {5, 9, 100, 4, 3}};  // end losses at 9: 6 and 5
    n.headAvail = 20;
    open(n);
    runOk(QStringLiteral("1"), QStringLiteral("9"));
    EXPECT_DOUBLE_EQ(sectionValue(1, 5, QStringLiteral("РНапНач")), 31);
    EXPECT_DOUBLE_EQ(sectionValue(5, 9, QStringLiteral("РНапКон")), 20);
    EXPECT_DOUBLE_EQ(sectionValue(5, 9, QStringLiteral("ПНапКонОбр")),
                     sectionValue(5, 9, QStringLiteral("ПНапКонПод")) - 20);
    // Changes at the end node raise the available head there by their amounts.
    EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("РНап")), 20);
}

TEST_F(Stages, EndResultsAfterTheChangesOfBothPipelines) {
    Net n;
    n.sections = {{1, 5, 100, 2, 2}, {5, 9, 100, 4, 3}};
    n.headSup = 100;
    n.headAvail = 40;
    n.changes = {{9, false, 3}, {9, true, 2}};
    open(n);
    runOk();
    EXPECT_DOUBLE_EQ(sectionValue(5, 9, QStringLiteral("ПНапКонПод")), 94);
    EXPECT_DOUBLE_EQ(sectionValue(5, 9, QStringLiteral("РНапКон")), 29);
    EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("ПотНОтИПод")), 3);
    EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("ПНапПод")), 97);
    EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("ПотНОтИОбр")), 3);
    EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("ПНапОбр")), 63);
    EXPECT_DOUBLE_EQ(endValue(1, QStringLiteral("РНап")), 34);  // 29 + 3 + 2
}

TEST_F(Stages, LowAvailableHeadsInTheOrderCollected) {
    // Given 0.1 m at the source. 1 - 2 keeps exactly 0.1 (not listed); 1 - 7
    // keeps 0.0999; the ends 5 and 12 fall below. Main numbers follow the end
    // nodes (2, 5, 12); the longest main (to 12) comes first when no text is kept.
    Net n;
    n.sections = {{1, 5, 100, 1, 0}, {1, 7, 100, 0.0001, 0}, {7, 12, 500, 1, 0}, {1, 2, 100, 0, 0}};
    n.headAvail = 0.1;
    n.headSup = 0.2;  // so that every head difference at node 2 is exactly 0.1 as well
    const QString head = QStringLiteral("Расчет выполнен успешно.\r\n\r\nУзлы теплосети, в которых\r\n"
                                        "располагаемый напор меньше 0,1 м.:\r\n");
    open(n);
    folder.setSetting(QStringLiteral("СохрТекстРас"), false);
    app->dm.atNastr->requery();
    RunOutcome out = runOk();
    EXPECT_EQ(out.text, head + QStringLiteral("12, 5, 7."));
    EXPECT_EQ(out.lowHeadNodes, std::vector<int>({12, 5, 7}));
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM СписокРасчУчастков")), QStringList());

    // With the text kept, КонМаг was last sorted by main number.
    folder.setSetting(QStringLiteral("СохрТекстРас"), true);
    app->dm.atNastr->requery();
    out = runOk();
    EXPECT_EQ(out.text, head + QStringLiteral("5, 12, 7."));
}

TEST_F(Stages, OnePipeOutcomeHasNoNodeList) {
    Net n;
    n.type = 0;
    n.sections = {{1, 2, 100, 500}};
    open(n);
    const RunOutcome out = runOk(QStringLiteral("1"), QString());
    EXPECT_EQ(out.text, QStringLiteral("Расчет выполнен успешно."));
    EXPECT_TRUE(out.lowHeadNodes.empty());
}

TEST_F(Stages, AFaultKeepsWhatTheEarlierStagesWrote) {
    Net n;
    n.computeFlows = true;
    n.sections = {{1, 2, 100, 1, 1, kNullValue}};
    open(n, {QStringLiteral("UPDATE Табл SET ПНапНачПод=999, ТВодыНачПод=999, ГеодВысНач=999"),
             QStringLiteral("UPDATE Заг SET МинГеодВысТС=999")});
    const RunOutcome out = run();
    ASSERT_EQ(out.status, RunOutcome::Status::Fault);
    // Stages 6 to 14 wrote mains, lengths and temperatures; later values stay cleared.
    EXPECT_EQ(rows(QStringLiteral("SELECT id_m, КонУзел, ДлМагПод FROM КонМаг")), QStringList({"1 2 100"}));
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ДлКонПод")), 100);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ТВодыНачПод")), 95);
    EXPECT_TRUE(std::isnan(sectionValue(1, 2, QStringLiteral("ПНапНачПод"))));
    EXPECT_TRUE(std::isnan(sectionValue(1, 2, QStringLiteral("ГеодВысНач"))));
    EXPECT_TRUE(std::isnan(headerValue(QStringLiteral("МинГеодВысТС"))));
    EXPECT_EQ(rows(QStringLiteral("SELECT НачУзел, КонУзел FROM СписокРасчУчастков")), QStringList({"1 2"}));
    EXPECT_EQ(fileValue(QStringLiteral("SELECT NузПНапПод FROM НазвРасч")).toInt(), 1);
    // The cursors show what the file holds.
    app->dm.atTabl->first();
    EXPECT_DOUBLE_EQ(app->dm.atTabl->value(QStringLiteral("ДлКонПод")).toDouble(), 100);
}

TEST_F(Stages, AnUnexpectedFaultEndsTheRunAndKeepsTheOldResults) {
    Net n;
    n.sections = {{1, 2}, {2, 3}};
    open(n);
    // The temporary text cannot be created: a folder stands in its place.
    ASSERT_TRUE(QDir().mkpath(folder.file(QStringLiteral("~$.tx_"))));
    const RunOutcome out = run();
    EXPECT_EQ(out.status, RunOutcome::Status::Unexpected);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_EQ(person.messages[0], out.text);
    EXPECT_TRUE(out.text.contains(QStringLiteral("~$.tx_"))) << out.text.toStdString();
    EXPECT_FALSE(app->RasVip);
    EXPECT_EQ(person.busyDepth, 0);
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());
    // Stages 1 to 9 ran, but a run that fails unexpectedly stores none of its
    // results: the file keeps what it had (no mains, no lengths).
    EXPECT_EQ(rows(QStringLiteral("SELECT id_m, NппУчВМ FROM МагистралиТС ORDER BY rowid")), QStringList());
    EXPECT_TRUE(std::isnan(sectionValue(1, 2, QStringLiteral("ДлКонПод"))));
    EXPECT_FALSE(app->dm.acGR.inTransaction());
}

TEST_F(Stages, DeclinedRunChangesNothing) {
    Net n;
    n.sections = {{1, 2}};
    open(n);
    person.answers = {false};
    RunOptions o;
    o.supplyNodeText = QStringLiteral("7");
    const RunOutcome out = runCalculation(*app, o);
    EXPECT_EQ(out.status, RunOutcome::Status::Declined);
    EXPECT_EQ(person.questions, QStringList({"Данная операция может занять некоторое время. Выполнить расчет?"}));
    EXPECT_EQ(fileValue(QStringLiteral("SELECT NузПНапПод FROM НазвРасч")).toInt(), 1);
    EXPECT_EQ(person.busyDepth, 0);
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("~$.tx_"))));
}

TEST_F(Stages, NoCalculationOpen) {
    FakePerson p;
    App bare(folder.path(), p);
    const RunOutcome out = runCalculation(bare, {});
    EXPECT_EQ(out.status, RunOutcome::Status::NotOpen);
    EXPECT_EQ(p.messages, QStringList({"Расчет невозможен.\rОткройте или создайте расчет (Файл / Открыть расчет)."}));
    EXPECT_TRUE(p.questions.isEmpty());
}

TEST_F(Stages, SuccessSetsTheFlagAndLeavesTheGridWhereItWas) {
    Net n;
    n.sections = {{1, 2}, {2, 3}, {3, 4}};
    open(n);
    app->dm.atTabl->first();
    app->dm.atTabl->moveBy(2);
    int locks = 0;
    RunOptions o;
    o.lockWindow = [&](bool on) { locks += on ? 1 : -1; };
    runOk();
    const RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"), o);
    ASSERT_TRUE(out.success());
    EXPECT_EQ(app->dm.atTabl->recNo(), 3);
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());
    EXPECT_EQ(locks, 0);
    EXPECT_TRUE(app->RasVip);
    EXPECT_TRUE(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
    EXPECT_EQ(person.statuses.last(), QString());
    EXPECT_EQ(person.busyDepth, 0);
}

// The result dialog and its follow-ups come inside the run: the window is still
// locked and the section grid detached; whatever the follow-ups do to the section
// cursor, the final steps return it to its row and unlock the window afterwards.
// A fault of a follow-up is reported and the run still ends as a success.
struct RecordingDisplay : OutcomeDisplay {
    App* app = nullptr;
    const int* locks = nullptr;
    bool fail = false;
    QStringList shown;
    int locksThen = 0;
    bool detachedThen = false;
    bool doneThen = false;
    void showOutcome(const QString& text) override {
        shown << text;
        locksThen = *locks;
        detachedThen = app->dm.atTabl->controlsDisabled();
        doneThen = app->RasVip;
        app->dm.atTabl->last();  // a follow-up walking the sections
        if (fail) throw DatabaseError(QStringLiteral("отчет не сформирован"));
    }
};

class OutcomeInsideTheRun : public Stages, public ::testing::WithParamInterface<bool> {};

TEST_P(OutcomeInsideTheRun, BeforeTheFinalSteps) {
    Net n;
    n.sections = {{1, 2}, {2, 3}, {3, 4}, {4, 5}};
    open(n);
    app->dm.atTabl->first();
    app->dm.atTabl->moveBy(1);
    int locks = 0;
    RecordingDisplay display;
    display.app = app.get();
    display.locks = &locks;
    display.fail = GetParam();
    RunOptions o;
    o.lockWindow = [&](bool on) { locks += on ? 1 : -1; };
    o.outcomeDisplay = &display;
    const RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"), o);
    ASSERT_TRUE(out.success());
    EXPECT_EQ(display.shown, QStringList{outcomeWithWarnings(out)});
    EXPECT_EQ(display.locksThen, 1);
    EXPECT_TRUE(display.detachedThen);
    EXPECT_TRUE(display.doneThen);
    EXPECT_EQ(app->dm.atTabl->recNo(), 2);
    EXPECT_EQ(locks, 0);
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());
    EXPECT_EQ(person.busyDepth, 0);
    if (GetParam()) {
        ASSERT_EQ(person.messages.size(), 1);
        EXPECT_TRUE(person.messages[0].contains(QStringLiteral("отчет не сформирован"))) << person.messages[0].toStdString();
    } else {
        EXPECT_TRUE(person.messages.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(FollowUpsFailing, OutcomeInsideTheRun, ::testing::Bool());

// A run that stops at a fault shows no outcome.
TEST_F(Stages, FaultShowsNoOutcome) {
    Net n;
    n.sections = {{1, 2}, {2, 2}};
    open(n);
    int locks = 0;
    RecordingDisplay display;
    display.app = app.get();
    display.locks = &locks;
    RunOptions o;
    o.outcomeDisplay = &display;
    const RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"), o);
    EXPECT_EQ(out.status, RunOutcome::Status::Fault);
    EXPECT_TRUE(display.shown.isEmpty());
}

TEST_F(Stages, SectionValuesAreThoseStoredWithFifteenDigits) {
    // 0.3 - 0.1 - 0.1 is 0.09999999999999998 in binary, but a section value reaches
    // the file with 15 significant digits and is read back as 0.1: node 2 is not
    // below 0.1, node 3 is.
    Net n;
    n.sections = {{1, 2, 100, 0.1, 0.1}, {2, 3, 100, 0.1, 0.1}};
    n.headAvail = 0.3;
    n.headSup = 10;
    open(n);
    RunOutcome out = runOk();
    EXPECT_EQ(out.lowHeadNodes, std::vector<int>({3}));
    EXPECT_EQ(sectionValue(1, 2, QStringLiteral("РНапКон")), 0.1);
}

}  // namespace
}  // namespace volm::test
