// Which indicator columns a report shows, and under which titles.
#include "output/output_lookup.h"

#include "formulas/catalogue.h"
#include "store/database.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <cctype>
#include <ostream>

namespace volm::test {
namespace {

QStringList names(const std::vector<OutputColumn>& cols) {
    QStringList out;
    for (const OutputColumn& c : cols) out << c.shortName;
    return out;
}

const OutputColumn* findColumn(const std::vector<OutputColumn>& cols, const QString& name) {
    for (const OutputColumn& c : cols)
        if (c.shortName == name) return &c;
    return nullptr;
}

class OutputLookupTest : public ::testing::Test {
protected:
    ProgramFolder folder;
    QString calc = folder.newCalculation(QStringLiteral("calc.mdb"));

    OutputColumns columnsAfter(const QStringList& statements) {
        if (!statements.isEmpty()) execOn(calc, statements);
        Database gr;
        gr.open(calc);
        return outputColumns(gr);
    }
};

// The new calculation is a two-pipe network with every indicator marked.
TEST_F(OutputLookupTest, EveryMarkedColumnInTableOrderWithItsTitle) {
    const OutputColumns cols = columnsAfter({QStringLiteral("UPDATE НазвРасч SET NузПНапПод = 12, NузРНап = 7")});
    EXPECT_EQ(names(cols.header),
              QStringList({"ЭквШер", "ПНапНаУзПод", "РНапНаУз", "МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод",
                           "МаксДлОбр", "МаксСумДлПодОбр", "МинТВоды", "МаксТВоды"}));
    // Sections: everything between КонУзел and Примечание.
    const QStringList sections = names(cols.sections);
    ASSERT_FALSE(sections.isEmpty());
    EXPECT_EQ(sections.first(), QStringLiteral("ГеодВысНач"));
    EXPECT_EQ(sections.last(), QStringLiteral("РНапКон"));
    for (const char* never : {"id", "НачУзел", "КонУзел", "Примечание", "Заполн_Уч"})
        EXPECT_FALSE(sections.contains(QString::fromUtf8(never))) << never;
    EXPECT_EQ(sections.indexOf(QStringLiteral("Ду")) + 1, sections.indexOf(QStringLiteral("КоэфМП")));

    const OutputColumn* sup = findColumn(cols.header, QStringLiteral("ПНапНаУзПод"));
    ASSERT_TRUE(sup);
    EXPECT_EQ(sup->caption, QStringLiteral("Полный напор на узле 12 в подающем трубопроводе, м."));
    EXPECT_EQ(sup->title, QStringLiteral("Полный напор на узле 12 в подающем трубопроводе, м. (ПНапНаУзПод)"));
    const OutputColumn* avail = findColumn(cols.header, QStringLiteral("РНапНаУз"));
    ASSERT_TRUE(avail);
    EXPECT_EQ(avail->title, QStringLiteral("Располагаемый напор на узле 7, м. (РНапНаУз)"));
    const OutputColumn* du = findColumn(cols.sections, QStringLiteral("Ду"));
    ASSERT_TRUE(du);
    EXPECT_EQ(du->title, QStringLiteral("Условный диаметр трубопровода, мм. (Ду)"));
    const OutputColumn* flow = findColumn(cols.sections, QStringLiteral("РасхПод"));
    ASSERT_TRUE(flow);
    EXPECT_EQ(flow->caption, QStringLiteral("Расход воды в подающем трубопроводе на участке, т/ч"));
}

struct MarkCase {
    const char* what;
    QStringList statements;
    QStringList absent;   // columns no longer shown
    bool noHeader;        // no header column left
    QStringList present = {};  // columns still shown
    friend void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.what; }
};

class OutputMarks : public OutputLookupTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(OutputMarks, UnmarkedIndicatorsAreLeftOut) {
    const MarkCase& c = GetParam();
    const OutputColumns cols = columnsAfter(c.statements);
    for (const QString& name : c.absent) {
        EXPECT_FALSE(findColumn(cols.header, name)) << name.toStdString();
        EXPECT_FALSE(findColumn(cols.sections, name)) << name.toStdString();
    }
    EXPECT_EQ(cols.header.empty(), c.noHeader);
    EXPECT_FALSE(cols.sections.empty());
    // Everything not unmarked is still there.
    EXPECT_TRUE(findColumn(cols.sections, QStringLiteral("ДлНаУчПод")));
    for (const QString& name : c.present)
        EXPECT_TRUE(findColumn(cols.header, name) || findColumn(cols.sections, name)) << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Marks, OutputMarks,
    ::testing::Values(
        MarkCase{"predefined header", {"UPDATE ФлыПредопрПок SET ВывВОтчТабл = False WHERE НаимПокСокр = 'ПНапНаУзПод'"},
                 {"ПНапНаУзПод"}, false},
        MarkCase{"user section", {"UPDATE Формулы SET ВывВОтчТабл = False WHERE НаимПокСокр IN ('Ду', 'СкорПод')"},
                 {"Ду", "СкорПод"}, false},
        MarkCase{"every header",
                 {"UPDATE ФлыПредопрПок SET ВывВОтчТабл = False WHERE Табл = False",
                  "UPDATE Формулы SET ВывВОтчТабл = False WHERE Табл = False"},
                 {"ЭквШер", "МинТВоды", "РНапНаУз"}, true},
        // A user indicator may not hide a predefined one of the same short name.
        MarkCase{"predefined before user",
                 {"INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (20, 'Чужой расход', 'РасхПод', True, True, Null, False)",
                  "UPDATE ФлыПредопрПок SET ВывВОтчТабл = False WHERE НаимПокСокр = 'МаксТВоды'"},
                 {"МаксТВоды"}, false, {"РасхПод", "МинТВоды"}}),
    [](const auto& info) {
        std::string s;
        for (char ch : std::string(info.param.what)) s += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return s;
    });

TEST_F(OutputLookupTest, PredefinedCaptionWinsOverAUserIndicatorOfTheSameName) {
    const OutputColumns cols =
        columnsAfter({QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (20, 'Чужой расход', 'РасхПод', True, True, Null, False)")});
    const OutputColumn* flow = findColumn(cols.sections, QStringLiteral("РасхПод"));
    ASSERT_TRUE(flow);
    EXPECT_EQ(flow->caption, QStringLiteral("Расход воды в подающем трубопроводе на участке, т/ч"));
}

TEST_F(OutputLookupTest, NullNodesAndNullNamesLeaveTheirTextOut) {
    const OutputColumns cols = columnsAfter(
        {QStringLiteral("UPDATE НазвРасч SET NузПНапПод = Null, NузРНап = Null"),
         QStringLiteral("UPDATE Формулы SET НаимПок = Null WHERE НаимПокСокр = 'КоэфМП'")});
    const OutputColumn* sup = findColumn(cols.header, QStringLiteral("ПНапНаУзПод"));
    ASSERT_TRUE(sup);
    EXPECT_EQ(sup->caption, QStringLiteral("Полный напор на узле  в подающем трубопроводе, м."));
    const OutputColumn* avail = findColumn(cols.header, QStringLiteral("РНапНаУз"));
    ASSERT_TRUE(avail);
    EXPECT_EQ(avail->caption, QStringLiteral("Располагаемый напор на узле , м."));
    const OutputColumn* k = findColumn(cols.sections, QStringLiteral("КоэфМП"));
    ASSERT_TRUE(k);
    EXPECT_EQ(k->title, QStringLiteral(" (КоэфМП)"));
}

TEST_F(OutputLookupTest, AColumnOfNoIndicatorIsAnErrorNamingIt) {
    // A column renamed behind the program's back, in the header and among the
    // indicator columns of the section table.
    for (const char* column : {"ЭквШер", "Ду"}) {
        SCOPED_TRACE(column);
        ProgramFolder f;
        const QString path = f.newCalculation(QStringLiteral("c.mdb"));
        const QString table = QString::fromUtf8(column) == QStringLiteral("Ду") ? QStringLiteral("Табл")
                                                                               : QStringLiteral("Заг");
        execOn(path, {QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" RENAME COLUMN ") +
                      QString::fromUtf8(column) + QStringLiteral(" TO Чужой")});
        Database gr;
        gr.open(path);
        try {
            outputColumns(gr);
            ADD_FAILURE() << "no error";
        } catch (const OutputLookupError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("\"Чужой\""))) << e.message().toStdString();
        }
    }
}

TEST(OutputLookupOne, UnknownNameThrowsAndKnownNameGivesItsFlag) {
    Catalogue c;
    Indicator user;
    user.shortName = QStringLiteral("Х");
    user.fullName = QStringLiteral("Икс");
    user.inReport = false;
    c.user.push_back(user);
    const OutputLookup x = lookUpOutput(c, QStringLiteral("Х"), QVariant(), QVariant());
    EXPECT_FALSE(x.output);
    EXPECT_EQ(x.caption, QStringLiteral("Икс"));
    EXPECT_THROW(lookUpOutput(c, QStringLiteral("х"), QVariant(), QVariant()), OutputLookupError);
    EXPECT_EQ(outputTitle(QStringLiteral("Икс"), QStringLiteral("Х")), QStringLiteral("Икс (Х)"));
}

}  // namespace
}  // namespace volm::test
