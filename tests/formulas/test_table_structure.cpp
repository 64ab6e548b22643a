// NastroitStrukturuTablic and PerestroitTablicu over a calculation file: the
// columns and their order, what survives a rebuild, captions and visibility,
// the refused network type, and a failed rebuild leaving the table whole.
#include "tests/formulas/catalogue_fixtures.h"

#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/errors.h"

#include <gtest/gtest.h>

using namespace volm;
using namespace volm::test;

namespace {

const QStringList kTwoPipeSection{
    "id", "НачУзел", "КонУзел", "ГеодВысНач", "ГеодВысКон", "РасхПод", "РасхОбр", "ДлНаУчПод", "ДлНаУчОбр",
    "ДлНачПод", "ДлНачОбр", "ДлКонПод", "ДлКонОбр", "ТВодыНачПод", "ТВодыНачОбр", "ТВодыКонПод", "ТВодыКонОбр",
    "Ду", "Двн", "ПотНОтИНачПод", "ПотНОтИНачОбр", "ПотНОтИКонПод", "ПотНОтИКонОбр", "ПНапНачПод", "ПНапНачОбр",
    "ПНапКонПод", "ПНапКонОбр", "РНапНач", "РНапКон", "Примечание", "Заполн_Уч"};
const QStringList kOnePipeSection{
    "id", "НачУзел", "КонУзел", "ГеодВысНач", "ГеодВысКон", "РасхПод", "ДлНаУчПод", "ДлНачПод", "ДлКонПод",
    "ТВодыНачПод", "ТВодыКонПод", "Ду", "Двн", "ПотНОтИНачПод", "ПотНОтИКонПод", "ПНапНачПод", "ПНапКонПод",
    "Примечание", "Заполн_Уч"};

std::vector<Indicator> someUser() {
    return {userIndicator(QStringLiteral("ЭквШер"), false, true), userIndicator(QStringLiteral("Ду"), true, true),
            userIndicator(QStringLiteral("Двн"), true, false, QStringLiteral("ДвнутрПоДу(<Ду>)"))};
}

struct TableStructure : FormulaHarness {
    int schemaVersion() { return rows(QStringLiteral("PRAGMA schema_version")).value(0).toInt(); }
    void rebuild() {
        ASSERT_TRUE(ProveritFormuli(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
        NastroitStrukturuTablic(*app);
    }
    void addSections() {
        exec({"INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, Ду, Двн, Примечание) VALUES (7, 1, 2, 100, 200, 207, "
              "'первый')",
              "INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, Ду, Двн) VALUES (3, 2, 3, 40, 150, 160)"});
        if (columns(QStringLiteral("Табл")).contains(QStringLiteral("РасхОбр")))
            exec({"UPDATE Табл SET РасхОбр = РасхПод + 1"});
        exec({"UPDATE Заг SET ЭквШер = 0.5, МаксТВоды = 95"});
    }
    QStringList visibleFields(Table& t) {
        QStringList out;
        for (const Field& f : t.fields())
            if (f.visible) out << f.name;
        return out;
    }
};

TEST_F(TableStructure, OpeningLaysOutTheColumnsCaptionsAndVisibility) {
    start(1, someUser());
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_EQ(columns(QStringLiteral("Табл")), kTwoPipeSection);
    EXPECT_EQ(columns(QStringLiteral("Заг")),
              QStringList({"ЭквШер", "ПНапНаУзПод", "РНапНаУз", "МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод",
                           "МаксДлОбр", "МаксСумДлПодОбр", "МинТВоды", "МаксТВоды"}));
    EXPECT_EQ(columns(QStringLiteral("КонМаг")),
              QStringList({"id_m", "КонУзел", "ДлМагПод", "ПотНОтИПод", "ПНапПод", "ДлМагОбр", "ДлМагСум",
                           "ПотНОтИОбр", "ПНапОбр", "РНап"}));

    EXPECT_EQ(visibleFields(*app->dm.atZag),
              QStringList({"ЭквШер", "ПНапНаУзПод", "РНапНаУз", "МинТВоды", "МаксТВоды"}));
    EXPECT_EQ(columns(QStringLiteral("ВКолЗаг"), true), QStringList({"П1", "П2", "П3", "П4", "П5"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM ВКолЗаг"), true),
              QStringList({"Показатель ЭквШер|Наименование ПНапНаУзПод|Наименование РНапНаУз|Наименование "
                           "МинТВоды|Наименование МаксТВоды"}));

    EXPECT_EQ(visibleFields(*app->dm.atTabl),
              QStringList({"НачУзел", "КонУзел", "РасхПод", "ДлНаУчПод", "Ду", "Примечание"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM ВКолТабл"), true),
              QStringList({"Номер начального узла участка|Номер конечного узла участка|Наименование "
                           "РасхПод|Наименование ДлНаУчПод|Показатель Ду|Примечание"}));
    EXPECT_EQ(app->dm.atTabl->sort(), QStringLiteral("id ASC"));
    EXPECT_TRUE(twoPipeShaped);
    EXPECT_TRUE(person.statuses.contains(QStringLiteral("Настройка структуры таблиц гидравлического расчета...")));
    EXPECT_EQ(person.statuses.last(), QString());
    EXPECT_EQ(person.busyDepth, 0);
}

TEST_F(TableStructure, AnUnchangedCatalogueTouchesNothing) {
    start(1, someUser());
    addSections();
    const int before = schemaVersion();
    const QStringList data = rows(QStringLiteral("SELECT * FROM Табл ORDER BY id"));
    rebuild();
    EXPECT_EQ(schemaVersion(), before);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Табл ORDER BY id")), data);
}

TEST_F(TableStructure, ANewTableIndicatorComesBeforeTheLossesAndEveryValueSurvives) {
    start(1, someUser());
    addSections();
    const QStringList before = rows(QStringLiteral("SELECT id, РасхПод, РасхОбр, Ду, Двн, Примечание FROM Табл"));
    exec({"INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (4, 'Новый', 'Нов', True, True, Null, True)"});
    rebuild();
    QStringList expected = kTwoPipeSection;
    expected.insert(expected.indexOf(QStringLiteral("ПотНОтИНачПод")), QStringLiteral("Нов"));
    EXPECT_EQ(columns(QStringLiteral("Табл")), expected);
    EXPECT_EQ(rows(QStringLiteral("SELECT id, РасхПод, РасхОбр, Ду, Двн, Примечание FROM Табл")), before);
    EXPECT_EQ(rows(QStringLiteral("SELECT ЭквШер, МаксТВоды FROM Заг")), QStringList({"0.5|95"}));
    // The reopened cursor shows the new column and keeps its rows in file order.
    EXPECT_GE(app->dm.atTabl->fieldIndex(QStringLiteral("Нов")), 0);
    EXPECT_EQ(app->dm.atTabl->rowCount(), 2);
}

TEST_F(TableStructure, SwitchingToOnePipeDropsTheReturnColumnsAndBackAddsThemEmpty) {
    start(1, someUser());
    addSections();
    exec({"UPDATE НазвРасч SET ТипСети = 0"});
    rebuild();
    EXPECT_EQ(columns(QStringLiteral("Табл")), kOnePipeSection);
    EXPECT_EQ(columns(QStringLiteral("Заг")),
              QStringList({"ЭквШер", "ПНапНаУзПод", "МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод", "МинТВоды",
                           "МаксТВоды"}));
    EXPECT_EQ(columns(QStringLiteral("КонМаг")),
              QStringList({"id_m", "КонУзел", "ДлМагПод", "ПотНОтИПод", "ПНапПод"}));
    EXPECT_FALSE(twoPipeShaped);

    exec({"UPDATE НазвРасч SET ТипСети = 1"});
    rebuild();
    EXPECT_EQ(columns(QStringLiteral("Табл")), kTwoPipeSection);
    EXPECT_EQ(rows(QStringLiteral("SELECT id, РасхПод, РасхОбр, Примечание FROM Табл ORDER BY id")),
              QStringList({"3|40|∅|∅", "7|100|∅|первый"}));
}

TEST_F(TableStructure, ARenamedIndicatorLosesItsValuesAndAReorderedOneKeepsThem) {
    start(1, someUser());
    addSections();
    exec({"UPDATE Формулы SET Nпп = 9 WHERE НаимПокСокр = 'Ду'"});
    rebuild();
    QStringList cols = columns(QStringLiteral("Табл"));
    EXPECT_LT(cols.indexOf(QStringLiteral("Двн")), cols.indexOf(QStringLiteral("Ду")));
    EXPECT_EQ(rows(QStringLiteral("SELECT Ду, Двн FROM Табл ORDER BY id")), QStringList({"150|160", "200|207"}));

    exec({"UPDATE Формулы SET НаимПокСокр = 'ДвнМм' WHERE НаимПокСокр = 'Двн'"});
    rebuild();
    EXPECT_EQ(rows(QStringLiteral("SELECT Ду, ДвнМм FROM Табл ORDER BY id")), QStringList({"150|∅", "200|∅"}));
}

TEST_F(TableStructure, AWrongNetworkTypeChangesNothing) {
    start(1, someUser());
    exec({"UPDATE НазвРасч SET ТипСети = 2", "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (4, 'Новый', 'Нов', True, True, Null, True)"});
    const int before = schemaVersion();
    person.clear();
    NastroitStrukturuTablic(*app);
    EXPECT_EQ(person.messages, QStringList({"Тип сети указан неверно!"}));
    EXPECT_EQ(schemaVersion(), before);
    EXPECT_EQ(person.statuses.last(), QString());
    EXPECT_EQ(person.busyDepth, 0);
}

TEST_F(TableStructure, AFailedRebuildLeavesTheTableAsItWas) {
    start(1, someUser());
    addSections();
    const QStringList cols = columns(QStringLiteral("Табл"));
    const QStringList data = rows(QStringLiteral("SELECT * FROM Табл ORDER BY id"));
    // Two short names differing in letter case pass the check but cannot both be columns.
    exec({"INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (4, 'a', 'Abc', True, True, Null, True)",
          "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (5, 'b', 'ABC', True, True, Null, True)"});
    ASSERT_TRUE(ProveritFormuli(*app));
    person.clear();
    EXPECT_THROW(NastroitStrukturuTablic(*app), DatabaseError);
    EXPECT_EQ(columns(QStringLiteral("Табл")), cols);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Табл ORDER BY id")), data);
    EXPECT_FALSE(app->dm.acGR.inTransaction());
    EXPECT_EQ(person.statuses.last(), QString());
    EXPECT_EQ(person.busyDepth, 0);
    EXPECT_FALSE(app->dm.acGR.hasTable(QStringLiteral("Табл~$")));
    // The catalogue mended, the next rebuild goes through.
    exec({"DELETE FROM Формулы WHERE НаимПокСокр = 'ABC'"});
    rebuild();
    EXPECT_TRUE(columns(QStringLiteral("Табл")).contains(QStringLiteral("Abc")));
    EXPECT_EQ(rows(QStringLiteral("SELECT id, РасхПод FROM Табл ORDER BY id")), QStringList({"3|40", "7|100"}));
}

TEST_F(TableStructure, WithNoHeaderColumnShownTheCaptionTableHasOneEmptyColumn) {
    start(0, {});
    exec({"UPDATE ФлыПредопрПок SET ВводПольз = False WHERE Табл = False"});
    NastroitStrukturuTablic(*app);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_EQ(columns(QStringLiteral("ВКолЗаг"), true), QStringList({"П1"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM ВКолЗаг"), true), QStringList({"∅"}));
    EXPECT_TRUE(visibleFields(*app->dm.atZag).isEmpty());
}

}  // namespace
