// The headless runner as a process: the shipped examples compute with figures
// worked out independently from their data, faults and refusals give status 1
// with the message on standard error, usage errors and unopenable files give 2,
// and the program folder's settings file is never changed.
#include "formulas/cp1251.h"
#include "store/database.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

namespace volm::test {
namespace {

struct Result {
    int status = -1;
    QString out, err;
};

// The runner under a locale of our choosing (its decimal separator is the text's).
Result volmRun(const QStringList& args, const QString& locale = QStringLiteral("C")) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("LANG"), locale);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VOLM_RUN_EXE), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    Result r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class VolmRun : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray settingsBefore;

    void SetUp() override { settingsBefore = fileBytes(settings()); }
    void TearDown() override { EXPECT_EQ(fileBytes(settings()), settingsBefore) << "the settings file changed"; }

    static QString settings() { return QStringLiteral(VOLM_BIN_DIR "/Nastr.mdb"); }
    QString example(const QString& name) {
        const QString path = dir.filePath(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/") + name, path));
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
        return path;
    }
    static double value(const QString& file, const QString& sql) {
        Database db;
        db.open(file);
        auto st = db.prepare(sql);
        if (!st->step()) return NAN;
        const QVariant v = st->column(0);
        return v.isNull() ? NAN : v.toDouble();
    }
    static QString text(const QString& file) {
        const QByteArray b = fileBytes(file);
        return cp1251::toUnicode(std::string_view(b.constData(), size_t(b.size())));
    }
};

TEST_F(VolmRun, TwoPipeExample) {
    const QString calc = example(QStringLiteral("two_pipe.mdb"));
    const QString txt = dir.filePath(QStringLiteral("two.txt"));
    const Result r = volmRun({QStringLiteral("--text"), txt, QStringLiteral("--precision"), QStringLiteral("3"), calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // A sound regime: 62 m of supply and 40 m of return pressure at the source,
    // 16 to 23 m of available head at the ends of the mains; no warning.
    EXPECT_EQ(r.out, QStringLiteral("Расчет выполнен успешно.\n"));
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(value(calc, QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")), 1);
    EXPECT_EQ(value(calc, QStringLiteral("SELECT count(*) FROM Табл WHERE ПНапКонОбр IS NULL")), 0);
    // The method worked through by hand from the example's data: flows summed
    // from the end sections (120 t/h from the source), temperatures along the
    // longest main 1 - 2 - 3 - 4 - 6 (2 x 1000 m), losses by Darcy-Weisbach,
    // a +6 m supply booster at node 8 and a 3 m return booster at node 9.
    const double tol = 1e-9;
    auto section = [&](int a, int b, const char* column) {
        return value(calc, QStringLiteral("SELECT \"%1\" FROM Табл WHERE НачУзел=%2 AND КонУзел=%3")
                               .arg(QString::fromUtf8(column)).arg(a).arg(b));
    };
    EXPECT_DOUBLE_EQ(section(1, 2, "РасхПод"), 120);
    EXPECT_DOUBLE_EQ(section(8, 9, "РасхОбр"), 48);
    EXPECT_NEAR(section(1, 2, "ТВодыКонПод"), 91.02272727272727, tol);
    EXPECT_NEAR(section(8, 9, "ТВодыНачПод"), 87.61363636363636, tol);
    EXPECT_NEAR(section(12, 13, "ТВодыКонОбр"), 82.5, tol);
    EXPECT_NEAR(section(1, 2, "ПНапКонПод"), 161.10931321936243, tol);
    EXPECT_NEAR(section(8, 9, "ПНапНачПод"), 166.43066449272385, tol);
    EXPECT_NEAR(section(8, 9, "РНапКон"), 21.365947165194505, tol);
    EXPECT_NEAR(section(12, 13, "ПНапКонОбр"), 144.8318432825937, tol);
    struct End {
        int idm, node;
        double potPod, pNapPod, potObr, pNapObr, rNap;
    } ends[] = {
        {1, 5, 2.7119153581121287, 159.28808464188788, 2.67189617136176, 142.67189617136177, 16.61618847052611},
        {4, 10, -1.328231950091962, 163.32823195009198, 1.6147871012407116, 141.61478710124072, 21.71344484885125},
        {6, 13, -1.114128270886322, 163.1141282708863, 4.831843282593707, 144.8318432825937, 18.282284988292616},
    };
    for (const End& e : ends) {
        SCOPED_TRACE(e.idm);
        auto end = [&](const char* column) {
            return value(calc, QStringLiteral("SELECT \"%1\" FROM КонМаг WHERE id_m=%2").arg(QString::fromUtf8(column)).arg(e.idm));
        };
        EXPECT_EQ(end("КонУзел"), e.node);
        EXPECT_NEAR(end("ПотНОтИПод"), e.potPod, tol);
        EXPECT_NEAR(end("ПНапПод"), e.pNapPod, tol);
        EXPECT_NEAR(end("ПотНОтИОбр"), e.potObr, tol);
        EXPECT_NEAR(end("ПНапОбр"), e.pNapObr, tol);
        EXPECT_NEAR(end("РНап"), e.rNap, tol);
    }
    const QString t = text(txt);
    EXPECT_TRUE(t.startsWith(QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ТЕПЛОВОЙ СЕТИ\r\n\r\n"
                                            "Название расчета: Пример: двухтрубная сеть квартала\r\n")));
    EXPECT_TRUE(t.endsWith(QStringLiteral("Магистраль 6: 1 - 2 - 8 - 12 - 13\r\n"
                                          "ПотНОтИПод = -1.114  ПНапПод = 163.114\r\n"
                                          "ПотНОтИОбр = 4.832  ПНапОбр = 144.832  РНап = 18.282")))
        << t.right(150).toStdString();
}

// A new calculation carrying 30 t/h through 80 mm pipes: some 490 Pa/m of
// friction, past the shipped 300 Pa/m rule. The run succeeds and warns; with
// --strict the warnings make the status 3.
TEST_F(VolmRun, WarningsKeepTheRunSuccessfulUnlessStrict) {
    const QString calc = dir.filePath(QStringLiteral("narrow.mdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/GidrRas.mdb"), calc));
    QFile::setPermissions(calc, QFile::ReadOwner | QFile::WriteOwner);
    {
        Database db;
        db.open(calc);
        for (const char* sql :
             {"UPDATE НазвРасч SET НазвРасч = 'Узкие трубы', NНачУз = 1, NузПНапПод = 1, NузРНап = 1",
              "UPDATE Заг SET ПНапНаУзПод = 190, РНапНаУз = 60",
              "INSERT INTO УзлыТС VALUES (1, 100)", "INSERT INTO УзлыТС VALUES (2, 100)",
              "INSERT INTO УзлыТС VALUES (3, 100)",
              "INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, ДлНаУчПод, Ду, КоэфМП) VALUES (1, 1, 2, NULL, 200, 80, 0.3)",
              "INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, ДлНаУчПод, Ду, КоэфМП) VALUES (2, 2, 3, 30, 200, 80, 0.3)"})
            db.exec(QString::fromUtf8(sql));
    }
    const QString head = QStringLiteral("Расчет выполнен успешно.\n\nПредупреждения (1):\n"
                                        "Участки 1 - 2, 2 - 3: Удельные потери давления в подающем трубопроводе "
                                        "больше 300 Па/м (макс. ");
    const Result r = volmRun({calc});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(head)) << r.out.toStdString();
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 4) << r.out.toStdString();
    const Result strict = volmRun({QStringLiteral("--strict"), calc});
    EXPECT_EQ(strict.status, 3) << strict.err.toStdString();
    EXPECT_EQ(strict.out, r.out);
    // Without the rule the same network is quiet, and --strict changes nothing.
    {
        Database db;
        db.open(calc);
        db.exec(QStringLiteral("DELETE FROM ПроверкиРежима WHERE Показатель = 'УдПотПод'"));
    }
    const Result quiet = volmRun({QStringLiteral("--strict"), calc});
    EXPECT_EQ(quiet.status, 0) << quiet.err.toStdString();
    EXPECT_EQ(quiet.out, QStringLiteral("Расчет выполнен успешно.\n"));
}

TEST_F(VolmRun, OnePipeExample) {
    const QString calc = example(QStringLiteral("one_pipe.mdb"));
    const Result r = volmRun({calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // A full head of 108 m at node 12 keeps 51 to 66 m of pressure everywhere,
    // well above boiling at 130 °C: no warning.
    EXPECT_EQ(r.out, QStringLiteral("Расчет выполнен успешно.\n"));
    // Worked by hand: 70 t/h from the source, one cooling rate of
    // 60 °C / 1270 m (the main to node 9), the head of 108 m given at node 12,
    // a +8 m booster at node 5.
    const double tol = 1e-9;
    auto v = [&](const QString& sql) { return value(calc, sql); };
    EXPECT_DOUBLE_EQ(v(QStringLiteral("SELECT РасхПод FROM Табл WHERE НачУзел=1")), 50);
    EXPECT_DOUBLE_EQ(v(QStringLiteral("SELECT МаксДлПод FROM Заг")), 1270);
    EXPECT_NEAR(v(QStringLiteral("SELECT ТВодыКонПод FROM Табл WHERE НачУзел=1")), 111.10236220472441, tol);
    EXPECT_NEAR(v(QStringLiteral("SELECT ТВодыКонПод FROM Табл WHERE НачУзел=7")), 77.08661417322836, tol);
    EXPECT_NEAR(v(QStringLiteral("SELECT ПНапНачПод FROM Табл WHERE НачУзел=1")), 110.223676465443255, tol);
    EXPECT_NEAR(v(QStringLiteral("SELECT ПНапКонПод FROM Табл WHERE НачУзел=7")), 115.72098507393304, tol);
    EXPECT_NEAR(v(QStringLiteral("SELECT ПНапКонПод FROM Табл WHERE КонУзел=12")), 108, tol);
    EXPECT_NEAR(v(QStringLiteral("SELECT ПотНОтИПод FROM КонМаг WHERE КонУзел=6")), -6.469071271374748, tol);
    EXPECT_NEAR(v(QStringLiteral("SELECT ПНапПод FROM КонМаг WHERE КонУзел=6")), 116.692747736818006, tol);
    EXPECT_NEAR(v(QStringLiteral("SELECT ПНапПод FROM КонМаг WHERE КонУзел=4")), 108.23647409818382, tol);
    // The one-pipe layout after the rebuild at opening.
    EXPECT_TRUE(std::isnan(v(QStringLiteral("SELECT 1 FROM pragma_table_info('Табл') WHERE name='РНапКон'"))));
}

TEST_F(VolmRun, MethodExampleWithTheSettingsPrecision) {
    const QString calc = example(QStringLiteral("method_example.mdb"));
    const QString txt = dir.filePath(QStringLiteral("m.txt"));
    Result r = volmRun({QStringLiteral("--text"), txt, calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // Two decimals from the shipped settings; the separator of the locale.
    EXPECT_TRUE(text(txt).endsWith(QStringLiteral("ПотНОтИОбр = 1.67  ПНапОбр = 101.67  РНап = 56.63")))
        << text(txt).right(80).toStdString();
    r = volmRun({QStringLiteral("--text"), txt, calc}, QStringLiteral("ru_RU.UTF-8"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(text(txt).endsWith(QStringLiteral("ПотНОтИОбр = 1,67  ПНапОбр = 101,67  РНап = 56,63")))
        << text(txt).right(80).toStdString();
}

TEST_F(VolmRun, AFaultGivesStatusOneAndItsMessage) {
    const QString calc = example(QStringLiteral("method_example.mdb"));
    {
        Database db;
        db.open(calc);
        db.exec(QStringLiteral("UPDATE УзлыТС SET ГеодВыс=Null WHERE Nуз=4"));
    }
    const QString txt = dir.filePath(QStringLiteral("none.txt"));
    const Result r = volmRun({QStringLiteral("--text"), txt, calc});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(r.err, QStringLiteral("Участок 2 - 4:\nГеодезическая высота узла 4 в таблице \"Узлы тепловой сети\" "
                                    "должна быть заполнена.\n"));
    EXPECT_FALSE(QFile::exists(txt));
    EXPECT_EQ(value(calc, QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")), 0);
    // What the stages before the fault wrote is kept.
    EXPECT_EQ(value(calc, QStringLiteral("SELECT count(*) FROM КонМаг")), 2);
}

TEST_F(VolmRun, ARefusalGivesStatusOne) {
    const QString calc = example(QStringLiteral("method_example.mdb"));
    {
        Database db;
        db.open(calc);
        db.exec(QStringLiteral("UPDATE НазвРасч SET NНачУз=77"));
    }
    const Result r = volmRun({calc});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("Номер начального узла тепловой сети не найден в таблице \"Узлы тепловой сети\".\n"
                                    "Расчет невозможен.\n"));
    // A wrong network type is said once, though both the opening and the run find it.
    const QString fresh = example(QStringLiteral("method_example.mdb"));
    execOn(fresh, {QStringLiteral("UPDATE НазвРасч SET ТипСети=2")});
    const Result wrongType = volmRun({fresh});
    EXPECT_EQ(wrongType.status, 1);
    EXPECT_EQ(wrongType.err.count(QStringLiteral("Тип сети указан неверно!")), 1) << wrongType.err.toStdString();
}


TEST_F(VolmRun, UsageErrorsAndUnopenableFiles) {
    const QString calc = example(QStringLiteral("method_example.mdb"));
    QFile junk(dir.filePath(QStringLiteral("junk.mdb")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a database file at all, not even close to one");
    junk.close();
    const QStringList cases[] = {
        {},
        {QStringLiteral("--bogus"), calc},
        {QStringLiteral("--precision"), QStringLiteral("x"), calc},
        {QStringLiteral("--precision"), QStringLiteral("9"), calc},
        {calc, calc},
        {QStringLiteral("--text")},
        {dir.filePath(QStringLiteral("missing.mdb"))},
        {QStringLiteral("--spr"), dir.filePath(QStringLiteral("missing-spr.mdb")), calc},
        {junk.fileName()},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const Result r = volmRun(args);
        EXPECT_EQ(r.status, 2) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_EQ(value(calc, QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")), 0);
}

TEST_F(VolmRun, GivenReferenceBook) {
    const QString calc = example(QStringLiteral("method_example.mdb"));
    const QString spr = dir.filePath(QStringLiteral("my-spr.mdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/Spr.mdb"), spr));
    QFile::setPermissions(spr, QFile::permissions(spr) | QFileDevice::WriteOwner);
    {
        Database db;
        db.open(spr);
        db.exec(QStringLiteral("DELETE FROM ДиамТрПр WHERE УслДиамТрПр=150"));
    }
    const Result r = volmRun({QStringLiteral("--spr"), spr, calc});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Участок 2 - 3:\nОшибка при расчете показателя \"Двн\":\n\n")))
        << r.err.toStdString();
}

}  // namespace
}  // namespace volm::test
