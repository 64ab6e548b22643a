// Looped networks in the run: a file made without the choice is a tree; with
// it a node may end several sections, each section arriving second ending a
// main of its own there; the flows of the shipped two-loop example are found
// through its loops, so that the heads at the meeting points agree from both
// sides; a tree gives the same results with the choice as without; faults
// name the section; running again stores the same values.
#include "commands/sizing_command.h"
#include "tests/calc/calc_harness.h"

namespace volm::test {
namespace {

class LoopedRun : public CalcHarness {};

// Two ways from node 1 to node 5: 1 - 3 - 5 and 1 - 4 - 5.
Net ring(bool looped) {
    Net n;
    n.looped = looped;
    n.sections = {{1, 3}, {3, 5}, {1, 4}, {4, 5}};
    return n;
}

TEST_F(LoopedRun, FileWithoutTheChoiceIsATree) {
    open(ring(false));
    const RunOutcome out = run();
    EXPECT_EQ(out.status, RunOutcome::Status::Fault);
    EXPECT_EQ(out.text, QStringLiteral("Участки 3 - 5, 4 - 5:") + QChar(13) + "Конечные узлы участков не должны совпадать.");
}

TEST_F(LoopedRun, MeetingNodeEndsAMainFromEachSide) {
    open(ring(true));
    const RunOutcome out = run();
    ASSERT_EQ(out.status, RunOutcome::Status::Success) << out.text.toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT id_m, КонУзел FROM КонМаг ORDER BY id_m")),
              (QStringList{QStringLiteral("1 5"), QStringLiteral("2 5")}));
    EXPECT_EQ(sectionValue(3, 5, QStringLiteral("ПотНОтИКонПод")), sectionValue(4, 5, QStringLiteral("ПотНОтИКонПод")));
}

class LoopedExample : public CalcHarness {
protected:
    void SetUp() override { openExample(QStringLiteral("two_loops.mdb")); }
    // The flow into the node less the flow out of it, by the stored column.
    double balanceAt(int node, const QString& column) const {
        const QString sum = QStringLiteral("SELECT coalesce(sum(%1), 0) FROM Табл WHERE %2=%3");
        return fileValue(sum.arg(column, QStringLiteral("КонУзел")).arg(node)).toDouble() -
               fileValue(sum.arg(column, QStringLiteral("НачУзел")).arg(node)).toDouble();
    }
};

TEST_F(LoopedExample, HeadsAtTheMeetingPointsAgreeFromBothSides) {
    for (const bool pumps : {false, true}) {
    if (pumps) {
        // Head changes inside the loops: supply at node 3, return at node 4.
        openExample(QStringLiteral("two_loops.mdb"));
        app->dm.acGR.exec(QStringLiteral("INSERT INTO ИзмПНапВУзлахТС VALUES (3, False, 1.5), (4, True, 0.7)"));
    }
    SCOPED_TRACE(pumps ? "pumps" : "no pumps");
    const RunOutcome out = run();
    ASSERT_EQ(out.status, RunOutcome::Status::Success) << out.text.toStdString();
    for (const QString pipeline : {QStringLiteral("Под"), QStringLiteral("Обр")}) {
        const QString flow = QStringLiteral("Расх") + pipeline, loss = QStringLiteral("ПотНОтИКон") + pipeline;
        // Node 5 is reached by 3 - 5 and 4 - 5, node 8 by 7 - 8 and 5 - 8.
        EXPECT_NEAR(sectionValue(3, 5, loss), sectionValue(4, 5, loss), 1e-5) << loss.toStdString();
        EXPECT_NEAR(sectionValue(7, 8, loss), sectionValue(5, 8, loss), 1e-5) << loss.toStdString();
        // Every node keeps its balance; the consumers draw what was entered.
        for (int node : {2, 3, 4, 5, 7, 8}) EXPECT_NEAR(balanceAt(node, flow), 0, 1e-9) << node;
        EXPECT_EQ(sectionValue(1, 2, flow), 165);
        EXPECT_EQ(sectionValue(5, 6, flow), 50);
    }
    // The parallel ways share the flow by their resistance: the wider 3 - 5 carries more.
    EXPECT_GT(sectionValue(3, 5, QStringLiteral("РасхПод")), sectionValue(4, 5, QStringLiteral("РасхПод")));
    }
    // The sections arriving second end mains of their own at the meeting points.
    EXPECT_EQ(rows(QStringLiteral("SELECT КонУзел FROM КонМаг WHERE КонУзел IN (5, 8) ORDER BY КонУзел")),
              (QStringList{QStringLiteral("5"), QStringLiteral("8")}));
}

// A section entered against the water is computed in the water's direction:
// the flows are those of the example, and its end values are at node 8.
TEST_F(LoopedExample, SectionEnteredAgainstTheWaterIsComputedTheOtherWay) {
    ASSERT_TRUE(run().success());
    const QString flows = QStringLiteral("SELECT id, round(РасхПод, 9), round(РасхОбр, 9) FROM Табл ORDER BY id");
    const QStringList entered = rows(flows);
    const double meeting = sectionValue(7, 8, QStringLiteral("ПотНОтИКонПод"));
    openExample(QStringLiteral("two_loops.mdb"));
    app->dm.acGR.exec(QStringLiteral("UPDATE Табл SET НачУзел=8, КонУзел=5 WHERE id=9"));
    const RunOutcome out = run();
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(rows(flows), entered);
    EXPECT_NEAR(sectionValue(8, 5, QStringLiteral("ПотНОтИКонПод")), meeting, 1e-9);
    EXPECT_NEAR(sectionValue(7, 8, QStringLiteral("ПотНОтИКонПод")), meeting, 1e-9);
}

// A second run starts from the first run's stored flows: it must not start
// its iterations from them, or the results would follow the file's history.
TEST_F(LoopedExample, RunningAgainStoresTheSameValues) {
    const QStringList tables{QStringLiteral("SELECT * FROM Табл ORDER BY id"),
                             QStringLiteral("SELECT * FROM МагистралиТС ORDER BY id_m, NппУчВМ"),
                             QStringLiteral("SELECT * FROM КонМаг ORDER BY id_m")};
    ASSERT_TRUE(run().success());
    QStringList first;
    for (const QString& t : tables) first += rows(t);
    ASSERT_TRUE(run().success());
    QStringList second;
    for (const QString& t : tables) second += rows(t);
    EXPECT_EQ(second, first);
}

TEST_F(LoopedExample, FaultsNameTheSectionAndStoreNothing) {
    struct Case {
        const char* change;
        QString message;  // the start of the fault
    };
    const Case cases[] = {
        // A diameter the reference book does not know.
        {"UPDATE Табл SET Ду=0 WHERE id=5", QStringLiteral("Участок 4 - 5:")},
        // A loop away from the source.
        {"INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, Ду, КоэфМП) VALUES (20, 12, 13, 100, 100, 0.3), "
         "(21, 13, 14, 100, 100, 0.3), (22, 15, 14, 100, 100, 0.3)",
         QStringLiteral("Участок 15 - 14 не соединен с начальным узлом теплосети.")},
        // Several sections meet at a node no section leaves.
        {"INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, Ду, КоэфМП) VALUES (20, 2, 6, 100, 100, 0.3)",
         QStringLiteral("Участок 2 - 6:") + QChar(13) + QStringLiteral("В узле 6 сходятся несколько участков")},
    };
    for (const Case& c : cases) {
        openExample(QStringLiteral("two_loops.mdb"));
        app->dm.acGR.exec(QStringLiteral("INSERT INTO УзлыТС VALUES (13, 70), (14, 70), (15, 70)"));
        app->dm.acGR.exec(QString::fromUtf8(c.change));
        const RunOutcome out = run();
        EXPECT_EQ(out.status, RunOutcome::Status::Fault) << c.change;
        EXPECT_TRUE(out.text.startsWith(c.message)) << out.text.toStdString();
        EXPECT_TRUE(std::isnan(sectionValue(1, 2, QStringLiteral("РасхПод")))) << c.change;
    }
}

TEST_F(LoopedExample, SizingSaysItSizesTreesOnly) {
    SizingRequest request;
    request.criteria = {{QStringLiteral("СкорПод"), 1.5}};
    RunOptions options;
    options.supplyNodeText = options.availNodeText = QStringLiteral("1");
    const SizingOutcome out = sizeDiameters(*app, request, options);
    EXPECT_EQ(out.status, SizingOutcome::Status::Refused);
    EXPECT_EQ(person.messages, QStringList{QStringLiteral("Подбор диаметров выполняется только для тупиковых сетей.")});
    EXPECT_EQ(sectionValue(4, 5, QStringLiteral("Ду")), 150);
}

// The method's worked example is a tree: ticking the choice changes no stored value.
TEST_F(LoopedRun, TreeGivesTheSameResultsWithTheChoice) {
    openExample(QStringLiteral("method_example.mdb"));
    const QString all = QStringLiteral("SELECT * FROM Табл ORDER BY id");
    const QString ends = QStringLiteral("SELECT * FROM КонМаг ORDER BY id_m");
    ASSERT_TRUE(run().success());
    const QStringList tree = rows(all) + rows(ends);
    app->dm.acGR.exec(QStringLiteral("ALTER TABLE НазвРасч ADD COLUMN КольцСеть bit"));
    app->dm.acGR.exec(QStringLiteral("UPDATE НазвРасч SET КольцСеть=True"));
    ASSERT_TRUE(run().success());
    EXPECT_EQ(rows(all) + rows(ends), tree);
}

}  // namespace
}  // namespace volm::test
