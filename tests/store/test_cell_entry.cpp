// A block of typed cells written at once (a paste, clearing cells): the cells
// converted as typed ones, existing rows stored as the store on post stores
// them, new rows with their key and default nodes, the whole block or nothing;
// and the remembered view choice in an older settings file.
#include "store/cell_entry.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/view_options.h"
#include "tests/store/store_harness.h"

using namespace volm;
using namespace volm::test;

namespace {

struct CellEntry : StoreHarness {
    void SetUp() override {
        StoreHarness::SetUp();
        startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (1, 0, 1, 10)",
                              "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (2, 1, 2, 20)",
                              "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (5, 2, 7, 30)",
                              "UPDATE Табл SET Заполн_Уч='Д' WHERE id=2",
                              "UPDATE НазвРасч SET РасчетВыполнен=True"});
    }
    Table& sections() { return *app->dm.atTabl; }
    int field(const char* name) { return sections().fieldIndex(QString::fromUtf8(name)); }
    QVariant stored(const char* column, int id) {
        return fileValue(calc, QStringLiteral("SELECT %1 FROM Табл WHERE id=%2").arg(QString::fromUtf8(column)).arg(id));
    }
    int count() { return fileValue(calc, QStringLiteral("SELECT count(*) FROM Табл")).toInt(); }
    EnteredRow row(int r, std::initializer_list<std::pair<const char*, QVariant>> cells) {
        EnteredRow e;
        e.row = r;
        for (const auto& [name, v] : cells) e.cells.emplace_back(field(name), v);
        return e;
    }
};

TEST_F(CellEntry, ExistingAndNewRowsStoredAsTypedOnes) {
    const EntryOutcome out = enterCells(*app, sections(),
                                        {row(1, {{"ДлНаУчПод", "1 234,5"}, {"Примечание", "д'Артаньян"}}),
                                         row(2, {{"ДлНаУчПод", ""}}),
                                         row(-1, {{"ДлНаУчПод", "7.25"}}),
                                         row(-1, {{"НачУзел", "20"}, {"КонУзел", "21"}})});
    ASSERT_TRUE(out.done) << out.fault.message.toStdString();
    EXPECT_EQ(out.rowsAdded, 2);
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 2).toDouble(), 1234.5);
    EXPECT_EQ(stored("Примечание", 2).toString(), "д'Артаньян");
    EXPECT_EQ(stored("Заполн_Уч", 2).toString(), "Д");  // the repeated-data mark is not written
    EXPECT_TRUE(stored("ДлНаУчПод", 5).isNull());       // an empty cell clears
    // A new row: the next key, from the end node of the last row shown.
    EXPECT_EQ(stored("НачУзел", 6).toInt(), 7);
    EXPECT_EQ(stored("КонУзел", 6).toInt(), 8);
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 6).toDouble(), 7.25);
    EXPECT_EQ(stored("НачУзел", 7).toInt(), 20);
    EXPECT_EQ(stored("КонУзел", 7).toInt(), 21);
    EXPECT_EQ(count(), 5);
    EXPECT_FALSE(app->RasVip);
    EXPECT_EQ(fileValue(calc, "SELECT РасчетВыполнен FROM НазвРасч").toInt(), 0);
    // The cursor re-read, on the first row written.
    EXPECT_EQ(sections().rowCount(), 5);
    EXPECT_EQ(sections().currentRow(), 1);
    EXPECT_EQ(sections().state(), Table::State::Browse);
    EXPECT_FALSE(sections().controlsDisabled());
}

// Only the cells of the block are written: what another writer stored in the
// same rows stays, and the cursor shows it.
TEST_F(CellEntry, CellsOutsideTheBlockKeepAnotherWritersValues) {
    Database other;
    other.open(calc);
    other.exec("UPDATE Табл SET РасхПод = 0.2, ДлНаУчПод = 11 WHERE id = 1");
    const EntryOutcome out = enterCells(*app, sections(), {row(0, {{"ГеодВысНач", "0,3"}})});
    ASSERT_TRUE(out.done) << out.fault.message.toStdString();
    EXPECT_DOUBLE_EQ(stored("ГеодВысНач", 1).toDouble(), 0.3);
    EXPECT_DOUBLE_EQ(stored("РасхПод", 1).toDouble(), 0.2);
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 1).toDouble(), 11.0);
    EXPECT_DOUBLE_EQ(sections().valueAt(0, field("РасхПод")).toDouble(), 0.2);
}

TEST_F(CellEntry, NewRowsFollowTheNodeOrderWhenSortedByNodes) {
    sections().setSort("НачУзел ASC, КонУзел ASC");
    // Rows 0 -> 1, 1 -> 2, 2 -> 7; a new row 9 -> 10 pasted first comes last in that order.
    const EntryOutcome out = enterCells(*app, sections(),
                                        {row(-1, {{"НачУзел", "9"}, {"КонУзел", "10"}}), row(-1, {{"ДлНаУчПод", "1"}})});
    ASSERT_TRUE(out.done);
    EXPECT_EQ(stored("НачУзел", 7).toInt(), 10);
    EXPECT_EQ(stored("КонУзел", 7).toInt(), 11);
}

struct RefusedCase {
    const char* field;
    const char* typed;
};

class CellEntryRefused : public CellEntry, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(CellEntryRefused, NothingOfTheBlockStays) {
    const RefusedCase c = GetParam();
    const EntryOutcome out = enterCells(*app, sections(),
                                        {row(0, {{"ДлНаУчПод", "99"}}), row(-1, {{"ДлНаУчПод", "5"}}),
                                         row(-1, {{"ДлНаУчПод", "6"}, {c.field, c.typed}})});
    EXPECT_FALSE(out.done);
    EXPECT_EQ(out.fault.entry, 2);
    EXPECT_EQ(out.fault.field, field(c.field));
    EXPECT_EQ(out.fault.typed.toString(), QString::fromUtf8(c.typed));
    EXPECT_FALSE(out.fault.message.isEmpty());
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 1).toDouble(), 10.0);
    EXPECT_EQ(count(), 3);
    EXPECT_TRUE(app->RasVip);
    EXPECT_EQ(sections().rowCount(), 3);
    EXPECT_DOUBLE_EQ(sections().valueAt(0, field("ДлНаУчПод")).toDouble(), 10.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CellEntryRefused,
                         ::testing::Values(RefusedCase{"ДлНаУчПод", "12a"}, RefusedCase{"НачУзел", "1,5"},
                                           RefusedCase{"КонУзел", "40000"}, RefusedCase{"ДлНаУчПод", "1,234.5"}));

TEST_F(CellEntry, AFailedWriteLeavesTheFileAsItWas) {
    // A trigger refuses the third row: the two before it go too.
    execOn(calc, {"CREATE TRIGGER refuse BEFORE INSERT ON Табл WHEN NEW.ДлНаУчПод = 3 BEGIN SELECT RAISE(ABORT, 'нет'); END"});
    EXPECT_THROW(enterCells(*app, sections(),
                            {row(0, {{"ДлНаУчПод", "99"}}), row(-1, {{"ДлНаУчПод", "2"}}), row(-1, {{"ДлНаУчПод", "3"}})}),
                 Error);
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 1).toDouble(), 10.0);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(sections().rowCount(), 3);
    EXPECT_FALSE(app->dm.acGR.inTransaction());
}

TEST_F(CellEntry, TheHeaderGoesThroughItsCursor) {
    Table& header = *app->dm.atZag;
    const int f = header.fieldIndex("МинТВоды");
    ASSERT_GE(f, 0);
    EnteredRow e;
    e.row = 0;
    e.cells.emplace_back(f, "45,5");
    ASSERT_TRUE(enterCells(*app, header, {e}).done);
    EXPECT_DOUBLE_EQ(fileValue(calc, "SELECT МинТВоды FROM Заг").toDouble(), 45.5);
    EXPECT_FALSE(app->RasVip);
}

TEST_F(CellEntry, ViewChoiceRememberedInAnOlderSettingsFile) {
    // The settings file of the fixtures has no column for it: it reads as "no".
    EXPECT_FALSE(showComputedIndicators(*app));
    setShowComputedIndicators(*app, true);
    EXPECT_TRUE(showComputedIndicators(*app));
    setShowComputedIndicators(*app, false);
    EXPECT_FALSE(showComputedIndicators(*app));
    // The settings cursor still reads and writes its own fields.
    app->dm.atNastr->edit();
    app->dm.atNastr->setValue("ТочностьЧиселВОтч", 3);
    app->dm.atNastr->post();
    setShowComputedIndicators(*app, true);
    EXPECT_TRUE(showComputedIndicators(*app));
}

}  // namespace
