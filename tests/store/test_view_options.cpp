// The person's choice of the computed columns of the section grid: arranged over
// what the table offers, kept in the calculation file, and each calculation
// keeping its own.
#include "store/database.h"
#include "store/view_options.h"
#include "tests/store/store_harness.h"

#include <QTemporaryDir>

using namespace volm;
using namespace volm::test;

namespace {

struct ArrangeCase {
    const char* name;
    QStringList available;
    ComputedColumnChoice choice;
    QStringList shown;
};

class Arrange : public ::testing::TestWithParam<ArrangeCase> {};

TEST_P(Arrange, FollowsTheChoiceAndKeepsNewIndicators) {
    const ArrangeCase& c = GetParam();
    EXPECT_EQ(shownComputedColumns(c.available, c.choice), c.shown);
    // Every available column is offered once, whatever the choice.
    const ComputedColumnChoice all = arrangeComputedColumns(c.available, c.choice);
    QStringList names;
    for (const ComputedColumn& col : all) names << col.indicator;
    QStringList sortedNames = names, sortedAvailable = c.available;
    sortedNames.sort();
    sortedAvailable.sort();
    EXPECT_EQ(sortedNames, sortedAvailable);
}

const QStringList kTable{"Двн", "ПотНОтИНачПод", "ПНапНачПод", "ПНапКонПод", "РНапКон"};

INSTANTIATE_TEST_SUITE_P(
    Cases, Arrange,
    ::testing::Values(
        ArrangeCase{"NoChoiceKeepsTheTableOrder", kTable, {}, kTable},
        ArrangeCase{"HeadsFirst",
                    kTable,
                    {{"ПНапКонПод", true}, {"РНапКон", true}},
                    {"ПНапКонПод", "РНапКон", "Двн", "ПотНОтИНачПод", "ПНапНачПод"}},
        ArrangeCase{"HiddenLeftOut", kTable, {{"Двн", false}, {"ПотНОтИНачПод", false}}, {"ПНапНачПод", "ПНапКонПод", "РНапКон"}},
        ArrangeCase{"LetterCaseAndGoneNamesIgnored",
                    kTable,
                    {{"рнапкон", true}, {"Удалённый", true}, {"РНАПКОН", false}, {"двн", false}},
                    {"РНапКон", "ПотНОтИНачПод", "ПНапНачПод", "ПНапКонПод"}},
        ArrangeCase{"NothingAvailable", {}, {{"РНапКон", true}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ViewOptions : StoreHarness {};

// Stored in the calculation file: an older file has no choice and is not
// changed by reading; another calculation keeps its own.
TEST_F(ViewOptions, ComputedColumnChoiceIsKeptPerCalculation) {
    startWithCalculation();
    Database& db = app->dm.acGR;
    EXPECT_TRUE(computedColumnChoice(db).empty());
    EXPECT_FALSE(db.hasTable(QStringLiteral("РасчСтолбцы")));
    const ComputedColumnChoice choice{{"РНапКон", true}, {"Двн", false}, {"ПНапКонПод", true}};
    setComputedColumnChoice(db, choice);
    const ComputedColumnChoice back = computedColumnChoice(db);
    ASSERT_EQ(back.size(), choice.size());
    for (size_t i = 0; i < choice.size(); ++i) {
        EXPECT_EQ(back[i].indicator, choice[i].indicator) << i;
        EXPECT_EQ(back[i].shown, choice[i].shown) << i;
    }
    // A shorter choice replaces the whole of the former one.
    setComputedColumnChoice(db, {{"Двн", true}});
    ASSERT_EQ(computedColumnChoice(db).size(), 1u);
    EXPECT_EQ(fileValue(calc, QStringLiteral("SELECT Показатель FROM РасчСтолбцы")).toString(), QStringLiteral("Двн"));

    const QString other = folder.newCalculation(QStringLiteral("other.mdb"));
    Database second;
    second.open(other);
    EXPECT_TRUE(computedColumnChoice(second).empty());
}

}  // namespace
