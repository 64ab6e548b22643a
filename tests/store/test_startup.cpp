// Start-up, OtkritFaili, SohranitDannie, shutdown, the scratch database and its
// lock, the standard error report, and files that are not whole calculations.
#include "store/command.h"
#include "store/records.h"
#include "store/scratch_lock.h"
#include "tests/store/store_harness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace volm;
using namespace volm::test;

namespace {

const QString kCR(QChar(13));
const QString kOpenContext =
    QStringLiteral("Ошибка при открытии базы данных гидравлического расчета и базы данных справочников.");

QString notDeleted(const App& app, const QString& name) {
    return QStringLiteral("Файл ") + app.programDirSlash() + name +
           QStringLiteral(" не может быть удален. Возможно он занят другим приложением или его не существует.");
}

TEST(StandardReport, FourLinesJoinedByCarriageReturns) {
    EXPECT_EQ(standardReport("Ошибка при сохранении данных.", "EDatabaseError", "Нет поля."),
              QStringLiteral("Ошибка при сохранении данных.\r\rКласс ошибки: \"EDatabaseError\"\r"
                             "Текст ошибки: \"Нет поля.\""));
}

TEST(StandardReport, AbortIsSilentAndOtherFailuresNameTheLastContext) {
    FakePerson p;
    EXPECT_FALSE(runReported(p, [](ErrorContext& ctx) {
        ctx = QStringLiteral("шаг 1");
        throw Abort();
    }));
    EXPECT_TRUE(p.messages.isEmpty());
    EXPECT_FALSE(runReported(p, [](ErrorContext& ctx) {
        ctx = QStringLiteral("шаг 1");
        ctx = QStringLiteral("шаг 2");
        throw FileError(QStringLiteral("нет места"));
    }));
    ASSERT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0], standardReport("шаг 2", "EInOutError", "нет места"));
}

// A failure before any step is named is told in its own words, not as a
// report of an empty step.
TEST(StandardReport, FailureBeforeAnyStepIsToldInItsOwnWords) {
    FakePerson p;
    EXPECT_FALSE(runReported(p, [](ErrorContext&) { throw FileError(QStringLiteral("нет места")); }));
    EXPECT_FALSE(runReported(p, [](ErrorContext&) { throw std::runtime_error("сбой"); }));
    EXPECT_EQ(p.messages, QStringList({QStringLiteral("нет места"), QStringLiteral("Внутренняя ошибка программы: сбой")}));
}

using StartUp = StoreHarness;

TEST_F(StartUp, WithoutCalculationOpensSettingsAndLockedScratchOnly) {
    FontSizes fonts{0, 0, 0};
    QObject::connect(app.get(), &App::fontsChanged, [&](FontSizes s) { fonts = s; });
    execOn(folder.file("Nastr.mdb"), {"UPDATE Настройки SET РШрифтаВТД=12, РШрифтаВЗагКолТД=9, РШрифтаНаимПок=14"});
    QDir::setCurrent(QDir::tempPath());

    ASSERT_TRUE(startUp(*app));
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    EXPECT_EQ(opened, 1);  // the window takes its caption from the settings then
    EXPECT_TRUE(goToSettingsRow(*app).value("ФайлГР").isNull());
    EXPECT_FALSE(app->dm.acGR.isOpen());
    EXPECT_FALSE(app->dm.acSpr.isOpen());
    EXPECT_FALSE(app->FormuliProvereny);
    EXPECT_EQ(fonts.data, 12);
    EXPECT_EQ(fonts.titles, 9);
    EXPECT_EQ(fonts.captions, 14);

    // The scratch database: five tables, held by this copy's lock.
    ASSERT_TRUE(app->dm.acVremDB.isOpen());
    for (const char* t : {"ВКол", "КопПоля", "ВКолЗаг", "ВКолТабл", "ЗависимостьПоказателей"})
        EXPECT_TRUE(app->dm.acVremDB.hasTable(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(isLocked(folder.file("~$.mdb")));
}

TEST_F(StartUp, OpensTheNamedCalculationAndReadsItsRow) {
    startWithCalculation({"UPDATE НазвРасч SET НазвРасч='Микрорайон', РасчетВыполнен=True, NузПНапПод=5, NузРНап=12"});
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(app->RasVip);
    const HeaderTexts header = storedHeader(*app);
    EXPECT_EQ(header.calcName, "Микрорайон");
    EXPECT_EQ(header.supplyNode, "5");
    EXPECT_EQ(header.availNode, "12");
    EXPECT_TRUE(app->FormuliProvereny);
    EXPECT_EQ(app->sectionSort, "id ASC");
    EXPECT_TRUE(app->dm.acSpr.isOpen());
    for (auto* t : {&app->dm.atZag, &app->dm.atTabl, &app->dm.atFormuli, &app->dm.atUzliTS, &app->dm.atKonMag,
                    &app->dm.atVKolZag, &app->dm.atDiamTrPr, &app->dm.atPoprKoefKUdPot})
        ASSERT_TRUE(*t && (*t)->isOpen());
    ASSERT_TRUE(app->dm.aqRashPod);
    app->dm.aqRashPod->first();
    EXPECT_EQ(app->dm.aqRashPod->value(0).toString(), "Расход воды в подающем трубопроводе, т/ч");
}

TEST_F(StartUp, FormulaCheckDecidesRebuildAndGrids) {
    int rebuilt = 0;
    FakeCatalogueCheck check;
    check.onRebuild = [&](App&) { ++rebuilt; };
    check.onCheck = [](App& a) { return a.FormuliProvereny = false; };
    app->setCatalogueCheck(&check);
    startWithCalculation();
    EXPECT_EQ(rebuilt, 0);
    EXPECT_FALSE(app->FormuliProvereny);

    check.onCheck = [](App& a) { return a.FormuliProvereny = true; };
    OtkritFaili(*app);
    EXPECT_EQ(rebuilt, 1);
    EXPECT_TRUE(app->FormuliProvereny);
}

// The calculation and the reference book named to start-up are opened; the
// settings keep the files the window remembers.
TEST_F(StartUp, NamedFilesOpenWithoutTouchingTheSettings) {
    calc = folder.newCalculation(QStringLiteral("named.mdb"));
    const QString remembered = folder.file("remembered.mdb");
    folder.setSetting(QStringLiteral("ФайлГР"), remembered);
    const QVariant reference = fileValue(folder.file("Nastr.mdb"), "SELECT ФайлСпр FROM Настройки");

    ASSERT_TRUE(startUp(*app, calc, folder.file("Spr.mdb"))) << person.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(app->dm.acGR.isOpen());
    EXPECT_TRUE(app->dm.acSpr.isOpen());
    EXPECT_EQ(app->dm.acGR.path(), calc);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(opened, 1);
    app->dm.closeCalculation();
    app->dm.closeReference();
    EXPECT_EQ(fileValue(folder.file("Nastr.mdb"), "SELECT ФайлГР FROM Настройки").toString(), remembered);
    EXPECT_EQ(fileValue(folder.file("Nastr.mdb"), "SELECT ФайлСпр FROM Настройки"), reference);
}

struct MissingCase {
    const char* name;
    bool calcExists;
    const char* ref;  // ФайлСпр; nullptr for Null
    bool refExists;
    int messages;
};

class MissingFiles : public StoreHarness, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingFiles, AreNamedCalculationFirstAndNothingOpens) {
    const MissingCase& c = GetParam();
    calc = c.calcExists ? folder.newCalculation("calc.mdb") : folder.data("нет.mdb");
    folder.setSetting("ФайлГР", calc);
    const QString ref = c.ref ? folder.data(QString::fromUtf8(c.ref)) : QString();
    folder.setSetting("ФайлСпр", c.ref ? QVariant(ref) : QVariant());
    if (c.refExists) QFile::copy(folder.file("Spr.mdb"), ref);

    ASSERT_TRUE(startUp(*app));
    QStringList expected;
    if (!c.calcExists) expected << "Файл " + calc + " не найден.";
    if (!c.refExists) expected << "Файл " + ref + " не найден.";
    EXPECT_EQ(person.messages, expected);
    ASSERT_EQ(expected.size(), c.messages);
    EXPECT_FALSE(app->dm.acGR.isOpen());
    EXPECT_FALSE(app->dm.acSpr.isOpen());
    EXPECT_FALSE(app->FormuliProvereny);
    EXPECT_EQ(opened, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingFiles,
                         ::testing::Values(MissingCase{"NoReferenceNamed", true, nullptr, false, 1},  // "Файл  не найден."
                                           MissingCase{"BothMissing", false, "s.mdb", false, 2},
                                           MissingCase{"CalculationMissing", false, "s.mdb", true, 1},
                                           MissingCase{"ReferenceMissing", true, "s.mdb", false, 1}),
                         [](const ::testing::TestParamInfo<MissingCase>& i) { return std::string(i.param.name); });

TEST_F(StartUp, ReferenceBookWithoutFolderResolvesInProgramFolder) {
    calc = folder.newCalculation("calc.mdb");
    folder.setSetting("ФайлГР", calc);
    folder.setSetting("ФайлСпр", "Spr.mdb");
    QDir::setCurrent(folder.dataDir());
    QFile::copy(folder.file("Spr.mdb"), folder.data("Spr.mdb"));
    execOn(folder.data("Spr.mdb"), {"DROP TABLE ДиамТрПр"});  // the wrong one would fail
    ASSERT_TRUE(startUp(*app));
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_TRUE(app->dm.acSpr.isOpen());
}

TEST_F(StartUp, MissingSettingsFileIsReportedAndNothingElseOpens) {
    QFile::remove(folder.file("Nastr.mdb"));
    EXPECT_FALSE(startUp(*app));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].startsWith("Ошибка при открытии базы данных настроек." + kCR + kCR +
                                              "Класс ошибки: \"EDatabaseError\"" + kCR));
    EXPECT_FALSE(QFile::exists(folder.file("~$.mdb")));
    EXPECT_FALSE(QFile::exists(folder.file("Nastr.mdb")));
}

TEST_F(StartUp, LeftoverScratchFromAnEarlierRunIsReplaced) {
    QFile f(folder.file("~$.mdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("leftover");
    f.close();
    ASSERT_TRUE(startUp(*app));
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_TRUE(app->dm.acVremDB.hasTable("ВКол"));
}

// Two copies of the program started from one folder: the second finds the
// scratch database locked, reports it, and leaves the first copy's file alone.
TEST_F(StartUp, ScratchLockedByAnotherCopyIsNotDeleted) {
    startWithCalculation();
    app->dm.acVremDB.exec("INSERT INTO ВКол VALUES (1, 'первая копия')");

    FakePerson secondPerson;
    App second(folder.path(), secondPerson);
    EXPECT_FALSE(startUp(second));
    ASSERT_EQ(secondPerson.messages.size(), 2);
    EXPECT_EQ(secondPerson.messages[0], notDeleted(second, "~$.mdb"));
    EXPECT_TRUE(secondPerson.messages[1].startsWith("Ошибка при создании временной базы данных." + kCR + kCR));
    EXPECT_FALSE(second.dm.acVremDB.isOpen());
    EXPECT_FALSE(second.dm.acGR.isOpen());

    // The first copy's scratch database is whole and still its own.
    auto rows = app->dm.acVremDB.query("SELECT НаимПок FROM ВКол");
    rows->first();
    EXPECT_EQ(rows->value(0).toString(), "первая копия");
    EXPECT_TRUE(isLocked(folder.file("~$.mdb")));
    EXPECT_TRUE(shutDown(*app));
    EXPECT_FALSE(QFile::exists(folder.file("~$.mdb")));
}

TEST_F(StartUp, ShutdownCommitsEditsAndDeletesScratchFiles) {
    startWithCalculation();
    for (const char* name : {"~$$.mdb", "~$.tx_"}) {
        QFile f(folder.file(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    editors.typed = HeaderTexts{"Квартал 5", {}, {}};
    app->dm.atZag->setValue("ПНапНаУзПод", 55.5);
    app->dm.atTabl->disableControls();

    EXPECT_TRUE(shutDown(*app));
    EXPECT_TRUE(person.messages.isEmpty());
    for (const char* name : {"~$.mdb", "~$$.mdb", "~$.tx_"})
        EXPECT_FALSE(QFile::exists(folder.file(QString::fromUtf8(name)))) << name;
    EXPECT_FALSE(app->dm.acVremDB.isOpen());
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());
    app.reset();
    EXPECT_EQ(fileValue(calc, "SELECT НазвРасч FROM НазвРасч").toString(), "Квартал 5");
    EXPECT_DOUBLE_EQ(fileValue(calc, "SELECT ПНапНаУзПод FROM Заг").toDouble(), 55.5);
}

TEST_F(StartUp, ShutdownNamesAScratchFileItCannotDelete) {
    startWithCalculation();
    QFile f(folder.file("~$$.mdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    int fd = ::open(QFile::encodeName(folder.file("~$$.mdb")).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(shutDown(*app));
    ::close(fd);
    EXPECT_EQ(person.messages, QStringList{notDeleted(*app, "~$$.mdb")});
    EXPECT_FALSE(QFile::exists(folder.file("~$.mdb")));
}

using SaveData = StoreHarness;

TEST_F(SaveData, NodeEditsAreStoredOnlyAsWholeNumbersThatChanged) {
    startWithCalculation({"UPDATE НазвРасч SET NузПНапПод=5, NузРНап=3, РасчетВыполнен=True"});
    ASSERT_TRUE(app->RasVip);

    editors.typed = HeaderTexts{{}, "12a", "3"};
    SohranitDannie(*app);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_TRUE(app->RasVip);  // nothing changed
    EXPECT_EQ(fileValue(calc, "SELECT NузПНапПод FROM НазвРасч").toInt(), 5);

    editors.typed->supplyNode = "7";
    SohranitDannie(*app);
    EXPECT_FALSE(app->RasVip);
    EXPECT_EQ(fileValue(calc, "SELECT NузПНапПод FROM НазвРасч").toInt(), 7);
    EXPECT_FALSE(fileValue(calc, "SELECT РасчетВыполнен FROM НазвРасч").toBool());

    // A number beyond 16 bits is no node number: it is not stored as another one.
    editors.typed->supplyNode = "70000";
    SohranitDannie(*app);
    EXPECT_EQ(fileValue(calc, "SELECT NузПНапПод FROM НазвРасч").toInt(), 7);
    EXPECT_TRUE(person.messages.isEmpty());
}

TEST_F(SaveData, SectionRowBeingEditedIsStored) {
    startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (1, 0, 1)"});
    bool flushed = false;
    editors.onFlush = [&] {
        flushed = true;
        app->dm.atTabl->setValue("ДлНаУчПод", 120.0);
    };
    editors.sectionEditing = true;
    SohranitDannie(*app);
    EXPECT_TRUE(flushed);
    EXPECT_DOUBLE_EQ(fileValue(calc, "SELECT ДлНаУчПод FROM Табл WHERE id=1").toDouble(), 120.0);
    EXPECT_EQ(app->dm.atTabl->state(), Table::State::Browse);
}

// Files that are not whole calculations: the report names the step, the program
// goes on with no calculation open and the file is left as it was.
struct BadFileCase {
    const char* what;
    bool reference;           // damage the reference book instead
    QStringList statements;   // run on a good file (empty: write garbage)
    int truncateTo;           // > 0: cut the file to this many bytes
};

class BadFiles : public StoreHarness, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadFiles, AreReportedAndLeaveNoCalculationOpen) {
    const BadFileCase& c = GetParam();
    calc = folder.newCalculation("calc.mdb");
    QString ref = folder.data("ref.mdb");
    QFile::copy(folder.file("Spr.mdb"), ref);
    // Enough rows for a cut to fall in the middle of the data.
    QStringList fill;
    for (int i = 1; i <= 400; ++i)
        fill << QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, Примечание) VALUES (%1, %1, %2, '%3')")
                    .arg(i).arg(i + 1).arg(QString(200, QChar(0x430 + i % 32)));
    execOn(calc, fill);
    const QString bad = c.reference ? ref : calc;
    if (c.truncateTo > 0) {
        QFile f(bad);
        ASSERT_TRUE(f.resize(c.truncateTo));
    } else if (c.statements.isEmpty()) {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(3000, 'z'));
    } else {
        execOn(bad, c.statements);
    }
    folder.setSetting("ФайлГР", calc);
    folder.setSetting("ФайлСпр", ref);
    const QByteArray before = fileBytes(bad);

    EXPECT_FALSE(startUp(*app));
    ASSERT_EQ(person.messages.size(), 1) << c.what;
    EXPECT_TRUE(person.messages[0].startsWith(kOpenContext + kCR + kCR + "Класс ошибки: \"EDatabaseError\"" + kCR +
                                              "Текст ошибки: \""))
        << person.messages[0].toStdString();
    EXPECT_FALSE(app->dm.acGR.isOpen());
    EXPECT_FALSE(app->dm.acSpr.isOpen());
    EXPECT_FALSE(app->dm.atTabl);
    EXPECT_FALSE(app->dm.atNazvRasch);
    EXPECT_FALSE(app->FormuliProvereny);
    EXPECT_FALSE(app->RasVip);
    EXPECT_TRUE(storedHeader(*app).calcName.isEmpty());
    EXPECT_EQ(fileBytes(bad), before) << c.what;

    // The program keeps running: the settings and the scratch database work.
    EXPECT_TRUE(app->dm.acVremDB.isOpen());
    calc = folder.newCalculation("good.mdb");
    app->dm.atNastr->first();
    app->dm.atNastr->setValue("ФайлГР", calc);
    app->dm.atNastr->setValue("ФайлСпр", folder.file("Spr.mdb"));
    app->dm.atNastr->post();
    OtkritFaili(*app);
    EXPECT_TRUE(app->dm.acGR.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadFiles,
    ::testing::Values(BadFileCase{"NotADatabase", false, {}, 0},
                      BadFileCase{"Truncated", false, {}, 40000},
                      BadFileCase{"NoPredefinedIndicatorTable", false, {"DROP TABLE ФлыПредопрПок"}, 0},
                      BadFileCase{"NoEndNodeColumn", false, {"ALTER TABLE Табл DROP COLUMN КонУзел"}, 0},
                      BadFileCase{"NoDoneFlagColumn", false, {"ALTER TABLE НазвРасч DROP COLUMN РасчетВыполнен"}, 0},
                      BadFileCase{"NoCalculationRow", false, {"DELETE FROM НазвРасч"}, 0},
                      BadFileCase{"ReferenceNotADatabase", true, {}, 0},
                      BadFileCase{"ReferenceWithoutDensity", true, {"ALTER TABLE ПлВодыОтТ DROP COLUMN Плотность"}, 0}),
    [](const ::testing::TestParamInfo<BadFileCase>& i) { return std::string(i.param.what); });

// The files the build ships open as they are.
TEST(ShippedFiles, StartUpOpensACalculationMadeFromTheTemplate) {
    ProgramFolder shipped(ProgramFolder::Source::Shipped);
    if (!shipped.usesShippedFiles()) GTEST_SKIP() << "the build has not laid out its program folder";
    FakePerson p;
    App a(shipped.path(), p);
    shipped.setSetting("ФайлГР", shipped.newCalculation("calc.mdb"));
    shipped.setSetting("ФайлСпр", "Spr.mdb");
    EXPECT_TRUE(startUp(a));
    EXPECT_TRUE(p.messages.isEmpty()) << p.messages.join('\n').toStdString();
    EXPECT_TRUE(a.dm.acGR.isOpen());
    EXPECT_TRUE(a.dm.acSpr.isOpen());
    EXPECT_TRUE(shutDown(a));
}

}  // namespace
