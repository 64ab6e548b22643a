// The shipped template and reference book under the formula library: opening a
// new calculation checks its catalogue and leaves its tables untouched (the
// template is laid out as the rebuild lays it out), and the standard method's
// formulas give the figures of the worked example.
#include "tests/formulas/formula_fixtures.h"

#include "formulas/catalogue.h"
#include "formulas/evaluator.h"
#include "formulas/catalogue_check.h"
#include "formulas/reference_data.h"
#include "store/collation.h"
#include "store/startup.h"
#include "store/table.h"
#include "tests/support/fake_person.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

using namespace volm;
using namespace volm::test;

namespace {

int schemaVersion(const QString& path) {
    Database db;
    db.open(path);
    auto st = db.prepare(QStringLiteral("PRAGMA schema_version"));
    return st->step() ? st->column(0).toInt() : -1;
}

struct ShippedTemplate : ::testing::Test {
    FakePerson person;
    ProgramFolder folder;
    std::unique_ptr<App> app;
    QString calc;

    void SetUp() override {
        if (!folder.usesShippedFiles()) GTEST_SKIP() << "the build has not made the program folder's files";
        app = std::make_unique<App>(folder.path(), person);
        useFormulaCheck(*app);
        calc = folder.newCalculation(QStringLiteral("new.mdb"));
        folder.setSetting(QStringLiteral("ФайлГР"), calc);
    }
};

TEST_F(ShippedTemplate, ANewCalculationPassesTheCheckAndIsNotRebuilt) {
    const int before = schemaVersion(calc);
    ASSERT_TRUE(startUp(*app));
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(app->FormuliProvereny);
    app.reset();
    EXPECT_EQ(schemaVersion(calc), before);
}

TEST_F(ShippedTemplate, TheStandardMethodGivesTheWorkedExample) {
    ASSERT_TRUE(startUp(*app));
    const Catalogue catalogue = Catalogue::load(app->dm.acGR);
    const ReferenceData ref = ReferenceData::load(app->dm, QLocale(QLocale::Russian, QLocale::Russia));

    // Section 1-2 of the worked two-pipe example.
    NamedValues v{{QStringLiteral("ЭквШер"), 0.5},          {QStringLiteral("Ду"), 250},
                  {QStringLiteral("КоэфМП"), 0.3},          {QStringLiteral("РасхПод"), 100},
                  {QStringLiteral("РасхОбр"), 100},         {QStringLiteral("ДлНаУчПод"), 500},
                  {QStringLiteral("ДлНаУчОбр"), 500},       {QStringLiteral("ТВодыНачПод"), 95},
                  {QStringLiteral("ТВодыКонПод"), 88.0556}, {QStringLiteral("ТВодыНачОбр"), 70},
                  {QStringLiteral("ТВодыКонОбр"), 76.9444}, {QStringLiteral("ПотНОтИНачПод"), 0},
                  {QStringLiteral("ПотНОтИНачОбр"), 0}};
    for (const char* name : {"Двн", "ТСрПод", "ПлПод", "УдПотПод", "ПотНаУчПод", "СкорПод", "ПотНОтИКонПод",
                             "ПотНОтИКонОбр"}) {
        const Indicator* i = catalogue.find(QString::fromUtf8(name));
        ASSERT_TRUE(i) << name;
        const Outcome o = evalPrepared(i->formula, v, ref, nullptr, i->shortName);
        ASSERT_TRUE(o.ok) << name << ": " << o;
        v[i->shortName] = o.value;
    }
    EXPECT_NEAR(v[QStringLiteral("ПотНаУчПод")], 0.8824, 5e-5);
    EXPECT_NEAR(v[QStringLiteral("ПотНОтИКонПод")], 0.8824, 5e-5);
    EXPECT_NEAR(v[QStringLiteral("ПотНОтИКонОбр")], 0.8607, 5e-5);
}

// The predefined indicators are listed in the users' alphabetical order, by the
// opened cursor and by the catalogue alike: РасхОбр before РНапКон.
TEST_F(ShippedTemplate, PredefinedIndicatorsAreInAlphabeticalOrder) {
    ASSERT_TRUE(startUp(*app));
    Table& cursor = *app->dm.atFlyPredoprPok;
    QStringList listed;
    for (cursor.first(); !cursor.eof(); cursor.next()) listed << cursor.value(QStringLiteral("НаимПокСокр")).toString();
    QStringList expected = listed;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const QString& a, const QString& b) { return compareAlphabetical(a, b) < 0; });
    EXPECT_EQ(listed, expected);
    ASSERT_TRUE(listed.contains(QStringLiteral("РасхОбр")) && listed.contains(QStringLiteral("РНапКон")));
    EXPECT_LT(listed.indexOf(QStringLiteral("РасхОбр")), listed.indexOf(QStringLiteral("РНапКон")));

    QStringList catalogued;
    for (const Indicator& i : Catalogue::load(app->dm.acGR).predefined) catalogued << i.shortName;
    EXPECT_EQ(catalogued, listed);
}

// The balancing indicators of the template, worked by hand: the excess head
// over the required one and the orifice d = 10*(G^2/dH)^0.25 mm, only at an
// end section with an excess. Both are computed after the heads.
TEST_F(ShippedTemplate, TheBalancingIndicatorsGiveTheOrificesByHand) {
    ASSERT_TRUE(startUp(*app));
    const Catalogue catalogue = Catalogue::load(app->dm.acGR);
    const ReferenceData ref = ReferenceData::load(app->dm, QLocale(QLocale::Russian, QLocale::Russia));
    const Indicator* excess = catalogue.findUser(QStringLiteral("ИзбНап"));
    const Indicator* orifice = catalogue.findUser(QStringLiteral("ДШайбы"));
    const Indicator* required = catalogue.findUser(QStringLiteral("ТребРНап"));
    ASSERT_TRUE(excess && orifice && required);
    EXPECT_TRUE(excess->afterHeads && orifice->afterHeads);
    EXPECT_TRUE(required->userEntered && !required->afterHeads);
    EXPECT_TRUE(catalogue.findPredefined(QStringLiteral("КонУч")));

    struct Case {
        double endMark, available, requiredHead, flow;
        double excess, diameter;
    };
    const Case cases[] = {
        {1, 31, 15, 20, 16, 22.360679774997898},  // 10*(400/16)^0.25
        {1, 18, 8, 12.5, 10, 10 * std::pow(156.25 / 10, 0.25)},
        {1, 40, 39, 1, 1, 10},
        {1, 15, 15, 20, 0, 0},   // no excess: no orifice
        {1, 12, 15, 20, -3, 0},  // short of head: no orifice
        {0, 31, 15, 20, 16, 0},  // not a consumer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.available << " - " << c.requiredHead << " at " << c.flow << " t/h");
        NamedValues v{{QStringLiteral("РНапКон"), c.available},
                      {QStringLiteral("ТребРНап"), c.requiredHead},
                      {QStringLiteral("РасхПод"), c.flow},
                      {QStringLiteral("КонУч"), c.endMark}};
        const Outcome e = evalPrepared(excess->formula, v, ref, nullptr, excess->shortName);
        ASSERT_TRUE(e.ok) << e;
        EXPECT_DOUBLE_EQ(e.value, c.excess);
        v[QStringLiteral("ИзбНап")] = e.value;
        const Outcome d = evalPrepared(orifice->formula, v, ref, nullptr, orifice->shortName);
        ASSERT_TRUE(d.ok) << d;
        EXPECT_NEAR(d.value, c.diameter, 1e-12);
    }
}

}  // namespace
