// The schematic's data read from a calculation file: which column colours a
// section or a node, what is offered before and after a run, short-of-head nodes.
#include "output/schematic_data.h"

#include "store/database.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace volm;
using namespace volm::output;

namespace {

class SchematicDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        if (!folder.usesShippedFiles()) GTEST_SKIP() << "needs the shipped template";
        path = folder.newCalculation(QStringLiteral("schema.mdb"));
        // Source 1; 1-2, then 2-3 and 2-4; rows stored out of id order.
        test::execOn(path, {
            QStringLiteral("DELETE FROM [Табл]"),
            QStringLiteral("INSERT INTO [Табл] ([id],[НачУзел],[КонУзел],[Ду],[СкорПод],[УдПотПод],[РНапНач],[РНапКон],"
                           "[ПНапНачПод],[ПНапКонПод]) VALUES (3,2,4,50,0.7,80,30,0.05,60,45)"),
            QStringLiteral("INSERT INTO [Табл] ([id],[НачУзел],[КонУзел],[Ду],[СкорПод],[УдПотПод],[РНапНач],[РНапКон],"
                           "[ПНапНачПод],[ПНапКонПод]) VALUES (1,1,2,200,1.1,40,40,30,70,60)"),
            QStringLiteral("INSERT INTO [Табл] ([id],[НачУзел],[КонУзел],[Ду],[СкорПод],[УдПотПод],[РНапНач],[РНапКон],"
                           "[ПНапНачПод],[ПНапКонПод]) VALUES (2,2,3,100,0.9,60,30,20,60,50)"),
            QStringLiteral("DELETE FROM [УзлыТС]"),
            QStringLiteral("INSERT INTO [УзлыТС] VALUES (1, 10), (2, 11), (3, 12), (4, 13)"),
            QStringLiteral("UPDATE [НазвРасч] SET [NНачУз] = 1, [РасчетВыполнен] = 1"),
        });
    }

    SchematicData load() {
        Database db;
        db.open(path);
        return loadSchematic(db);
    }
    static const SchematicIndicator* find(const SchematicData& d, const QString& name) {
        for (const auto& i : d.indicators)
            if (i.shortName == name) return &i;
        return nullptr;
    }
    static std::vector<double> byNode(const SchematicData& d, const QString& name) {
        const SchematicIndicator* ind = find(d, name);
        if (!ind) return {};
        const std::vector<double> v = d.valuesOf(*ind);
        std::vector<double> out(5, NAN);
        for (size_t n = 0; n < d.layout.nodes.size(); ++n) out[size_t(d.layout.nodes[n].number)] = v[n];
        return out;
    }

    test::ProgramFolder folder;
    QString path;
};

TEST_F(SchematicDataTest, SectionsAndNodesTakeTheirOwnColumns) {
    const SchematicData d = load();
    EXPECT_TRUE(d.resultsCurrent);
    ASSERT_EQ(d.sectionIds, (std::vector<qint64>{1, 2, 3}));
    EXPECT_EQ(d.layout.nodes.front().number, 1);
    for (const char* key : {"id", "НачУзел", "КонУзел", "Примечание"})
        EXPECT_FALSE(find(d, QString::fromUtf8(key))) << key << " is no indicator";

    struct Case {
        const char* name;
        std::vector<double> expected;  // per section in id order
    };
    for (const Case& c : {Case{"Ду", {200, 100, 50}}, Case{"СкорПод", {1.1, 0.9, 0.7}}, Case{"УдПотПод", {40, 60, 80}}}) {
        const SchematicIndicator* ind = find(d, QString::fromUtf8(c.name));
        ASSERT_TRUE(ind) << c.name;
        EXPECT_FALSE(ind->ofNodes);
        EXPECT_EQ(d.valuesOf(*ind), c.expected) << c.name;
    }
    // A node takes the end value of the section reaching it; the source the start value.
    const auto avail = byNode(d, kNodeAvailableHead);
    ASSERT_FALSE(avail.empty());
    EXPECT_EQ(avail[1], 40);
    EXPECT_EQ(avail[2], 30);
    EXPECT_EQ(avail[3], 20);
    EXPECT_EQ(avail[4], 0.05);
    const auto supply = byNode(d, kNodeSupplyHead);
    ASSERT_FALSE(supply.empty());
    EXPECT_EQ(supply[1], 70);
    EXPECT_EQ(supply[3], 50);
    EXPECT_EQ(supply[4], 45);
    const auto height = byNode(d, kNodeHeight);
    ASSERT_FALSE(height.empty());
    EXPECT_EQ(height[3], 12);

    ASSERT_GE(d.defaultIndicator(), 0);
    EXPECT_EQ(d.indicators[size_t(d.defaultIndicator())].shortName, kNodeAvailableHead);
    for (size_t n = 0; n < d.layout.nodes.size(); ++n)
        EXPECT_EQ(d.lowHead[n] != 0, d.layout.nodes[n].number == 4) << d.layout.nodes[n].number;
}

// A section entered against the water (2 - 3 entered as 3 - 2, its flow
// negative) keeps its values in the water's direction: its end values belong
// to node 3, its start values to node 2.
TEST_F(SchematicDataTest, SectionAgainstTheWaterGivesItsEndValuesToTheWatersEnd) {
    test::execOn(path, {QStringLiteral("UPDATE [Табл] SET [РасхПод] = 10"),
                        QStringLiteral("UPDATE [Табл] SET [НачУзел] = 3, [КонУзел] = 2, [РасхПод] = -12.5 WHERE [id] = 2")});
    const SchematicData d = load();
    EXPECT_EQ(d.flowWays, (std::vector<FlowWay>{FlowWay::Entered, FlowWay::Against, FlowWay::Entered}));
    struct Heads {
        QString indicator;
        double atTwo, atThree;
    };
    for (const Heads& h : {Heads{kNodeAvailableHead, 30, 20}, Heads{kNodeSupplyHead, 60, 50}}) {
        const std::vector<double> v = byNode(d, h.indicator);
        ASSERT_EQ(v.size(), 5u) << h.indicator.toStdString();
        EXPECT_EQ(v[2], h.atTwo) << h.indicator.toStdString();
        EXPECT_EQ(v[3], h.atThree) << h.indicator.toStdString();
    }
}

// Each section's way of the water by its stored flow; none before a run.
TEST_F(SchematicDataTest, SectionsTakeTheWayOfTheirFlow) {
    struct Case {
        const char* flow;
        bool current;
        FlowWay way;
    };
    const Case cases[] = {
        {"12.5", true, FlowWay::Entered}, {"0.0001", true, FlowWay::Entered}, {"-3", true, FlowWay::Against},
        {"-0.0001", true, FlowWay::Against}, {"0", true, FlowWay::None},     {"NULL", true, FlowWay::None},
        {"-3", false, FlowWay::None},      {"12.5", false, FlowWay::None},
    };
    for (const Case& c : cases) {
        test::execOn(path, {QStringLiteral("UPDATE [Табл] SET [РасхПод] = %1 WHERE [id] = 2").arg(QLatin1String(c.flow)),
                            QStringLiteral("UPDATE [НазвРасч] SET [РасчетВыполнен] = %1").arg(c.current ? 1 : 0)});
        const SchematicData d = load();
        ASSERT_EQ(d.flowWays.size(), 3u);
        EXPECT_EQ(d.flowWays[1], c.way) << c.flow << (c.current ? "" : " stale");
        EXPECT_EQ(d.againstEntry(1), c.way == FlowWay::Against) << c.flow;
    }
}

TEST_F(SchematicDataTest, StaleResultsOfferOnlyEnteredIndicators) {
    test::execOn(path, {QStringLiteral("UPDATE [НазвРасч] SET [РасчетВыполнен] = 0")});
    const SchematicData d = load();
    EXPECT_FALSE(d.resultsCurrent);
    EXPECT_TRUE(find(d, QStringLiteral("Ду")));
    EXPECT_TRUE(find(d, kNodeHeight));
    for (const char* computed : {"СкорПод", "УдПотПод", "РНапКон", "ПНапКонПод"})
        EXPECT_FALSE(find(d, QString::fromUtf8(computed))) << computed;
    EXPECT_FALSE(find(d, kNodeAvailableHead));
    EXPECT_FALSE(find(d, kNodeSupplyHead));
    EXPECT_FALSE(d.columns.contains(QStringLiteral("СкорПод"))) << "stale values are not shown on hovering either";
    for (char low : d.lowHead) EXPECT_FALSE(low);
    for (const auto& i : d.indicators) EXPECT_FALSE(i.computed) << i.shortName.toStdString();
}

// The consumers' orifices and excess heads colour their end nodes; the other
// nodes stay uncoloured, and stale results offer neither.
TEST_F(SchematicDataTest, ConsumersNodesTakeTheirOrificesAndExcessHeads) {
    test::execOn(path, {QStringLiteral("UPDATE [Табл] SET [ДШайбы] = 22.36, [ИзбНап] = 16 WHERE [КонУзел] = 3"),
                        QStringLiteral("UPDATE [Табл] SET [ДШайбы] = 0, [ИзбНап] = -3 WHERE [КонУзел] = 4")});
    const SchematicData d = load();
    const auto orifice = byNode(d, kNodeOrifice);
    ASSERT_FALSE(orifice.empty());
    EXPECT_TRUE(find(d, kNodeOrifice)->ofNodes);
    EXPECT_EQ(orifice[3], 22.36);
    EXPECT_EQ(orifice[4], 0);
    EXPECT_TRUE(std::isnan(orifice[1]) && std::isnan(orifice[2]));
    const auto excess = byNode(d, kNodeExcessHead);
    ASSERT_FALSE(excess.empty());
    EXPECT_EQ(excess[3], 16);
    EXPECT_EQ(excess[4], -3);

    test::execOn(path, {QStringLiteral("UPDATE [НазвРасч] SET [РасчетВыполнен] = 0")});
    const SchematicData stale = load();
    EXPECT_FALSE(find(stale, kNodeOrifice));
    EXPECT_FALSE(find(stale, kNodeExcessHead));
}

}  // namespace
