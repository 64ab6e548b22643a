// Auto-fill of node heights: the range with its refusals, the height as typed,
// the nodes added or left alone, the error contexts and the controls.
#include "store/node_fill.h"
#include "tests/store/shipped_harness.h"

#include <map>

using namespace volm;
using namespace volm::test;

namespace {

using Nodes = std::map<int, double>;

struct NodeFill : ShippedHarness {
    void startWith(const Nodes& nodes) {
        QStringList sql;
        for (const auto& [n, h] : nodes)
            sql << QStringLiteral("INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (%1, %2)").arg(n).arg(h);
        start(sql);
    }
    Nodes fileNodes() const {
        Database db;
        db.open(calc);
        auto q = db.query(QStringLiteral("SELECT Nуз, ГеодВыс FROM УзлыТС"));
        Nodes out;
        for (q->first(); !q->eof(); q->next()) out[q->value(0).toInt()] = q->value(1).toDouble();
        return out;
    }
};

struct FillCase {
    const char* name;
    const char* first;
    const char* last;
    const char* height;
    bool addMissing;
    Nodes before;
    Nodes after;
    bool refused;  // the range message, nothing written
};

class NodeFillCases : public NodeFill, public ::testing::WithParamInterface<FillCase> {};

const QString kRange = QStringLiteral(
    "Ошибка в параметрах \"Начиная с узла номер\", \"по узел номер\".\r"
    "Номер узла должен быть целым числом из диапазона [0...32767].\r"
    "Параметр \"Начиная с узла номер\" должен быть меньше или равен параметру \"по узел номер\".");

TEST_P(NodeFillCases, WritesTheRangeOrRefusesIt) {
    const FillCase& c = GetParam();
    startWith(c.before);
    std::vector<bool> enabled;
    NodeFillHooks hooks;
    hooks.controlsEnabled = [&](bool on) { enabled.push_back(on); };
    const NodeFillResult r = AutoZapolUzlov(
        *app, {QString::fromUtf8(c.first), QString::fromUtf8(c.last), QString::fromUtf8(c.height), c.addMissing},
        hooks);
    EXPECT_EQ(fileNodes(), c.after);
    // The node cursor shows what the file holds.
    EXPECT_EQ(app->dm.atUzliTS->rowCount(), int(c.after.size()));
    EXPECT_FALSE(app->dm.atUzliTS->controlsDisabled());
    EXPECT_EQ(person.busyDepth, 0);
    if (c.refused) {
        EXPECT_FALSE(r.written);
        EXPECT_EQ(person.messages, QStringList{kRange});
        EXPECT_TRUE(enabled.empty());
    } else {
        EXPECT_TRUE(r.written);
        EXPECT_EQ(person.messages, QStringList{QStringLiteral("Данные записаны.")});
        EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, NodeFillCases,
    ::testing::Values(
        FillCase{"OneNode", "5", "5", "12,5", false, {{3, 1}, {5, 2}, {7, 3}}, {{3, 1}, {5, 12.5}, {7, 3}}, false},
        FillCase{"OnlyExistingWithoutTheTick", "0", "10", "1.5", false, {{3, 1}, {5, 2}, {20, 3}},
                 {{3, 1.5}, {5, 1.5}, {20, 3}}, false},
        FillCase{"MissingAddedWithTheTick", "2", "4", " 1 000,25 ", true, {{3, 1}, {9, 9}},
                 {{2, 1000.25}, {3, 1000.25}, {4, 1000.25}, {9, 9}}, false},
        FillCase{"CommaAndPointAreTheSame", "1", "1", "7.75", true, {}, {{1, 7.75}}, false},
        FillCase{"WholeRangeIntoEmptyTableEnds", "32760", "32767", "-2", true, {},
                 {{32760, -2}, {32761, -2}, {32762, -2}, {32763, -2}, {32764, -2}, {32765, -2}, {32766, -2},
                  {32767, -2}},
                 false},
        FillCase{"FirstAboveLast", "10", "5", "1", true, {{7, 3}}, {{7, 3}}, true},
        FillCase{"FirstTooLarge", "32768", "32768", "1", true, {}, {}, true},
        FillCase{"LastTooLarge", "0", "32768", "1", true, {{7, 3}}, {{7, 3}}, true},
        FillCase{"Negative", "-1", "3", "1", true, {{2, 3}}, {{2, 3}}, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct ContextCase {
    const char* name;
    const char* first;
    const char* last;
    const char* height;
    const char* context;
};

class NodeFillContexts : public NodeFill, public ::testing::WithParamInterface<ContextCase> {};

TEST_P(NodeFillContexts, ABadInputIsReportedUnderItsContextAndNothingIsWritten) {
    const ContextCase& c = GetParam();
    startWith({{1, 5}});
    std::vector<bool> enabled;
    NodeFillHooks hooks;
    hooks.controlsEnabled = [&](bool on) { enabled.push_back(on); };
    EXPECT_FALSE(AutoZapolUzlov(*app,
                                {QString::fromUtf8(c.first), QString::fromUtf8(c.last), QString::fromUtf8(c.height), true},
                                hooks)
                     .written);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].startsWith(QString::fromUtf8(c.context) + QStringLiteral("\r\r")))
        << person.messages[0].toStdString();
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("EConvertError")));
    EXPECT_EQ(fileNodes(), (Nodes{{1, 5}}));
    EXPECT_TRUE(enabled.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, NodeFillContexts,
    ::testing::Values(
        ContextCase{"First", "a", "5", "1", "Ошибка в параметре \"Начиная с узла номер\"."},
        ContextCase{"FirstFraction", "1,5", "5", "1", "Ошибка в параметре \"Начиная с узла номер\"."},
        ContextCase{"Last", "1", "", "1", "Ошибка в параметре \"по узел номер\"."},
        ContextCase{"HeightLetters", "1", "5", "12а",
                    "Ошибка в параметре \"записать геодезическую высоту\". Для разделения целой и дробной части "
                    "числа используйте символ \",\" (запятая)."},
        ContextCase{"HeightTwoPoints", "1", "5", "1,2.3",
                    "Ошибка в параметре \"записать геодезическую высоту\". Для разделения целой и дробной части "
                    "числа используйте символ \",\" (запятая)."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NodeFill, StatusShowsNodeNumbersAndIsClearedAtTheEnd) {
    startWith({});
    QStringList statuses;
    NodeFillHooks hooks;
    hooks.status = [&](const QString& s) { statuses << s; };
    ASSERT_TRUE(AutoZapolUzlov(*app, {QStringLiteral("0"), QStringLiteral("2000"), QStringLiteral("1"), true}, hooks)
                    .written);
    ASSERT_GE(statuses.size(), 2);
    EXPECT_EQ(statuses.first(), QStringLiteral("Узел номер 0"));
    EXPECT_EQ(statuses.last(), QString());
    // A few texts a second, not one per node.
    EXPECT_LT(statuses.size(), 100);
    EXPECT_GE(person.processed, 1);
    EXPECT_EQ(fileNodes().size(), 2001u);
}

TEST_F(NodeFill, PendingNodeRowIsStoredFirst) {
    startWith({{1, 5}});
    Table& nodes = *app->dm.atUzliTS;
    nodes.append();
    nodes.setValue(QStringLiteral("Nуз"), 40);
    nodes.setValue(QStringLiteral("ГеодВыс"), 4.0);
    ASSERT_TRUE(AutoZapolUzlov(*app, {QStringLiteral("40"), QStringLiteral("41"), QStringLiteral("8"), false}).written);
    EXPECT_EQ(fileNodes(), (Nodes{{1, 5}, {40, 8}}));
}

}  // namespace

namespace {

TEST_F(NodeFill, RowsWrittenBeforeADatabaseErrorStayAndTheControlsComeBack) {
    startWith({{2, 1}});
    execOn(calc, {"CREATE TRIGGER refuse_five BEFORE INSERT ON УзлыТС WHEN NEW.Nуз=5 "
                  "BEGIN SELECT RAISE(ABORT, 'узел 5 не принят'); END"});
    std::vector<bool> enabled;
    QStringList statuses;
    NodeFillHooks hooks;
    hooks.controlsEnabled = [&](bool on) { enabled.push_back(on); };
    hooks.status = [&](const QString& s) { statuses << s; };
    EXPECT_FALSE(AutoZapolUzlov(*app, {QStringLiteral("1"), QStringLiteral("9"), QStringLiteral("3"), true}, hooks)
                     .written);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].startsWith(QStringLiteral("Ошибка при записи геодезических высот.\r\r")));
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("узел 5 не принят")));
    EXPECT_EQ(fileNodes(), (Nodes{{1, 3}, {2, 3}, {3, 3}, {4, 3}}));
    EXPECT_EQ(app->dm.atUzliTS->rowCount(), 4);
    EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(statuses.last(), QString());
    EXPECT_FALSE(app->dm.acGR.inTransaction());
    EXPECT_FALSE(app->dm.atUzliTS->controlsDisabled());
}

}  // namespace
