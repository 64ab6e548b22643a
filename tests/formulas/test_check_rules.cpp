// The rules of the formula check on a catalogue in memory: short names,
// references, the order of the checking steps, dependency pairs and priorities;
// and the lookup of one indicator's full name and formula.
#include "tests/formulas/catalogue_fixtures.h"

#include "formulas/formula_check.h"
#include "formulas/name_rules.h"
#include "formulas/priorities.h"
#include "formulas/reference_check.h"

#include <gtest/gtest.h>

using namespace volm;
using namespace volm::test;

namespace {

const QString kUserHead = QStringLiteral("Показатели расчета:");

QString userMessage(const QString& name, const QString& text) {
    return QStringLiteral("Показатели расчета:\rСокр. наименование показателя: \"") + name + QStringLiteral("\":\r\r") + text;
}

struct NameCase {
    const char* name;
    const char* text;  // empty: accepted
};
std::ostream& operator<<(std::ostream& os, const NameCase& c) { return os << c.name; }

class ShortName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ShortName, IsAcceptedOrRefusedWithItsText) {
    const Catalogue c = makeCatalogue({});
    const QString name = QString::fromUtf8(GetParam().name);
    const QString text = QString::fromUtf8(GetParam().text);
    const auto got = checkUserShortName(name, c);
    if (text.isEmpty()) EXPECT_FALSE(got) << got->toStdString();
    else EXPECT_EQ(got.value_or(QString()), userMessage(name, text));
}

const char* const kInvalid = "Недопустимое сокращенное наименование показателя.";
const char* const kChars = "Сокращенные наименования показателей могут состоять только из цифр, строчных или "
                           "заглавных букв английского или русского алфавита.";
const char* const kFirst = "Сокращенные наименования показателей должны начинаться с заглавной или строчной буквы "
                           "английского или русского алфавита.";

INSTANTIATE_TEST_SUITE_P(
    Rules, ShortName,
    ::testing::Values(NameCase{"Т1", ""}, NameCase{"Q", ""}, NameCase{"Ёжик2", ""}, NameCase{"idx", ""},
                      NameCase{"", "Поле \"Сокр. наименование показателя\" должно быть заполнено."},
                      NameCase{"Id", kInvalid}, NameCase{"начузел", kInvalid}, NameCase{"КОНУЗЕЛ", kInvalid},
                      NameCase{"Примечание", kInvalid}, NameCase{"расхпод", kInvalid},
                      NameCase{"РАСХПОД", kInvalid}, NameCase{"пнапнаузпод", kInvalid},
                      NameCase{"1Т", kFirst}, NameCase{"Т_1", kChars}, NameCase{"Т 1", kChars},
                      NameCase{"Заполн_Уч", kChars}, NameCase{"1_", kChars}, NameCase{"Ü", kChars}));

struct RefCase {
    const char* formula;
    bool table;     // the indicator examined is a table indicator
    bool onePipe;
    const char* text;  // empty: accepted
};
std::ostream& operator<<(std::ostream& os, const RefCase& c) { return os << c.formula; }

class References : public ::testing::TestWithParam<RefCase> {};

TEST_P(References, AreCheckedFromTheLeft) {
    const RefCase& c = GetParam();
    const Catalogue cat = makeCatalogue({userIndicator(QStringLiteral("Н1"), false, true),
                                         userIndicator(QStringLiteral("Т1"), true, true)});
    const auto got = ProveritSsylki(kUserHead, QStringLiteral("X"), QString::fromUtf8(c.formula), c.table, cat,
                                    c.onePipe);
    const QString text = QString::fromUtf8(c.text);
    if (text.isEmpty()) EXPECT_FALSE(got) << got->toStdString();
    else EXPECT_EQ(got.value_or(QString()), userMessage(QStringLiteral("X"), text));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, References,
    ::testing::Values(
        RefCase{"<Н1>+<Т1>*<РасхПод>", true, true, ""},
        RefCase{"<Н1>*<МаксДлПод>", false, true, ""},
        RefCase{"<Т1>+1", false, true,
                "Синтаксическая ошибка в формуле: Показатель \"Т1\" является табличным. Для формул заголовочных "
                "показателей допустимы ссылки только на заголовочные показатели."},
        RefCase{"<РасхПод>", false, false,
                "Синтаксическая ошибка в формуле: Показатель \"РасхПод\" является табличным. Для формул "
                "заголовочных показателей допустимы ссылки только на заголовочные показатели."},
        RefCase{"<РасхОбр>", true, false, ""},
        RefCase{"<РасхОбр>", true, true,
                "Синтаксическая ошибка в формуле: Недопустима ссылка на показатель \"РасхОбр\". Показатель "
                "\"РасхОбр\" не используется при расчете однотрубных тепловых сетей."},
        RefCase{"<ПНапНачПод>", true, false,
                "Синтаксическая ошибка в формуле: Недопустима ссылка на показатель \"ПНапНачПод\"."},
        RefCase{"<рнапкон>", true, false,
                "Синтаксическая ошибка в формуле: Недопустима ссылка на показатель \"рнапкон\"."},
        RefCase{"<расхпод>", true, false, "Синтаксическая ошибка в формуле: Не найден показатель \"расхпод\"."},
        RefCase{"<Т1 >", true, false, "Синтаксическая ошибка в формуле: Не найден показатель \"Т1 \"."},
        RefCase{"1+<Т1", true, false, "Синтаксическая ошибка в формуле: Не найден завершающий символ \">\"."},
        RefCase{"<Т1>>1", true, false,
                "Синтаксическая ошибка в формуле: Найден завершающий символ \">\" без символа \"<\"."},
        RefCase{"<Q>>1", true, false, "Синтаксическая ошибка в формуле: Не найден показатель \"Q\"."},
        RefCase{"1>2+<Q>", true, false,
                "Синтаксическая ошибка в формуле: Найден завершающий символ \">\" без символа \"<\"."},
        RefCase{"<Q>+{1}", true, false, "Формулы показателей не должны содержать символов \"{\", \"}\"."},
        RefCase{"Степень(<Т1>;2)", true, false, ""}));

TEST(CheckCatalogue, NamesOfAllRowsComeBeforeAnyReference) {
    const Catalogue c = makeCatalogue({userIndicator(QStringLiteral("А"), true, false, QStringLiteral("<Нет>")),
                                       userIndicator(QStringLiteral("1Б"), true, true)});
    EXPECT_EQ(checkCatalogue(c, true).value_or(QString()), userMessage(QStringLiteral("1Б"), QString::fromUtf8(kFirst)));
}

TEST(CheckCatalogue, EnteredRowsAreCheckedTooAndCommentsAreRemovedFirst) {
    Catalogue c = makeCatalogue({userIndicator(QStringLiteral("А"), true, true, QStringLiteral("<Нет>"))});
    EXPECT_EQ(checkCatalogue(c, true).value_or(QString()),
              userMessage(QStringLiteral("А"), QStringLiteral("Синтаксическая ошибка в формуле: Не найден показатель \"Нет\".")));
    c.user[0].formula = QStringLiteral("[<Нет> и {1}]<РасхПод>*2");
    EXPECT_FALSE(checkCatalogue(c, true));
}

TEST(CheckCatalogue, PredefinedFormulasAreCheckedAsTableFormulas) {
    const QString bad = QStringLiteral("<ПотНОтИНачОбр>+<Нет>");
    const Catalogue c = makeCatalogue({}, QStringLiteral("<ПотНОтИНачПод>+<МаксДлПод>"), bad);
    // The return-pipeline formula only counts in a two-pipe network.
    EXPECT_FALSE(checkCatalogue(c, false));
    EXPECT_EQ(checkCatalogue(c, true).value_or(QString()),
              QStringLiteral("Предопределенные показатели расчета:\rСокр. наименование показателя: \"ПотНОтИКонОбр\":\r\r"
                             "Синтаксическая ошибка в формуле: Не найден показатель \"Нет\"."));
}

TEST(Dependencies, EachPairOnce) {
    EXPECT_EQ(SobratZavisimosti(QStringLiteral("<А>+<Б>*<А>+<В")), (std::vector<QString>{"А", "Б"}));
    Dependencies d;
    d.add("А", "Б");
    d.add("А", "Б");
    d.add("В", "Б");
    EXPECT_EQ(d.pairs().size(), 2u);
    EXPECT_TRUE(d.has("В"));
    EXPECT_FALSE(d.has("Б"));
}

QStringList rowsOf(const Placement& p) {
    QStringList out;
    for (const auto& r : p.rows) out << r.name + QLatin1Char('=') + QString::number(r.priority);
    return out;
}

TEST(Priorities, HeaderRowsInTheirOrderWithPlacementPasses) {
    const Catalogue c = makeCatalogue({userIndicator(QStringLiteral("А"), false, false, QStringLiteral("<Б>+1")),
                                       userIndicator(QStringLiteral("Б"), false, false, QStringLiteral("2")),
                                       userIndicator(QStringLiteral("Т"), true, false, QStringLiteral("3")),
                                       userIndicator(QStringLiteral("В"), false, true),
                                       userIndicator(QStringLiteral("Г"), false, false, QStringLiteral("<А>*<В>"))});
    const Placement one = placeHeader(c, false);
    EXPECT_FALSE(one.error);
    EXPECT_EQ(rowsOf(one), QStringList({"МаксГеодВысТС=0", "МинГеодВысТС=0", "ПНапНаУзПод=0", "МаксДлПод=0",
                                        "МаксТВоды=0", "МинТВоды=0", "А=2", "Б=1", "В=0", "Г=3"}));
    const Placement two = placeHeader(c, true);
    EXPECT_EQ(rowsOf(two).mid(6, 3), QStringList({"РНапНаУз=0", "МаксДлОбр=0", "МаксСумДлПодОбр=0"}));
}

TEST(Priorities, ALaterRowPlacedInThePassCountsForTheRowsAfterIt) {
    // Г waits for В, В for Б, Б for А: one pass places all, in row order.
    const Catalogue c = makeCatalogue({userIndicator(QStringLiteral("А"), false, false, QStringLiteral("1")),
                                       userIndicator(QStringLiteral("Б"), false, false, QStringLiteral("<А>")),
                                       userIndicator(QStringLiteral("В"), false, false, QStringLiteral("<Б>")),
                                       userIndicator(QStringLiteral("Г"), false, false, QStringLiteral("<В>")),
                                       userIndicator(QStringLiteral("Д"), false, false, QStringLiteral("<Е>")),
                                       userIndicator(QStringLiteral("Е"), false, false, QStringLiteral("<А>"))});
    EXPECT_EQ(rowsOf(placeHeader(c, false)).mid(6),
              QStringList({"А=1", "Б=2", "В=3", "Г=4", "Д=6", "Е=5"}));
}

TEST(Priorities, IndicatorsThatCannotBeComputedAreListed) {
    const Catalogue c = makeCatalogue({userIndicator(QStringLiteral("А"), false, false, QStringLiteral("<Б>")),
                                       userIndicator(QStringLiteral("Б"), false, false, QStringLiteral("<А>")),
                                       userIndicator(QStringLiteral("С"), false, false, QStringLiteral("<С>")),
                                       userIndicator(QStringLiteral("Д"), false, false, QStringLiteral("1"))});
    const Placement p = placeHeader(c, false);
    EXPECT_EQ(p.error.value_or(QString()),
              QStringLiteral("Ошибка в формулах показателей. Показатели, которые не могут быть вычислены:\rА, Б, С."));
    EXPECT_EQ(rowsOf(p).mid(6), QStringList({"А=-1", "Б=-1", "С=-1", "Д=1"}));
}

TEST(Priorities, TableOrderStartsWithTheEndLossesAndTakesHeaderValuesAsReady) {
    const Catalogue c = makeCatalogue({userIndicator(QStringLiteral("Н"), false, false, QStringLiteral("<Т2>")),
                                       userIndicator(QStringLiteral("Т1"), true, false, QStringLiteral("<Н>*<Т2>")),
                                       userIndicator(QStringLiteral("Т2"), true, true),
                                       userIndicator(QStringLiteral("Т3"), true, false, QStringLiteral("<РасхПод>"))},
                                      QStringLiteral("<ПотНОтИНачПод>+<Т1>"), QStringLiteral("5"));
    const Placement two = placeTable(c, true);
    EXPECT_FALSE(two.error);
    const QStringList rows = rowsOf(two);
    ASSERT_EQ(rows.size(), 16 + 2 + 3);
    EXPECT_EQ(rows.mid(0, 3), QStringList({"ГеодВысНач=0", "ГеодВысКон=0", "ПотНОтИНачПод=0"}));
    EXPECT_EQ(rows.mid(9, 7), QStringList({"ПотНОтИНачОбр=0", "РасхОбр=0", "ДлНаУчОбр=0", "ДлНачОбр=0", "ДлКонОбр=0",
                                           "ТВодыНачОбр=0", "ТВодыКонОбр=0"}));
    EXPECT_EQ(rows.mid(16), QStringList({"ПотНОтИКонОбр=1", "ПотНОтИКонПод=4", "Т1=2", "Т2=0", "Т3=3"}));

    const Placement one = placeTable(c, false);
    EXPECT_EQ(rowsOf(one).mid(9), QStringList({"ПотНОтИКонПод=3", "Т1=1", "Т2=0", "Т3=2"}));
}

TEST(Priorities, ATableDependencyFoundNowhereIsNeverSatisfied) {
    const Catalogue c = makeCatalogue({userIndicator(QStringLiteral("Т1"), true, false, QStringLiteral("<Нет>"))});
    const Placement p = placeTable(c, false);
    EXPECT_EQ(p.error.value_or(QString()),
              QStringLiteral("Ошибка в формулах показателей. Показатели, которые не могут быть вычислены:\rТ1."));
}

// Indicators computed after the heads: they may reference the heads and, in
// a one-pipe network, the return pipeline (they are left empty there); an
// ordinary formula may not reference them; their cycles are refused.
Indicator afterHeads(const QString& name, const QString& formula) {
    Indicator i = userIndicator(name, true, false, formula);
    i.afterHeads = true;
    return i;
}

TEST(AfterHeads, MayReferenceTheHeadsButNoOrdinaryFormulaMayReferenceThem) {
    const QString available = QStringLiteral("<РНапКон>-<Т1>");
    Catalogue c = makeCatalogue({userIndicator(QStringLiteral("Т1"), true, true), afterHeads(QStringLiteral("Изб"), available),
                                 afterHeads(QStringLiteral("Д"), QStringLiteral("Абс(<Изб>)*<ПНапКонПод>"))});
    EXPECT_FALSE(checkCatalogue(c, true));
    EXPECT_FALSE(checkCatalogue(c, false));
    // The same formula without the mark still may not reference the heads.
    c.user[1].afterHeads = false;
    c.user[2].afterHeads = false;
    EXPECT_EQ(checkCatalogue(c, true).value_or(QString()),
              userMessage(QStringLiteral("Изб"),
                          QStringLiteral("Синтаксическая ошибка в формуле: Недопустима ссылка на показатель \"РНапКон\".")));

    const Catalogue ordinary = makeCatalogue({afterHeads(QStringLiteral("Изб"), available),
                                              userIndicator(QStringLiteral("Т1"), true, false, QStringLiteral("<Изб>*2"))});
    EXPECT_EQ(checkCatalogue(ordinary, true).value_or(QString()),
              userMessage(QStringLiteral("Т1"), QStringLiteral("Показатель \"Т1\" вычисляется до расчета напоров и не "
                                                              "может ссылаться на показатель \"Изб\", который "
                                                              "вычисляется после расчета напоров.")));
    const Catalogue predefined =
        makeCatalogue({afterHeads(QStringLiteral("Изб"), QStringLiteral("1"))}, QStringLiteral("<ПотНОтИНачПод>+<Изб>"));
    EXPECT_TRUE(checkCatalogue(predefined, true).value_or(QString()).contains(QStringLiteral("\"Изб\", который")));
}

TEST(AfterHeads, TheirOrderFollowsTheirReferencesAndCyclesAreRefused) {
    const Catalogue c = makeCatalogue({afterHeads(QStringLiteral("Д"), QStringLiteral("<Изб>*<КонУч>")),
                                       afterHeads(QStringLiteral("Изб"), QStringLiteral("<РНапКон>-1"))});
    const Placement p = placeTable(c, true);
    EXPECT_FALSE(p.error);
    EXPECT_EQ(rowsOf(p).mid(18), QStringList({"Д=4", "Изб=3"}));

    const Catalogue cycle = makeCatalogue({afterHeads(QStringLiteral("А"), QStringLiteral("<Б>+<РНапКон>")),
                                           afterHeads(QStringLiteral("Б"), QStringLiteral("<А>"))});
    EXPECT_FALSE(checkCatalogue(cycle, true));
    EXPECT_EQ(placeTable(cycle, true).error.value_or(QString()),
              QStringLiteral("Ошибка в формулах показателей. Показатели, которые не могут быть вычислены:\rА, Б."));
}

TEST(ZagruzitPokazatel, UserFirstExactNameCommentsRemovedAndNodeNames) {
    Catalogue c = makeCatalogue({userIndicator(QStringLiteral("Двн"), true, false, QStringLiteral("ДвнутрПоДу(<Ду>)[мм]"))});
    c.user[0].fullName = QVariant();
    const LoadedIndicator d = ZagruzitPokazatel(c, QStringLiteral("Двн"), 5, QVariant());
    EXPECT_EQ(d.fullName, QString());
    EXPECT_EQ(d.formula, QStringLiteral("ДвнутрПоДу(<Ду>)"));
    EXPECT_EQ(ZagruzitPokazatel(c, QStringLiteral("ПотНОтИКонПод"), 5, QVariant()).formula,
              QStringLiteral("<ПотНОтИНачПод>+1"));
    const LoadedIndicator none = ZagruzitPokazatel(c, QStringLiteral("двн"), 5, QVariant());
    EXPECT_TRUE(none.fullName.isEmpty() && none.formula.isEmpty());
    EXPECT_EQ(ZagruzitPokazatel(c, QStringLiteral("ПНапНаУзПод"), 12, 7).fullName,
              QStringLiteral("Полный напор на узле 12 в подающем трубопроводе, м."));
    EXPECT_EQ(ZagruzitPokazatel(c, QStringLiteral("РНапНаУз"), 12, 7).fullName,
              QStringLiteral("Располагаемый напор на узле 7, м."));
    EXPECT_EQ(ZagruzitPokazatel(c, QStringLiteral("РНапНаУз"), 12, QVariant()).fullName,
              QStringLiteral("Располагаемый напор на узле , м."));
}

}  // namespace
