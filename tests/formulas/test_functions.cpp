// The built-in functions: domain checks, results, messages, and the
// first-exact-match lookups in the reference book.
#include "tests/formulas/formula_fixtures.h"

#include "formulas/number_format.h"

#include <gtest/gtest.h>
#include <cmath>
#include <random>

using namespace volm;
using namespace volm::test;

namespace {

struct Case {
    const char* formula;
    double value;        // expected when detail is empty
    const char* detail;  // expected detail text
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.formula; }

class FunctionCase : public ::testing::TestWithParam<Case> {};

TEST_P(FunctionCase, GivesItsResultOrItsMessage) {
    const Case& c = GetParam();
    const ReferenceData ref = sampleReference();
    const QString f = QString::fromUtf8(c.formula);
    const Outcome o = evalPrepared(f, {}, ref);
    EXPECT_EQ(evalLiteral(f, {}, ref), o);
    if (QString::fromUtf8(c.detail).isEmpty()) {
        ASSERT_TRUE(o.ok) << o;
        EXPECT_DOUBLE_EQ(c.value, o.value);
    } else {
        EXPECT_EQ(o.error, headerContext() + QString::fromUtf8(c.detail));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Math, FunctionCase,
    ::testing::Values(
        Case{"Степень(2;10)", 1024, ""},
        Case{"Степень(-2;3)", -8, ""},
        Case{"Степень(-2;0)", 1, ""},
        Case{"Степень(0;2)", 0, ""},
        Case{"Степень(4;0,5)", 2, ""},
        Case{"Степень(-8;0,5)", 0, "Недопустимые аргументы функции \"Степень\". (-8; 0,5)."},
        Case{"Степень(0;0)", 0, "Недопустимые аргументы функции \"Степень\". (0; 0)."},
        Case{"Степень(0;-1)", 0, "Недопустимые аргументы функции \"Степень\". (0; -1)."},
        Case{"Log(8;2)", 3, ""},
        Case{"Log(8;1)", 0, "Недопустимые аргументы функции \"Log\" (8; 1)."},
        Case{"Log(0;2)", 0, "Недопустимые аргументы функции \"Log\" (0; 2)."},
        Case{"Log(8;-2)", 0, "Недопустимые аргументы функции \"Log\" (8; -2)."},
        Case{"Lg(0,001)", -3, ""},
        Case{"Lg(0)", 0, "Недопустимый аргумент функции \"Lg\" (0)."},
        Case{"Ln(1)", 0, ""},
        Case{"Ln(-1)", 0, "Недопустимый аргумент функции \"Ln\" (-1)."},
        Case{"Exp(0)", 1, ""},
        Case{"Exp(-1000)", 0, ""},
        Case{"Округл(2,675;2)", 2.68, ""},
        Case{"Округл(-2,5;0)", -3, ""},
        Case{"Округл(2,49999999995;0)", 3, ""},
        Case{"Округл(2,4999999998;0)", 2, ""},
        Case{"Округл(1234;-2)", 1200, ""},
        Case{"Округл(1;11)", 0,
             "Недопустимые аргументы функции \"Округл\" (1; 11).\rВторой аргумент функции должен быть целым "
             "числом из диапазона [-10...10]."},
        Case{"Округл(1;0,5)", 0,
             "Недопустимые аргументы функции \"Округл\" (1; 0,5).\rВторой аргумент функции должен быть целым "
             "числом из диапазона [-10...10]."},
        Case{"Мин(3;-2)", -2, ""},
        Case{"Макс(3;-2)", 3, ""},
        Case{"макс(-1;-1,5)*2", -2, ""},
        Case{"Абс(-2,5)", 2.5, ""},
        Case{"Абс(2-5)+1", 4, ""},
        Case{"Если(1;2;3)", 2, ""},
        Case{"Если(0;2;3)", 3, ""},
        Case{"Если(-0,5;2;3)", 3, ""},
        Case{"Если(Мин(2;5)-1;Макс(1;4)*2;-7)", 8, ""},
        Case{"Если(1;-2;3)", -2, ""},
        Case{"10*Степень(Степень(20;2)/16;0,25)", 22.360679774997898, ""},
        // Every argument is computed, the one not taken too.
        Case{"Если(0;1/0;3)", 0, "Деление на ноль!"},
        Case{"Если(1;2)", 0, "Синтаксическая ошибка в формуле."},
        Case{"Мин(1;2;3)", 0, "Синтаксическая ошибка в формуле."}));

INSTANTIATE_TEST_SUITE_P(
    Lookups, FunctionCase,
    ::testing::Values(
        // First exact match in table order.
        Case{"ДвнутрПоДу(100)", 107, ""},
        Case{"ДуПоДвнутр(160)", 150, ""},
        Case{"ПлВодыПоТ(70)", 977.76, ""},
        Case{"ПопрККУППоДуЭквШер(100;0,5)", 1.0, ""},
        Case{"ПопрККУППоДуЭквШер(100;1)", 1.19, ""},
        Case{"ПопрККУППоДуЭквШер(100;0,50000001)", 0,
             "Ошибка при вычислении функции \"ПопрККУППоДуЭквШер\":\rНе найдено значение коэффициента для\r"
             "Условный диаметр трубопровода = 100 мм.\rЭквивалентная шероховатость = 0,50000001 мм."},
        // Only the first argument is range-checked.
        Case{"ПопрККУППоДуЭквШер(0;0,5)", 0,
             "Недопустимый аргумент функции \"ПопрККУППоДуЭквШер\":\rУсловный диаметр трубопровода = 0 не "
             "является целым числом из диапазона (0..32767)."},
        Case{"ДуПоДвнутр(32767)", 0,
             "Недопустимый аргумент функции \"ДуПоДвнутр\":\rВнутренний диаметр трубопровода = 32767 не "
             "является целым числом из диапазона (0..32767)."},
        Case{"ДуПоДвнутр(161)", 0,
             "Ошибка при вычислении функции \"ДуПоДвнутр\":\rНе найдено значение условного диаметра "
             "трубопровода для\rВнутренний диаметр трубопровода = 161 мм."},
        Case{"ДвнутрПоДу(100,5)", 0,
             "Недопустимый аргумент функции \"ДвнутрПоДу\":\rУсловный диаметр трубопровода = 100,5 не "
             "является целым числом из диапазона (0..32767)."},
        Case{"ДвнутрПоДу(125)", 0,
             "Ошибка при вычислении функции \"ДвнутрПоДу\":\rНе найдено значение внутреннего диаметра "
             "трубопровода для\rУсловный диаметр трубопровода = 125 мм."},
        // A first matching row whose value is Null gives no value.
        Case{"ДвнутрПоДу(300)", 0,
             "Ошибка при вычислении функции \"ДвнутрПоДу\":\rНе найдено значение внутреннего диаметра "
             "трубопровода для\rУсловный диаметр трубопровода = 300 мм."},
        Case{"ПлВодыПоТ(0)", 0,
             "Недопустимый аргумент функции \"ПлВодыПоТ\":\rТемпература воды = 0 не является целым числом "
             "из диапазона (0..32767)."},
        Case{"ПлВодыПоТ(70,5)", 0,
             "Недопустимый аргумент функции \"ПлВодыПоТ\":\rТемпература воды = 70,5 не является целым "
             "числом из диапазона (0..32767)."},
        Case{"ПлВодыПоТ(75)", 0,
             "Ошибка при вычислении функции \"ПлВодыПоТ\":\rНе найдено значение плотности воды для\r"
             "Температура воды = 75 град. С."}));

TEST(FunctionMessages, NumbersFollowThePersonsLocale) {
    const ReferenceData ref = sampleReference(QLocale(QLocale::English, QLocale::UnitedStates));
    const Outcome o = evalPrepared(QStringLiteral("ПлВодыПоТ(70,5)"), {}, ref);
    EXPECT_EQ(o.error, headerContext() + QStringLiteral("Недопустимый аргумент функции \"ПлВодыПоТ\":\r"
                                                         "Температура воды = 70.5 не является целым числом "
                                                         "из диапазона (0..32767)."));
}

TEST(FunctionMessages, GeneralNumberFormat) {
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    struct {
        double v;
        const char* text;
    } cases[] = {{0, "0"},          {1, "1"},           {-8, "-8"},           {0.5, "0,5"},
                 {1234567, "1234567"}, {1.0 / 3, "0,333333333333333"}, {1e15, "1E15"},
                 {123456789012345, "123456789012345"}, {0.00001, "0,00001"}, {1.5e-7, "1,5E-7"},
                 {-2.5e20, "-2,5E20"}};
    for (const auto& c : cases) EXPECT_EQ(formatGeneral(c.v, ru), QString::fromUtf8(c.text)) << c.text;
}

TEST(ReferenceLookups, IndexedLookupsEqualTableScans) {
    // Random small tables full of duplicates: the indexes must give the first row.
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        ReferenceData scan;
        auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        auto maybeNull = [&](double v) { return pick(10) == 0 ? std::nan("") : v; };
        for (int i = 0; i < 40; ++i) {
            scan.diameters.push_back({maybeNull(pick(8) * 25.0), maybeNull(pick(8) * 25.0 + (pick(4) == 0 ? 0.5 : 0))});
            scan.densities.push_back({maybeNull(pick(12)), maybeNull(900.0 + pick(100))});
            scan.corrections.push_back({maybeNull(pick(5) * 50.0), maybeNull(pick(4) * 0.25 - (pick(6) == 0 ? 0.0 : 0)),
                                        maybeNull(pick(100) / 10.0)});
        }
        scan.corrections.push_back({50, -0.0, 42});
        ReferenceData indexed = scan;
        indexed.index();
        for (int k = -1; k < 210; ++k) {
            EXPECT_EQ(scan.innerByNominal(k), indexed.innerByNominal(k));
            EXPECT_EQ(scan.nominalByInner(k), indexed.nominalByInner(k));
            EXPECT_EQ(scan.densityByTemperature(k), indexed.densityByTemperature(k));
            for (double y : {0.0, -0.0, 0.25, 0.5, 0.75, 0.3, std::nan("")})
                EXPECT_EQ(scan.correction(k, y), indexed.correction(k, y));
        }
    }
}

}  // namespace
