// ProveritFormuli over a calculation file: the one message, the flag, the
// priority tables written (also by a failing check, up to its failure), the
// scratch dependency table, and the check run by OtkritFaili.
#include "tests/formulas/catalogue_fixtures.h"

#include "formulas/formula_check.h"

#include <gtest/gtest.h>

using namespace volm;
using namespace volm::test;

namespace {

// The standard method's user indicators.
std::vector<Indicator> standardUser() {
    return {userIndicator(QStringLiteral("ЭквШер"), false, true),
            userIndicator(QStringLiteral("Ду"), true, true),
            userIndicator(QStringLiteral("КоэфМП"), true, true),
            userIndicator(QStringLiteral("Двн"), true, false, QStringLiteral("ДвнутрПоДу(<Ду>)")),
            userIndicator(QStringLiteral("ТСрПод"), true, false,
                          QStringLiteral("Округл((<ТВодыНачПод>+<ТВодыКонПод>)/2;0)")),
            userIndicator(QStringLiteral("ПлПод"), true, false, QStringLiteral("ПлВодыПоТ(<ТСрПод>)")),
            userIndicator(QStringLiteral("УдПотПод"), true, false,
                          QStringLiteral("0,00688*Степень(<ЭквШер>/1000;0,25)*Степень(<РасхПод>;2)/(<ПлПод>*"
                                         "Степень(<Двн>/1000;5,25))")),
            userIndicator(QStringLiteral("ПотНаУчПод"), true, false,
                          QStringLiteral("<УдПотПод>*<ДлНаУчПод>*(1+<КоэфМП>)/(9,81*<ПлПод>)")),
            userIndicator(QStringLiteral("СкорПод"), true, false,
                          QStringLiteral("<РасхПод>/3,6/<ПлПод>/(3,14159265*Степень(<Двн>/1000;2)/4)"))};
}

const QStringList kEndFormulas{
    QStringLiteral("UPDATE ФлыПредопрПок SET Формула='<ПотНОтИНачПод>+<ПотНаУчПод>' WHERE НаимПокСокр='ПотНОтИКонПод'"),
    QStringLiteral("UPDATE ФлыПредопрПок SET Формула='<ПотНОтИНачОбр>+<ПотНаУчПод>[same pipe]' "
                   "WHERE НаимПокСокр='ПотНОтИКонОбр'")};

using FormulaCheck = FormulaHarness;

TEST_F(FormulaCheck, TheStandardCatalogueGetsItsEvaluationOrder) {
    start(1, standardUser(), kEndFormulas);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(app->FormuliProvereny);
    EXPECT_EQ(person.busyDepth, 0);
    EXPECT_EQ(rows(QStringLiteral("SELECT Показатель, Nприоритета FROM ПриоритетыЗаг ORDER BY rowid")),
              QStringList({"МаксГеодВысТС|0", "МинГеодВысТС|0", "ПНапНаУзПод|0", "МаксДлПод|0", "МаксТВоды|0",
                           "МинТВоды|0", "РНапНаУз|0", "МаксДлОбр|0", "МаксСумДлПодОбр|0", "ЭквШер|0"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Показатель, Nприоритета FROM ПриоритетыТабл ORDER BY rowid")).mid(16),
              QStringList({"ПотНОтИКонОбр|7", "ПотНОтИКонПод|8", "Ду|0", "КоэфМП|0", "Двн|1", "ТСрПод|2", "ПлПод|3",
                           "УдПотПод|4", "ПотНаУчПод|5", "СкорПод|6"}));
    EXPECT_TRUE(rows(QStringLiteral("SELECT * FROM ЗависимостьПоказателей"), true).isEmpty());
}

TEST_F(FormulaCheck, AFailureShowsOneMessageAndLeavesTheOrderTablesAsTheyWere) {
    start(0, {userIndicator(QStringLiteral("А"), false, false, QStringLiteral("1"))});
    exec({"DELETE FROM ПриоритетыЗаг", "INSERT INTO ПриоритетыЗаг VALUES ('старый', 5)",
          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (2, 'x', 'Т_1', True, True, Null, True)",
          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (3, 'y', 'Б', True, False, '<Нет>', True)"});
    app->dm.acVremDB.exec(QStringLiteral("INSERT INTO ЗависимостьПоказателей VALUES ('a', 'b')"));
    person.clear();

    EXPECT_FALSE(ProveritFormuli(*app));
    EXPECT_FALSE(app->FormuliProvereny);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_EQ(person.messages[0],
              QStringLiteral("Показатели расчета:\rСокр. наименование показателя: \"Т_1\":\r\rСокращенные наименования "
                             "показателей могут состоять только из цифр, строчных или заглавных букв английского или "
                             "русского алфавита."));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM ПриоритетыЗаг")), QStringList({"старый|5"}));
    EXPECT_TRUE(rows(QStringLiteral("SELECT * FROM ЗависимостьПоказателей"), true).isEmpty());
    EXPECT_EQ(person.busyDepth, 0);
}

TEST_F(FormulaCheck, AHeaderOrderFailureWritesTheHeaderRowsOnly) {
    start(0, {});
    exec({"DELETE FROM ПриоритетыТабл", "INSERT INTO ПриоритетыТабл VALUES ('старый', 5)",
          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (1, 'a', 'А', False, False, '<Б>', True)",
          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (2, 'b', 'Б', False, False, '<А>+1', True)",
          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (3, 'c', 'В', False, False, '7', True)"});
    person.clear();
    EXPECT_FALSE(ProveritFormuli(*app));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_EQ(person.messages[0],
              QStringLiteral("Ошибка в формулах показателей. Показатели, которые не могут быть вычислены:\rА, Б."));
    EXPECT_EQ(rows(QStringLiteral("SELECT Показатель, Nприоритета FROM ПриоритетыЗаг ORDER BY rowid")).mid(6),
              QStringList({"А|-1", "Б|-1", "В|1"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM ПриоритетыТабл")), QStringList({"старый|5"}));
}

TEST_F(FormulaCheck, ATableOrderFailureComesAfterTheHeaderRows) {
    start(0, {});
    exec({"INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (1, 'a', 'Н', False, False, '2', True)",
          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (2, 'b', 'Т', True, False, '<Т>*<Н>', True)"});
    person.clear();
    EXPECT_FALSE(ProveritFormuli(*app));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_EQ(person.messages[0],
              QStringLiteral("Ошибка в формулах показателей. Показатели, которые не могут быть вычислены:\rТ."));
    EXPECT_EQ(rows(QStringLiteral("SELECT Показатель, Nприоритета FROM ПриоритетыЗаг ORDER BY rowid")).last(),
              QStringLiteral("Н|1"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Показатель, Nприоритета FROM ПриоритетыТабл ORDER BY rowid")).mid(9),
              QStringList({"ПотНОтИКонПод|1", "Т|-1"}));
}

TEST_F(FormulaCheck, OpeningACalculationWhoseCheckFailsHidesTheGridsAndRebuildsNothing) {
    start(0, {userIndicator(QStringLiteral("Новый"), true, true),
              userIndicator(QStringLiteral("Ид"), true, false, QStringLiteral("<РасхОбр>"))});
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_EQ(person.messages[0],
              QStringLiteral("Показатели расчета:\rСокр. наименование показателя: \"Ид\":\r\rСинтаксическая ошибка в "
                             "формуле: Недопустима ссылка на показатель \"РасхОбр\". Показатель \"РасхОбр\" не "
                             "используется при расчете однотрубных тепловых сетей."));
    EXPECT_FALSE(app->FormuliProvereny);
    EXPECT_FALSE(columns(QStringLiteral("Табл")).contains(QStringLiteral("Новый")));
}

}  // namespace
