// The command "Выгрузить отчет в Microsoft Excel": its preconditions, the file
// choice, the lock and status texts, the clean-up, the refusals that leave no
// file, and the headless runner's --xlsx.
#include "output/result_workbook.h"
#include "output/workbook_export.h"
#include "store/database.h"
#include "store/table.h"
#include "tests/output/workbook_fixture.h"

#include <QFile>
#include <QProcess>

namespace volm::test {
namespace {

Net smallNet() {
    Net net;
    net.type = 1;
    net.start = 1;
    net.sections = {{1, 2}, {2, 3}, {2, 4}};
    return net;
}

class WorkbookCommand : public WorkbookTest {
protected:
    std::vector<bool> locks;
    QStringList opened;
    bool canOpen = true;

    WorkbookExportOptions windowOptions() {
        WorkbookExportOptions o;
        o.lockWindow = [this](bool on) { locks.push_back(on); };
        o.openFile = [this](const QString& path) {
            opened << path;
            return canOpen;
        };
        return o;
    }
    int vkolRows() const { return app->dm.atVKol->rowCount(); }
};

TEST_F(WorkbookCommand, WithoutAFinishedCalculationNothingIsAskedOrWritten) {
    open(smallNet());
    const WorkbookExportOutcome out = exportWorkbook(*app, windowOptions());
    EXPECT_FALSE(out.written);
    EXPECT_EQ(person.messages, QStringList{kExportNotComputed});
    EXPECT_TRUE(person.dialogs.empty());
    EXPECT_TRUE(locks.empty());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("calc.mdb")});
}

// An edit of the section table after the run clears the flag when the command
// commits it.
TEST_F(WorkbookCommand, APendingEditAfterTheRunStopsTheExport) {
    open(smallNet());
    compute();
    Table& t = *app->dm.atTabl;
    t.first();
    t.edit();
    t.setValue(QStringLiteral("ДлНаУчПод"), 123.0);
    person.fileNames.push_back(folder.data(QStringLiteral("x.xlsx")));
    EXPECT_FALSE(exportWorkbook(*app, windowOptions()).written);
    EXPECT_EQ(person.messages, QStringList{kExportNotComputed});
    EXPECT_FALSE(QFileInfo::exists(folder.data(QStringLiteral("x.xlsx"))));
}

TEST_F(WorkbookCommand, AsksForTheFileWritesItAndOpensIt) {
    open(smallNet());
    compute();
    app->dm.atTabl->setCurrentRow(2);
    const int processedBefore = person.processed;
    person.fileNames.push_back(folder.data(QStringLiteral("отчет")));
    const WorkbookExportOutcome out = exportWorkbook(*app, windowOptions());

    ASSERT_EQ(person.dialogs.size(), 1u);
    EXPECT_TRUE(person.dialogs[0].save);
    EXPECT_EQ(person.dialogs[0].filter, QStringLiteral("Книга Excel (*.xlsx)|*.xlsx"));
    EXPECT_EQ(person.dialogs[0].initialDir, folder.data(QStringLiteral("calc.xlsx")));
    const QString expected = folder.data(QStringLiteral("отчет.xlsx"));
    EXPECT_TRUE(out.written);
    EXPECT_EQ(out.path, expected);
    EXPECT_EQ(opened, QStringList{expected});
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(dataFiles(), QStringList({QStringLiteral("calc.mdb"), QStringLiteral("отчет.xlsx")}));
    EXPECT_EQ(Workbook::read(expected).text(2, 1), QString());

    // Locked once, unlocked once; the status texts name the section and the
    // main being written (the first ones at once) and the status bar is
    // cleared at the end.
    EXPECT_EQ(locks, std::vector<bool>({true, false}));
    EXPECT_EQ(person.busyDepth, 0);
    ASSERT_GE(person.statuses.size(), 4);
    EXPECT_EQ(person.statuses[0], QStringLiteral("Выгрузка в Microsoft Excel..."));
    EXPECT_EQ(person.statuses[1], QStringLiteral("Выгрузка в Microsoft Excel. Участок: 1 - 2"));
    EXPECT_TRUE(person.statuses.contains(QStringLiteral("Выгрузка в Microsoft Excel. Магистраль №: 1")));
    EXPECT_EQ(person.statuses.last(), QString());
    // The screen may repaint after every text but the last.
    EXPECT_EQ(person.processed - processedBefore, person.statuses.size() - 1);
    EXPECT_EQ(vkolRows(), 0);
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());
    EXPECT_EQ(app->dm.atTabl->currentRow(), 2);
}

TEST_F(WorkbookCommand, WhereNothingOpensTheWorkbookTheStatusSaysWhereItIs) {
    open(smallNet());
    compute();
    canOpen = false;
    person.fileNames.push_back(folder.data(QStringLiteral("a.XLSX")));
    const WorkbookExportOutcome out = exportWorkbook(*app, windowOptions());
    EXPECT_EQ(out.path, folder.data(QStringLiteral("a.XLSX")));
    EXPECT_EQ(person.statuses.last(), QStringLiteral("Отчет сохранен в файле ") + out.path);
}

TEST_F(WorkbookCommand, CancelOrNoToReplacingLeavesEverythingAsItWas) {
    open(smallNet());
    compute();
    EXPECT_FALSE(exportWorkbook(*app, windowOptions()).written);  // the dialog cancelled
    const QString old = folder.data(QStringLiteral("old.xlsx"));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("older workbook");
    }
    person.fileNames.push_back(old);
    person.answers.push_back(false);
    EXPECT_FALSE(exportWorkbook(*app, windowOptions()).written);
    EXPECT_EQ(person.questions, QStringList{QStringLiteral("Файл \"") + old + QStringLiteral("\" уже существует. Заменить его?")});
    EXPECT_EQ(fileBytes(old), QByteArray("older workbook"));
    EXPECT_TRUE(locks.empty());
    EXPECT_TRUE(person.messages.isEmpty());

    person.fileNames.push_back(old);
    person.answers.push_back(true);
    EXPECT_TRUE(exportWorkbook(*app, windowOptions()).written);
    EXPECT_EQ(Workbook::read(old).sheets, QStringList{QStringLiteral("ВОЛМ")});
}

// Each case breaks the calculation after the run; the export must stop with
// its message, write nothing and keep the older file of that name.
struct RefusalCase {
    const char* what;
    QString sql;
    QString table;       // cursor to re-read after the change
    QString message;     // part of the message shown
    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.what; }
};

class WorkbookRefusal : public WorkbookCommand, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(WorkbookRefusal, StopsWithAMessageAndNoFile) {
    const RefusalCase& rc = GetParam();
    open(smallNet());
    compute();
    app->dm.acGR.exec(rc.sql);
    if (rc.table == QStringLiteral("МагистралиТС")) app->dm.atMagistraliTS->requery();
    const QString old = folder.data(QStringLiteral("old.xlsx"));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("older workbook");
    }
    WorkbookExportOptions o = windowOptions();
    o.fileName = old;
    EXPECT_FALSE(exportWorkbook(*app, o).written);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(rc.message)) << person.messages[0].toStdString();
    EXPECT_EQ(fileBytes(old), QByteArray("older workbook"));
    EXPECT_EQ(dataFiles(), QStringList({QStringLiteral("calc.mdb"), QStringLiteral("old.xlsx")}));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(locks, std::vector<bool>({true, false}));
    EXPECT_EQ(person.statuses.last(), QString());
    EXPECT_EQ(person.busyDepth, 0);
    EXPECT_EQ(vkolRows(), 0);
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkbookRefusal,
    ::testing::Values(
        RefusalCase{"main_without_end_section", "DELETE FROM МагистралиТС WHERE id_m = 1 AND NппУчВМ = 1",
                    "МагистралиТС", "магистрали № 1"},
        RefusalCase{"main_without_sections", "DELETE FROM МагистралиТС WHERE id_m = 2", "МагистралиТС",
                    "магистрали № 2"},
        RefusalCase{"indicator_in_no_catalogue", "DELETE FROM Формулы WHERE НаимПокСокр = 'ПотУчО'", "",
                    "\"ПотУчО\""}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WorkbookCommand, AFolderThatCannotBeWrittenLeavesNothingBehind) {
    open(smallNet());
    compute();
    WorkbookExportOptions o = windowOptions();
    o.fileName = folder.data(QStringLiteral("missing/folder/x.xlsx"));
    EXPECT_FALSE(exportWorkbook(*app, o).written);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].startsWith(QStringLiteral("Не удается сохранить отчет в файле \"") + o.fileName +
                                              QStringLiteral("\". Ошибка при записи книги Excel: файл не может быть создан")))
        << person.messages[0].toStdString();
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("calc.mdb")});
    EXPECT_EQ(locks, std::vector<bool>({true, false}));
}

// The headless runner writes the same workbook without asking.
TEST_F(WorkbookCommand, RunnerWritesTheWorkbookAfterASuccessfulRun) {
    const QString calcFile = folder.data(QStringLiteral("two.mdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/two_pipe.mdb"), calcFile));
    QFile::setPermissions(calcFile, QFile::permissions(calcFile) | QFileDevice::WriteOwner);
    struct Case {
        QString target;
        int exit;
    };
    const Case cases[] = {{folder.data(QStringLiteral("two.xlsx")), 0},
                          {folder.data(QStringLiteral("no/such/folder/two.xlsx")), 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        QProcess p;
        p.setWorkingDirectory(folder.dataDir());
        p.start(QStringLiteral(VOLM_RUN_EXE), {QStringLiteral("--precision"), QStringLiteral("1"), QStringLiteral("--xlsx"),
                                               c.target, calcFile});
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), c.exit);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        // The outcome's first line; the regime warnings may follow it. A target
        // that cannot be written is refused before anything is computed.
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0),
                  c.exit == 0 ? QStringLiteral("Расчет выполнен успешно.") : QString());
        if (c.exit == 0) {
            EXPECT_TRUE(err.isEmpty()) << err.toStdString();
            const Workbook w = Workbook::read(c.target);
            EXPECT_EQ(w.text(1, 1), QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ДВУХТРУБНОЙ ТЕПЛОВОЙ СЕТИ"));
            EXPECT_EQ(w.cell(4, 1).format, QStringLiteral("0.0"));
        } else {
            EXPECT_TRUE(err.contains(QStringLiteral("two.xlsx"))) << err.toStdString();
            EXPECT_FALSE(QFileInfo::exists(c.target));
        }
    }
    // Relative to the working folder, as typed.
    QProcess p;
    p.setWorkingDirectory(folder.dataDir());
    p.start(QStringLiteral(VOLM_RUN_EXE), {QStringLiteral("--xlsx"), QStringLiteral("rel.xlsx"), QStringLiteral("two.mdb")});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(folder.data(QStringLiteral("rel.xlsx"))));
}

}  // namespace
}  // namespace volm::test
