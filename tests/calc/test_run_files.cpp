// What the run keeps when something is wrong: entered values that are not
// finite and a network type that is neither one- nor two-pipe are refused
// before anything is computed; a text that cannot be written keeps the results
// the file had; the text is written only when it is wanted, and beside the file
// it goes to.
#include "commands/run_options.h"
#include "store/scratch_lock.h"
#include "tests/calc/calc_harness.h"

#include <QDir>
#include <QFile>

namespace volm::test {
namespace {

const QChar CR(13);

// A valid two-pipe tree: 1 - 2, 2 - 3, 2 - 4.
Net baseNet() {
    Net n;
    n.sections = {{1, 2}, {2, 3}, {2, 4}};
    return n;
}

struct RefusedCase {
    const char* name;
    QStringList statements;
    QString message;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

QString section(const char* nodes) { return QStringLiteral("Участок ") + QString::fromUtf8(nodes) + QLatin1Char(':') + CR; }

const RefusedCase kRefused[] = {
    {"InfiniteLength", {"UPDATE Табл SET ДлНаУчПод = 9e999 WHERE КонУзел = 3"},
     section("2 - 3") + "Значение показателя ДлНаУчПод должно быть конечным числом."},
    {"NegativeInfiniteLoss", {"UPDATE Табл SET ПотУчО = -9e999 WHERE КонУзел = 4"},
     section("2 - 4") + "Значение показателя ПотУчО должно быть конечным числом."},
    {"InfiniteFlow", {"UPDATE Табл SET РасхПод = 9e999 WHERE КонУзел = 2"},
     section("1 - 2") + "Значение показателя РасхПод должно быть конечным числом."},
    {"InfiniteSupplyHead", {"UPDATE Заг SET ПНапНаУзПод = 9e999"},
     "Значение показателя \"ПНапНаУзПод\" должно быть конечным числом."},
    {"InfiniteNodeHeight", {"UPDATE УзлыТС SET ГеодВыс = 9e999 WHERE Nуз = 3"},
     section("2 - 3") + "Геодезическая высота узла 3 в таблице \"Узлы тепловой сети\" должна быть конечным числом."},
    {"InfiniteHeadChange", {"INSERT INTO ИзмПНапВУзлахТС VALUES (2, True, 9e999)"},
     section("1 - 2") + "Изменение полного напора (ИзмПНап) в узле 2 должно быть конечным числом."},
    {"NetworkTypeTwo", {"UPDATE НазвРасч SET ТипСети = 2"}, "Тип сети указан неверно!"},
    {"NetworkTypeText", {"UPDATE НазвРасч SET ТипСети = 'два'"}, "Тип сети указан неверно!"},
};

// A refused run stops with its one message, stores no result and leaves the
// results of the run before as they were, flagged as not computed.
class RefusedInputs : public CalcHarness, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedInputs, StopTheRunBeforeAnythingIsComputed) {
    const RefusedCase& c = GetParam();
    open(baseNet());
    ASSERT_TRUE(run().success()) << person.messages.join('\n').toStdString();
    execOn(calc, c.statements);
    const QStringList sections = rows(QStringLiteral("SELECT * FROM Табл ORDER BY id"));
    const QStringList ends = rows(QStringLiteral("SELECT * FROM КонМаг ORDER BY id_m"));
    app->dm.atTabl->requery();
    app->dm.atZag->requery();
    app->dm.atNazvRasch->requery();
    person.clear();

    const RunOutcome out = run();
    EXPECT_EQ(out.status, RunOutcome::Status::Fault);
    EXPECT_EQ(person.messages, QStringList{c.message});
    EXPECT_FALSE(fileValue(QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")).toBool());
    EXPECT_FALSE(app->RasVip);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Табл ORDER BY id")), sections);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM КонМаг ORDER BY id_m")), ends);
}

INSTANTIATE_TEST_SUITE_P(Run, RefusedInputs, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

using RunText = CalcHarness;

// The text's temporary file on a full disk: the run keeps the results of the
// run before (not the cleared ones, not half new ones) and says why.
TEST_F(RunText, AFullDiskKeepsTheOldResultsAndSaysSo) {
    open(baseNet());
    ASSERT_TRUE(run().success());
    const QStringList sections = rows(QStringLiteral("SELECT * FROM Табл ORDER BY id"));
    const QStringList ends = rows(QStringLiteral("SELECT * FROM КонМаг ORDER BY id_m"));
    const double head = sectionValue(2, 3, QStringLiteral("ПНапКонПод"));
    // New data, whose results would differ.
    execOn(calc, {QStringLiteral("UPDATE Заг SET ПНапНаУзПод = 130")});
    app->dm.atZag->requery();
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), folder.file(QStringLiteral("~$.tx_"))));
    folder.setSetting(QStringLiteral("СохрТекстРас"), true);
    person.clear();

    const RunOutcome out = run();
    EXPECT_EQ(out.status, RunOutcome::Status::Unexpected);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("Недостаточно места на диске."))) << person.messages[0].toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Табл ORDER BY id")), sections);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM КонМаг ORDER BY id_m")), ends);
    EXPECT_DOUBLE_EQ(sectionValue(2, 3, QStringLiteral("ПНапКонПод")), head);
    EXPECT_FALSE(app->dm.acGR.inTransaction());
}

// No text wanted: nothing is written (the scratch text on a full disk does not
// matter). A text to a named file is written beside it, not in the scratch text.
TEST_F(RunText, TheTextIsWrittenOnlyWhereItGoes) {
    open(baseNet());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), folder.file(QStringLiteral("~$.tx_"))));
    folder.setSetting(QStringLiteral("СохрТекстРас"), true);

    RunOptions none;
    none.keepText = false;
    RunOutcome out = run(QStringLiteral("1"), QStringLiteral("1"), none);
    EXPECT_TRUE(out.success()) << person.messages.join('\n').toStdString();
    EXPECT_TRUE(person.dialogs.empty());

    RunOptions named;
    named.textFile = folder.data(QStringLiteral("текст.txt"));
    out = run(QStringLiteral("1"), QStringLiteral("1"), named);
    EXPECT_TRUE(out.success()) << person.messages.join('\n').toStdString();
    EXPECT_EQ(out.savedText, named.textFile);
    EXPECT_TRUE(fileBytes(named.textFile).size() > 100);
    EXPECT_EQ(QDir(folder.dataDir()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("calc.mdb"), QStringLiteral("текст.txt")}));
}

// A copy that does not hold the scratch files (another copy started first)
// writes its text under a name of its own and leaves the other copy's alone.
TEST_F(RunText, AnotherCopysScratchTextIsLeftAlone) {
    open(baseNet());
    folder.setSetting(QStringLiteral("СохрТекстРас"), true);
    app->scratchLock.reset();
    QFile other(folder.file(QStringLiteral("~$.tx_")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("the other copy's text");
    other.close();
    const QStringList before = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);

    const RunOutcome out = run();
    EXPECT_TRUE(out.success()) << person.messages.join('\n').toStdString();
    ASSERT_EQ(person.dialogs.size(), 1u);  // the text was written and offered
    EXPECT_EQ(fileBytes(folder.file(QStringLiteral("~$.tx_"))), QByteArray("the other copy's text"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), before);
}

}  // namespace
}  // namespace volm::test
