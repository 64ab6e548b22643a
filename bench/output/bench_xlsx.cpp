// Speed and memory of the results workbook on computed two-pipe branching
// networks of 1,000, 10,000 and 30,000 sections (standard method, every
// indicator marked for output, a note on every tenth section).
//
// For every size:
//   run        volm-run as a process computing the network, and its peak
//              resident memory;
//   run+xlsx   the same with --xlsx: the run and the workbook, and its peak;
//   export     in this process, the command alone on the opened computed
//              calculation (the temporary file, the rename included), wall
//              and processor time; the process's peak resident memory before
//              and after it;
//   size       the workbook file.
//
//   volm_bench_xlsx [--keep FOLDER] [SECTIONS ...]
//   volm_bench_xlsx --file COMPUTED.mdb
//
// --keep leaves each computed network in FOLDER as network-SECTIONS.mdb (to try
// the command in the program's window); --file times the command alone on a
// computed calculation (a copy of it), for a profiler.
#include "bench/support/bench_support.h"
#include "bench/calc/network_generator.h"
#include "formulas/catalogue_check.h"
#include "output/workbook_export.h"
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using volm::bench::QuietPerson;
using volm::bench::copyFile;
using volm::bench::Clock;
using volm::bench::seconds;

// Processor time of this process, user and system (s).
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

// volm-run as a process: wall time and peak resident memory (MB).
bool runProcess(const QStringList& args, double& wall, double& peak) {
    return volm::bench::runProcess(QByteArrayLiteral(VOLM_RUN_EXE), args, wall, peak);
}

// Opens the computed calculation as the program does and runs the command.
bool exportInProcess(const QString& programDir, const QString& calc, const QString& xlsx, double& open, double& exp,
                     double& cpu, double& peakBefore, double& peakAfter) {
    QuietPerson person;
    volm::App app(programDir, person);
    volm::useFormulaCheck(app);
    {
        volm::Database db;
        db.open(programDir + QStringLiteral("/Nastr.mdb"));
        db.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='%1', ФайлСпр='%2'")
                    .arg(calc, programDir + QStringLiteral("/Spr.mdb")));
    }
    const auto t0 = Clock::now();
    if (!volm::startUp(app) || !app.dm.acGR.isOpen() || !app.RasVip) return false;
    const auto t1 = Clock::now();
    peakBefore = peakMb();
    const double cpu0 = cpuSeconds();
    volm::WorkbookExportOptions o;
    o.fileName = xlsx;
    const bool written = volm::exportWorkbook(app, o).written;
    const auto t2 = Clock::now();
    cpu = cpuSeconds() - cpu0;
    peakAfter = peakMb();
    open = seconds(t0, t1);
    exp = seconds(t1, t2);
    if (!written) std::fprintf(stderr, "export failed: %s\n", qPrintable(person.messages.join(QLatin1Char('|'))));
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    std::vector<int> sizes;
    QString keep, file;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--keep" && i + 1 < argc) keep = QString::fromLocal8Bit(argv[++i]);
        else if (QByteArray(argv[i]) == "--file" && i + 1 < argc) file = QString::fromLocal8Bit(argv[++i]);
        else sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {1000, 10000, 30000};

    const QString bin = QStringLiteral(VOLM_BIN_DIR);
    if (!file.isEmpty()) {
        QTemporaryDir work;
        const QString program = work.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        for (const char* f : {"Nastr.mdb", "Spr.mdb", "GidrRas.mdb"})
            copyFile(bin + QLatin1Char('/') + QString::fromUtf8(f), program + QLatin1Char('/') + QString::fromUtf8(f));
        const QString calc = work.filePath(QStringLiteral("calc.mdb"));
        copyFile(file, calc);
        double open = 0, exp = 0, cpu = 0, before = 0, after = 0;
        if (!exportInProcess(program, calc, work.filePath(QStringLiteral("calc.xlsx")), open, exp, cpu, before, after))
            return 1;
        std::printf("open %.3f s, export %.3f s, cpu %.3f s, peak %.0f -> %.0f MB\n", open, exp, cpu, before, after);
        return 0;
    }
    std::printf("%9s %7s %8s %9s %11s %9s %8s %10s %8s %12s %9s\n", "sections", "mains", "run, s", "peak, MB",
                "run+xlsx, s", "peak, MB", "open, s", "export, s", "cpu, s", "peak, MB", "size, MB");
    for (int n : sizes) {
        QTemporaryDir work;
        const QString program = volm::bench::programFolder(work, bin);
        const QString fresh = volm::bench::blankCalculation(work, bin);
        const volm::bench::GeneratedNetwork net = volm::bench::generateNetwork(fresh, n);
        {
            volm::Database db;
            db.open(fresh);
            db.exec(QStringLiteral("UPDATE Табл SET Примечание = 'Участок ' || id WHERE id % 10 = 0"));
        }

        const QString runOnly = work.filePath(QStringLiteral("run.mdb"));
        copyFile(fresh, runOnly);
        double runWall = 0, runPeak = 0;
        if (!runProcess({runOnly}, runWall, runPeak)) {
            std::fprintf(stderr, "volm-run failed on %d sections\n", n);
            return 1;
        }
        const QString both = work.filePath(QStringLiteral("both.mdb"));
        copyFile(fresh, both);
        double bothWall = 0, bothPeak = 0;
        if (!runProcess({QStringLiteral("--xlsx"), work.filePath(QStringLiteral("both.xlsx")), both}, bothWall,
                        bothPeak)) {
            std::fprintf(stderr, "volm-run --xlsx failed on %d sections\n", n);
            return 1;
        }

        if (!keep.isEmpty()) copyFile(runOnly, QDir(keep).filePath(QStringLiteral("network-%1.mdb").arg(n)));
        // runOnly is computed now: the command alone on it.
        const QString xlsx = work.filePath(QStringLiteral("alone.xlsx"));
        double open = 0, exp = 0, cpu = 0, before = 0, after = 0;
        if (!exportInProcess(program, runOnly, xlsx, open, exp, cpu, before, after)) return 1;
        const QString peak = QStringLiteral("%1 -> %2").arg(before, 0, 'f', 0).arg(after, 0, 'f', 0);
        std::printf("%9d %7d %8.3f %9.1f %11.3f %9.1f %8.3f %10.3f %8.3f %12s %9.2f\n", n, net.endSections, runWall,
                    runPeak, bothWall, bothPeak, open, exp, cpu, qPrintable(peak), QFileInfo(xlsx).size() / 1048576.0);
        std::fflush(stdout);
    }
    return 0;
}
