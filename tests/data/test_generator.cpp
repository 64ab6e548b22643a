#include "data/tool/csv_table.h"
#include "data/tool/sql_script.h"
#include "data/tool/table_loader.h"
#include "store/database.h"
#include "store/table.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace volm::mkdata;

namespace {

struct SplitCase {
    const char* name;
    const char* script;
    std::vector<QString> statements;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.name;
}

class SplitScript : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitScript, GivesTheStatementsInOrder)
{
    const auto& c = GetParam();
    const auto got = splitScript(QString::fromUtf8(c.script));
    std::vector<QString> texts;
    for (const auto& s : got)
        texts.push_back(s.text);
    EXPECT_EQ(texts, c.statements);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitScript,
    ::testing::Values(
        SplitCase{"plain", "CREATE TABLE a (x float);\nINSERT INTO a VALUES (1);", {"CREATE TABLE a (x float)", "INSERT INTO a VALUES (1)"}},
        SplitCase{"no_final_semicolon", "DELETE FROM a", {"DELETE FROM a"}},
        // Formulas separate function arguments with ";".
        SplitCase{"semicolon_in_single_quotes", "INSERT INTO f VALUES ('Степень(<А>;2)'); X", {"INSERT INTO f VALUES ('Степень(<А>;2)')", "X"}},
        SplitCase{"semicolon_in_double_quotes", "INSERT INTO f VALUES (\"a;b\");", {"INSERT INTO f VALUES (\"a;b\")"}},
        SplitCase{"doubled_quote", "INSERT INTO f VALUES ('O''Brien;x');", {"INSERT INTO f VALUES ('O''Brien;x')"}},
        SplitCase{"bracketed_name", "SELECT [a;b] FROM t;", {"SELECT [a;b] FROM t"}},
        SplitCase{"comments", "-- heading; not a statement\nA; -- tail;\n-- only a comment;\nB", {"A", "B"}},
        SplitCase{"dashes_in_literal", "INSERT INTO t VALUES ('a--b');", {"INSERT INTO t VALUES ('a--b')"}},
        SplitCase{"empty_statements", " ; ;\n;", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitScriptLines, StatementsKnowTheirFirstLine)
{
    const auto got = splitScript(QStringLiteral("-- c\n\nA;\n  B\n  continued;"));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].line, 3);
    EXPECT_EQ(got[1].line, 4);
}

TEST(SplitScriptLines, AnOpenLiteralIsAnError)
{
    EXPECT_THROW(splitScript(QStringLiteral("A;\nINSERT INTO t VALUES ('x);")), std::runtime_error);
    EXPECT_THROW(splitScript(QStringLiteral("SELECT [a FROM t")), std::runtime_error);
}

TEST(ParseCsv, ReadsHeaderRowsQuotesAndCrLf)
{
    const CsvTable t = parseCsv(QStringLiteral("\uFEFFТ,Плотность\r\n1,999.85\r\n\r\n\"2\",\"9,5\"\"\"\r\n3,\r\n"));
    EXPECT_EQ(t.header, (QStringList{"Т", "Плотность"}));
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0], (QStringList{"1", "999.85"}));
    EXPECT_EQ(t.rows[1], (QStringList{"2", "9,5\""}));
    EXPECT_EQ(t.rows[2], (QStringList{"3", ""}));
    EXPECT_EQ(t.rowLines[1], 4);
}

TEST(ParseCsv, ARowWithAnotherFieldCountIsAnError)
{
    EXPECT_THROW(parseCsv(QStringLiteral("a,b\n1,2,3\n")), std::runtime_error);
    EXPECT_THROW(parseCsv(QStringLiteral("a,b\n\"1,2\n")), std::runtime_error);
    EXPECT_THROW(parseCsv(QString()), std::runtime_error);
}

struct LoadCsv : ::testing::Test {
    QTemporaryDir dir;
    volm::Database db;
    void SetUp() override
    {
        volm::Database::create(dir.filePath("r.mdb"));
        db.open(dir.filePath("r.mdb"));
        db.exec("CREATE TABLE [ПлВодыОтТ] ([Т] smallint PRIMARY KEY, [Плотность] float, [Прим] text(20))");
    }
    QString csv(const QByteArray& text)
    {
        const QString path = dir.filePath("t.csv");
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
        return path;
    }
};

TEST_F(LoadCsv, ConvertsByTheDeclaredTypes)
{
    EXPECT_EQ(volm::mkdata::loadCsvIntoTable(db, "ПлВодыОтТ", csv("Т,Плотность,Прим\r\n80,971.77,вода\r\n90,,\r\n")), 2);
    auto q = db.query("SELECT typeof([Т]), typeof([Плотность]), [Плотность], [Прим] FROM [ПлВодыОтТ] ORDER BY [Т]");
    q->first();
    EXPECT_EQ(q->value(0).toString(), "integer");
    EXPECT_EQ(q->value(1).toString(), "real");
    EXPECT_DOUBLE_EQ(q->value(2).toDouble(), 971.77);
    EXPECT_EQ(q->value(3).toString(), "вода");
    q->next();
    EXPECT_TRUE(q->value(2).isNull());
    EXPECT_TRUE(q->value(3).isNull());
}

TEST_F(LoadCsv, RefusesWhatDoesNotFitNamingTheLine)
{
    struct Bad {
        const char* text;
        const char* expected;  // part of the message
    } cases[] = {
        {"Т,Плотность\n80,971,77\n", "line"},                 // field count
        {"Т,Плотность\n80,\"971,77\"\n", "t.csv:2"},        // decimal comma
        {"Т,Плотность\n1,1\n8x,1\n", "t.csv:3"},             // not a whole number
        {"Т,Масса\n80,1\n", "Масса"},                        // unknown column
        {"Т,Плотность\n80,1\n80,2\n", "t.csv:3"},            // duplicate key
    };
    for (const Bad& b : cases) {
        db.exec("DELETE FROM [ПлВодыОтТ]");
        try {
            volm::mkdata::loadCsvIntoTable(db, "ПлВодыОтТ", csv(b.text));
            ADD_FAILURE() << b.text;
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromUtf8(b.expected)))
                << e.what();
        }
    }
}

}  // namespace
