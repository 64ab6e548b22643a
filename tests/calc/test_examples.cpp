// The shipped examples computed in process: the worked example of the
// standard method against its published figures, the example networks as a
// heating engineer would judge their regime, and the faulty example that shows
// every kind of warning.
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
    // The heights of the method lowered by 30 m, so that the return pipeline
    // stays under 27 to 40 m of pressure: the heads and losses are the same.
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МинГеодВысТС")), 68);
    EXPECT_DOUBLE_EQ(headerValue(QStringLiteral("МаксГеодВысТС")), 75);
    // Main 2 (end node 4) is the longer; main 1 branches at node 2.
    EXPECT_EQ(rows(QStringLiteral("SELECT id_m, NппУчВМ, НачУзел, КонУзел FROM МагистралиТС ORDER BY id_m, NппУчВМ")),
              QStringList({"1 1 2 3", "1 2 1 2", "2 1 2 4", "2 2 1 2"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT id_m, КонУзел, ДлМагПод, ДлМагСум FROM КонМаг ORDER BY id_m")),
              QStringList({"1 3 800 1600", "2 4 900 1800"}));
    EXPECT_NEAR(endValue(1, QStringLiteral("РНап")), 55.3146, tol);
    EXPECT_NEAR(endValue(2, QStringLiteral("РНап")), 56.6297, tol);
    EXPECT_TRUE(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
}

// A sound regime of every example network: no warning, the supply pressure at
// the source and the return pressure within the usual design ranges, the
// pipelines under pressure everywhere, enough available head at every end.
struct SoundCase {
    const char* file;
    const char* start, *supplyNode, *availNode;
    double supplyMin, supplyMax;   // supply pressure at the source, m
    double returnMin, returnMax;   // return pressure at the source, m (two-pipe)
    double endMin, endMax;         // available head at the ends of the mains, m (two-pipe)
};

class SoundExamples : public CalcHarness, public ::testing::WithParamInterface<SoundCase> {};

TEST_P(SoundExamples, ComputeARealisticRegimeWithoutAWarning) {
    const SoundCase& c = GetParam();
    openExample(QString::fromUtf8(c.file));
    const RunOutcome out = run(QString::fromUtf8(c.supplyNode), QString::fromUtf8(c.availNode));
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(out.text, QStringLiteral("Расчет выполнен успешно."));
    EXPECT_TRUE(out.warnings.empty()) << out.warnings.front().toStdString();
    const bool twoPipe = fileValue(QStringLiteral("SELECT ТипСети FROM НазвРасч")).toInt() == 1;
    const QString start = QString::fromUtf8(c.start);
    const double supply = fileValue(QStringLiteral("SELECT ПНапНачПод - ГеодВысНач FROM Табл WHERE НачУзел=") + start).toDouble();
    EXPECT_GE(supply, c.supplyMin);
    EXPECT_LE(supply, c.supplyMax);
    EXPECT_GE(fileValue(QStringLiteral("SELECT min(min(ПНапНачПод - ГеодВысНач, ПНапКонПод - ГеодВысКон)) FROM Табл")).toDouble(), 20);
    if (!twoPipe) return;
    const double back = fileValue(QStringLiteral("SELECT ПНапНачОбр - ГеодВысНач FROM Табл WHERE НачУзел=") + start).toDouble();
    EXPECT_GE(back, c.returnMin);
    EXPECT_LE(back, c.returnMax);
    EXPECT_GE(fileValue(QStringLiteral("SELECT min(min(ПНапНачОбр - ГеодВысНач, ПНапКонОбр - ГеодВысКон)) FROM Табл")).toDouble(), 20);
    EXPECT_GE(fileValue(QStringLiteral("SELECT min(РНап) FROM КонМаг")).toDouble(), c.endMin);
    EXPECT_LE(fileValue(QStringLiteral("SELECT max(РНап) FROM КонМаг")).toDouble(), c.endMax);
}

INSTANTIATE_TEST_SUITE_P(Networks, SoundExamples,
                         ::testing::Values(SoundCase{"two_pipe.mdb", "1", "1", "1", 60, 90, 20, 40, 10, 25},
                                           SoundCase{"one_pipe.mdb", "1", "12", "", 50, 90, 0, 0, 0, 0},
                                           SoundCase{"method_example.mdb", "1", "1", "1", 60, 90, 20, 40, 10, 60}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

// The faulty example: the run succeeds and every kind of warning is there,
// each naming its worst place. The water is at 95 °C everywhere, so that the
// boiling margin is the same whichever temperature the check takes.
TEST_F(Examples, RegimeFaultsShowEveryKindOfWarning) {
    openExample(QStringLiteral("regime_faults.mdb"));
    const RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"));
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(out.text, QStringLiteral("Расчет выполнен успешно.\r\n\r\nУзлы теплосети, в которых\r\n"
                                       "располагаемый напор меньше 0,1 м.:\r\n6."));
    const std::vector<QString> expected = {
        "Показатели МинТВоды, МаксТВоды: Минимальная температура воды в теплосети не ниже максимальной "
        "(МинТВоды = 95, МаксТВоды = 95)",
        "Участок 3 - 4: Доля местных потерь напора (КоэфМП) вне пределов от 0 до 1 (1,5 на участке 3 - 4)",
        "Участок 1 - 7: Длина участка больше 10 км (макс. 12000 на участке 1 - 7)",
        "Узел 5: Давление в подающем трубопроводе меньше 5 м (мин. -11,8 в узле 5)",
        "Узел 5: Давление в обратном трубопроводе меньше 5 м (мин. -58,2 в узле 5)",
        "Узлы 3, 4: Давление в подающем трубопроводе больше 160 м (макс. 234,23 в узле 3)",
        "Узел 3: Давление в обратном трубопроводе больше 160 м (макс. 185,77 в узле 3)",
        "Узел 5: Запас до вскипания воды в подающем трубопроводе меньше 5 м (мин. -10,03 в узле 5)",
        "Узел 6: Располагаемый напор на конечном узле магистрали меньше 10 м (мин. -28,43 в узле 6)",
        "Узел 6: Располагаемый напор у потребителя не превышает требуемого, избыточный напор (ИзбНап) не больше "
        "0 м (мин. -43,43 в узле 6)",
        "Участок 2 - 6: Скорость воды в подающем трубопроводе больше 3,5 м/с (макс. 3,92 на участке 2 - 6)",
        "Участок 2 - 6: Удельные потери давления в подающем трубопроводе больше 300 Па/м "
        "(макс. 2817,47 на участке 2 - 6)",
        "Показатель МаксДлПод: Длина самой длинной магистрали больше 5 км (значение 12000)",
    };
    ASSERT_EQ(out.warnings.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(out.warnings[i], expected[i]) << i;
}

}  // namespace
}  // namespace volm::test
