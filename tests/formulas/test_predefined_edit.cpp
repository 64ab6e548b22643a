// The logic of the dialog that edits one predefined indicator.
#include "tests/formulas/catalogue_fixtures.h"

#include "formulas/predefined_edit.h"

#include <gtest/gtest.h>

using namespace volm;
using namespace volm::test;

namespace {

TEST(PredefinedEditRules, WhatMayChangeForWhichIndicator) {
    struct {
        const char* name;
        bool fullName, entered, formula;
    } cases[] = {{"РасхПод", true, false, false},       {"РасхОбр", true, true, false},
                 {"ДлНаУчОбр", false, true, false},     {"ПотНОтИКонПод", false, false, true},
                 {"ПотНОтИКонОбр", false, false, true}, {"МаксТВоды", false, false, false}};
    for (const auto& c : cases) {
        const auto e = PredefinedEdit::enabledFor(QString::fromUtf8(c.name));
        EXPECT_EQ(e.fullName, c.fullName) << c.name;
        EXPECT_EQ(e.userEntered, c.entered) << c.name;
        EXPECT_EQ(e.formula, c.formula) << c.name;
        EXPECT_TRUE(e.inReport) << c.name;
    }
    EXPECT_EQ(PredefinedEdit::hintFor(QStringLiteral("РасхОбр"), false),
              QStringLiteral("РасхОбр будет вычислятся по формуле:\rРасхОбр = <РасхПод>."));
    EXPECT_EQ(PredefinedEdit::hintFor(QStringLiteral("ДлНаУчОбр"), false),
              QStringLiteral("ДлНаУчОбр будет вычислятся по формуле:\rДлНаУчОбр = <ДлНаУчПод>."));
    EXPECT_EQ(PredefinedEdit::hintFor(QStringLiteral("РасхОбр"), true), QString());
    EXPECT_EQ(PredefinedEdit::hintFor(QStringLiteral("ПотНОтИКонПод"), false), QString());
}

struct PredefinedEditDialog : FormulaHarness {
    Table& row(const char* name) {
        Table& t = *app->dm.atFlyPredoprPok;
        for (t.first(); !t.eof(); t.next())
            if (t.value(QStringLiteral("НаимПокСокр")).toString() == QString::fromUtf8(name)) break;
        EXPECT_FALSE(t.eof()) << name;
        return t;
    }
    QStringList stored(const char* name) {
        return rows(QStringLiteral("SELECT НаимПок, ВводПольз, Формула, ВывВОтчТабл FROM ФлыПредопрПок WHERE "
                                   "НаимПокСокр = '%1'").arg(QString::fromUtf8(name)));
    }
};

TEST_F(PredefinedEditDialog, ReturnFlowShowsItsHintAndStoresWhatWasEdited) {
    start(1, {});
    PredefinedEdit d(row("РасхОбр"));
    EXPECT_EQ(d.shortName, QStringLiteral("РасхОбр"));
    EXPECT_TRUE(d.table);
    EXPECT_FALSE(d.userEntered);
    EXPECT_FALSE(d.onePipe);
    EXPECT_TRUE(d.twoPipe);
    EXPECT_EQ(d.hint(), QStringLiteral("РасхОбр будет вычислятся по формуле:\rРасхОбр = <РасхПод>."));
    d.userEntered = true;
    EXPECT_EQ(d.hint(), QString());
    d.fullName = QStringLiteral("Расход в обратке");
    d.formula = QStringLiteral("не пишется");
    d.inReport = false;
    d.ok();
    EXPECT_EQ(stored("РасхОбр"), QStringList({"Расход в обратке|1|∅|0"}));
}

TEST_F(PredefinedEditDialog, MaxTemperatureChangesOnlyItsReportFlag) {
    start(1, {});
    PredefinedEdit d(row("МаксТВоды"));
    const QStringList before = stored("МаксТВоды");
    d.fullName = QStringLiteral("другое");
    d.userEntered = false;
    d.formula = QStringLiteral("1");
    d.inReport = false;
    d.ok();
    QStringList expected = before;
    expected[0].replace(QStringLiteral("|1|∅|1"), QStringLiteral("|1|∅|0"));
    EXPECT_EQ(stored("МаксТВоды"), expected);
}

TEST_F(PredefinedEditDialog, EndLossFormulaIsStoredUnchecked) {
    start(1, {});
    PredefinedEdit d(row("ПотНОтИКонПод"));
    EXPECT_EQ(d.hint(), QString());
    EXPECT_EQ(d.formula, QStringLiteral("<ПотНОтИНачПод>+1"));
    d.formula = QStringLiteral("<ПотНОтИНачПод>+<Нет");
    d.ok();
    EXPECT_EQ(stored("ПотНОтИКонПод"), QStringList({"Наименование ПотНОтИКонПод|0|<ПотНОтИНачПод>+<Нет|1"}));
}

}  // namespace
