// A session that changes the indicators or the network type and rebuilds the
// tables to them is one recorded step: taken back, the file holds again the
// indicators, the columns and the values of dropped columns it had, the
// formulas are checked again and the cursors read the restored columns; made
// again, the file is as the session left it.
#include "tests/formulas/catalogue_fixtures.h"
#include "tests/support/file_contents.h"

#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/change_record.h"

#include <gtest/gtest.h>

using namespace volm;
using namespace volm::test;

namespace {

struct Session {
    const char* name;
    QStringList statements;  // what the dialog writes
    const char* column;      // a column of Табл the session adds or drops, if any
};

const Session kSessions[] = {
    {"indicator added",
     {"INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (4, 'Новый', 'Нов', "
      "True, True, Null, True)"},
     "Нов"},
    {"indicator with values deleted", {"DELETE FROM Формулы WHERE НаимПокСокр = 'Кш'"}, "Кш"},
    {"formula changed", {"UPDATE Формулы SET Формула = 'ДвнутрПоДу(<Ду>)+1' WHERE НаимПокСокр = 'Двн'"}, nullptr},
    {"entered indicator made computed", {"UPDATE Формулы SET ВводПольз = False, Формула = '2*<Ду>' WHERE НаимПокСокр = 'Кш'"},
     nullptr},
    {"predefined formula changed",
     {"UPDATE ФлыПредопрПок SET Формула = '<ПотНОтИНачПод>+2' WHERE НаимПокСокр = 'ПотНОтИКонПод'"},
     nullptr},
    {"network made one-pipe", {"UPDATE НазвРасч SET ТипСети = 0"}, "РасхОбр"},
};

class Sessions : public FormulaHarness {
protected:
    void SetUp() override {
        FormulaHarness::SetUp();
        start(1, {userIndicator(QStringLiteral("Ду"), true, true),
                  userIndicator(QStringLiteral("Двн"), true, false, QStringLiteral("ДвнутрПоДу(<Ду>)")),
                  userIndicator(QStringLiteral("Кш"), true, true)});
        exec({"INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, РасхОбр, Ду, Кш, Примечание) VALUES (7, 1, 2, 100, 99, 200, "
              "0.25, 'первый')",
              "INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, РасхОбр, Ду, Кш) VALUES (3, 2, 3, 40, 41, 150, 0.5)"});
        app->dm.atTabl->requery();
        app->changes.attach(app->dm.acGR);
    }
    QString contents() { return fileContents(app->dm.acGR); }
    bool inCursor(const char* column) { return app->dm.atTabl->fieldIndex(QString::fromUtf8(column)) >= 0; }
};

class FormulasSession : public Sessions, public ::testing::WithParamInterface<Session> {};

TEST_P(FormulasSession, IsOneStepUndoneAndRedoneWithTheTables) {
    const Session& s = GetParam();
    const QString before = contents();
    const bool shownBefore = s.column && inCursor(s.column);
    {
        RecordedStep step(app->changes, QStringLiteral("изменение расчетных формул"));
        exec(s.statements);
        ASSERT_TRUE(ProveritFormuli(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
        NastroitStrukturuTablic(*app);
    }
    const QString after = contents();
    ASSERT_NE(before, after);
    std::vector<ChangeSet> steps = app->changes.takeSteps();
    ASSERT_EQ(steps.size(), 1u);
    if (s.column) EXPECT_TRUE(steps[0].rebuildsTables());
    const bool shownAfter = s.column && inCursor(s.column);

    for (int round = 0; round < 2; ++round) {
        app->FormuliProvereny = false;
        EXPECT_TRUE(applyChangeSet(*app, steps[0], true));
        EXPECT_EQ(contents().toStdString(), before.toStdString());
        EXPECT_TRUE(app->FormuliProvereny);
        if (s.column) EXPECT_EQ(inCursor(s.column), shownBefore);
        EXPECT_EQ(app->dm.atTabl->rowCount(), 2);
        EXPECT_TRUE(applyChangeSet(*app, steps[0], false));
        EXPECT_EQ(contents().toStdString(), after.toStdString());
        if (s.column) EXPECT_EQ(inCursor(s.column), shownAfter);
    }
    EXPECT_TRUE(app->changes.takeSteps().empty());  // neither is a step of its own
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sessions, FormulasSession, ::testing::ValuesIn(kSessions), [](const auto& info) {
    std::string n = info.param.name;
    for (char& c : n)
        if (c == ' ' || c == '-') c = '_';
    return n;
});

// A session that leaves the formulas failing the check (the grids hidden):
// taken back, the formulas are checked again and pass; made again, they fail
// again with the check's message.
TEST_F(Sessions, FormulasThatFailTheCheckAreCheckedAgain) {
    {
        RecordedStep step(app->changes, QStringLiteral("изменение расчетных формул"));
        exec({"UPDATE Формулы SET Формула = 'ДвнутрПоДу(<Нет>)' WHERE НаимПокСокр = 'Двн'"});
        EXPECT_FALSE(ProveritFormuli(*app));
    }
    std::vector<ChangeSet> steps = app->changes.takeSteps();
    ASSERT_EQ(steps.size(), 1u);
    person.clear();
    EXPECT_TRUE(applyChangeSet(*app, steps[0], true));
    EXPECT_TRUE(app->FormuliProvereny);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_TRUE(applyChangeSet(*app, steps[0], false));
    EXPECT_FALSE(app->FormuliProvereny);
    EXPECT_EQ(person.messages.size(), 1);
}

// A session that changes nothing leaves no step, though the check writes the
// priorities anew.
TEST_F(FormulaHarness, ASessionThatChangesNothingIsNoStep) {
    start(1, {userIndicator(QStringLiteral("Ду"), true, true)});
    app->changes.attach(app->dm.acGR);
    {
        RecordedStep step(app->changes, QStringLiteral("изменение расчетных формул"));
        ASSERT_TRUE(ProveritFormuli(*app));
        NastroitStrukturuTablic(*app);
    }
    EXPECT_TRUE(app->changes.takeSteps().empty());
}

}  // namespace
