// Record events and keys: the calculation-done flag, the SQL store of a section
// row, the cursor guards, key and node generation, the list match.
#include "store/errors.h"
#include "store/records.h"
#include "tests/store/store_harness.h"

#include <QLocale>

using namespace volm;
using namespace volm::test;

namespace {

// --- Value texts ---------------------------------------------------------------

struct ValueCase {
    const char* name;
    FieldKind kind;
    QVariant value;
    const char* text;
};

class ValueText : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueText, IsWrittenInTheSqlDialect) {
    Field f;
    f.name = "П";
    f.kind = GetParam().kind;
    EXPECT_EQ(sqlValueText(f, GetParam().value), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueText,
    ::testing::Values(ValueCase{"NullFloat", FieldKind::Float, QVariant(), "Null"},
                      ValueCase{"NullText", FieldKind::Text, QVariant(), "Null"},
                      ValueCase{"SmallInt", FieldKind::SmallInt, QVariant(-12), "-12"},
                      ValueCase{"Integer", FieldKind::Integer, QVariant(2147483600), "2147483600"},
                      ValueCase{"True", FieldKind::Bool, QVariant(true), "True"},
                      ValueCase{"False", FieldKind::Bool, QVariant(false), "False"},
                      ValueCase{"Fraction", FieldKind::Float, QVariant(1234567.25), "1234567.25"},
                      ValueCase{"FifteenDigits", FieldKind::Float, QVariant(0.1 + 0.2), "0.3"},
                      ValueCase{"Whole", FieldKind::Float, QVariant(120.0), "120"},
                      ValueCase{"Small", FieldKind::Float, QVariant(0.00015), "0.00015"},
                      ValueCase{"Quote", FieldKind::Text, QVariant("O'Brien"), "'O''Brien'"},
                      ValueCase{"TwoQuotes", FieldKind::Text, QVariant("''"), "''''''"},
                      ValueCase{"EmptyText", FieldKind::Text, QVariant(""), "''"}),
    [](const ::testing::TestParamInfo<ValueCase>& i) { return std::string(i.param.name); });

TEST(ValueText, FloatsKeepTheDecimalPointWhateverTheLocale) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Field f;
    f.kind = FieldKind::Float;
    EXPECT_EQ(sqlValueText(f, 2.5), "2.5");
    EXPECT_EQ(formatChisel(-1e-7), "-1e-07");
    QLocale::setDefault(QLocale::c());
}

// --- Stores and flags on a started program ------------------------------------

using Records = StoreHarness;

TEST_F(Records, CalculationDoneFlagIsWrittenOnlyWhenItChanges) {
    startWithCalculation({"UPDATE НазвРасч SET РасчетВыполнен=True"});
    ASSERT_TRUE(app->RasVip);
    UstanovitRasVip(*app, false);
    EXPECT_FALSE(app->RasVip);
    EXPECT_FALSE(fileValue(calc, "SELECT РасчетВыполнен FROM НазвРасч").toBool());

    // Behind the program's back the file says true again; a second false does
    // not write, so the file keeps it.
    execOn(calc, {"UPDATE НазвРасч SET РасчетВыполнен=True"});
    UstanovitRasVip(*app, false);
    EXPECT_TRUE(fileValue(calc, "SELECT РасчетВыполнен FROM НазвРасч").toBool());

    UstanovitRasVip(*app, true);
    EXPECT_TRUE(app->RasVip);
}

TEST_F(Records, HeaderPostClearsTheFlag) {
    startWithCalculation({"UPDATE НазвРасч SET РасчетВыполнен=True"});
    app->dm.atZag->setValue("МаксДлПод", 10.0);
    app->dm.atZag->post();
    EXPECT_FALSE(app->RasVip);
    EXPECT_FALSE(fileValue(calc, "SELECT РасчетВыполнен FROM НазвРасч").toBool());
}

TEST_F(Records, UpdatesCarryTenPairsEach) {
    // A section table with 23 fields besides id.
    QString create = "CREATE TABLE Т23 (id integer PRIMARY KEY";
    for (int i = 1; i <= 23; ++i) create += QStringLiteral(", П%1 float").arg(i);
    create += ")";
    startWithCalculation({create, "INSERT INTO Т23 (id) VALUES (9)"});
    Table t(app->dm.acGR, "Т23");
    t.open();
    for (int i = 1; i <= 23; ++i) t.setValue(i, i * 1.5);
    std::vector<int> fields;
    for (int i = 1; i <= 23; ++i) fields.push_back(i);
    const std::vector<BoundStatement> sql = updateStatements(t, fields);
    ASSERT_EQ(sql.size(), 3u);
    EXPECT_EQ(sql[0].sql, "UPDATE \"Т23\" SET \"П1\" = ?1, \"П2\" = ?2, \"П3\" = ?3, \"П4\" = ?4, \"П5\" = ?5, "
                          "\"П6\" = ?6, \"П7\" = ?7, \"П8\" = ?8, \"П9\" = ?9, \"П10\" = ?10 WHERE \"id\" = ?11");
    ASSERT_EQ(sql[0].values.size(), 11u);
    EXPECT_DOUBLE_EQ(sql[0].values[0].toDouble(), 1.5);
    EXPECT_EQ(sql[0].values[10].toInt(), 9);
    EXPECT_EQ(sql[1].sql.count("?"), 11);
    EXPECT_EQ(sql[2].sql, "UPDATE \"Т23\" SET \"П21\" = ?1, \"П22\" = ?2, \"П23\" = ?3 WHERE \"id\" = ?4");
    ASSERT_EQ(sql[2].values.size(), 4u);
    EXPECT_DOUBLE_EQ(sql[2].values[2].toDouble(), 34.5);
}

TEST_F(Records, ZapisatUchastokStoresTheRowAndReturnsToIt) {
    startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (1, 0, 1)",
                          "INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (2, 1, 2)",
                          "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (3, 2, 3, 40)"});
    Table& t = *app->dm.atTabl;
    t.setCurrentRow(2);
    t.setValue("ДлНаУчПод", QVariant());  // a cleared cell
    t.setValue("Примечание", "O'Brien");
    t.setValue("Заполн_Уч", "Д");
    ZapisatUchastok(*app);
    EXPECT_EQ(t.state(), Table::State::Browse);
    EXPECT_EQ(t.value("id").toInt(), 3);
    EXPECT_EQ(t.value("Примечание").toString(), "O'Brien");
    EXPECT_TRUE(fileValue(calc, "SELECT ДлНаУчПод FROM Табл WHERE id=3").isNull());
    EXPECT_EQ(fileValue(calc, "SELECT Примечание FROM Табл WHERE id=3").toString(), "O'Brien");
    EXPECT_EQ(fileValue(calc, "SELECT Заполн_Уч FROM Табл WHERE id=3").toString(), "Д");
}

TEST_F(Records, ZapisatUchastokInsertsANewRowFirst) {
    startWithCalculation();
    Table& t = *app->dm.atTabl;
    ZapisatUchastok(*app);  // empty and not inserting: nothing
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM Табл").toInt(), 0);
    t.append();  // a new row nothing was typed into: it goes
    ZapisatUchastok(*app);
    EXPECT_EQ(t.state(), Table::State::Browse);
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM Табл").toInt(), 0);

    t.append();  // id 1, nodes 0 -> 1
    t.setValue("РасхПод", 3.25);
    ZapisatUchastok(*app);
    EXPECT_EQ(t.state(), Table::State::Browse);
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_DOUBLE_EQ(fileValue(calc, "SELECT РасхПод FROM Табл WHERE id=1").toDouble(), 3.25);
    EXPECT_EQ(fileValue(calc, "SELECT КонУзел FROM Табл WHERE id=1").toInt(), 1);
}

TEST_F(Records, CursorsRefuseWhatTheTablesDoNotAllow) {
    startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (1, 0, 1)",
                          "INSERT INTO УзлыТС VALUES (0, 10)",
                          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (1, 'П', 'П', True, True, Null, True)",
                          "INSERT INTO ИзмПНапВУзлахТС VALUES (1, False, 2)"});
    DataModule& dm = app->dm;
    for (Table* t : {dm.atZag.get(), dm.atTabl.get(), dm.atUzliTS.get(), dm.atFormuli.get(), dm.atFlyPredoprPok.get(),
                     dm.atIzmPNapVUzlahTS.get(), dm.atDiamTrPr.get(), dm.atPlVodiOtT.get(), dm.atPoprKoefKUdPot.get()}) {
        const int rows = t->recordCount();
        ASSERT_GT(rows, 0) << t->tableName().toStdString();
        EXPECT_THROW(t->remove(), Abort) << t->tableName().toStdString();
        t->requery();
        EXPECT_EQ(t->recordCount(), rows) << t->tableName().toStdString();
    }
    for (Table* t : {dm.atZag.get(), dm.atFlyPredoprPok.get()}) {
        EXPECT_THROW(t->append(), Abort);
        EXPECT_EQ(t->state(), Table::State::Browse);
    }
    EXPECT_TRUE(person.messages.isEmpty());
}

TEST_F(Records, NodeRowWithoutANumberIsRefusedNamingTheField) {
    startWithCalculation();
    Table& nodes = *app->dm.atUzliTS;
    nodes.append();
    nodes.setValue("ГеодВыс", 2.0);
    EXPECT_THROW(nodes.post(), Abort);
    EXPECT_EQ(person.messages, QStringList{"Поле \"Номер узла\" должно быть заполнено."});
    EXPECT_EQ(nodes.state(), Table::State::Insert);
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM УзлыТС WHERE Nуз IS NULL").toInt(), 0);
    nodes.setValue("Nуз", 7);
    nodes.post();
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM УзлыТС WHERE Nуз = 7").toInt(), 1);
}

TEST_F(Records, NegativeNodeNumberIsRefusedAndTheRowStaysInEditing) {
    startWithCalculation();
    Table& nodes = *app->dm.atUzliTS;
    nodes.append();
    nodes.setValue("Nуз", -1);
    EXPECT_THROW(nodes.post(), Abort);
    EXPECT_EQ(person.messages,
              QStringList{"Параметр \"Номер узла\" должен быть целым числом из диапазона [0...32767]."});
    EXPECT_EQ(nodes.state(), Table::State::Insert);
    nodes.setValue("Nуз", 0);
    nodes.post();
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM УзлыТС WHERE Nуз=0").toInt(), 1);
}

TEST_F(Records, OchistitTablicuEmptiesAWorkingTable) {
    startWithCalculation({"INSERT INTO СписокРасчУчастков VALUES (1, 2)", "INSERT INTO СписокРасчУчастков VALUES (2, 3)"});
    OchistitTablicu(*app->dm.atSpisokRaschUchastkov);
    EXPECT_EQ(app->dm.atSpisokRaschUchastkov->recordCount(), 0);
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM СписокРасчУчастков").toInt(), 0);
    EXPECT_FALSE(app->dm.atSpisokRaschUchastkov->controlsDisabled());
}

// --- New section rows ----------------------------------------------------------

struct NewRowCase {
    const char* name;
    QStringList rows;  // existing sections
    QString sort;
    int start;
    QVariant end;
    int id;
};

class NewSectionRow : public StoreHarness, public ::testing::WithParamInterface<NewRowCase> {};

TEST_P(NewSectionRow, GetsNodesAfterTheLastSectionAndAFreeKey) {
    const NewRowCase& c = GetParam();
    QStringList sql;
    for (const QString& r : c.rows) sql << "INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (" + r + ")";
    startWithCalculation(sql);
    Table& t = *app->dm.atTabl;
    t.setSort(c.sort);
    t.append();
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join('\n').toStdString();
    EXPECT_EQ(t.state(), Table::State::Insert);
    EXPECT_EQ(t.value("НачУзел").toInt(), c.start);
    EXPECT_EQ(t.value("КонУзел"), c.end);
    EXPECT_EQ(t.value("id").toInt(), c.id);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NewSectionRow,
    ::testing::Values(NewRowCase{"FirstSection", {}, "id ASC", 0, 1, 1},
                      NewRowCase{"AfterFourToSeven", {"1, 4, 7", "2, 1, 4"}, "НачУзел ASC, КонУзел ASC", 7, 8, 3},
                      NewRowCase{"LastEndEmpty", {"1, 0, 1", "2, 5, Null"}, "id ASC", 0, 1, 3},
                      NewRowCase{"LastEndAtTheTop", {"1, 32766, 32767"}, "id ASC", 32767, QVariant(), 2},
                      NewRowCase{"KeyAtTheLimit", {"1, 0, 1", "2, 1, 2", "5, 2, 3", "2147483600, 3, 4"}, "id ASC", 4,
                                 5, 3}),
    [](const ::testing::TestParamInfo<NewRowCase>& i) { return std::string(i.param.name); });

struct KeyCase {
    std::vector<qint64> keys;
    qint64 next;
};

class NextKey : public ::testing::TestWithParam<KeyCase> {};

TEST_P(NextKey, FollowsTheLastOrFillsTheFirstGap) { EXPECT_EQ(nextSectionKey(GetParam().keys), GetParam().next); }

INSTANTIATE_TEST_SUITE_P(Cases, NextKey,
                         ::testing::Values(KeyCase{{}, 1}, KeyCase{{1, 2, 3}, 4}, KeyCase{{7}, 8},
                                           KeyCase{{2147483599}, 2147483600},
                                           KeyCase{{1, 2, 5, 2147483600}, 3},
                                           KeyCase{{2, 2147483600}, 1},
                                           KeyCase{{1, 2, 3, 2147483600}, 4}));

// --- List match ----------------------------------------------------------------

TEST(NaitiVSpiske, MatchesIgnoringCaseAndGivesTheItemsOwnSpelling) {
    const QStringList items{"Длина", "ДлНаУчПод", "РасхПод"};
    ListMatch m = NaitiVSpiske(items, "длнаучпод");
    EXPECT_EQ(m.index, 1);
    EXPECT_EQ(m.text, "ДлНаУчПод");
    m = NaitiVSpiske(items, "Расх");
    EXPECT_EQ(m.index, -1);
    EXPECT_EQ(m.text, "");
    EXPECT_EQ(NaitiVSpiske({}, "x").index, -1);
}


// --- Required fields of a user indicator ------------------------------------------

struct RequiredCase {
    const char* label;
    const char* empty;    // the field left empty
    const char* caption;  // as the formulas window names it
};

class IndicatorRequired : public StoreHarness, public ::testing::WithParamInterface<RequiredCase> {};

TEST_P(IndicatorRequired, AnEmptyFieldIsRefusedInTheWindowsOwnWords) {
    startWithCalculation();
    Table& f = *app->dm.atFormuli;
    f.append();
    const QVariant values[][2] = {{"НаимПокСокр", "Пок"}, {"Табл", true}, {"ВводПольз", false}, {"ВывВОтчТабл", true}};
    for (const auto& v : values)
        if (v[0].toString() != QString::fromUtf8(GetParam().empty)) f.setValue(v[0].toString(), v[1]);
    EXPECT_THROW(f.post(), Abort);
    const QString shortName = QString::fromUtf8(GetParam().empty) == "НаимПокСокр" ? QString() : QStringLiteral("Пок");
    EXPECT_EQ(person.messages, QStringList{"Показатели расчета:\rСокр. наименование показателя: \"" + shortName +
                                           "\":\r\rПоле \"" + QString::fromUtf8(GetParam().caption) +
                                           "\" должно быть заполнено."});
    EXPECT_EQ(f.state(), Table::State::Insert);
    EXPECT_EQ(fileValue(calc, "SELECT count(*) FROM Формулы").toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, IndicatorRequired,
    ::testing::Values(RequiredCase{"ShortName", "НаимПокСокр", "Сокр. наименование показателя"},
                      RequiredCase{"TableOrHeader", "Табл", "Табличный (Т) или заголовочный (З)"},
                      RequiredCase{"Entered", "ВводПольз", "Вводится пользователем"},
                      RequiredCase{"InReport", "ВывВОтчТабл", "Выводить в отчет"}),
    [](const ::testing::TestParamInfo<RequiredCase>& i) { return std::string(i.param.label); });

}  // namespace
