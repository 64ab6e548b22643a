// The program's command line: which file it opens and what it tells about the rest.
#include "store/start_arguments.h"

#include <gtest/gtest.h>

namespace volm {
namespace {

struct Case {
    const char* name;
    QStringList arguments;
    const char* calculation;  // expected file; empty: none
    const char* message;      // expected message; empty: none
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.name; }

class StartArgumentsTable : public ::testing::TestWithParam<Case> {};

TEST_P(StartArgumentsTable, FileAndMessage) {
    const Case& c = GetParam();
    const StartArguments a = readStartArguments(c.arguments, QStringLiteral("/home/инженер/расчеты"));
    EXPECT_EQ(a.calculation, QString::fromUtf8(c.calculation));
    EXPECT_EQ(a.message, QString::fromUtf8(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartArgumentsTable,
    ::testing::Values(
        Case{"Nothing", {}, "", ""},
        Case{"Absolute", {"/data/сеть 1.mdb"}, "/data/сеть 1.mdb", ""},
        Case{"RelativeToTheFolderStartedIn", {"квартал.mdb"}, "/home/инженер/расчеты/квартал.mdb", ""},
        Case{"RelativeUpwards", {"../архив/./old.mdb"}, "/home/инженер/архив/old.mdb", ""},
        // The name rule of the open command adds ".mdb" later, as for a typed name.
        Case{"WithoutExtension", {"квартал"}, "/home/инженер/расчеты/квартал", ""},
        Case{"FileUrl", {"file:///data/%D1%81%D0%B5%D1%82%D1%8C%201.mdb"}, "/data/сеть 1.mdb", ""},
        Case{"EmptyArgumentIgnored", {"", "a.mdb"}, "/home/инженер/расчеты/a.mdb", ""},
        Case{"SecondFile",
             {"a.mdb", "b.mdb"},
             "/home/инженер/расчеты/a.mdb",
             "Программа открывает один расчет. Открывается \"a.mdb\", не открыт \"b.mdb\".\r"
             "Командная строка: VOLM [файл расчета]"},
        Case{"ThirdFile",
             {"a.mdb", "b.mdb", "c.mdb"},
             "/home/инженер/расчеты/a.mdb",
             "Программа открывает один расчет. Открывается \"a.mdb\", не открыты \"b.mdb\", \"c.mdb\".\r"
             "Командная строка: VOLM [файл расчета]"},
        Case{"UnknownOption",
             {"--help"},
             "",
             "Неизвестный параметр командной строки: \"--help\".\rКомандная строка: VOLM [файл расчета]"},
        Case{"OptionsAndFile",
             {"-x", "a.mdb", "--y"},
             "/home/инженер/расчеты/a.mdb",
             "Неизвестные параметры командной строки: \"-x\", \"--y\".\rКомандная строка: VOLM [файл расчета]"},
        // A lone "-" is a file name like any other.
        Case{"Dash", {"-"}, "/home/инженер/расчеты/-", ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace volm
