// The database files the build lays out in the program folder: the template of
// a new calculation, the settings file and the reference book. Each test reads
// a copy in a temporary folder, never the shipped file itself.
#include "store/database.h"
#include "store/table.h"
#include "tests/support/program_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace volm;

namespace {

struct ShippedFile : ::testing::Test {
    QTemporaryDir dir;
    Database db;

    void openCopy(const QString& name)
    {
        const QString copy = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(volm::test::shippedFile(name), copy)) << qPrintable(name);
        db.open(copy);
    }
    std::unique_ptr<Table> table(const QString& name, const QString& sort = {})
    {
        auto t = std::make_unique<Table>(db, name);
        t->setSort(sort);
        t->open();
        return t;
    }
    // The fields of a table as "name kind" texts, written as the table rebuild
    // writes a current column list.
    QStringList fieldList(const QString& name)
    {
        QStringList out;
        const auto t = table(name);
        for (const Field& f : t->fields()) {
            QString type;
            switch (f.kind) {
            case FieldKind::SmallInt: type = "smallint"; break;
            case FieldKind::Integer: type = "integer"; break;
            case FieldKind::Byte: type = "byte"; break;
            case FieldKind::Float: type = "float"; break;
            case FieldKind::Bool: type = "bit"; break;
            case FieldKind::Text: type = QStringLiteral("text(%1)").arg(f.size); break;
            case FieldKind::Unknown: type = "?"; break;
            }
            out << f.name + QLatin1Char(' ') + type;
        }
        return out;
    }
    int rowCount(const QString& name)
    {
        return table(name)->recordCount();
    }
};

QStringList floats(const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out << n + QStringLiteral(" float");
    return out;
}

// ---------------------------------------------------------------- template

struct Template : ShippedFile {
    void SetUp() override { openCopy("GidrRas.mdb"); }
    // User indicators in the order of Nпп, split into header and table ones.
    QStringList userIndicators(bool tableKind)
    {
        QStringList out;
        auto f = table("Формулы", "Nпп ASC");
        for (f->first(); !f->eof(); f->next())
            if (f->value("Табл").toBool() == tableKind)
                out << f->value("НаимПокСокр").toString();
        return out;
    }
};

TEST(TemplateFile, IsNoLargerThan500000Bytes)
{
    const QFileInfo fi(volm::test::shippedFile(QStringLiteral("GidrRas.mdb")));
    ASSERT_TRUE(fi.exists());
    EXPECT_LE(fi.size(), 500000);
}

// Заг, Табл and КонМаг are laid out exactly as the table rebuild lays them out
// for a two-pipe network with the template's own catalogue, so that opening a
// new calculation finds nothing to rebuild.
TEST_F(Template, CalculationTablesFollowTheCatalogueOfATwoPipeNetwork)
{
    const QStringList header = userIndicators(false);
    const QStringList perSection = userIndicators(true);
    ASSERT_EQ(header, QStringList{"ЭквШер"});
    ASSERT_EQ(perSection, (QStringList{"Ду", "КоэфМП", "Двн", "ТСрПод", "ПлПод", "УдПотПод", "ПотНаУчПод", "СкорПод",
                                       "ТребРНап", "ИзбНап", "ДШайбы"}));

    EXPECT_EQ(fieldList("Заг"),
              floats(header + QStringList{"ПНапНаУзПод", "РНапНаУз", "МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод",
                                          "МаксДлОбр", "МаксСумДлПодОбр", "МинТВоды", "МаксТВоды"}));

    const QStringList tabl = QStringList{"id integer", "НачУзел smallint", "КонУзел smallint"}
        + floats(QStringList{"ГеодВысНач", "ГеодВысКон", "РасхПод", "РасхОбр", "ДлНаУчПод", "ДлНаУчОбр", "ДлНачПод",
                             "ДлНачОбр", "ДлКонПод", "ДлКонОбр", "ТВодыНачПод", "ТВодыНачОбр", "ТВодыКонПод",
                             "ТВодыКонОбр"}
                 + perSection
                 + QStringList{"ПотНОтИНачПод", "ПотНОтИНачОбр", "ПотНОтИКонПод", "ПотНОтИКонОбр", "ПНапНачПод",
                               "ПНапНачОбр", "ПНапКонПод", "ПНапКонОбр", "РНапНач", "РНапКон", "КонУч"})
        + QStringList{"Примечание text(255)", "Заполн_Уч text(1)"};
    EXPECT_EQ(fieldList("Табл"), tabl);
    const auto cols = db.columns("Табл");
    ASSERT_FALSE(cols.empty());
    EXPECT_TRUE(cols[0].primaryKey);

    const QStringList konMag = QStringList{"id_m smallint", "КонУзел smallint"}
        + floats(QStringList{"ДлМагПод", "ПотНОтИПод", "ПНапПод", "ДлМагОбр", "ДлМагСум", "ПотНОтИОбр", "ПНапОбр", "РНап"});
    EXPECT_EQ(fieldList("КонМаг"), konMag);
}

TEST_F(Template, OtherTablesHaveTheirColumnsAndStartEmpty)
{
    const std::map<QString, QStringList> expected{
        {"НазвРасч", {"НазвРасч text(255)", "РасчетВыполнен bit", "ТипСети integer", "РасчРасх bit", "NНачУз integer",
                      "NузПНапПод smallint", "NузРНап smallint"}},
        {"Формулы", {"Nпп byte", "НаимПок text(255)", "НаимПокСокр text(50)", "Табл bit", "ВводПольз bit",
                     "Формула text(255)", "ВывВОтчТабл bit", "ПослеНапоров bit"}},
        {"ФлыПредопрПок", {"НаимПок text(255)", "НаимПокСокр text(50)", "Табл bit", "ВводПольз bit", "Формула text(255)",
                           "ВывВОтчТабл bit", "ИспПриРасч1трТС bit", "ИспПриРасч2трТС bit"}},
        {"УзлыТС", {"Nуз smallint", "ГеодВыс float"}},
        {"ИзмПНапВУзлахТС", {"Nуз smallint", "ТрПр bit", "ИзмПНап float"}},
        {"ПриоритетыЗаг", {"Показатель text(50)", "Nприоритета integer"}},
        {"ПриоритетыТабл", {"Показатель text(50)", "Nприоритета integer"}},
        {"МагистралиТС", {"id_m smallint", "NппУчВМ smallint", "НачУзел smallint", "КонУзел smallint", "РасхПод float",
                          "РасхОбр float"}},
        {"СписокРасчУчастков", {"НачУзел smallint", "КонУзел smallint"}},
    };
    for (const auto& [name, fields] : expected)
        EXPECT_EQ(fieldList(name), fields) << qPrintable(name);
    for (const char* empty : {"Табл", "УзлыТС", "ИзмПНапВУзлахТС", "МагистралиТС", "КонМаг", "СписокРасчУчастков"})
        EXPECT_EQ(rowCount(empty), 0) << empty;
}

TEST_F(Template, HoldsTheOneRowOfTheHeaderAndOfTheCalculationName)
{
    ASSERT_EQ(rowCount("НазвРасч"), 1);
    auto n = table("НазвРасч");
    EXPECT_EQ(n->value("ТипСети").toInt(), 1);
    EXPECT_TRUE(n->value("РасчРасх").toBool());
    EXPECT_FALSE(n->value("РасчетВыполнен").isNull());
    EXPECT_FALSE(n->value("РасчетВыполнен").toBool());
    EXPECT_TRUE(n->isNull("NНачУз"));

    ASSERT_EQ(rowCount("Заг"), 1);
    auto z = table("Заг");
    EXPECT_DOUBLE_EQ(z->value("МинТВоды").toDouble(), 70);
    EXPECT_DOUBLE_EQ(z->value("МаксТВоды").toDouble(), 95);
    EXPECT_DOUBLE_EQ(z->value("ЭквШер").toDouble(), 0.5);
    for (const char* computed : {"МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод", "МаксДлОбр", "МаксСумДлПодОбр"})
        EXPECT_TRUE(z->isNull(computed)) << computed;
}

// Every predefined indicator the program relies on, with its kind and networks.
struct Predefined {
    const char* name;
    bool table;
    bool onePipe;    // also exists in a one-pipe network
    bool entered;    // the user enters its value (shown in the main window)
};

const Predefined kPredefined[] = {
    {"РасхПод", true, true, true},        {"РасхОбр", true, false, false},
    {"ДлНаУчПод", true, true, true},      {"ДлНаУчОбр", true, false, false},
    {"ГеодВысНач", true, true, false},    {"ГеодВысКон", true, true, false},
    {"ДлНачПод", true, true, false},      {"ДлКонПод", true, true, false},
    {"ДлНачОбр", true, false, false},     {"ДлКонОбр", true, false, false},
    {"ТВодыНачПод", true, true, false},   {"ТВодыКонПод", true, true, false},
    {"ТВодыНачОбр", true, false, false},  {"ТВодыКонОбр", true, false, false},
    {"ПотНОтИНачПод", true, true, false}, {"ПотНОтИКонПод", true, true, false},
    {"ПотНОтИНачОбр", true, false, false}, {"ПотНОтИКонОбр", true, false, false},
    {"ПНапНачПод", true, true, false},    {"ПНапКонПод", true, true, false},
    {"ПНапНачОбр", true, false, false},   {"ПНапКонОбр", true, false, false},
    {"РНапНач", true, false, false},      {"РНапКон", true, false, false},
    {"МинГеодВысТС", false, true, false}, {"МаксГеодВысТС", false, true, false},
    {"МаксДлПод", false, true, false},    {"МаксДлОбр", false, false, false},
    {"МаксСумДлПодОбр", false, false, false},
    {"МинТВоды", false, true, true},      {"МаксТВоды", false, true, true},
    {"ПНапНаУзПод", false, true, true},   {"РНапНаУз", false, false, true},
    {"КонУч", true, true, false},
};

TEST_F(Template, CarriesEveryPredefinedIndicatorWithItsFlags)
{
    auto p = table("ФлыПредопрПок", "НаимПокСокр ASC");
    std::map<QString, int> rowOf;
    for (p->first(); !p->eof(); p->next())
        rowOf[p->value("НаимПокСокр").toString()] = p->recNo();
    EXPECT_EQ(rowOf.size(), std::size(kPredefined));

    for (const Predefined& e : kPredefined) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(rowOf.count(e.name));
        p->first();
        p->moveBy(rowOf[e.name] - 1);
        EXPECT_GE(p->value("НаимПок").toString().size(), 10);
        EXPECT_EQ(p->value("Табл").toBool(), e.table);
        EXPECT_EQ(p->value("ИспПриРасч1трТС").toBool(), e.onePipe);
        EXPECT_TRUE(p->value("ИспПриРасч2трТС").toBool());
        EXPECT_EQ(p->value("ВводПольз").toBool(), e.entered);
        // The end-section mark is set for the formulas, not shown in the report.
        EXPECT_EQ(p->value("ВывВОтчТабл").toBool(), QString(e.name) != QStringLiteral("КонУч"));
        const bool hasFormula = QString(e.name).startsWith("ПотНОтИКон");
        EXPECT_EQ(p->value("Формула").toString().isEmpty(), !hasFormula);
    }
}

// The formulas of the standard method refer only to indicators that exist; the
// user formulas stay valid in a one-pipe network and a header formula never
// refers to a table indicator. Only the balancing indicators, computed after
// the heads, refer to the heads (in a one-pipe network they are left empty).
TEST_F(Template, FormulasReferToIndicatorsTheNetworkHas)
{
    std::map<QString, bool> onePipe, isTable;
    auto p = table("ФлыПредопрПок");
    for (p->first(); !p->eof(); p->next()) {
        onePipe[p->value("НаимПокСокр").toString()] = p->value("ИспПриРасч1трТС").toBool();
        isTable[p->value("НаимПокСокр").toString()] = p->value("Табл").toBool();
    }
    auto u = table("Формулы", "Nпп ASC");
    for (u->first(); !u->eof(); u->next()) {
        onePipe[u->value("НаимПокСокр").toString()] = true;
        isTable[u->value("НаимПокСокр").toString()] = u->value("Табл").toBool();
    }
    const QSet<QString> heads{"ПНапНачПод", "ПНапНачОбр", "ПНапКонПод", "ПНапКонОбр", "РНапНач", "РНапКон"};
    static const QRegularExpression ref(QStringLiteral("<([^<>]*)>"));

    auto check = [&](const QString& owner, const QString& formula, bool ownerIsTable, bool user, bool afterHeads) {
        SCOPED_TRACE(qPrintable(owner + ": " + formula));
        EXPECT_FALSE(formula.contains('{') || formula.contains('}') || formula.contains('['));
        EXPECT_EQ(formula.count('<'), formula.count('>'));
        for (auto it = ref.globalMatch(formula); it.hasNext();) {
            const QString name = it.next().captured(1);
            ASSERT_TRUE(isTable.count(name)) << qPrintable(name);
            if (!afterHeads) {
                EXPECT_FALSE(heads.contains(name)) << qPrintable(name);
            }
            if (!ownerIsTable) {
                EXPECT_FALSE(isTable[name]) << qPrintable(name);
            }
            if (user && !afterHeads) {
                EXPECT_TRUE(onePipe[name]) << qPrintable(name);
            }
        }
    };
    int computed = 0, afterHeads = 0;
    for (u->first(); !u->eof(); u->next()) {
        if (u->value("ВводПольз").toBool()) {
            EXPECT_TRUE(u->isNull("Формула"));
            EXPECT_FALSE(u->value("ПослеНапоров").toBool());
            continue;
        }
        ++computed;
        const bool after = u->value("ПослеНапоров").toBool();
        afterHeads += after;
        check(u->value("НаимПокСокр").toString(), u->value("Формула").toString(), u->value("Табл").toBool(), true, after);
    }
    EXPECT_EQ(computed, 8);
    EXPECT_EQ(afterHeads, 2);
    for (p->first(); !p->eof(); p->next())
        if (!p->isNull("Формула"))
            check(p->value("НаимПокСокр").toString(), p->value("Формула").toString(), true, false, false);

    auto sup = db.query("SELECT [Формула] FROM [ФлыПредопрПок] WHERE [НаимПокСокр]='ПотНОтИКонПод'");
    EXPECT_EQ(sup->value(0).toString(), "<ПотНОтИНачПод>+<ПотНаУчПод>");
}

TEST_F(Template, UserIndicatorsAreNumberedOneToTwelve)
{
    auto u = table("Формулы", "Nпп ASC");
    int expected = 1;
    for (u->first(); !u->eof(); u->next())
        EXPECT_EQ(u->value("Nпп").toInt(), expected++);
    EXPECT_EQ(expected, 13);
}

// ---------------------------------------------------------------- settings

TEST_F(ShippedFile, SettingsHoldOneRowOfDefaults)
{
    openCopy("Nastr.mdb");
    ASSERT_EQ(rowCount("Настройки"), 1);
    auto s = table("Настройки");
    EXPECT_TRUE(s->isNull("ФайлГР"));
    EXPECT_EQ(s->value("ФайлСпр").toString(), "Spr.mdb");
    EXPECT_EQ(s->value("РШрифтаВТД").toInt(), 10);
    EXPECT_EQ(s->value("РШрифтаВЗагКолТД").toInt(), 10);
    EXPECT_EQ(s->value("РШрифтаНаимПок").toInt(), 10);
    EXPECT_EQ(s->value("ТочностьЧиселВОтч").toInt(), 2);
    EXPECT_TRUE(s->value("СохрТекстРас").toBool());
    // A settings path may be long; the column must take it.
    EXPECT_GE(s->field("ФайлГР").size, 1024);
}

// ---------------------------------------------------------------- reference book

TEST_F(ShippedFile, ReferenceBookHoldsTheReferenceData)
{
    openCopy("Spr.mdb");
    EXPECT_EQ(fieldList("ДиамТрПр").mid(0, 2), (QStringList{"УслДиамТрПр smallint", "ВнутрДиамТрПр float"}));
    EXPECT_EQ(fieldList("ПлВодыОтТ"), (QStringList{"Т smallint", "Плотность float"}));
    EXPECT_EQ(fieldList("ПопрКоэфКУдПот"), (QStringList{"УслДиамТрПр smallint", "ЭквШер float", "Коэф float"}));

    EXPECT_EQ(rowCount("ДиамТрПр"), 22);
    EXPECT_EQ(rowCount("ПлВодыОтТ"), 200);
    EXPECT_EQ(rowCount("ПопрКоэфКУдПот"), 22 * 14);

    struct Known {
        const char* sql;
        double value;
    } known[] = {
        {"SELECT [ВнутрДиамТрПр] FROM [ДиамТрПр] WHERE [УслДиамТрПр]=200", 207},
        {"SELECT [ВнутрДиамТрПр] FROM [ДиамТрПр] WHERE [УслДиамТрПр]=250", 259},
        {"SELECT [ВнутрДиамТрПр] FROM [ДиамТрПр] WHERE [УслДиамТрПр]=150", 150},
        {"SELECT [Плотность] FROM [ПлВодыОтТ] WHERE [Т]=80", 971.77},
        {"SELECT [Плотность] FROM [ПлВодыОтТ] WHERE [Т]=4", 999.93},
        {"SELECT [Плотность] FROM [ПлВодыОтТ] WHERE [Т]=200", 864.66},
        {"SELECT [Коэф] FROM [ПопрКоэфКУдПот] WHERE [УслДиамТрПр]=200 AND [ЭквШер]=0.5", 1.0},
        {"SELECT [Коэф] FROM [ПопрКоэфКУдПот] WHERE [УслДиамТрПр]=25 AND [ЭквШер]=0.05", 0.562},
        {"SELECT [Коэф] FROM [ПопрКоэфКУдПот] WHERE [УслДиамТрПр]=200 AND [ЭквШер]=2", 1.414},
    };
    for (const Known& k : known) {
        auto q = db.query(k.sql);
        ASSERT_EQ(q->recordCount(), 1) << k.sql;
        EXPECT_DOUBLE_EQ(q->value(0).toDouble(), k.value) << k.sql;
    }
}

}  // namespace
