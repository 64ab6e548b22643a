// The messages of the run's checks and of the faults its stages stop at, as a
// table of cases: each case changes a small valid network and names the one
// message the run shows.
#include "commands/run_options.h"
#include "store/command.h"
#include "tests/calc/calc_harness.h"

#include <functional>

namespace volm::test {
namespace {

const QChar CR(13);

struct CheckCase {
    const char* name;
    std::function<void(Net&, QStringList& extra)> setup;
    QString supplyText;
    QString availText;
    QStringList messages;  // every message shown, in order
    RunOutcome::Status status = RunOutcome::Status::Fault;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

// A valid two-pipe tree: 1 - 2, 2 - 3, 2 - 4.
Net baseNet() {
    Net n;
    n.sections = {{1, 2}, {2, 3}, {2, 4}};
    return n;
}

QString section(const char* nodes) { return QStringLiteral("Участок ") + QString::fromUtf8(nodes) + QLatin1Char(':') + CR; }

const CheckCase kCases[] = {
    {"SupplyNodeTextEmpty", [](Net&, QStringList&) {}, "", "1",
     {"Поле \"ПНапНаУзПод задан для узла:\" должно быть заполнено."}},
    {"AvailNodeTextEmpty", [](Net&, QStringList&) {}, "1", "",
     {"Поле \"РНапНаУз задан для узла:\" должно быть заполнено."}},
    {"SupplyNodeTextNotANumber", [](Net&, QStringList&) {}, "abc", "1",
     {standardReport("Ошибка при записи значений полей \"ПНапНаУзПод задан для узла:\", \"РНапНаУз задан для узла:\".",
                     "EConvertError", "'abc' не является допустимым целым числом.")}},
    {"SupplyNodeOutOfRange", [](Net&, QStringList&) {}, "40000", "1",
     {standardReport("Ошибка при записи значений полей \"ПНапНаУзПод задан для узла:\", \"РНапНаУз задан для узла:\".",
                     "EDatabaseError", "Значение 40000 поля \"NузПНапПод\" выходит за пределы диапазона [-32768...32767].")}},
    {"RequiredPredefinedMissing",
     [](Net& n, QStringList& x) {
         n.type = 0;
         x << "DELETE FROM ФлыПредопрПок WHERE НаимПокСокр='РасхОбр'";
     },
     "1", "1",
     {"В таблице \"Предопределенные показатели расчета\" должны присутствовать показатели: \"ДлНаУчОбр\", \"РасхОбр\"."}},
    {"NoSection", [](Net& n, QStringList&) { n.sections.clear(); n.nodes = {{1, 100}}; }, "1", "1",
     {"В таблице с исходными данными о участках сети должна быть хотя бы одна запись."}},
    {"NodeFieldNull",
     [](Net&, QStringList& x) { x << "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (9, 2, Null, 100)"; },
     "1", "1", {section("2 - ") + "Поля НачУзел, КонУзел должны быть заполнены."}},
    {"NodeFieldsEqual", [](Net& n, QStringList&) { n.sections.push_back({3, 3}); }, "1", "1",
     {section("3 - 3") + "Значения полей НачУзел, КонУзел не должны совпадать."}},
    {"NodeNotInNodeTable",
     [](Net& n, QStringList&) {
         n.sections.push_back({4, 99});
         n.nodes = {{1, 100}, {2, 100}, {3, 100}, {4, 100}};
     },
     "1", "1",
     {section("4 - 99") +
      "Значения полей НачУзел, КонУзел должны присутствовать в таблице \"Узлы тепловой сети\"." + CR +
      "Значение поля КонУзел не должно совпадать с номером начального узла тепловой сети."}},
    {"EndNodeIsStartNode", [](Net& n, QStringList&) { n.sections.push_back({3, 1}); }, "1", "1",
     {section("3 - 1") +
      "Значения полей НачУзел, КонУзел должны присутствовать в таблице \"Узлы тепловой сети\"." + CR +
      "Значение поля КонУзел не должно совпадать с номером начального узла тепловой сети."}},
    {"SameEndNodes",
     [](Net& n, QStringList&) { n.sections = {{1, 3}, {3, 5}, {1, 4}, {4, 5}}; }, "1", "1",
     {QStringLiteral("Участки 3 - 5, 4 - 5:") + CR + "Конечные узлы участков не должны совпадать."}},
    {"SectionsBothWays",
     [](Net& n, QStringList&) { n.sections = {{1, 2}, {3, 5}, {5, 3}}; }, "1", "1",
     {QStringLiteral("Участки 3 - 5, 5 - 3:") + CR + "Недопустимое сочетание участков."}},
    {"SupplyHeadNodeNotInSections",
     [](Net& n, QStringList&) { n.nodes = {{1, 100}, {2, 100}, {3, 100}, {4, 100}, {9, 100}}; }, "9", "1",
     {"Показатель \"ПНапНаУзПод\" задан для узла 9. Узел 9 не найден в таблице с исходными данными о участках тепловой сети."}},
    {"AvailHeadNodeNotInSections",
     [](Net& n, QStringList&) { n.nodes = {{1, 100}, {2, 100}, {3, 100}, {4, 100}, {9, 100}}; }, "1", "9",
     {"Показатель \"РНапНаУз\" задан для узла 9. Узел 9 не найден в таблице с исходными данными о участках тепловой сети."}},
    {"ClosedRingOnNoMain",
     [](Net& n, QStringList&) { n.sections = {{1, 2}, {3, 4}, {4, 5}, {5, 3}}; }, "1", "1",
     {"Участок 3 - 4 не входит ни в одну магистраль теплосети."}},
    {"SectionNotReachedFromStart",
     [](Net& n, QStringList&) { n.sections = {{1, 2}, {7, 8}}; }, "1", "1",
     {"Участок 7 - 8 не соединен с начальным узлом теплосети."}},
    {"RingWithABranchEndsTheWalk",
     [](Net& n, QStringList&) { n.sections = {{1, 2}, {3, 4}, {4, 5}, {5, 3}, {4, 6}}; }, "1", "1",
     {"Участок 4 - 5 не соединен с начальным узлом теплосети."}},
    {"SupplyLengthNotPositive", [](Net& n, QStringList&) { n.sections[1].length = 0; }, "1", "1",
     {section("2 - 3") + "Показатель ДлНаУчПод должен быть больше нуля."}},
    {"ReturnLengthEnteredNotPositive",
     [](Net& n, QStringList& x) {
         n.sections[2].lengthRet = -5;
         for (auto& s : n.sections)
             if (s.lengthRet != s.lengthRet) s.lengthRet = 100;
         x << "UPDATE ФлыПредопрПок SET ВводПольз=True WHERE НаимПокСокр='ДлНаУчОбр'";
     },
     "1", "1", {section("2 - 4") + "Показатель ДлНаУчОбр должен быть больше нуля."}},
    {"TemperatureLimitMissing", [](Net& n, QStringList&) { n.minT = kNullValue; }, "1", "1",
     {"Показатели \"МинТВоды\", \"МаксТВоды\" должны быть заполнены."}},
    {"EndFlowMissing",
     [](Net& n, QStringList&) {
         n.computeFlows = true;
         n.sections[1].flow = 10;
     },
     "1", "1", {section("2 - 4") + "Показатель \"РасхПод\" должен быть заполнен."}},
    {"NodeHeightMissing",
     [](Net& n, QStringList&) { n.nodes = {{1, 100}, {2, 100}, {3, kNullValue}, {4, 100}}; }, "1", "1",
     {section("2 - 3") + "Геодезическая высота узла 3 в таблице \"Узлы тепловой сети\" должна быть заполнена."}},
    {"DivisionByZeroNamesTheSection",
     [](Net&, QStringList& x) {
         x << "UPDATE ФлыПредопрПок SET Формула='<ПотНОтИНачПод>+<ПотУчП>/(<ПотУчО>-<ПотУчО>)' "
              "WHERE НаимПокСокр='ПотНОтИКонПод'";
     },
     "1", "1", {section("1 - 2") + "Ошибка при расчете показателя \"ПотНОтИКонПод\":" + CR + CR + "Деление на ноль!"}},
    {"HeaderFormulaEmpty",
     [](Net&, QStringList& x) {
         x << "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (3, 'Заголовочный показатель', 'ЗагХ', False, False, Null, True)";
     },
     "1", "1", {QStringLiteral("Ошибка при расчете показателя \"ЗагХ\":") + CR + CR + "Формула показателя должна быть заполнена."}},
    {"GivenSupplyHeadMissing", [](Net& n, QStringList&) { n.headSup = kNullValue; }, "1", "1",
     {"Значение показателя \"ПНапНаУзПод\" должно быть заполнено."}},
    {"GivenAvailHeadMissing", [](Net& n, QStringList&) { n.headAvail = kNullValue; }, "1", "1",
     {"Значение показателя \"РНапНаУз\" должно быть заполнено."}},
    {"StartNodeNotANode",
     [](Net& n, QStringList&) { n.nodes = {{2, 100}, {3, 100}, {4, 100}}; }, "1", "1",
     {"Номер начального узла тепловой сети не найден в таблице \"Узлы тепловой сети\".", "Расчет невозможен."},
     RunOutcome::Status::Refused},
    {"StartNodeWithHeadChange", [](Net& n, QStringList&) { n.changes = {{1, false, 5}}; }, "1", "1",
     {"Номер начального узла тепловой сети не должен присутствовать в таблице \"Изменение полного напора в узлах "
      "теплосети\".",
      "Расчет невозможен."},
     RunOutcome::Status::Refused},
};

class Checks : public CalcHarness, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(Checks, ShowTheirOneMessage) {
    const CheckCase& c = GetParam();
    Net net = baseNet();
    QStringList extra;
    c.setup(net, extra);
    open(net, extra);
    const RunOutcome out = run(c.supplyText, c.availText);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(person.messages, c.messages);
    EXPECT_FALSE(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
    EXPECT_FALSE(app->RasVip);
}

INSTANTIATE_TEST_SUITE_P(Run, Checks, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace volm::test
