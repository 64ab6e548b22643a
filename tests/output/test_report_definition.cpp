// Report definitions: the names a definition reads over the report data (the
// named connections, the marked columns, the sections in their order, the
// mains), numbers in the report precision with the user's separator, and the
// errors of a missing or broken definition naming their file.
#include "output/report_data.h"
#include "output/report_definition.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace volm::report {
namespace {

Field field(const char* name, FieldKind kind) {
    Field f;
    f.name = QString::fromUtf8(name);
    f.kind = kind;
    return f;
}

// A two-pipe calculation of three sections listed in the order 2-3, 1-2, 2-4
// (as a main window sorted some other way would show them) and two mains.
ReportData sample() {
    ReportData d;
    d.networkType = 1;
    d.precision = 2;
    d.separator = QLatin1Char(',');
    d.date = QDate(2026, 12, 10);
    d.nazvRas.fields = {field("НазвРасч", FieldKind::Text), field("ТипСети", FieldKind::Integer),
                        field("РасчРасх", FieldKind::Bool)};
    d.nazvRas.rows = {{QStringLiteral("Квартал <7>"), 1, true}};
    d.zag.fields = {field("ЭквШер", FieldKind::Float), field("ПНапНаУзПод", FieldKind::Float)};
    d.zag.rows = {{0.5, 160.0}};
    d.nastr.fields = {field("ТочностьЧиселВОтч", FieldKind::Integer)};
    d.nastr.rows = {{2}};
    d.rashPod.fields = {field("НаимПок", FieldKind::Text)};
    d.rashPod.rows = {{QStringLiteral("Расход воды в подающем трубопроводе на участке, т/ч")}};
    d.tabl.fields = {field("id", FieldKind::Integer),       field("НачУзел", FieldKind::SmallInt),
                     field("КонУзел", FieldKind::SmallInt), field("РасхПод", FieldKind::Float),
                     field("Ду", FieldKind::Float),         field("ПотНаУчПод", FieldKind::Float),
                     field("Примечание", FieldKind::Text),  field("Заполн_Уч", FieldKind::Bool)};
    d.tabl.rows = {{2, 2, 3, 57.0, 200.0, 1.005, QVariant(), false},
                   {1, 1, 2, 120.0, 250.0, -0.004, QStringLiteral("от котельной"), false},
                   {3, 2, 4, 63.0, QVariant(), 2.5, QString(), false}};
    d.sectionColumns = {{QStringLiteral("РасхПод"), QStringLiteral("Расход"), QStringLiteral("Расход (РасхПод)")},
                        {QStringLiteral("Ду"), QStringLiteral("Диаметр"), QStringLiteral("Диаметр (Ду)")},
                        {QStringLiteral("ПотНаУчПод"), QStringLiteral("Потери"), QStringLiteral("Потери (ПотНаУчПод)")}};
    d.headerColumns = {{QStringLiteral("ПНапНаУзПод"), QStringLiteral("Полный напор на узле 3"),
                        QStringLiteral("Полный напор на узле 3 (ПНапНаУзПод)")}};
    d.konMag.fields = {field("id_m", FieldKind::SmallInt), field("КонУзел", FieldKind::SmallInt),
                       field("ДлМагПод", FieldKind::Float), field("РНап", FieldKind::Float)};
    d.konMag.rows = {{1, 3, 880.0, 54.625}, {2, 4, 1100.0, 0.05}};
    d.mainPaths = {QStringLiteral("1 - 2 - 3"), QStringLiteral("1 - 2 - 4")};
    d.lowHeadNodes = {4};
    return d;
}

std::string render(const std::string& text, const ReportData& d) {
    return Definition::parse(text, QStringLiteral("t.rav")).render(d);
}

struct Case {
    const char* name;
    const char* definition;
    const char* expected;
};

class Names : public ::testing::TestWithParam<Case> {};

TEST_P(Names, RenderAsTheHelpSays) {
    EXPECT_EQ(render(GetParam().definition, sample()), GetParam().expected);
}

const Case kCases[] = {
    {"SingleRows", "{{rcNazvRas.НазвРасч}}|{{#rcNazvRas}}{{ТипСети}}{{/rcNazvRas}}|{{rcZag.ЭквШер}}|{{rcRashPod.НаимПок}}",
     "Квартал &lt;7&gt;|1|0,50|Расход воды в подающем трубопроводе на участке, т/ч"},
    {"BooleanField", "{{#rcNazvRas.РасчРасх}}yes{{/rcNazvRas.РасчРасх}}", "yes"},
    {"SectionsInTheirOrder", "{{#rcTabl}}[{{Участок}}:{{id}}:{{РасхПод}}]{{/rcTabl}}",
     "[2 - 3:2:57,00][1 - 2:1:120,00][2 - 4:3:63,00]"},
    {"MarkedValuesInColumnOrder", "{{#Участки}}{{#Значения}}{{Сокр}}={{Значение}};{{/Значения}}|{{/Участки}}",
     "РасхПод=57,00;Ду=200,00;ПотНаУчПод=1,01;|РасхПод=120,00;Ду=250,00;ПотНаУчПод=0,00;|"
     "РасхПод=63,00;Ду=;ПотНаУчПод=2,50;|"},
    {"NullAndEmptyNotesAreFalse", "{{#Участки}}{{#Примечание}}<{{Примечание}}>{{/Примечание}}{{^Примечание}}-{{/Примечание}}{{/Участки}}",
     "-<от котельной>-"},
    {"MarkedColumns", "{{#ПоказателиТабл}}{{Номер}}.{{Заголовок}};{{/ПоказателиТабл}}{{#ПоказателиЗаг}}{{Наим}}={{Значение}}{{/ПоказателиЗаг}}",
     "1.Расход (РасхПод);2.Диаметр (Ду);3.Потери (ПотНаУчПод);Полный напор на узле 3=160,00"},
    {"Mains", "{{#Магистрали}}{{Номер}}:{{Путь}}:{{#Значения}}{{Сокр}}={{Значение}} {{/Значения}}|{{/Магистрали}}",
     "1:1 - 2 - 3:ДлМагПод=880,00 ДлМагОбр= ДлМагСум= ПотНОтИПод= ПотНОтИОбр= ПНапПод= ПНапОбр= РНап=54,63 |"
     "2:1 - 2 - 4:ДлМагПод=1100,00 ДлМагОбр= ДлМагСум= ПотНОтИПод= ПотНОтИОбр= ПНапПод= ПНапОбр= РНап=0,05 |"},
    {"MainsOfTheConnection", "{{#rcKonMag}}{{id_m}}/{{КонУзел}}/{{Путь}};{{/rcKonMag}}", "1/3/1 - 2 - 3;2/4/1 - 2 - 4;"},
    {"Title", "{{ТипСети}}|{{ТипСетиРод}}|{{#Двухтрубная}}2{{/Двухтрубная}}{{#Однотрубная}}1{{/Однотрубная}}|{{Дата}}",
     "двухтрубная|двухтрубной|2|10.12.2026"},
    {"LowHeads", "{{#ЕстьУзлыНизкийНапор}}{{#УзлыНизкийНапор}}{{Узел}}{{/УзлыНизкийНапор}}{{/ЕстьУзлыНизкийНапор}}", "4"},
    {"UnknownNameIsEmpty", "[{{НетТакого}}][{{rcZag.НетТакого}}]{{#Участки}}[{{НетТакого}}]{{/Участки}}", "[][][][][]"},
};

INSTANTIATE_TEST_SUITE_P(Definition, Names, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The report precision and the separator reach every number; whole numbers
// stay whole and a value that rounds to zero has no minus sign.
TEST(ReportNumbers, PrecisionAndSeparator) {
    struct Row {
        int precision;
        char separator;
        const char* expected;
    };
    const Row rows[] = {{0, ',', "2:1|1:0|3:3|"}, {2, ',', "2:1,01|1:0,00|3:2,50|"},
                        {3, '.', "2:1.005|1:-0.004|3:2.500|"}, {7, ',', "2:1,0050000|1:-0,0040000|3:2,5000000|"}};
    for (const Row& r : rows) {
        ReportData d = sample();
        d.precision = r.precision;
        d.separator = QLatin1Char(r.separator);
        EXPECT_EQ(render("{{#rcTabl}}{{id}}:{{ПотНаУчПод}}|{{/rcTabl}}", d), r.expected) << r.precision;
    }
}

// Wide section tables come in parts of at most kColumnsPerPart columns, each
// part with every section and the values of its own columns.
TEST(ReportParts, WideTablesSplitIntoParts) {
    ReportData d = sample();
    d.sectionColumns.clear();
    for (int i = 0; i < 20; ++i) {
        d.tabl.fields.push_back(field("x", FieldKind::Float));
        d.tabl.fields.back().name = QStringLiteral("П%1").arg(i);
        for (auto& row : d.tabl.rows) row.push_back(double(i));
        d.sectionColumns.push_back({d.tabl.fields.back().name, QString(), QString()});
    }
    const std::string out = render(
        "{{#ЧастиТабл}}<{{Номер}}{{#Продолжение}}+{{/Продолжение}}:{{#Показатели}}{{Сокр}},{{/Показатели}}"
        "{{#Участки}}{{Участок}}={{#Значения}}{{Значение}} {{/Значения}};{{/Участки}}>{{/ЧастиТабл}}{{Ориентация}}",
        d);
    std::string part1 = "<1:", part2 = "<2+:", row1, row2;
    for (int i = 0; i < 10; ++i) {
        part1 += "П" + std::to_string(i) + ",";
        part2 += "П" + std::to_string(i + 10) + ",";
        row1 += std::to_string(i) + ",00 ";
        row2 += std::to_string(i + 10) + ",00 ";
    }
    const std::string expected = part1 + "2 - 3=" + row1 + ";1 - 2=" + row1 + ";2 - 4=" + row1 + ";>" + part2 +
                                 "2 - 3=" + row2 + ";1 - 2=" + row2 + ";2 - 4=" + row2 + ";>landscape";
    EXPECT_EQ(out, expected);
}

TEST(ReportDefinitionFile, MissingFileNamesItsFullPath) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("1.rav"));
    try {
        Definition::load(path);
        FAIL() << "no error";
    } catch (const ReportError& e) {
        EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
    }
}

TEST(ReportDefinitionFile, BrokenDefinitionGivesTheParserTextAndTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("0.rav"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<table>{{#Участки}}<tr><td>{{Участок}}</td></tr></table>");
    f.close();
    try {
        Definition::load(path);
        FAIL() << "no error";
    } catch (const ReportError& e) {
        EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("Unclosed section \"Участки\""))) << e.message().toStdString();
    }
}

TEST(ReportDefinitionFile, ShippedDefinitionsParse) {
    for (const char* name : {"0.rav", "1.rav"}) {
        const QString path = QDir(QStringLiteral(VOLM_BIN_DIR)).filePath(QString::fromLatin1(name));
        EXPECT_NO_THROW(Definition::load(path).render(sample())) << name;
    }
}

}  // namespace
}  // namespace volm::report
