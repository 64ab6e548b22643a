// Pipe sizing on the worked example of the standard method, where the specific
// losses of every section for every nominal diameter are known by hand
// (R = 6.88e-3 * kэ^0.25 * G² / (ρ * d^5.25), d the inner diameter):
//
//   section  G    ρ (at ТСрПод)    Ду 125   Ду 150   Ду 200   Ду 250
//   1 - 2    100  963.94 (92 °C)   588.17   225.84    41.63    12.84
//   2 - 3     40  968.59 (85 °C)    93.66    35.96     6.63
//   2 - 4     60  968.59 (85 °C)   210.72    80.91    14.92
//
// and the water speeds (СкорПод, m/s) of 1 - 2 at Ду 150/200/250 are
// 1.631/0.856/0.547, of 2 - 3 at 125/150/200 0.935/0.649/0.341, of 2 - 4 1.402/0.974/0.511.
// The example's own diameters are 250, 150 and 200.
#include "tests/calc/calc_harness.h"

#include "commands/sizing_command.h"
#include "formulas/catalogue_check.h"
#include "store/change_record.h"
#include "store/database.h"
#include "store/startup.h"

#include <QFile>

namespace volm::test {
namespace {

class RecordingDisplay : public OutcomeDisplay {
public:
    QStringList shown;
    void showOutcome(const QString& text) override { shown << text; }
};

class Sizing : public CalcHarness {
protected:
    RecordingDisplay display;

    // The worked example with extra statements run on its file before it is opened.
    void openMethodExample(const QStringList& extra = {}) {
        app.reset();
        calc = folder.data(QStringLiteral("method_example.mdb"));
        QFile::remove(calc);
        ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/method_example.mdb"), calc));
        QFile::setPermissions(calc, QFile::permissions(calc) | QFileDevice::WriteOwner);
        if (!extra.isEmpty()) execOn(calc, extra);
        folder.setSetting(QStringLiteral("ФайлГР"), calc);
        folder.setSetting(QStringLiteral("ФайлСпр"), folder.file(QStringLiteral("Spr.mdb")));
        app = std::make_unique<App>(folder.path(), person);
        useFormulaCheck(*app);
        ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
        app->SistRazdelitel = QLatin1Char(',');
        person.clear();
    }

    SizingOutcome size(const SizingRequest& request, const QString& supplyText = QStringLiteral("1")) {
        RunOptions options;
        options.supplyNodeText = supplyText;
        options.availNodeText = QStringLiteral("1");
        options.outcomeDisplay = &display;
        return sizeDiameters(*app, request, options);
    }

    // Ду of 1 - 2, 2 - 3, 2 - 4 as stored.
    std::vector<double> diameters() const {
        return {sectionValue(1, 2, QStringLiteral("Ду")), sectionValue(2, 3, QStringLiteral("Ду")),
                sectionValue(2, 4, QStringLiteral("Ду"))};
    }
    QStringList everything() const {
        return rows(QStringLiteral("SELECT * FROM Табл ORDER BY id")) + rows(QStringLiteral("SELECT * FROM Заг")) +
               rows(QStringLiteral("SELECT * FROM НазвРасч")) + rows(QStringLiteral("SELECT * FROM КонМаг"));
    }
};

SizingRequest request(std::vector<SizingCriterion> criteria, bool markedOnly = false) {
    SizingRequest r;
    r.criteria = std::move(criteria);
    r.markedOnly = markedOnly;
    return r;
}

struct LimitCase {
    const char* what;
    std::vector<SizingCriterion> criteria;
    std::vector<double> expected;  // Ду of 1 - 2, 2 - 3, 2 - 4
};

class SizingLimits : public Sizing, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(SizingLimits, TakesTheSmallestDiameterWithinEveryLimit) {
    openMethodExample();
    const SizingOutcome out = size(request(GetParam().criteria));
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    EXPECT_TRUE(out.run.success()) << out.run.text.toStdString();
    EXPECT_EQ(diameters(), GetParam().expected);
    EXPECT_TRUE(out.misses.empty());
    EXPECT_EQ(out.sections, 3);
    const std::vector<double> before{250, 150, 200};
    int changed = 0;
    for (size_t k = 0; k < before.size(); ++k) changed += before[k] != GetParam().expected[k];
    EXPECT_EQ(out.changed, changed);
}

const QString R = QStringLiteral("УдПотПод");
const QString V = QStringLiteral("СкорПод");

INSTANTIATE_TEST_SUITE_P(
    MethodExample, SizingLimits,
    ::testing::Values(
        // 2 - 4 at Ду 150 loses 80.91 Pa/m: just over 80, just under 81.
        LimitCase{"R80", {{R, 80}}, {200, 150, 200}},
        LimitCase{"R81", {{R, 81}}, {200, 150, 150}},
        // 2 - 3 at Ду 125 loses 93.66 Pa/m.
        LimitCase{"R93_6", {{R, 93.6}}, {200, 150, 150}},
        LimitCase{"R93_7", {{R, 93.7}}, {200, 125, 150}},
        // Alone, 300 Pa/m allows 150, 125, 125; the speed limit then decides.
        LimitCase{"R300", {{R, 300}}, {150, 125, 125}},
        LimitCase{"R300V06", {{R, 300}, {V, 0.6}}, {250, 200, 200}},
        LimitCase{"R300V1", {{R, 300}, {V, 1.0}}, {200, 125, 150}}),
    [](const auto& info) { return std::string(info.param.what); });

// The chosen diameters are stored with the run's results, in its transaction:
// a run that cannot finish (its text cannot be written) leaves every table as
// it was, the diameters too.
TEST_F(Sizing, ARunThatCannotFinishStoresNoDiameter) {
    openMethodExample();
    const QStringList before = everything();
    RunOptions options;
    options.supplyNodeText = options.availNodeText = QStringLiteral("1");
    options.textFile = folder.path() + QStringLiteral("/нет такой папки/text.txt");
    const SizingOutcome out = sizeDiameters(*app, request({{R, 80}}), options);
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    EXPECT_EQ(out.changed, 1);
    EXPECT_EQ(out.run.status, RunOutcome::Status::Unexpected);
    EXPECT_EQ(everything(), before);
}

TEST_F(Sizing, FillsTheDiametersOfANetworkWithoutThemAndTheRunFollows) {
    openMethodExample({QStringLiteral("UPDATE Табл SET Ду=Null")});
    const SizingOutcome out = size(request({{R, 80}}));
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    EXPECT_EQ(diameters(), (std::vector<double>{200, 150, 200}));
    EXPECT_EQ(out.changed, 3);
    ASSERT_TRUE(out.run.success()) << out.run.text.toStdString();
    // The run's results are those of the chosen diameters.
    EXPECT_NEAR(sectionValue(2, 4, R), 14.9159, 1e-3);
    EXPECT_NEAR(sectionValue(1, 2, R), 41.6329, 1e-3);
    EXPECT_TRUE(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
    ASSERT_EQ(display.shown.size(), 1);
    // The run's outcome (and the warnings of its regime checks) follow the summary.
    EXPECT_TRUE(display.shown[0].startsWith(QStringLiteral("Подбор диаметров: участков 3, диаметр изменен у 3 участков.\r\n\r\n"
                                                           "Расчет выполнен успешно.")))
        << display.shown[0].toStdString();
}

// Sizing is one step the person can take back: the diameters it chose, not
// the results of the run that stored them.
TEST_F(Sizing, IsOneStepOfItsDiametersThatUndoTakesBack) {
    openMethodExample({QStringLiteral("UPDATE Табл SET Ду=Null")});
    app->changes.attach(app->dm.acGR);
    SizingOutcome out;
    {
        RecordedStep step(app->changes, QStringLiteral("подбор диаметров"));
        out = size(request({{R, 80}}));
    }
    ASSERT_TRUE(out.run.success()) << out.run.text.toStdString();
    std::vector<ChangeSet> steps = app->changes.takeSteps();
    ASSERT_EQ(steps.size(), 1u);
    ASSERT_EQ(steps[0].tables.size(), 1u);
    EXPECT_EQ(steps[0].tables[0].table, QStringLiteral("Табл"));
    EXPECT_EQ(steps[0].order.size(), 3u);
    for (const RowChange& r : steps[0].tables[0].rows) EXPECT_EQ(r.fields.size(), 1u);

    applyChangeSet(*app, steps[0], true);
    EXPECT_TRUE(std::isnan(sectionValue(1, 2, QStringLiteral("Ду"))));
    EXPECT_TRUE(std::isnan(sectionValue(2, 4, QStringLiteral("Ду"))));
    EXPECT_FALSE(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
    applyChangeSet(*app, steps[0], false);
    EXPECT_EQ(diameters(), (std::vector<double>{200, 150, 200}));
}

TEST_F(Sizing, LeavesUnmarkedSectionsAlone) {
    openMethodExample({QStringLiteral("UPDATE Табл SET Заполн_Уч='Д' WHERE НачУзел=2 AND КонУзел=3")});
    const SizingOutcome out = size(request({{R, 93.7}}, true));
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    EXPECT_EQ(diameters(), (std::vector<double>{250, 125, 200}));
    EXPECT_EQ(out.sections, 1);
    EXPECT_EQ(out.changed, 1);
}

TEST_F(Sizing, ListsTheSectionsNoDiameterFitsAndTakesTheLargest) {
    openMethodExample();
    const SizingOutcome out = size(request({{R, 300}, {V, 0.015}}));
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    // At Ду 1400 the speeds are 0.01883, 0.007495 and 0.01124 m/s; 2 - 3 keeps
    // within 0.015 m/s from Ду 1000 (0.01467), 2 - 4 only at 1400.
    EXPECT_EQ(diameters(), (std::vector<double>{1400, 1000, 1400}));
    ASSERT_EQ(out.misses.size(), 1u);
    EXPECT_EQ(out.misses[0].indicator, V);
    EXPECT_EQ(out.text, QStringLiteral("Подбор диаметров: участков 3, диаметр изменен у 3 участков.\r\n\r\n"
                                       "Пределы превышены и при наибольшем диаметре:\r\n"
                                       "Участок 1 - 2: СкорПод = 0,01883 при Ду 1400"));
    ASSERT_EQ(display.shown.size(), 1);
    EXPECT_TRUE(display.shown[0].startsWith(out.text + QStringLiteral("\r\n\r\nРасчет выполнен успешно.")))
        << display.shown[0].toStdString();
}

// The loss from the source to a section's end (ПотНОтИКонПод) adds up the
// sections upstream with the diameters chosen for them: at the example's own
// diameters 250, 150, 200 it is 0.8824, 2.3584 and 1.6987 m; 1 - 2 at Ду 200
// would lose 2.8617 m, 2 - 3 at Ду 200 adds 0.2721 m to 0.8824.
TEST_F(Sizing, ALossFromTheSourceTakesTheSectionsUpstreamAsChosen) {
    const QString loss = QStringLiteral("ПотНОтИКонПод");
    openMethodExample({QStringLiteral("UPDATE Табл SET Ду=Null")});
    SizingOutcome out = size(request({{loss, 2.4}}));
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    EXPECT_EQ(diameters(), (std::vector<double>{250, 150, 200}));
    EXPECT_NEAR(sectionValue(2, 3, loss), 2.3584, 1e-4);

    out = size(request({{loss, 2.35}}));
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    EXPECT_EQ(diameters(), (std::vector<double>{250, 200, 200}));
    EXPECT_EQ(out.changed, 1);

    // A section not sized gives its own losses to those downstream.
    openMethodExample({QStringLiteral("UPDATE Табл SET Заполн_Уч='Д' WHERE КонУзел=3"),
                       QStringLiteral("UPDATE Табл SET Ду=200 WHERE КонУзел=2")});
    out = size(request({{loss, 4}}, true));
    ASSERT_TRUE(out.sized()) << out.text.toStdString();
    // From 2.8617 m at node 2, 2 - 3 at Ду 150 reaches 4.3377, at Ду 200 3.1338.
    EXPECT_EQ(diameters(), (std::vector<double>{200, 200, 200}));
}

// A criterion of the person's own: the specific loss in mm of water per metre.
const QString kOwnIndicator = QStringLiteral(
    "INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (10, 'Удельные потери, мм вод. ст./м', 'УдПотММ', True, False, '<УдПотПод>/9,81', False)");

TEST_F(Sizing, UsesACriterionOfThePersonsOwn) {
    for (const auto& [limit, expected] : {std::pair{8.2, 200.0}, std::pair{8.3, 150.0}}) {
        SCOPED_TRACE(limit);
        openMethodExample({kOwnIndicator, QStringLiteral("ALTER TABLE Табл ADD COLUMN УдПотММ float")});
        const SizingOutcome out = size(request({{QStringLiteral("УдПотММ"), limit}}));
        ASSERT_TRUE(out.sized()) << out.text.toStdString();
        // 80.91 / 9.81 = 8.248 at Ду 150 for 2 - 4.
        EXPECT_EQ(diameters(), (std::vector<double>{200, 150, expected}));
        EXPECT_NEAR(sectionValue(2, 4, QStringLiteral("УдПотММ")), expected == 150 ? 8.2479 : 1.5205, 1e-3);
    }
}

TEST_F(Sizing, ACriterionFailingForOneCandidateStopsWithNothingWritten) {
    openMethodExample({QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (10, 'Критерий', 'Крит', True, False, "
                                      "'<УдПотПод>+1/(<Ду>-150)', False)"),
                       QStringLiteral("ALTER TABLE Табл ADD COLUMN Крит float")});
    const QStringList before = everything();
    const SizingOutcome out = size(request({{QStringLiteral("Крит"), 80}}));
    EXPECT_EQ(out.status, SizingOutcome::Status::Fault);
    // 1 - 2 comes to Ду 150 first (588 Pa/m at 125).
    EXPECT_TRUE(out.text.startsWith(QStringLiteral("Участок 1 - 2:\rОшибка при расчете показателя \"Крит\":")))
        << out.text.toStdString();
    EXPECT_TRUE(out.text.endsWith(QStringLiteral("\r\rПодбор диаметров: Ду = 150."))) << out.text.toStdString();
    EXPECT_EQ(person.messages, QStringList{out.text});
    EXPECT_EQ(everything(), before);
    EXPECT_TRUE(display.shown.isEmpty());
}

TEST_F(Sizing, AReferenceValueMissingForOneCandidateStopsWithNothingWritten) {
    execOn(folder.file(QStringLiteral("Spr.mdb")),
           {QStringLiteral("UPDATE ДиамТрПр SET ВнутрДиамТрПр=Null WHERE УслДиамТрПр=150")});
    openMethodExample();
    const QStringList before = everything();
    const SizingOutcome out = size(request({{R, 80}}));
    EXPECT_EQ(out.status, SizingOutcome::Status::Fault);
    // Двн of 1 - 2 at Ду 150 cannot be found.
    EXPECT_TRUE(out.text.startsWith(QStringLiteral("Участок 1 - 2:\rОшибка при расчете показателя \"Двн\":")))
        << out.text.toStdString();
    EXPECT_TRUE(out.text.endsWith(QStringLiteral("\r\rПодбор диаметров: Ду = 150."))) << out.text.toStdString();
    EXPECT_EQ(everything(), before);
}

TEST_F(Sizing, AFaultOfTheRunsChecksStopsWithItsMessageAndNothingChanged) {
    openMethodExample({QStringLiteral("UPDATE НазвРасч SET NузПНапПод=Null")});
    const QStringList before = everything();
    const SizingOutcome out = size(request({{R, 80}}), QString());
    EXPECT_EQ(out.status, SizingOutcome::Status::Fault);
    EXPECT_EQ(person.messages, QStringList{QStringLiteral("Поле \"ПНапНаУзПод задан для узла:\" должно быть заполнено.")});
    EXPECT_EQ(everything(), before);

    // The head nodes the stages store are not kept either.
    person.clear();
    const SizingOutcome other = size(request({{R, 80}, {QStringLiteral("Нет"), 1}}), QStringLiteral("2"));
    EXPECT_EQ(other.status, SizingOutcome::Status::Refused);
    EXPECT_EQ(everything(), before);
}

struct Refusal {
    const char* what;
    QString diameter;
    QString criterion;
    QString message;
};

class SizingRefusals : public Sizing, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SizingRefusals, RefusesWhatCannotBeSized) {
    openMethodExample();
    const QStringList before = everything();
    SizingRequest r = request({{GetParam().criterion, 80}});
    r.diameter = GetParam().diameter;
    const SizingOutcome out = size(r);
    EXPECT_EQ(out.status, SizingOutcome::Status::Refused);
    EXPECT_EQ(person.messages, QStringList{GetParam().message});
    EXPECT_EQ(everything(), before);
}

INSTANTIATE_TEST_SUITE_P(
    MethodExample, SizingRefusals,
    ::testing::Values(
        Refusal{"ComputedDiameter", QStringLiteral("Двн"), R,
                QStringLiteral("Показатель \"Двн\" не является табличным показателем, вводимым пользователем.")},
        Refusal{"HeaderDiameter", QStringLiteral("ЭквШер"), R,
                QStringLiteral("Показатель \"ЭквШер\" не является табличным показателем, вводимым пользователем.")},
        Refusal{"EnteredCriterion", QStringLiteral("Ду"), QStringLiteral("КоэфМП"),
                QStringLiteral("Показатель \"КоэфМП\" не является табличным показателем, рассчитываемым по формуле.")},
        Refusal{"UnknownCriterion", QStringLiteral("Ду"), QStringLiteral("Нет"),
                QStringLiteral("Показатель \"Нет\" не является табличным показателем, рассчитываемым по формуле.")}),
    [](const auto& info) { return std::string(info.param.what); });

// The summary counts the sections whose diameter changed, never reads as a diameter.
TEST(SizingSummary, CountsTheChangedSections) {
    const std::pair<int, const char*> cases[] = {
        {0, "у 0 участков"},   {1, "у 1 участка"},     {2, "у 2 участков"},    {5, "у 5 участков"},
        {11, "у 11 участков"}, {21, "у 21 участка"},   {111, "у 111 участков"}, {1829, "у 1829 участков"},
        {1831, "у 1831 участка"}};
    for (const auto& [changed, words] : cases) {
        SizingOutcome out;
        out.sections = 2000;
        out.changed = changed;
        EXPECT_EQ(sizingSummary(out, QStringLiteral("Ду"), QLatin1Char(',')),
                  QStringLiteral("Подбор диаметров: участков 2000, диаметр изменен ") + QString::fromUtf8(words) +
                      QLatin1Char('.'));
    }
}

}  // namespace
}  // namespace volm::test
