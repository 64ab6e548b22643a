// The headless runner's files, as processes over a copy of the program folder:
// the targets it refuses before computing, the text written through links and
// replaced whole, the program's own files refused as calculations, and a run
// stopped by a signal leaving nothing behind.
#include "bench/calc/network_generator.h"
#include "store/database.h"
#include "tests/support/program_folder.h"
#include "tests/support/runner_folder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/stat.h>

namespace volm::test {
namespace {

class RunnerFiles : public RunnerFolder {
protected:
    RunnerFiles() : RunnerFolder(QStringLiteral(VOLM_RUN_EXE), false) {}
    static QStringList leftovers(const QString& dir) { return entries(dir); }
};

// Every refused target: status 2 before anything is computed, the message on
// standard error, the target and the calculation untouched.
TEST_F(RunnerFiles, RefusedTargetsAreLeftAsTheyWere) {
    const QString c = calc();
    const QString spr = data.filePath(QStringLiteral("own-spr.mdb"));
    ASSERT_TRUE(QFile::copy(prog.filePath(QStringLiteral("Spr.mdb")), spr));
    const QString otherDb = data.filePath(QStringLiteral("other.txt"));
    ASSERT_TRUE(QFile::copy(c, otherDb));
    const QString linkToCalc = data.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(c, linkToCalc));
    const QString folder = data.filePath(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fifo = data.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString progLink = data.filePath(QStringLiteral("prog-link"));
    ASSERT_TRUE(QFile::link(prog.path(), progLink));
    QFile(prog.filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);

    struct Case {
        const char* what;
        QStringList args;
        QString target;  // a file that must keep its bytes
        const char* message;
    };
    const QString progSpr = prog.filePath(QStringLiteral("Spr.mdb"));
    const QString tmpl = prog.filePath(QStringLiteral("GidrRas.mdb"));
    const Case cases[] = {
        {"the calculation itself", {QStringLiteral("--text"), c, c}, c, "в файл расчета"},
        {"the calculation by a link", {QStringLiteral("--text"), linkToCalc, c}, c, "в файл расчета"},
        {"the reference book in use", {QStringLiteral("--text"), progSpr, c}, progSpr, "в файл справочников"},
        {"a given reference book", {QStringLiteral("--spr"), spr, QStringLiteral("--text"), spr, c}, spr,
         "в файл справочников"},
        {"the template", {QStringLiteral("--text"), tmpl, c}, tmpl, "установлена программа"},
        {"the settings", {QStringLiteral("--text"), prog.filePath(QStringLiteral("Nastr.mdb")), c},
         prog.filePath(QStringLiteral("Nastr.mdb")), "установлена программа"},
        {"a text file of the program folder", {QStringLiteral("--text"), prog.filePath(QStringLiteral("notes.txt")), c},
         prog.filePath(QStringLiteral("notes.txt")), "установлена программа"},
        {"a new file of the program folder by a linked folder",
         {QStringLiteral("--text"), progLink + QStringLiteral("/new.txt"), c}, QString(), "установлена программа"},
        {"the runner", {QStringLiteral("--text"), runner(), c}, runner(), "установлена программа"},
        {"a device", {QStringLiteral("--text"), QStringLiteral("/dev/full"), c}, QString(), "не является обычным файлом"},
        {"a pipe", {QStringLiteral("--text"), fifo, c}, QString(), "не является обычным файлом"},
        {"a folder", {QStringLiteral("--text"), folder, c}, QString(), "не является обычным файлом"},
        {"a database", {QStringLiteral("--text"), otherDb, c}, otherDb, "является базой данных"},
        {"the template as the calculation", {tmpl}, tmpl, "установлена программа"},
        {"the reference book as the calculation", {progSpr}, progSpr, "установлена программа"},
        {"a given reference book as the calculation", {QStringLiteral("--spr"), spr, spr}, spr, "файлом справочников"},
    };
    const QByteArray calcBefore = fileBytes(c);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const QByteArray before = k.target.isEmpty() ? QByteArray() : fileBytes(k.target);
        const RunResult r = run(k.args);
        EXPECT_EQ(r.status, 2) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(k.message))) << r.err.toStdString();
        if (!k.target.isEmpty()) {
            EXPECT_EQ(fileBytes(k.target), before);
        }
        EXPECT_EQ(fileBytes(c), calcBefore);
    }
    EXPECT_TRUE(QFileInfo(linkToCalc).isSymLink());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFileInfo::exists(prog.filePath(QStringLiteral("new.txt"))));
    EXPECT_EQ(leftovers(tmp.path()), QStringList());
}

// The text goes through a link to its target (the link stays a link), replaces
// a plain text file whole and leaves no temporary file beside it.
TEST_F(RunnerFiles, TextThroughLinksAndOverOldText) {
    const QString c = calc();
    const QDir texts(data.filePath(QStringLiteral("texts")));
    ASSERT_TRUE(QDir().mkpath(texts.path()));
    const QString old = texts.filePath(QStringLiteral("old.txt"));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("an old text\n");
    }
    const QString link = data.filePath(QStringLiteral("to-old.txt"));
    ASSERT_TRUE(QFile::link(old, link));
    const QString dangling = data.filePath(QStringLiteral("to-new.txt"));
    ASSERT_TRUE(QFile::link(texts.filePath(QStringLiteral("new.txt")), dangling));

    for (const QString& target : {link, dangling, old}) {
        SCOPED_TRACE(target.toStdString());
        const RunResult r = run({QStringLiteral("--text"), target, c});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(QFileInfo(target).isSymLink() || target == old);
        EXPECT_TRUE(fileBytes(target).startsWith("\xc3\xc8\xc4\xd0\xc0\xc2\xcb\xc8\xd7\xc5\xd1\xca\xc8\xc9"));
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(old), fileBytes(texts.filePath(QStringLiteral("new.txt"))));
    QStringList names = leftovers(texts.path());
    names.sort();
    EXPECT_EQ(names, QStringList({QStringLiteral("new.txt"), QStringLiteral("old.txt")}));
    EXPECT_EQ(leftovers(tmp.path()), QStringList());
}

// A run of the runner ends with nothing of its own left in the temporary
// folder, with or without a text; a stored node number that is not a number
// is named as it is, not taken for node 0.
TEST_F(RunnerFiles, MessagesKeepTheirCause) {
    const QString c = calc();
    execOn(c, {QStringLiteral("UPDATE НазвРасч SET NузПНапПод='x1'")});
    RunResult r = run({c});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("x1"))) << r.err.toStdString();

    // A damaged reference book is reported as the reference book.
    const QString spr = data.filePath(QStringLiteral("bad-spr.mdb"));
    {
        QFile f(spr);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(2000, 'x'));
    }
    r = run({QStringLiteral("--spr"), spr, c});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("справочники ") + spr)) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("Не удается открыть расчет"))) << r.err.toStdString();

    // A settings file holding a trigger is refused before the runner writes to its copy.
    const QString settings = prog.filePath(QStringLiteral("Nastr.mdb"));
    execOn(settings, {QStringLiteral("CREATE TABLE Журнал (a)"),
                      QStringLiteral("CREATE TRIGGER Следить AFTER UPDATE ON Настройки BEGIN "
                                     "INSERT INTO Журнал VALUES (1); END")});
    const QByteArray settingsBefore = fileBytes(settings);
    r = run({c});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("триггер \"Следить\" и не может быть открыт как файл настроек")))
        << r.err.toStdString();
    EXPECT_EQ(fileBytes(settings), settingsBefore);

    // A settings file that exists but cannot be copied is not "not found".
    ASSERT_TRUE(QFile::setPermissions(prog.filePath(QStringLiteral("Nastr.mdb")), QFileDevice::Permissions()));
    QFile::remove(prog.filePath(QStringLiteral("Nastr.mdb")));
    ASSERT_TRUE(QDir().mkpath(prog.filePath(QStringLiteral("Nastr.mdb"))));
    r = run({c});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(r.err.contains(QStringLiteral("не найден"))) << r.err.toStdString();
    EXPECT_EQ(leftovers(tmp.path()), QStringList());
}

// The printed report and the chart are made by the graphics runner beside
// volm-run; without it they are refused before anything is computed, while a
// plain run needs nothing but volm-run.
TEST_F(RunnerFiles, ReportAndChartNeedTheGraphicsRunnerBesideIt) {
    const QString c = calc();
    const QByteArray before = [&] {
        QFile f(c);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    for (const char* option : {"--report", "--chart"}) {
        const RunResult r = run({QString::fromUtf8(option), data.filePath(QStringLiteral("out")), c});
        EXPECT_EQ(r.status, 2) << option;
        EXPECT_TRUE(r.err.contains(QStringLiteral("volm-run-graphics"))) << r.err.toStdString();
        QFile f(c);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before) << option;
    }
    EXPECT_EQ(run({c}).status, 0);
}

// The runner checks only the header and the schema when it opens a file: a
// page damaged inside the section table stops the run when the sections are
// read, with the engine's words, status 1 and no results stored.
TEST_F(RunnerFiles, APageDamagedInsideATableStopsTheRunWithItsMessage) {
    const QString c = calc();
    const qint64 root = value(c, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Табл'")).toLongLong();
    const qint64 pageSize = value(c, QStringLiteral("PRAGMA page_size")).toLongLong();
    ASSERT_GT(root, 1);
    {
        QFile f(c);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek((root - 1) * pageSize));
        f.write(QByteArray(8, '\xff'));
    }
    const RunResult r = run({c});
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Файл базы данных поврежден."))) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("успешно"))) << r.out.toStdString();
    EXPECT_EQ(leftovers(tmp.path()), QStringList());
}

// A large run stopped by SIGTERM or SIGINT: the calculation keeps the results
// it had, the runner's temporary folder and the text's temporary file go.
TEST_F(RunnerFiles, StoppedBySignalLeavesNothingBehind) {
    const QString c = data.filePath(QStringLiteral("large.mdb"));
    ASSERT_TRUE(QFile::copy(prog.filePath(QStringLiteral("GidrRas.mdb")), c));
    QFile::setPermissions(c, QFile::permissions(c) | QFileDevice::WriteOwner);
    bench::generateNetwork(c, 20000);
    const QString txt = data.filePath(QStringLiteral("large.txt"));
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        // Nothing computed yet: no lengths, heads or end results.
        const char* results = "SELECT (SELECT count(ДлНачПод) + count(ТВодыКонПод) + count(ПНапКонПод) FROM Табл) + "
                              "(SELECT count(*) FROM КонМаг) + (SELECT count(*) FROM МагистралиТС)";
        ASSERT_EQ(value(c, QString::fromUtf8(results)).toInt(), 0);
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(runner(), {QStringLiteral("--text"), txt, c});
        ASSERT_TRUE(p.waitForStarted());
        // The signal comes while the run computes: once its text has been begun
        // beside the target (whatever the speed of the machine).
        QElapsedTimer waited;
        waited.start();
        while (leftovers(data.path()).size() < 2 && waited.elapsed() < 60000) QThread::usleep(200);
        ::kill(pid_t(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(120000));
        const RunResult r = finished(p);
        EXPECT_FALSE(r.crashed);
        EXPECT_EQ(r.status, 128 + sig) << r.err.toStdString();
        EXPECT_EQ(value(c, QString::fromUtf8(results)).toInt(), 0);
        EXPECT_EQ(value(c, QStringLiteral("PRAGMA quick_check")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(leftovers(tmp.path()), QStringList());
        QStringList names = leftovers(data.path());
        names.sort();
        EXPECT_EQ(names, QStringList({QStringLiteral("large.mdb")}));
    }
}

}  // namespace
}  // namespace volm::test
