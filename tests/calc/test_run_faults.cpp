// Faults the run must stop at rather than store a wrong network or wrong
// figures: values that are not finite numbers, node numbers and keys out of
// their range in the file. After a fault about a section the section grid's
// cursor stands on that section.
#include "commands/run_options.h"
#include "store/table.h"
#include "tests/calc/calc_harness.h"

#include <functional>

namespace volm::test {
namespace {

// --- Computed values that are not finite numbers --------------------------------

struct NonFiniteCase {
    const char* name;
    std::function<void(Net&)> setup;
    const char* message;
    int a, b;  // the section the fault is about
    const char* column;
    const char* table;  // where the column lies
};

void PrintTo(const NonFiniteCase& c, std::ostream* os) { *os << c.name; }

const NonFiniteCase kNonFinite[] = {
    {"LengthsAddUpToInfinity", [](Net& n) { n.sections = {{1, 2, 1e308}, {2, 3, 1e308}}; },
     "Участок 2 - 3: значение ДлКонПод не является конечным числом.", 2, 3, "ДлКонПод", "Табл"},
    {"FlowsAddUpToInfinity",
     [](Net& n) {
         n.computeFlows = true;
         n.sections = {{1, 2}, {2, 3}, {2, 4}};
         n.sections[1].flow = 1e308;
         n.sections[2].flow = 1e308;
     },
     "Участок 1 - 2: значение РасхПод не является конечным числом.", 1, 2, "РасхПод", "Табл"},
    {"HeadBeyondTheLargestNumber",
     [](Net& n) {
         n.type = 0;
         n.headSup = 1e308;
         n.sections = {{1, 2, 100, -1e308, 1}};
     },
     "Участок 1 - 2: значение ПНапКонПод не является конечным числом.", 1, 2, "ПНапКонПод", "Табл"},
    {"TemperatureOverATinyLength",
     [](Net& n) {
         n.type = 0;
         n.sections = {{1, 2, 1e-320}};
     },
     "Участок 1 - 2: значение ТВодыНачПод не является конечным числом.", 1, 2, "ТВодыНачПод", "Табл"},
};

class NonFinite : public CalcHarness, public ::testing::WithParamInterface<NonFiniteCase> {};

TEST_P(NonFinite, StopTheRunNamingTheSectionAndAreNotWritten) {
    const NonFiniteCase& c = GetParam();
    Net n;
    c.setup(n);
    open(n);
    app->dm.atTabl->last();
    const RunOutcome out = run();
    EXPECT_EQ(out.status, RunOutcome::Status::Fault);
    EXPECT_EQ(person.messages, QStringList{QString::fromUtf8(c.message)});
    // Nothing that is not a finite number reached the file, in the column named
    // or anywhere else.
    for (const char* table : {"Табл", "Заг", "КонМаг", "МагистралиТС"}) {
        for (const QString& column : rows(QStringLiteral("SELECT name FROM pragma_table_info('%1') WHERE type = 'float'")
                                              .arg(QString::fromUtf8(table)))) {
            EXPECT_EQ(fileValue(QStringLiteral("SELECT count(*) FROM \"%1\" WHERE abs(\"%2\") > 1.7976931348623157e308")
                                    .arg(QString::fromUtf8(table), column))
                          .toInt(),
                      0)
                << table << "." << column.toStdString();
        }
    }
    EXPECT_TRUE(std::isnan(sectionValue(c.a, c.b, QString::fromUtf8(c.column))));
    // The section grid stands on the section to mend.
    Table& t = *app->dm.atTabl;
    EXPECT_EQ(t.value(QStringLiteral("НачУзел")).toInt(), c.a);
    EXPECT_EQ(t.value(QStringLiteral("КонУзел")).toInt(), c.b);
}

INSTANTIATE_TEST_SUITE_P(Stages, NonFinite, ::testing::ValuesIn(kNonFinite),
                         [](const auto& info) { return std::string(info.param.name); });

// --- A check that stops at a section ------------------------------------------

using FaultPosition = CalcHarness;

TEST_F(FaultPosition, TheSectionGridGoesToTheSectionACheckStoppedAt) {
    Net n;
    n.sections = {{1, 2}, {2, 3}, {3, 4}, {4, 5}};
    n.sections[2].length = -1;  // 3 - 4: the length must be above zero
    open(n);
    app->dm.atTabl->last();
    const RunOutcome out = run();
    ASSERT_EQ(out.status, RunOutcome::Status::Fault);
    ASSERT_TRUE(out.text.startsWith(QStringLiteral("Участок 3 - 4:"))) << out.text.toStdString();
    Table& t = *app->dm.atTabl;
    EXPECT_FALSE(t.controlsDisabled());
    EXPECT_EQ(t.value(QStringLiteral("НачУзел")).toInt(), 3);
    EXPECT_EQ(t.value(QStringLiteral("КонУзел")).toInt(), 4);
    EXPECT_EQ(out.faultSection, t.value(QStringLiteral("id")).toLongLong());
}

// --- Whole numbers read from the file -------------------------------------------

struct RangeCase {
    const char* name;
    const char* statement;
    const char* message;
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

const RangeCase kRange[] = {
    {"StartNodeBeyond32Bits", "UPDATE Табл SET НачУзел=4294967297 WHERE НачУзел=2",
     "Таблица \"Табл\", запись 2: значение 4294967297 поля \"НачУзел\" выходит за пределы диапазона [-32768...32767]."},
    {"EndNodeBeyond16Bits", "UPDATE Табл SET КонУзел=65539 WHERE КонУзел=3",
     "Таблица \"Табл\", запись 2: значение 65539 поля \"КонУзел\" выходит за пределы диапазона [-32768...32767]."},
    {"EndNodeOnTheNullMark", "UPDATE Табл SET КонУзел=-2147483648 WHERE КонУзел=3",
     "Таблица \"Табл\", запись 2: значение -2147483648 поля \"КонУзел\" выходит за пределы диапазона [-32768...32767]."},
    {"EndNodeFarBeyondWholeNumbers", "UPDATE Табл SET КонУзел=1e300 WHERE КонУзел=3",
     "Таблица \"Табл\", запись 2: значение 1e+300 поля \"КонУзел\" выходит за пределы диапазона [-32768...32767]."},
    {"KeyBeyond32Bits", "UPDATE Табл SET id=4294967297 WHERE КонУзел=3",
     "Таблица \"Табл\", запись 2: значение 4294967297 поля \"id\" выходит за пределы диапазона [-2147483648...2147483647]."},
    {"NodeTableBeyond32Bits", "INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (4294967297, 100)",
     "Таблица \"УзлыТС\", запись 4: значение 4294967297 поля \"Nуз\" выходит за пределы диапазона [-32768...32767]."},
    {"HeadChangeNodeBeyond32Bits", "INSERT INTO ИзмПНапВУзлахТС (Nуз, ТрПр, ИзмПНап) VALUES (4294967298, False, 1)",
     "Таблица \"ИзмПНапВУзлахТС\", запись 1: значение 4294967298 поля \"Nуз\" выходит за пределы диапазона "
     "[-32768...32767]."},
};

class FileRange : public CalcHarness, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(FileRange, ValuesOutOfTheirRangeStopTheRunNamingTableAndRow) {
    Net n;
    n.sections = {{1, 2}, {2, 3}};
    open(n, {QString::fromUtf8(GetParam().statement)});
    const RunOutcome out = run();
    EXPECT_FALSE(out.success());
    EXPECT_EQ(person.messages, QStringList{QString::fromUtf8(GetParam().message)});
    EXPECT_FALSE(app->RasVip);
}

INSTANTIATE_TEST_SUITE_P(Load, FileRange, ::testing::ValuesIn(kRange),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace volm::test
