// The formula language, case by case; every case runs through the prepared
// evaluator and the literal reduction and must give the same expected outcome.
#include "tests/formulas/formula_fixtures.h"

#include "formulas/formula_text.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace volm;
using namespace volm::test;

namespace {

const double NUL = std::nan("");
const QString SYNTAX = QStringLiteral("Синтаксическая ошибка в формуле.");

struct Case {
    const char* formula;
    NamedValues values;
    double value;        // expected value when detail is empty
    const char* detail;  // expected detail text after the header context
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.formula; }

class LanguageCase : public ::testing::TestWithParam<Case> {};

TEST_P(LanguageCase, BothWaysGiveTheExpectedOutcome) {
    const Case& c = GetParam();
    const ReferenceData ref = sampleReference();
    const QString formula = QString::fromUtf8(c.formula);
    Outcome expected;
    if (QString::fromUtf8(c.detail).isEmpty()) {
        expected.ok = true;
        expected.value = c.value;
    } else {
        expected.error = headerContext() + QString::fromUtf8(c.detail);
    }
    const Outcome prepared = evalPrepared(formula, c.values, ref);
    const Outcome literal = evalLiteral(formula, c.values, ref);
    EXPECT_EQ(literal, prepared);
    if (expected.ok) {
        ASSERT_TRUE(prepared.ok) << prepared;
        EXPECT_DOUBLE_EQ(expected.value, prepared.value);
    } else {
        EXPECT_EQ(expected, prepared);
    }
}

const NamedValues ABC{{QStringLiteral("A"), 10}, {QStringLiteral("B"), 3}, {QStringLiteral("C"), 2}};

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, LanguageCase,
    ::testing::Values(
        Case{"2,5*<A>", {{QStringLiteral("A"), 2}}, 5, ""},
        Case{"1.2.3", {}, 0, "Значение \"1.2.3\" не является числом."},
        Case{"1,2,3", {}, 0, "Значение \"1.2.3\" не является числом."},
        Case{"<A>-<B>-<C>", ABC, 5, ""},
        Case{"<A>/<B>*<C>", ABC, 10.0 / 3.0 * 2.0, ""},
        Case{"<A>-<B>*<C>", ABC, 4, ""},
        Case{"<A>+<B>*<C>+<A>", ABC, 26, ""},
        Case{"-<A>*<B>", ABC, -30, ""},
        Case{"-<A>+<B>", ABC, -7, ""},
        Case{"<A>*(-<B>)", ABC, -30, ""},
        Case{"-(<A>+<B>)*<C>", ABC, -26, ""},
        Case{"<A>;-<B>", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"<A>*-<B>", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"<A>--<B>", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"(<A>)", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"<A>*(<B>)", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"<A>*(<B>+0)", ABC, 30, ""},
        Case{"((<A>+<B>))*<C>", ABC, 26, ""},
        Case{"2<A>", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"1e3", {}, 0, "Синтаксическая ошибка в формуле."},
        Case{"5", {}, 5, ""},
        Case{"5.", {}, 5, ""},
        Case{".5", {}, 0.5, ""},
        Case{".", {}, 0, "Значение \".\" не является числом."},
        Case{" 1 2 ", {}, 12, ""},
        Case{"[note]5", {}, 5, ""},
        Case{"5[note", {}, 5, ""},
        Case{"[note]", {}, 0, "Формула показателя должна быть заполнена."},
        Case{"", {}, 0, "Формула показателя должна быть заполнена."},
        Case{"   ", {}, 0, "Синтаксическая ошибка в формуле."},
        Case{"5]", {}, 0, "Синтаксическая ошибка в формуле."},
        Case{"<A>+<B", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"<A>/(<B>-<B>)", ABC, 0, "Деление на ноль!"},
        Case{"<A>/-0", ABC, 0, "Синтаксическая ошибка в формуле."},
        Case{"<A>/(-0)", ABC, 0, "Деление на ноль!"},
        Case{"<A >+< B>", ABC, 13, ""},
        Case{"{1}", {}, 0, "Синтаксическая ошибка в формуле."},
        Case{"{1}+<A>", ABC, 0, "Синтаксическая ошибка в формуле."}));

INSTANTIATE_TEST_SUITE_P(
    Functions, LanguageCase,
    ::testing::Values(
        Case{"lg(100)", {}, 2, ""},
        Case{"LG(100)", {}, 2, ""},
        Case{"Lg(100)", {}, 2, ""},
        Case{"Lg(100;2)", {}, 0, "Синтаксическая ошибка в формуле."},
        Case{"Степень(2)", {}, 0, "Синтаксическая ошибка в формуле."},
        Case{"СТЕПЕНЬ(2;3)", {}, 8, ""},
        Case{"степень(2;3)", {}, 8, ""},
        Case{"Степень(Lg(<A>);2)", {{QStringLiteral("A"), 1000}}, 9, ""},
        Case{"Степень((<A>+<B>);<C>)", ABC, 169, ""},
        Case{"Exp(<A>-<A>)", ABC, 1, ""},
        Case{"Ln(Exp(<C>))", ABC, 2, ""},
        Case{"Log(<A>*<A>;<A>)", ABC, 2, ""},
        // The letter before "(" keeps the call's parentheses, Cyrillic letters too.
        Case{"ПлВодыПоТ(<A>+<B>)", {{QStringLiteral("A"), 60}, {QStringLiteral("B"), 10}}, 977.76, ""},
        Case{"плводыпот(<A>+<B>)", {{QStringLiteral("A"), 60}, {QStringLiteral("B"), 10}}, 977.76, ""},
        Case{"ОКРУГЛ(<A>/<B>;2)", ABC, 3.33, ""},
        Case{"дупоДВНУТР(160)", {}, 150, ""},
        // A function name inside a longer word is still found first.
        Case{"xLog(0;2)", {}, 0, "Недопустимые аргументы функции \"Log\" (0; 2)."},
        Case{"Lg(0)", {}, 0, "Недопустимый аргумент функции \"Lg\" (0)."}));

INSTANTIATE_TEST_SUITE_P(
    ErrorOrder, LanguageCase,
    ::testing::Values(
        // References and numbers are read from the left: the first fault met wins.
        Case{"<N>+1.2.3", {{QStringLiteral("N"), NUL}}, 0, "Значение показателя \"N\" не заполнено."},
        Case{"1.2.3+<N>", {{QStringLiteral("N"), NUL}}, 0, "Значение \"1.2.3\" не является числом."},
        Case{"<A>+<N>+<M>", {{QStringLiteral("A"), 1}, {QStringLiteral("N"), NUL}, {QStringLiteral("M"), NUL}},
             0, "Значение показателя \"N\" не заполнено."},
        // Reading comes before any reduction.
        Case{"1/0+<N>", {{QStringLiteral("N"), NUL}}, 0, "Значение показателя \"N\" не заполнено."},
        // A division met before the final syntax error.
        Case{"<A>/0+)", ABC, 0, "Деление на ноль!"},
        Case{"(1/0", {}, 0, "Деление на ноль!"},
        // The leftmost ready operation goes first, not the innermost one.
        Case{"Lg(0)+1/0", {}, 0, "Недопустимый аргумент функции \"Lg\" (0)."},
        Case{"1/0+Lg(0)", {}, 0, "Деление на ноль!"},
        Case{"1+2*Lg(0)/0", {}, 0, "Недопустимый аргумент функции \"Lg\" (0)."},
        Case{"<Q>+1", {}, 0,
             "Показатель \"Q\" не найден ни в заголовочной, ни в табличной части расчета."}));

INSTANTIATE_TEST_SUITE_P(
    NonFinite, LanguageCase,
    ::testing::Values(
        Case{"<A>*<A>", {{QStringLiteral("A"), 1e200}}, 0,
             "Результат операции \"*\" (1E200; 1E200) не является конечным числом."},
        Case{"<A>/<B>", {{QStringLiteral("A"), 1e300}, {QStringLiteral("B"), 1e-10}}, 0,
             "Результат операции \"/\" (1E300; 1E-10) не является конечным числом."},
        Case{"<A>+<A>", {{QStringLiteral("A"), 1.7e308}}, 0,
             "Результат операции \"+\" (1,7E308; 1,7E308) не является конечным числом."},
        Case{"Exp(1000)", {}, 0, "Результат функции \"Exp\" (1000) не является конечным числом."},
        Case{"Степень(10;400)", {}, 0, "Результат функции \"Степень\" (10; 400) не является конечным числом."},
        Case{"Степень(-10;401)", {}, 0,
             "Результат функции \"Степень\" (-10; 401) не является конечным числом."},
        Case{"Округл(<A>;2)", {{QStringLiteral("A"), 1e300}}, 0,
             "Недопустимые аргументы функции \"Округл\" (1E300; 2).\rОкругляемое значение слишком велико."},
        // The overflow is met before the later division by zero.
        Case{"<A>*<A>+1/0", {{QStringLiteral("A"), 1e200}}, 0,
             "Результат операции \"*\" (1E200; 1E200) не является конечным числом."},
        Case{"<A>", {{QStringLiteral("A"), INFINITY}}, 0, "Результат вычисления не является конечным числом."}));

std::string manyOnes(int n) {
    std::string s = "1";
    for (int i = 1; i < n; ++i) s += "+1";
    return s;
}

TEST(Evaluator, TheTextIsCutAt255Characters) {
    const ReferenceData ref = sampleReference();
    const std::string s = manyOnes(127) + "0";  // 254 characters: 126 ones and 10
    Outcome whole = evalPrepared(QString::fromStdString(s), {}, ref);
    ASSERT_TRUE(whole.ok) << whole;
    EXPECT_EQ(whole.value, 136);
    // 256 characters: the cut leaves "...+10+".
    Outcome cut = evalPrepared(QString::fromStdString(s + "+9"), {}, ref);
    EXPECT_EQ(cut.error, headerContext() + SYNTAX);
    // Comments are removed after the cut: a closing bracket beyond it does not count.
    Outcome comment = evalPrepared(QString::fromStdString("5[" + std::string(260, 'x') + "]+1"), {}, ref);
    ASSERT_TRUE(comment.ok) << comment;
    EXPECT_EQ(comment.value, 5);
}

TEST(Evaluator, SectionMessagesNameTheSectionFirst) {
    const ReferenceData ref = sampleReference();
    const SectionNodes section{3, 17};
    const Outcome o = evalPrepared(QStringLiteral("<A>/0"), {{QStringLiteral("A"), 1}}, ref, &section,
                                   QStringLiteral("УдПотПод"));
    EXPECT_EQ(o.error, QStringLiteral("Участок 3 - 17:\rОшибка при расчете показателя \"УдПотПод\":\r\rДеление на ноль!"));
    EXPECT_EQ(evalLiteral(QStringLiteral("<A>/0"), {{QStringLiteral("A"), 1}}, ref, &section,
                          QStringLiteral("УдПотПод")),
              o);
    const Outcome empty = evalPrepared(QString(), {}, ref, &section, QStringLiteral("Q"));
    EXPECT_EQ(empty.error,
              QStringLiteral("Участок 3 - 17:\rОшибка при расчете показателя \"Q\":\r\rФормула показателя должна быть заполнена."));
}

TEST(Evaluator, ThePreparedFormulaIsReusedAcrossSections) {
    const ReferenceData ref = sampleReference();
    PreparedFormula f(QStringLiteral("Y"), QStringLiteral("<A>/<B>"), [](const QString& n) {
        return n == QLatin1String("A") ? 0 : n == QLatin1String("B") ? 1 : -1;
    });
    const double v1[] = {6, 3}, v2[] = {1, 0}, v3[] = {NUL, 1}, v4[] = {9, 3};
    EXPECT_EQ(f.evaluate(v1, nullptr, ref), 2);
    EXPECT_THROW(f.evaluate(v2, nullptr, ref), FormulaError);
    EXPECT_THROW(f.evaluate(v3, nullptr, ref), FormulaError);
    EXPECT_EQ(f.evaluate(v4, nullptr, ref), 3);
    PreparedFormula moved = std::move(f);
    EXPECT_EQ(moved.evaluate(v1, nullptr, ref), 2);
}

TEST(Comments, AreRemovedWithoutNesting) {
    EXPECT_EQ(UdalitKommentarii(QStringLiteral("a[b]c")), QStringLiteral("ac"));
    EXPECT_EQ(UdalitKommentarii(QStringLiteral("a[b[c]d]e")), QStringLiteral("ad]e"));
    EXPECT_EQ(UdalitKommentarii(QStringLiteral("a[bc")), QStringLiteral("a"));
    EXPECT_EQ(UdalitKommentarii(QStringLiteral("a]b")), QStringLiteral("a]b"));
    EXPECT_EQ(UdalitKommentarii(QStringLiteral("[<{]5")), QStringLiteral("5"));
}

}  // namespace
