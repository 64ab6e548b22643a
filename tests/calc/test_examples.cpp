// The shipped examples computed in process: the worked example of the
// standard method against its published figures, and the two example
// networks against figures worked out by hand from their data.
#include "tests/calc/calc_harness.h"

namespace volm::test {
namespace {

class Examples : public CalcHarness {};

TEST_F(Examples, MethodExampleGivesThePublishedFigures) {
    openExample(QStringLiteral("method_example.mdb"));
    const RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"));
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(out.text, QStringLiteral("Расчет выполнен успешно."));
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join(QLatin1Char('|')).toStdString();

    struct Row {
        int a, b;
        double flow, tSupStart, tSupEnd, tRetStart, tRetEnd, lossSection, lossSupEnd, lossRetEnd, headSupEnd, availEnd;
    };
    const Row expected[] = {
        {1, 2, 100, 95, 88.0556, 70, 76.9444, 0.8824, 0.8824, 0.8607, 159.1176, 58.2569},
        {2, 3, 40, 88.0556, 82.5, 76.9444, 82.5, 1.4760, 2.3584, 2.3271, 157.6416, 55.3146},
        {2, 4, 60, 88.0556, 82.5, 76.9444, 82.5, 0.8163, 1.6987, 1.6717, 158.3013, 56.6297},
    };
    const double tol = 0.5e-4 + 1e-9;
    for (const Row& r : expected) {
        SCOPED_TRACE(testing::Message() << r.a << " - " << r.b);
        EXPECT_DOUBLE_EQ(sectionValue(r.a, r.b, QStringLiteral("РасхПод")), r.flow);
        EXPECT_DOUBLE_EQ(sectionValue(r.a, r.b, QStringLiteral("РасхОбр")), r.flow);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ТВодыНачПод")), r.tSupStart, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ТВодыКонПод")), r.tSupEnd, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ТВодыНачОбр")), r.tRetStart, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ТВодыКонОбр")), r.tRetEnd, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ПотНаУчПод")), r.lossSection, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ПотНОтИКонПод")), r.lossSupEnd, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ПотНОтИКонОбр")), r.lossRetEnd, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("ПНапКонПод")), r.headSupEnd, tol);
        EXPECT_NEAR(sectionValue(r.a, r.b, QStringLiteral("РНапКон")), r.availEnd, tol);
    }
    // The check figure of the method: R = 41.30 Pa/m would be G 100 t/h in Ду 200;
    // here section 1 - 2 is Ду 250 and its water is at 92 °C.
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("Двн")), 259);
    EXPECT_DOUBLE_EQ(sectionValue(1, 2, QStringLiteral("ТСрПод")), 92);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксДлПод")), 900);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксСумДлПодОбр")), 1800);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МинГеодВысТС")), 98);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксГеодВысТС")), 105);
    // Main 2 (end node 4) is the longer; main 1 branches at node 2.
    EXPECT_EQ(rows(QStringLiteral("SELECT id_m, NппУчВМ, НачУзел, КонУзел FROM МагистралиТС ORDER BY id_m, NппУчВМ")),
              QStringList({"1 1 2 3", "1 2 1 2", "2 1 2 4", "2 2 1 2"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT id_m, КонУзел, ДлМагПод, ДлМагСум FROM КонМаг ORDER BY id_m")),
              QStringList({"1 3 800 1600", "2 4 900 1800"}));
    EXPECT_NEAR(endValue(1, QStringLiteral("РНап")), 55.3146, tol);
    EXPECT_NEAR(endValue(2, QStringLiteral("РНап")), 56.6297, tol);
    EXPECT_TRUE(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
}

}  // namespace
}  // namespace volm::test
