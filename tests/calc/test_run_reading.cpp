// The run reads the calculation with statements of its own: the sections in the
// order it is given, the catalogue as the file holds it at the moment of the
// run (a database error while reading stops the run with its message), and it
// leaves the cursors the windows show where they were.
#include "commands/run_options.h"
#include "store/database.h"
#include "store/table.h"
#include "tests/calc/calc_harness.h"

namespace volm::test {
namespace {

const QChar CR = QChar(13);

class RunReading : public CalcHarness {
protected:
    // A statement on the calculation file through a connection of its own, as
    // another program would change it while this one has it open.
    void changeFileElsewhere(const QString& sql) {
        Database db;
        db.open(calc);
        auto st = db.prepare(sql);
        st->run();
    }
};

TEST_F(RunReading, SectionsAreReadInTheOrderGiven) {
    Net n;
    n.sections = {{1, 3}, {3, 5}, {1, 4}, {4, 5}};
    open(n);
    RunOptions byCounter;
    EXPECT_EQ(run(QStringLiteral("1"), QStringLiteral("1"), byCounter).text,
              QStringLiteral("Участки 3 - 5, 4 - 5:") + CR + QStringLiteral("Конечные узлы участков не должны совпадать."));
    RunOptions startDescending;
    startDescending.sectionOrder = QStringLiteral("НачУзел DESC");
    EXPECT_EQ(run(QStringLiteral("1"), QStringLiteral("1"), startDescending).text,
              QStringLiteral("Участки 4 - 5, 3 - 5:") + CR + QStringLiteral("Конечные узлы участков не должны совпадать."));
}

TEST_F(RunReading, WithoutAnOrderTheSectionGridsOrderIsRead) {
    Net n;
    n.sections = {{1, 3}, {3, 5}, {1, 4}, {4, 5}};
    open(n);
    app->dm.atTabl->setSort(QStringLiteral("НачУзел DESC"));
    EXPECT_EQ(run().text,
              QStringLiteral("Участки 4 - 5, 3 - 5:") + CR + QStringLiteral("Конечные узлы участков не должны совпадать."));
}

TEST_F(RunReading, ACatalogueThatCannotBeReadStopsTheRunWithTheDatabasesMessage) {
    Net n;
    n.sections = {{1, 2}, {2, 3}};
    open(n);
    ASSERT_TRUE(run().success());
    changeFileElsewhere(QStringLiteral("ALTER TABLE \"Формулы\" RENAME COLUMN \"ВывВОтчТабл\" TO \"Другое\""));
    person.messages.clear();
    const RunOutcome out = run();
    EXPECT_EQ(out.status, RunOutcome::Status::Unexpected);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("ВывВОтчТабл"))) << person.messages[0].toStdString();
    EXPECT_EQ(out.text, person.messages[0]);
    EXPECT_FALSE(app->RasVip);
}

TEST_F(RunReading, TheCataloguesCurrentRowsStayWhereTheyWere) {
    Net n;
    n.sections = {{1, 2}, {2, 3}, {3, 4}};
    open(n);
    // (The initial-data check walks the node tables and leaves them where it stopped.)
    Table& predefined = *app->dm.atFlyPredoprPok;
    Table& formulas = *app->dm.atFormuli;
    Table& sections = *app->dm.atTabl;
    predefined.last();
    formulas.last();
    sections.first();
    sections.next();
    const int predefinedRow = predefined.currentRow(), formulasRow = formulas.currentRow();
    ASSERT_TRUE(run().success());
    EXPECT_EQ(predefined.currentRow(), predefinedRow);
    EXPECT_EQ(formulas.currentRow(), formulasRow);
    EXPECT_EQ(sections.recNo(), 2);
}

TEST_F(RunReading, TheHeadNodesStoredByTheRunAreWhatTheCursorShowsAfterwards) {
    Net n;
    n.sections = {{1, 2}, {2, 3}};
    open(n);
    ASSERT_TRUE(run(QStringLiteral("3"), QStringLiteral("2")).success());
    Table& name = *app->dm.atNazvRasch;
    name.first();
    EXPECT_EQ(name.value(QStringLiteral("NузПНапПод")).toInt(), 3);
    EXPECT_EQ(name.value(QStringLiteral("NузРНап")).toInt(), 2);
    EXPECT_TRUE(name.value(QStringLiteral("РасчетВыполнен")).toBool());
    EXPECT_EQ(fileValue(QStringLiteral("SELECT NузПНапПод FROM НазвРасч")).toInt(), 3);
    EXPECT_EQ(fileValue(QStringLiteral("SELECT NузРНап FROM НазвРасч")).toInt(), 2);
}

}  // namespace
}  // namespace volm::test
