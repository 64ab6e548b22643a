// Every output of the headless runner (--text, --xlsx, --report, --chart) as a
// process over a copy of the program folder: the targets refused before
// anything is computed, two outputs to one file, empty names and malformed
// options, a full disk (a small tmpfs in a mount namespace of its own, where
// the system allows one), kills at random moments and stop requests while the
// report is made. Each case ends with nothing lost: the calculation and every
// old output keep their bytes, or an output is complete.
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
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace volm::test {
namespace {

// The figures of a probe: cases tried, cases with nothing lost, and those that
// also ended with a clear outcome (the status and message they should have).
struct Tally {
    const char* name;
    int tried = 0, kept = 0, clear = 0;
    void note(bool nothingLost, bool clearOutcome) {
        ++tried;
        kept += nothingLost;
        clear += nothingLost && clearOutcome;
    }
    ~Tally() {
        std::cout << "probe " << name << ": " << tried << " cases, " << kept << " with nothing lost, " << clear
                  << " also clear\n";
    }
};

class RunnerOutputs : public RunnerFolder {
protected:
    RunnerOutputs() : RunnerFolder(QStringLiteral(VOLM_RUN_EXE), true) {}
    QString twoPipe() { return calc(QStringLiteral("c.mdb"), QStringLiteral("two_pipe.mdb")); }
};

const QStringList kOutputOptions{QStringLiteral("--text"), QStringLiteral("--xlsx"), QStringLiteral("--report"),
                                 QStringLiteral("--chart")};

// Every target no output may take, for every output option: status 2 before
// anything is computed, the reason on standard error, the target and the
// calculation keep their bytes, links stay links.
TEST_F(RunnerOutputs, RefusedTargetsForEveryOutput) {
    Tally tally{"refused targets"};
    const QString c = twoPipe();
    const QString spr = data.filePath(QStringLiteral("own-spr.mdb"));
    ASSERT_TRUE(QFile::copy(prog.filePath(QStringLiteral("Spr.mdb")), spr));
    const QString otherDb = data.filePath(QStringLiteral("other.out"));
    ASSERT_TRUE(QFile::copy(c, otherDb));
    const QString linkToCalc = data.filePath(QStringLiteral("link.out"));
    ASSERT_TRUE(QFile::link(c, linkToCalc));
    const QString hardToCalc = data.filePath(QStringLiteral("hard.out"));
    ASSERT_EQ(::link(QFile::encodeName(c).constData(), QFile::encodeName(hardToCalc).constData()), 0);
    const QString tmpl = prog.filePath(QStringLiteral("GidrRas.mdb"));
    const QString hardToTemplate = data.filePath(QStringLiteral("template.out"));
    ASSERT_EQ(::link(QFile::encodeName(tmpl).constData(), QFile::encodeName(hardToTemplate).constData()), 0);
    const QString folder = data.filePath(QStringLiteral("folder.out"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fifo = data.filePath(QStringLiteral("pipe.out"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString progSpr = prog.filePath(QStringLiteral("Spr.mdb"));
    const QString nastr = prog.filePath(QStringLiteral("Nastr.mdb"));

    struct Target {
        const char* what;
        QStringList before;  // options before the output's
        QString file;
        bool keepsBytes;  // a file whose bytes are compared
        const char* message;
    };
    const Target targets[] = {
        {"the calculation", {}, c, true, "в файл расчета"},
        {"the calculation by a link", {}, linkToCalc, true, "в файл расчета"},
        {"the calculation by a hard link", {}, hardToCalc, true, "в файл расчета"},
        {"the reference book in use", {}, progSpr, true, "в файл справочников"},
        {"a given reference book", {QStringLiteral("--spr"), spr}, spr, true, "в файл справочников"},
        {"the template", {}, tmpl, true, "установлена программа"},
        {"the template by a hard link", {}, hardToTemplate, true, "установлена программа"},
        {"the settings", {}, nastr, true, "установлена программа"},
        {"the runner", {}, runner(), true, "установлена программа"},
        {"the graphics runner", {}, prog.filePath(QStringLiteral("volm-run-graphics")), true, "установлена программа"},
        {"a pipe", {}, fifo, false, "не является обычным файлом"},
        {"a device", {}, QStringLiteral("/dev/null"), false, "не является обычным файлом"},
        {"a folder", {}, folder, false, "не является обычным файлом"},
        {"a database", {}, otherDb, true, "является базой данных"},
    };
    const QByteArray calcBefore = fileBytes(c);
    for (const QString& option : kOutputOptions) {
        for (const Target& t : targets) {
            SCOPED_TRACE((option + QLatin1Char(' ') + QString::fromUtf8(t.what)).toStdString());
            const QByteArray before = t.keepsBytes ? fileBytes(t.file) : QByteArray();
            const RunResult r = run(QStringList(t.before) << option << t.file << c);
            const bool kept = fileBytes(c) == calcBefore && (!t.keepsBytes || fileBytes(t.file) == before) &&
                              QFileInfo(linkToCalc).isSymLink() && QFileInfo(folder).isDir() &&
                              QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile();
            // One line: the reason alone, no library's notice.
            const bool clear = r.status == 2 && r.out.isEmpty() && r.err.contains(QString::fromUtf8(t.message)) &&
                               r.err.count(QLatin1Char('\n')) == 1;
            EXPECT_TRUE(kept);
            EXPECT_TRUE(clear) << r.status << ' ' << r.err.toStdString();
            tally.note(kept, clear);
        }
    }
    EXPECT_EQ(leftInTemporaryFolder(), QStringList());
}

// Refused as a usage error or before computing, naming what is wrong: two
// outputs to one file, empty names, malformed options, a hard link to the
// template as the calculation. Nothing is computed or written.
TEST_F(RunnerOutputs, RefusedRequestsNameTheirCause) {
    Tally tally{"refused requests"};
    const QString c = twoPipe();
    const QString x = data.filePath(QStringLiteral("x.out"));
    const QString linkToX = data.filePath(QStringLiteral("to-x.out"));
    ASSERT_TRUE(QFile::link(x, linkToX));
    const QString tmplLink = data.filePath(QStringLiteral("x.mdb"));
    ASSERT_EQ(::link(QFile::encodeName(prog.filePath(QStringLiteral("GidrRas.mdb"))).constData(),
                     QFile::encodeName(tmplLink).constData()),
              0);
    const QString tooLong = data.filePath(QString(300, QLatin1Char('t')) + QStringLiteral(".txt"));
    struct Case {
        QStringList args;
        const char* message;
    };
    const QString t = QStringLiteral("--text"), w = QStringLiteral("--xlsx"), rep = QStringLiteral("--report"),
                  ch = QStringLiteral("--chart");
    const Case cases[] = {
        {{rep, x, w, x, c}, "Отчет и книгу Excel нельзя записать в один файл"},
        {{t, x, w, x, c}, "Текст расчета и книгу Excel нельзя записать в один файл"},
        {{ch, x, rep, x, c}, "График и отчет нельзя записать в один файл"},
        {{t, x, ch, x, c}, "Текст расчета и график нельзя записать в один файл"},
        {{t, x, rep, linkToX, c}, "Текст расчета и отчет нельзя записать в один файл"},
        {{t, QString(), c}, "не указано имя файла для параметра --text"},
        {{w, QString(), c}, "не указано имя файла для параметра --xlsx"},
        {{rep, QString(), c}, "не указано имя файла для параметра --report"},
        {{ch, QString(), c}, "не указано имя файла для параметра --chart"},
        {{t, tooLong, c}, "слишком длинное"},
        {{QStringLiteral("--size"), QStringLiteral("Ду:80"), c}, "параметр --size задан неверно: \"Ду:80\""},
        {{ch, x, QStringLiteral("--main"), QStringLiteral("0"), c}, "--main должен быть целым числом не меньше 1: \"0\""},
        {{QStringLiteral("--precision"), QStringLiteral("abc"), c}, "--precision должна быть целым числом от 0 до 7: \"abc\""},
        {{QStringLiteral("--bogus"), c}, "неизвестный параметр \"--bogus\""},
        {{c, c}, "лишний аргумент"},
        {{w}, "не указано значение параметра --xlsx"},
        {{w, x, w, x, c}, "параметр --xlsx указан дважды"},
        {{QStringLiteral("--size-marked"), c}, "--size-marked действует только вместе с --size"},
        {{tmplLink}, "установлена программа"},
    };
    const QByteArray calcBefore = fileBytes(c);
    const QByteArray tmplBefore = fileBytes(tmplLink);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.args.join(QLatin1Char(' ')).toStdString());
        const RunResult r = run(k.args);
        const bool kept = fileBytes(c) == calcBefore && fileBytes(tmplLink) == tmplBefore && !QFileInfo::exists(x);
        const bool clear = r.status == 2 && r.out.isEmpty() && r.err.contains(QString::fromUtf8(k.message)) &&
                           !r.err.contains(QStringLiteral("usage"));
        EXPECT_TRUE(kept);
        EXPECT_TRUE(clear) << r.status << ' ' << r.err.toStdString();
        tally.note(kept, clear);
    }
    // One message, in Russian, before the usage lines.
    const RunResult r = run({QStringLiteral("--precision"), QStringLiteral("abc"), c});
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("volm-run: точность --precision"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("\nИспользование: volm-run"))) << r.err.toStdString();
}

// Each output over an old file on a disk too small for the new one: status 2,
// the program's words for a full disk and no library's, the old file and
// nothing beside it. The disk is a tmpfs mounted in a namespace of its own
// (root or user namespaces needed; skipped where the system refuses one).
TEST_F(RunnerOutputs, AFullDiskLeavesTheOldOutput) {
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty()) GTEST_SKIP() << "no unshare";
    const QString disk = data.filePath(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkpath(disk));
    {
        QProcess probe;
        probe.start(unshare, {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"),
                              QStringLiteral("mount -t tmpfs -o size=8k tmpfs \"$0\""), disk});
        if (!probe.waitForFinished(20000) || probe.exitCode() != 0)
            GTEST_SKIP() << "no tmpfs in a mount namespace here";
    }
    Tally tally{"full disk"};
    const QString c = twoPipe();
    const QString old = data.filePath(QStringLiteral("old"));
    put(old, "the old output\n");
    // Inside the namespace: the small disk, the old output on it, the run,
    // then whether the old output is whole and what the disk holds.
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=8k tmpfs \"$DISK\" || exit 99; cp \"$OLD\" \"$DISK/out\"; "
        "\"$RUN\" \"$OPTION\" \"$DISK/out\" \"$CALC\"; echo \"status=$?\"; "
        "cmp -s \"$OLD\" \"$DISK/out\" && echo kept; ls -A \"$DISK\"");
    for (const QString& option : kOutputOptions) {
        SCOPED_TRACE(option.toStdString());
        QProcess p;
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("DISK"), disk);
        env.insert(QStringLiteral("OLD"), old);
        env.insert(QStringLiteral("RUN"), runner());
        env.insert(QStringLiteral("OPTION"), option);
        env.insert(QStringLiteral("CALC"), c);
        p.setProcessEnvironment(env);
        p.start(unshare, {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"), script});
        ASSERT_TRUE(p.waitForFinished(180000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const bool kept = out.endsWith(QStringLiteral("\nkept\nout\n"));
        const bool clear = out.contains(QStringLiteral("status=2\n")) &&
                           err.contains(QStringLiteral("Недостаточно места на диске.")) &&
                           !err.contains(QStringLiteral("libpng")) && !err.contains(QStringLiteral("[ERROR]"));
        EXPECT_TRUE(kept) << out.toStdString();
        EXPECT_TRUE(clear) << out.toStdString() << err.toStdString();
        tally.note(kept, clear);
    }
    EXPECT_EQ(leftInTemporaryFolder(), QStringList());
}

// A large network's report killed at random moments (seeded), over an old
// report: the file is always the old one or a complete new one, and the
// calculation stays whole. A SIGTERM or SIGINT while the report is laid out
// or written, or while the workbook is written, stops it: status 128 + the
// signal, the old file, no scratch file beside it.
TEST_F(RunnerOutputs, KillsAndStopsDuringTheOutputsLoseNothing) {
    const QString c = data.filePath(QStringLiteral("large.mdb"));
    ASSERT_TRUE(QFile::copy(prog.filePath(QStringLiteral("GidrRas.mdb")), c));
    QFile::setPermissions(c, QFile::permissions(c) | QFileDevice::WriteOwner);
    bench::generateNetwork(c, 3000);
    const QDir out(data.filePath(QStringLiteral("out")));
    ASSERT_TRUE(QDir().mkpath(out.path()));
    const QString pdf = out.filePath(QStringLiteral("report.pdf"));
    const QByteArray old("%PDF-1.4 an old report\n%%EOF\n");
    const QStringList args{QStringLiteral("--report"), pdf, c};

    // A whole run first: how long it takes, and the report it writes.
    put(pdf, old);
    QElapsedTimer whole;
    whole.start();
    const RunResult full = run(args);
    const qint64 duration = whole.elapsed();
    ASSERT_EQ(full.status, 0) << full.err.toStdString();
    const QByteArray complete = fileBytes(pdf);
    ASSERT_TRUE(complete.startsWith("%PDF") && complete.trimmed().endsWith("%%EOF"));

    Tally tally{"kills and stops during the outputs"};
    QRandomGenerator random(20261211);
    for (int i = 0; i < 8; ++i) {
        put(pdf, old);
        const int delay = int(random.bounded(qint64(duration) + 1));
        SCOPED_TRACE(delay);
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(runner(), args);
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(delay));
        ::kill(pid_t(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(60000));
        const QByteArray now = fileBytes(pdf);
        const bool kept = (now == old || (now.startsWith("%PDF") && now.trimmed().endsWith("%%EOF") &&
                                          now.size() == complete.size())) &&
                          value(c, QStringLiteral("PRAGMA quick_check")).toString() == QStringLiteral("ok");
        EXPECT_TRUE(kept) << now.left(40).toStdString();
        tally.note(kept, true);
        // A killed runner cannot remove its scratch files: they go before the next case.
        for (const QString& name : entries(out.path()))
            if (name != QStringLiteral("report.pdf")) QFile::remove(out.filePath(name));
        for (const QString& name : leftInTemporaryFolder()) QDir(tmp.filePath(name)).removeRecursively();
    }

    // Stops: while the report's pages are laid out (the outcome is out), while
    // the report or the workbook is written (its scratch file has appeared).
    struct Stop {
        const char* what;
        QString option, target;
        bool writing;
    };
    const Stop stops[] = {{"laying out the report", QStringLiteral("--report"), pdf, false},
                          {"writing the report", QStringLiteral("--report"), pdf, true},
                          {"writing the workbook", QStringLiteral("--xlsx"), out.filePath(QStringLiteral("book.xlsx")), true}};
    const auto scratchFiles = [&] {
        return entries(out.path()).filter(QStringLiteral("~$"));
    };
    for (const Stop& stop : stops) {
        for (const int sig : {SIGTERM, SIGINT}) {
            SCOPED_TRACE(std::to_string(sig) + ' ' + stop.what);
            put(stop.target, old);
            QProcess p;
            p.setProcessEnvironment(environment());
            p.start(runner(), {stop.option, stop.target, c});
            ASSERT_TRUE(p.waitForStarted());
            QElapsedTimer waited;
            waited.start();
            QByteArray stdoutSoFar;
            while (waited.elapsed() < 120000) {
                p.waitForReadyRead(5);
                stdoutSoFar += p.readAllStandardOutput();
                const bool ready = stop.writing ? !scratchFiles().isEmpty() : stdoutSoFar.contains("успешно");
                if (ready || p.state() != QProcess::Running) break;
            }
            ::kill(pid_t(p.processId()), sig);
            ASSERT_TRUE(p.waitForFinished(60000));
            const RunResult r = finished(p);
            const bool kept = fileBytes(stop.target) == old && scratchFiles().isEmpty();
            const bool clear = !r.crashed && r.status == 128 + sig && r.err.contains(QStringLiteral("прерван"));
            EXPECT_TRUE(kept);
            EXPECT_TRUE(clear) << r.status << ' ' << r.err.toStdString();
            tally.note(kept, clear);
        }
    }
    EXPECT_EQ(leftInTemporaryFolder(), QStringList());
}

}  // namespace
}  // namespace volm::test
