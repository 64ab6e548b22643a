// Sizing through the headless runner, end to end: --size chooses the diameters
// of the worked example (see test_sizing.cpp for the figures), the run follows
// and both outcomes reach standard output; a fault leaves the file unchanged;
// a malformed option is a usage error.
#include "store/database.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace volm::test {
namespace {

struct Result {
    int status = -1;
    QString out, err;
};

Result volmRun(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VOLM_RUN_EXE), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    Result r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class VolmRunSizing : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString calc = dir.filePath(QStringLiteral("method.mdb"));
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/method_example.mdb"), calc));
        QFile::setPermissions(calc, QFile::permissions(calc) | QFileDevice::WriteOwner);
    }
    QStringList column(const QString& sql) const {
        Database db;
        db.open(calc);
        auto st = db.prepare(sql);
        QStringList out;
        while (st->step()) {
            QStringList row;
            for (int c = 0; c < st->columnCount(); ++c) row << st->column(c).toString();
            out << row.join(QLatin1Char(' '));
        }
        return out;
    }
    QStringList diameters() const {
        return column(QStringLiteral("SELECT Ду FROM Табл ORDER BY НачУзел, КонУзел"));
    }
};

TEST_F(VolmRunSizing, SizesThenComputes) {
    execOn(calc, {QStringLiteral("UPDATE Табл SET Ду=Null")});
    const Result r = volmRun({QStringLiteral("--size"), QStringLiteral("Ду:УдПотПод<=80"), calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Подбор диаметров: участков 3, диаметр изменен у 3 участков.\n\n"
                                                "Расчет выполнен успешно.\n")))
        << r.out.toStdString();
    EXPECT_EQ(diameters(), QStringList({"200", "150", "200"}));
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM Табл WHERE ПНапКонПод IS NULL")), QStringList{"0"});
}

TEST_F(VolmRunSizing, TwoCriteriaADecimalCommaAndMarkedSectionsOnly) {
    execOn(calc, {QStringLiteral("UPDATE Табл SET Заполн_Уч='Д' WHERE КонУзел IN (2, 4)")});
    const Result r = volmRun({QStringLiteral("--size"), QStringLiteral("Ду:УдПотПод<=300,5,СкорПод<=0.6"),
                              QStringLiteral("--size-marked"), calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Подбор диаметров: участков 2, диаметр изменен у 0 участков.\n")))
        << r.out.toStdString();
    EXPECT_EQ(diameters(), QStringList({"250", "150", "200"}));
}

// The shipped looped network, as shipped and with no diameters: its loops
// are solved again with the chosen diameters (the sections without one start
// from a middle diameter), so the run after sizing keeps every section within
// the limit.
TEST_F(VolmRunSizing, SizesALoopedNetwork) {
    for (const auto& [clear, changed] : {std::pair{false, 10}, std::pair{true, 13}}) {
        SCOPED_TRACE(clear);
        QFile::remove(calc);
        ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/two_loops.mdb"), calc));
        QFile::setPermissions(calc, QFile::permissions(calc) | QFileDevice::WriteOwner);
        if (clear) execOn(calc, {QStringLiteral("UPDATE Табл SET Ду=Null")});
        const Result r = volmRun({QStringLiteral("--size"), QStringLiteral("Ду:УдПотПод<=80"), calc});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("Подбор диаметров: участков 13, диаметр изменен у %1 участков.\n\n"
                                                    "Расчет выполнен успешно.\n")
                                         .arg(changed)))
            << r.out.toStdString();
        EXPECT_EQ(column(QStringLiteral("SELECT max(abs(УдПотПод)) <= 80 FROM Табл")), QStringList{QStringLiteral("1")});
    }
}

TEST_F(VolmRunSizing, ASectionBeyondTheLargestDiameterIsListed) {
    const Result r = volmRun({QStringLiteral("--size"), QStringLiteral("Ду:СкорПод<=0.015"), calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Подбор диаметров: участков 3, диаметр изменен у 3 участков.\n\n"
                                                "Пределы превышены и при наибольшем диаметре:\n"
                                                "Участок 1 - 2: СкорПод = 0.01883 при Ду 1400\n\n"
                                                "Расчет выполнен успешно.")))
        << r.out.toStdString();
}

TEST_F(VolmRunSizing, AFaultLeavesTheFileAsItWas) {
    const QString all = QStringLiteral("SELECT * FROM Табл ORDER BY id");
    const QStringList before = column(all) + column(QStringLiteral("SELECT * FROM НазвРасч"));
    const Result r = volmRun({QStringLiteral("--size"), QStringLiteral("Ду:КоэфМП<=1"), calc});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(r.err, QStringLiteral("Показатель \"КоэфМП\" не является табличным показателем, "
                                    "рассчитываемым по формуле.\n"));
    EXPECT_EQ(column(all) + column(QStringLiteral("SELECT * FROM НазвРасч")), before);
}

TEST_F(VolmRunSizing, AMalformedOptionIsAUsageError) {
    for (const char* bad : {"УдПотПод<=80", "Ду:УдПотПод", "Ду:УдПотПод<=x", ":УдПотПод<=80", "Ду:А<=1,Б<=2,В<=3"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(volmRun({QStringLiteral("--size"), QString::fromUtf8(bad), calc}).status, 2);
    }
    EXPECT_EQ(volmRun({QStringLiteral("--size-marked"), calc}).status, 2);
}

}  // namespace
}  // namespace volm::test
