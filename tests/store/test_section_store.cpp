// The store of an edited section row on post and the landing row of the arrow
// keys.
#include "store/errors.h"
#include "store/section_store.h"
#include "tests/store/store_harness.h"

using namespace volm;
using namespace volm::test;

namespace {

struct LandingCase {
    int recNo, count, key, landing;
};

class ArrowLanding : public ::testing::TestWithParam<LandingCase> {};

TEST_P(ArrowLanding, MovesOneRowWithinTheTable) {
    const LandingCase& c = GetParam();
    EXPECT_EQ(arrowLandingRow(c.recNo, c.count, c.key), c.landing);
}

INSTANTIATE_TEST_SUITE_P(Cases, ArrowLanding,
                         ::testing::Values(LandingCase{2, 3, kKeyDown, 3}, LandingCase{3, 3, kKeyDown, 3},
                                           LandingCase{2, 3, kKeyUp, 1}, LandingCase{1, 3, kKeyUp, 1},
                                           LandingCase{2, 3, 13, 2}, LandingCase{2, 3, 0, 2},
                                           LandingCase{1, 1, kKeyDown, 1}));

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
    app->sectionGridsFocused = [] { return true; };
    app->PoslKlavisha = kKeyDown;
    sections().setCurrentRow(0);
    sections().setValue("ДлНаУчПод", 125.5);
    EXPECT_THROW(sections().post(), Abort);
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
    app->sectionGridsFocused = [] { return true; };
    app->PoslKlavisha = kKeyUp;
    sections().setValue("Примечание", "д'Артаньян");
    EXPECT_THROW(sections().post(), Abort);
    EXPECT_EQ(sections().recNo(), 1);
    EXPECT_EQ(stored("Примечание", 1).toString(), "д'Артаньян");
    EXPECT_EQ(sections().value("Примечание").toString(), "д'Артаньян");
}

TEST_F(SectionStore, PostFromElsewhereStoresButLeavesTheCursorAsItWas) {
    sections().setCurrentRow(1);
    sections().setValue("ДлНаУчПод", QVariant());
    sections().setValue("Заполн_Уч", "Д");
    EXPECT_THROW(sections().post(), Abort);
    EXPECT_TRUE(stored("ДлНаУчПод", 2).isNull());
    EXPECT_TRUE(stored("Заполн_Уч", 2).isNull());  // the repeated-data mark is not written here
    EXPECT_EQ(sections().state(), Table::State::Edit);
    EXPECT_EQ(sections().recNo(), 2);
    EXPECT_EQ(sections().value("Заполн_Уч").toString(), "Д");
}

TEST_F(SectionStore, NewRowIsPostedByTheCursorItself) {
    app->sectionGridsFocused = [] { return true; };
    sections().append();
    sections().setValue("РасхПод", 7.0);
    sections().post();
    EXPECT_EQ(sections().state(), Table::State::Browse);
    EXPECT_EQ(stored("НачУзел", 4).toInt(), 3);
    EXPECT_EQ(stored("КонУзел", 4).toInt(), 4);
    EXPECT_DOUBLE_EQ(stored("РасхПод", 4).toDouble(), 7.0);
    EXPECT_FALSE(app->RasVip);
}

}  // namespace
