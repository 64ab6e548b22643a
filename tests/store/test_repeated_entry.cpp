// Repeated data entry: the indicator lists by network type, the combo
// normalisation, marking sections, and the apply with its check of every number
// before anything is written.
#include "store/collation.h"
#include "store/records.h"
#include "store/repeated_entry.h"
#include "tests/store/shipped_harness.h"

using namespace volm;
using namespace volm::test;

namespace {

struct RepeatedEntry : ShippedHarness {
    // Three sections 0-1, 1-2, 2-3 with keys 1..3; the first and the last marked.
    void startWithSections(int networkType = 1, bool marks = true) {
        start({QStringLiteral("UPDATE НазвРасч SET ТипСети=%1, РасчетВыполнен=True").arg(networkType),
               "INSERT INTO Табл (id, НачУзел, КонУзел, Ду, КоэфМП, ДлНаУчПод) VALUES (1, 0, 1, 100, 0.3, 10)",
               "INSERT INTO Табл (id, НачУзел, КонУзел, Ду, КоэфМП, ДлНаУчПод) VALUES (2, 1, 2, 80, 0.3, Null)",
               "INSERT INTO Табл (id, НачУзел, КонУзел, Ду, КоэфМП, ДлНаУчПод) VALUES (3, 2, 3, 50, 0.3, 30)",
               marks ? "UPDATE Табл SET Заполн_Уч='Д' WHERE id IN (1, 3)" : "SELECT 1"});
        app->FormuliProvereny = true;
    }
    QVariant stored(const char* column, int id) const {
        return calcValue(QStringLiteral("SELECT %1 FROM Табл WHERE id=%2").arg(QString::fromUtf8(column)).arg(id));
    }
    QStringList marks() const {
        QStringList out;
        for (int id = 1; id <= 3; ++id) out << stored("Заполн_Уч", id).toString();
        return out;
    }
    Table& sections() { return *app->dm.atTabl; }
};

// --- Lists ----------------------------------------------------------------------

TEST_F(RepeatedEntry, TwoPipeListsHoldEveryPredefinedTableIndicatorThenUserOnesByNumber) {
    startWithSections(1);
    const IndicatorLists l = repeatedEntryLists(*app);
    EXPECT_EQ(l.targets, (QStringList{"ДлНаУчПод", "РасхПод", "Ду", "КоэфМП", "ТребРНап"}));
    EXPECT_EQ(l.sources.first(), QStringLiteral("ГеодВысКон"));
    EXPECT_TRUE(l.sources.contains(QStringLiteral("ДлНаУчОбр")));
    EXPECT_FALSE(l.sources.contains(QStringLiteral("МаксТВоды")));  // a header indicator
    EXPECT_FALSE(l.sources.contains(QStringLiteral("ЭквШер")));     // a user header indicator
    EXPECT_EQ(l.sources.mid(l.sources.size() - 11),
              (QStringList{"Ду", "КоэфМП", "Двн", "ТСрПод", "ПлПод", "УдПотПод", "ПотНаУчПод", "СкорПод", "ТребРНап",
                           "ИзбНап", "ДШайбы"}));
    // Predefined names in alphabetical order.
    const int predefined = l.sources.size() - 11;
    for (int i = 1; i < predefined; ++i)
        EXPECT_LT(compareAlphabetical(l.sources[i - 1], l.sources[i]), 0) << l.sources[i - 1].toStdString() << " " << l.sources[i].toStdString();
}

TEST_F(RepeatedEntry, OnePipeListsLeaveOutIndicatorsOfTheReturnPipeline) {
    startWithSections(0);
    const IndicatorLists l = repeatedEntryLists(*app);
    EXPECT_EQ(l.targets, (QStringList{"ДлНаУчПод", "РасхПод", "Ду", "КоэфМП", "ТребРНап"}));
    for (const char* name : {"ДлНаУчОбр", "РасхОбр", "ПНапКонОбр", "РНапНач"})
        EXPECT_FALSE(l.sources.contains(QString::fromUtf8(name))) << name;
    EXPECT_TRUE(l.sources.contains(QStringLiteral("ПНапКонПод")));
}

struct NormaliseCase {
    const char* name;
    Assignment typed;
    Assignment expected;
};

class Normalise : public ::testing::TestWithParam<NormaliseCase> {};

TEST_P(Normalise, CombosHoldOnlyListedNamesAndANumberWinsOverASource) {
    const IndicatorLists lists{{"ДлНаУчПод", "Ду"}, {"ДлНаУчПод", "Ду", "Двн"}};
    std::vector<Assignment> rows{GetParam().typed};
    normaliseAssignments(lists, rows);
    EXPECT_EQ(rows[0].target, GetParam().expected.target);
    EXPECT_EQ(rows[0].number, GetParam().expected.number);
    EXPECT_EQ(rows[0].source, GetParam().expected.source);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Normalise,
    ::testing::Values(NormaliseCase{"OtherCase", {"дУ", "", "двн"}, {"Ду", "", "Двн"}},
                      NormaliseCase{"NotListedErased", {"Двн", "", "Нечто"}, {"", "", ""}},
                      NormaliseCase{"NumberClearsSource", {"Ду", "5", "Двн"}, {"Ду", "5", ""}},
                      NormaliseCase{"BlankNumberStillClearsSource", {"Ду", " ", "Двн"}, {"Ду", " ", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Launcher -------------------------------------------------------------------

TEST_F(RepeatedEntry, LauncherRefusesWithoutSections) {
    start();
    app->FormuliProvereny = true;
    EXPECT_EQ(prepareRepeatedEntry(*app), 0);
    EXPECT_EQ(person.messages,
              QStringList{"В таблице с исходными данными о участках сети должна быть хотя бы одна запись."});
}

TEST_F(RepeatedEntry, LauncherDoesNothingUntilTheTablesAreReady) {
    startWithSections();
    app->FormuliProvereny = false;
    EXPECT_EQ(prepareRepeatedEntry(*app), 0);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_TRUE(stored("Ду", 1).isValid());
}

TEST_F(RepeatedEntry, LauncherStoresTheEditedRowClearsTheFlagAndRemembersTheRecord) {
    startWithSections();
    app->RasVip = true;
    sections().setCurrentRow(1);
    sections().edit();
    sections().setValue(QStringLiteral("Ду"), 65);
    EXPECT_EQ(prepareRepeatedEntry(*app), 2);
    EXPECT_EQ(stored("Ду", 2).toDouble(), 65);
    EXPECT_FALSE(calcValue("SELECT РасчетВыполнен FROM НазвРасч").toBool());
    EXPECT_EQ(sections().recNo(), 1);
    returnToRecord(sections(), 2);
    EXPECT_EQ(sections().recNo(), 2);
}

// --- Marks ----------------------------------------------------------------------

struct MarkCase {
    const char* name;
    MarkOp op;
    std::vector<int> rows;
    bool all;
    QStringList expected;  // Заполн_Уч of sections 1..3 ("" for null)
};

class Marks : public RepeatedEntry, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(Marks, WriteTheMarksAndKeepTheCurrentSection) {
    const MarkCase& c = GetParam();
    startWithSections();
    sections().setCurrentRow(1);
    markSections(*app, c.op, c.rows, c.all);
    EXPECT_EQ(marks(), c.expected);
    EXPECT_EQ(sections().currentRow(), 1);
    EXPECT_FALSE(sections().controlsDisabled());
    // The cursor shows the file.
    const int mark = sections().fieldIndex(QStringLiteral("Заполн_Уч"));
    for (int r = 0; r < 3; ++r) EXPECT_EQ(sections().valueAt(r, mark).toString(), c.expected[r]);
    EXPECT_EQ(person.busyDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ops, Marks,
    ::testing::Values(MarkCase{"YesForAll", MarkOp::Yes, {}, true, {"Д", "Д", "Д"}},
                      MarkCase{"NoForAll", MarkOp::No, {}, true, {"", "", ""}},
                      MarkCase{"Invert", MarkOp::Toggle, {}, true, {"", "Д", ""}},
                      MarkCase{"ToggleSelected", MarkOp::Toggle, {1, 2}, false, {"Д", "Д", ""}},
                      MarkCase{"NothingSelected", MarkOp::Toggle, {}, false, {"Д", "", "Д"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RepeatedEntry, ToggleOfTheCurrentSectionTurnsAnyOtherTextIntoNull) {
    startWithSections();
    execOn(calc, {"UPDATE Табл SET Заполн_Уч='x' WHERE id=2"});
    sections().requery();
    sections().setCurrentRow(1);
    toggleCurrentSection(*app);
    EXPECT_TRUE(stored("Заполн_Уч", 2).isNull());
    toggleCurrentSection(*app);
    EXPECT_EQ(stored("Заполн_Уч", 2).toString(), QStringLiteral("Д"));
    EXPECT_EQ(sections().currentRow(), 1);
}

TEST_F(RepeatedEntry, SectionStatusTextLeavesOutEmptyNodes) {
    startWithSections();
    execOn(calc, {"UPDATE Табл SET НачУзел=Null WHERE id=2"});
    sections().requery();
    EXPECT_EQ(sectionStatusText(sections(), 0), QStringLiteral("Участок 0 - 1"));
    EXPECT_EQ(sectionStatusText(sections(), 1), QStringLiteral("Участок  - 2"));
}

// --- Apply ----------------------------------------------------------------------

std::vector<Assignment> rowsOf(std::initializer_list<Assignment> rows) {
    std::vector<Assignment> v(rows);
    v.resize(kAssignmentRows);
    return v;
}

TEST_F(RepeatedEntry, ApplyWritesMarkedSectionsOnlyInRowOrder) {
    startWithSections();
    sections().setCurrentRow(1);
    const bool ok = applyAssignments(*app, rowsOf({{"Ду", "1 234,5", ""},
                                                    {"коэфмп", "", "Ду"},        // sees the row above
                                                    {"ДлНаУчПод", "", ""},       // nothing to write
                                                    {"", "7", ""},               // no target
                                                    {"РасхПод", "", "ДлНаУчПод"},  // copies
                                                    {"ДлНаУчПод", "2.5", "Ду"}}));   // the number wins
    ASSERT_TRUE(ok);
    EXPECT_EQ(person.messages, QStringList{"Данные введены успешно."});
    for (int id : {1, 3}) {
        EXPECT_DOUBLE_EQ(stored("Ду", id).toDouble(), 1234.5);
        EXPECT_DOUBLE_EQ(stored("КоэфМП", id).toDouble(), 1234.5);
        EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", id).toDouble(), 2.5);
    }
    EXPECT_DOUBLE_EQ(stored("РасхПод", 1).toDouble(), 10);
    EXPECT_DOUBLE_EQ(stored("РасхПод", 3).toDouble(), 30);
    // The unmarked section is left alone.
    EXPECT_DOUBLE_EQ(stored("Ду", 2).toDouble(), 80);
    EXPECT_TRUE(stored("РасхПод", 2).isNull());
    EXPECT_EQ(sections().recNo(), 2);
    EXPECT_DOUBLE_EQ(sections().valueAt(0, sections().fieldIndex(QStringLiteral("Ду"))).toDouble(), 1234.5);
    EXPECT_FALSE(sections().controlsDisabled());
}

TEST_F(RepeatedEntry, ApplyCopiesANullSource) {
    startWithSections();
    execOn(calc, {"UPDATE Табл SET Заполн_Уч='Д'"});
    sections().requery();
    ASSERT_TRUE(applyAssignments(*app, rowsOf({{"Ду", "", "ДлНаУчПод"}})));
    EXPECT_TRUE(stored("Ду", 2).isNull());
    EXPECT_DOUBLE_EQ(stored("Ду", 3).toDouble(), 30);
}

// Nothing to write: no section marked, or no row filled. The person is told
// so, no section changes and the calculation keeps its done flag.
struct NothingToWriteCase {
    const char* name;
    bool marks;
    bool rowFilled;
    const char* message;
};

class NothingToWrite : public RepeatedEntry, public ::testing::WithParamInterface<NothingToWriteCase> {};

TEST_P(NothingToWrite, IsSaidAndLeavesTheCalculationAlone) {
    const NothingToWriteCase& c = GetParam();
    startWithSections(1, c.marks);
    app->RasVip = true;
    const Assignment row{QStringLiteral("Ду"), c.rowFilled ? QStringLiteral("65") : QString(), QString()};
    EXPECT_FALSE(applyAssignments(*app, rowsOf({row})));
    EXPECT_EQ(person.messages, QStringList{QString::fromUtf8(c.message)});
    for (int id = 1; id <= 3; ++id) EXPECT_NE(stored("Ду", id).toDouble(), 65) << id;
    EXPECT_TRUE(app->RasVip);
    EXPECT_TRUE(calcValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NothingToWrite,
    ::testing::Values(NothingToWriteCase{"NoSectionMarked", false, true, "Ни один участок не отмечен \"Д\".\rДанные не введены."},
                      NothingToWriteCase{"NoRowFilled", true, false, "Не заполнена ни одна строка ввода.\rДанные не введены."}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadNumberCase {
    const char* name;
    const char* typed;
};

class BadNumber : public RepeatedEntry, public ::testing::WithParamInterface<BadNumberCase> {};

TEST_P(BadNumber, IsNamedWithItsTargetAndNoSectionChanges) {
    startWithSections();
    app->RasVip = false;
    const QString typed = QString::fromUtf8(GetParam().typed);
    EXPECT_FALSE(applyAssignments(*app, rowsOf({{"Ду", "65", ""}, {"ДлНаУчПод", "", "Ду"}, {"КоэфМП", typed, ""}})));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("\"КоэфМП\""))) << person.messages[0].toStdString();
    EXPECT_TRUE(person.messages[0].contains(QLatin1Char('"') + typed + QLatin1Char('"')));
    EXPECT_DOUBLE_EQ(stored("Ду", 1).toDouble(), 100);
    EXPECT_DOUBLE_EQ(stored("ДлНаУчПод", 1).toDouble(), 10);
    EXPECT_DOUBLE_EQ(stored("КоэфМП", 3).toDouble(), 0.3);
}

INSTANTIATE_TEST_SUITE_P(Texts, BadNumber,
                         ::testing::Values(BadNumberCase{"Letters", "0,3x"}, BadNumberCase{"TwoSeparators", "1,2.3"},
                                           BadNumberCase{"SignOnly", "-"}, BadNumberCase{"Infinity", "inf"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RepeatedEntry, AListedIndicatorWithoutAColumnIsReportedAndNothingChanges) {
    startWithSections();
    // A column the catalogue lists but the table lacks (tables not rebuilt yet).
    execOn(calc, {"INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (10, 'Новый', 'Нов', True, True, Null, False)"});
    app->dm.atFormuli->requery();
    EXPECT_FALSE(applyAssignments(*app, rowsOf({{"Ду", "65", ""}, {"Нов", "1", ""}})));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].startsWith(QStringLiteral("Ошибка при вводе повторяющихся данных.")));
    EXPECT_DOUBLE_EQ(stored("Ду", 1).toDouble(), 100);
    EXPECT_FALSE(app->dm.acGR.inTransaction());
}

TEST_F(RepeatedEntry, ADatabaseErrorOnALaterSectionUndoesTheEarlierOnes) {
    startWithSections();
    execOn(calc, {"CREATE TRIGGER refuse_three BEFORE UPDATE OF Ду ON Табл WHEN NEW.id=3 "
                  "BEGIN SELECT RAISE(ABORT, 'участок 3 не принят'); END"});
    QStringList statuses;
    std::vector<bool> locks;
    EntryHooks hooks{[&](const QString& s) { statuses << s; }, [&](bool on) { locks.push_back(on); }};
    EXPECT_FALSE(applyAssignments(*app, rowsOf({{"Ду", "65", ""}}), hooks));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("участок 3 не принят")));
    EXPECT_DOUBLE_EQ(stored("Ду", 1).toDouble(), 100);  // section 1 was written first, then undone
    EXPECT_DOUBLE_EQ(sections().valueAt(0, sections().fieldIndex(QStringLiteral("Ду"))).toDouble(), 100);
    EXPECT_EQ(locks, (std::vector<bool>{true, false}));
    EXPECT_EQ(statuses.last(), QString());
    EXPECT_FALSE(app->dm.acGR.inTransaction());
    EXPECT_EQ(person.busyDepth, 0);
}

}  // namespace
