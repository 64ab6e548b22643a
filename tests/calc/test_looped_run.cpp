// Looped networks in the run: a file made without the choice is a tree, and
// with it a node may end several sections, each arriving section ending a main
// of its own there.
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

}  // namespace
}  // namespace volm::test
