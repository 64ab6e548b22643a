// The store of an edited section row on post.
#include "store/errors.h"
#include "store/records.h"
#include "store/section_store.h"
#include "store/sql_names.h"
#include "tests/store/store_harness.h"

using namespace volm;
using namespace volm::test;

namespace {

struct SectionStore : StoreHarness {
    void SetUp() override {
        StoreHarness::SetUp();
        startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (1, 0, 1, 10)",
                              "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (2, 1, 2, 20)",
                              "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (3, 2, 3, 30)",
                              "UPDATE НазвРасч SET РасчетВыполнен=True"});
    }
    Table& sections() { return *app->dm.atTabl; }
    QVariant stored(const char* column, int id) {
        return fileValue(calc, QStringLiteral("SELECT %1 FROM Табл WHERE id=%2").arg(QString::fromUtf8(column)).arg(id));
    }
};

TEST_F(SectionStore, DownArrowStoresTheRowAndLandsBelow) {
    sections().setCurrentRow(0);
    sections().setValue("ДлНаУчПод", 125.5);
    sections().setCurrentRow(1);  // the grid's move down
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 1).toDouble(), 125.5);
    EXPECT_FALSE(app->RasVip);
    EXPECT_EQ(sections().state(), Table::State::Browse);
    EXPECT_EQ(sections().recNo(), 2);
    EXPECT_FALSE(sections().controlsDisabled());
    sections().setCurrentRow(0);
    EXPECT_DOUBLE_EQ(sections().value("ДлНаУчПод").toDouble(), 125.5);  // read back from the file
    EXPECT_TRUE(person.messages.isEmpty());
}

TEST_F(SectionStore, UpArrowOnTheFirstRowStaysThere) {
    sections().setValue("Примечание", "д'Артаньян");
    sections().post();
    EXPECT_EQ(sections().recNo(), 1);
    EXPECT_EQ(stored("Примечание", 1).toString(), "д'Артаньян");
    EXPECT_EQ(sections().value("Примечание").toString(), "д'Артаньян");
}

TEST_F(SectionStore, PostFromElsewhereStoresAndBrowsesTheStoredRow) {
    sections().setCurrentRow(1);
    sections().setValue("ДлНаУчПод", QVariant());
    sections().setValue("Заполн_Уч", "Д");
    sections().post();  // a store is a normal return
    EXPECT_TRUE(stored("ДлНаУчПод", 2).isNull());
    EXPECT_TRUE(stored("Заполн_Уч", 2).isNull());  // the repeated-data mark is not written here
    EXPECT_EQ(sections().state(), Table::State::Browse);
    EXPECT_EQ(sections().recNo(), 2);
    EXPECT_TRUE(sections().value("ДлНаУчПод").isNull());
    EXPECT_TRUE(sections().value("Заполн_Уч").isNull());  // as read back from the file
}

TEST_F(SectionStore, MovingOnFromAnEditedRowStoresItAndMoves) {
    // next() and a move by the grid both post the row on the way.
    sections().setCurrentRow(0);
    sections().setValue("ДлНаУчПод", 11.0);
    sections().next();
    EXPECT_EQ(sections().state(), Table::State::Browse);
    EXPECT_EQ(sections().recNo(), 2);
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 1).toDouble(), 11.0);
    sections().setValue("ДлНаУчПод", 22.0);
    sections().setCurrentRow(2);
    EXPECT_EQ(sections().state(), Table::State::Browse);
    EXPECT_EQ(sections().recNo(), 3);
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 2).toDouble(), 22.0);
}

TEST_F(SectionStore, NewRowIsPostedByTheCursorItself) {
    sections().append();
    sections().setValue("РасхПод", 7.0);
    sections().post();
    EXPECT_EQ(sections().state(), Table::State::Browse);
    EXPECT_EQ(stored("НачУзел", 4).toInt(), 3);
    EXPECT_EQ(stored("КонУзел", 4).toInt(), 4);
    EXPECT_DOUBLE_EQ(stored("РасхПод", 4).toDouble(), 7.0);
    EXPECT_FALSE(app->RasVip);
}


// --- Names that are SQL words, and stores that fail part-way ---------------------

struct AwkwardName {
    const char* label;
    const char* column;  // as written in the dialect's ALTER TABLE
    const char* name;
};

class SectionStoreNames : public StoreHarness, public ::testing::WithParamInterface<AwkwardName> {};

TEST_P(SectionStoreNames, EditedAndNewRowsAreStored) {
    startWithCalculation({QStringLiteral("ALTER TABLE Табл ADD COLUMN %1 float").arg(QString::fromUtf8(GetParam().column)),
                          "INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (1, 0, 1)"});
    const QString name = QString::fromUtf8(GetParam().name);
    Table& t = *app->dm.atTabl;
    ASSERT_GE(t.fieldIndex(name), 0);
    t.setValue(name, 4.5);
    t.post();  // the handler's store
    t.setValue(name, 5.5);
    ZapisatUchastok(*app);  // the commands' store
    t.append();
    t.setValue(name, 6.5);
    ZapisatUchastok(*app);
    EXPECT_TRUE(person.messages.isEmpty());
    Database db;
    db.open(calc);
    auto st = db.prepare("SELECT id, " + quoteIdentifier(name) + " FROM Табл ORDER BY id");
    ASSERT_TRUE(st->step());
    EXPECT_DOUBLE_EQ(st->column(1).toDouble(), 5.5);
    ASSERT_TRUE(st->step());
    EXPECT_EQ(st->column(0).toInt(), 2);
    EXPECT_DOUBLE_EQ(st->column(1).toDouble(), 6.5);
}

INSTANTIATE_TEST_SUITE_P(Names, SectionStoreNames,
                         ::testing::Values(AwkwardName{"Order", "[Order]", "Order"},
                                           AwkwardName{"Select", "[Select]", "Select"},
                                           AwkwardName{"Group", "[Group]", "Group"},
                                           AwkwardName{"Table", "[Table]", "Table"},
                                           AwkwardName{"Quote", "[a\"b]", "a\"b"}),
                         [](const ::testing::TestParamInfo<AwkwardName>& i) { return std::string(i.param.label); });

using SectionStoreFailure = StoreHarness;

TEST_F(SectionStoreFailure, ANewRowIsStoredWholeOrNotAtAll) {
    // The last field fails in the last statement, after the key and the first
    // ten fields went out. (A file holding a trigger is refused on opening, so
    // the failing trigger comes once the file is open.)
    startWithCalculation();
    execOn(calc, {"CREATE TRIGGER refuse BEFORE UPDATE OF Заполн_Уч ON Табл "
                  "WHEN NEW.Заполн_Уч = 'X' BEGIN SELECT RAISE(ABORT, 'refused'); END"});
    Table& t = *app->dm.atTabl;
    ASSERT_GT(t.fieldCount(), 12);
    t.append();
    t.setValue("РасхПод", 3.0);
    t.setValue("Заполн_Уч", "X");
    EXPECT_THROW(ZapisatUchastok(*app), DatabaseError);
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM Табл").toInt(), 0);
    EXPECT_FALSE(app->dm.acGR.inTransaction());
    EXPECT_EQ(t.state(), Table::State::Insert);  // still there to mend and store again

    t.setValue("Заполн_Уч", "Д");
    ZapisatUchastok(*app);
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM Табл").toInt(), 1);
    EXPECT_DOUBLE_EQ(fileValue(calc, "SELECT РасхПод FROM Табл").toDouble(), 3.0);
}

TEST_F(SectionStoreFailure, AnEditedRowIsStoredWholeOrNotAtAll) {
    startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод) VALUES (1, 0, 1, 2)"});
    execOn(calc, {"CREATE TRIGGER refuse BEFORE UPDATE OF Примечание ON Табл "
                  "WHEN NEW.Примечание = 'X' BEGIN SELECT RAISE(ABORT, 'refused'); END"});
    Table& t = *app->dm.atTabl;
    t.setValue("РасхПод", 9.0);
    t.setValue("Примечание", "X");
    EXPECT_THROW(t.post(), DatabaseError);
    EXPECT_DOUBLE_EQ(fileValue(calc, "SELECT РасхПод FROM Табл").toDouble(), 2.0);
    EXPECT_EQ(t.state(), Table::State::Edit);
    EXPECT_DOUBLE_EQ(t.value("РасхПод").toDouble(), 9.0);
}

}  // namespace
