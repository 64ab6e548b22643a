// Where the time of one headless runner call goes, on generated branching
// networks of 1,000, 10,000 and 30,000 sections, one-pipe and two-pipe, with
// and without the calculation text, beside the store floor (SQLite alone
// writing the same results in one transaction).
//
// Columns:
//   runner   volm-run as a process, end to end (median of the repeats)
//   qt       volm-run --version as a process: start-up of Qt and shutdown
//   check    opening the file on a fresh connection (its integrity check)
//   open     the whole opening as the runner does it (files, cursors, formula
//            check, table rebuild), in this process; of it:
//   formulas the formula check, and
//   rebuild  the table rebuild (a comparison of the tables with the catalogue)
//   load     the run reading the calculation into memory
//   stages   the stages (checks, topology, lengths, ..., heads, text)
//   write    the write-back of the results and the commit
//   reread   the cursors of the written tables read again
//   floor    the store floor; runner/fl the ratio of the two
//   again    the runner once more over the calculation it has just computed
//
//   volm_bench_runner [--repeat N] [--keep DIR] [SECTIONS ...]
//   --keep DIR leaves each generated network in DIR as net-SECTIONS-PIPES.mdb,
//   for profiling the runner on it.
#include "bench/calc/network_generator.h"
#include "bench/calc/store_floor.h"
#include "bench/support/bench_support.h"
#include "calc/calculation.h"
#include "commands/run_options.h"
#include "calc/run_data.h"
#include "formulas/catalogue_check.h"
#include "store/app.h"
#include "store/command.h"
#include "store/database.h"
#include "store/startup.h"
#include "store/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using volm::bench::Clock;
using volm::bench::copyFile;
using volm::bench::QuietPerson;
using volm::bench::seconds;

// Wall seconds of volm-run with these arguments; a negative figure when it fails.
double runProcess(const QStringList& args) {
    double wall = 0, peak = 0;
    return volm::bench::runProcess(QByteArrayLiteral(VOLM_RUN_EXE), args, wall, peak) ? wall : -1;
}

// Wall seconds of repeat runs of volm-run with args over calc, each on a
// fresh copy of from; none when a run fails.
std::vector<double> runOnCopies(const QString& from, const QString& calc, const QStringList& args, int repeat) {
    std::vector<double> runs;
    for (int k = 0; k < repeat; ++k) {
        copyFile(from, calc);
        runs.push_back(runProcess(QStringList(args) << calc));
        if (runs.back() < 0) return {};
    }
    return runs;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Phases {
    double check = 0, open = 0, formulas = 0, rebuild = 0, load = 0, stages = 0, write = 0, reread = 0;
};

// The formula layer's check and rebuild, timed.
class TimedCheck : public volm::CatalogueCheck {
public:
    explicit TimedCheck(Phases& p) : p_(p) {}
    bool check(volm::App& app) override {
        const auto t0 = Clock::now();
        const bool ok = inner_.check(app);
        p_.formulas = seconds(t0, Clock::now());
        return ok;
    }
    void rebuild(volm::App& app) override {
        const auto t0 = Clock::now();
        inner_.rebuild(app);
        p_.rebuild = seconds(t0, Clock::now());
    }

private:
    Phases& p_;
    volm::FormulaCatalogueCheck inner_;
};

// The program folder's settings name calc and the folder's reference book.
void pointSettingsAt(const QString& programDir, const QString& calc) {
    volm::Database db;
    db.open(programDir + QStringLiteral("/Nastr.mdb"));
    auto st = db.prepare(QStringLiteral("UPDATE \"Настройки\" SET \"ФайлГР\" = ?, \"ФайлСпр\" = ?"));
    st->bind(1, calc);
    st->bind(2, programDir + QStringLiteral("/Spr.mdb"));
    st->run();
}

// Opens the generated network once as the program does, so that its tables
// have the layout the program gives them, as a calculation saved by the
// program has; the runs then meet an unchanged file.
bool settle(const QString& programDir, const QString& calc) {
    QuietPerson person;
    pointSettingsAt(programDir, calc);
    volm::App app(programDir, person);
    volm::FormulaCatalogueCheck check;
    app.setCatalogueCheck(&check);
    return volm::startUp(app) && app.dm.acGR.isOpen() && volm::shutDown(app);
}

// The runner's call split into its phases, in this process, on calc.
bool phases(const QString& programDir, const QString& calc, bool text, const QString& textFile, Phases& p) {
    {
        const auto t0 = Clock::now();
        volm::Database db;
        db.open(calc);
        p.check = seconds(t0, Clock::now());
    }
    QuietPerson person;
    pointSettingsAt(programDir, calc);
    const auto t0 = Clock::now();
    volm::App app(programDir, person);
    TimedCheck timed(p);
    app.setCatalogueCheck(&timed);
    if (!volm::startUp(app) || !app.dm.acGR.isOpen()) return false;
    const auto t1 = Clock::now();
    p.open = seconds(t0, t1);

    volm::calc::CalculationInput input =
        volm::calc::readCalculation(app.dm.acGR, app.dm.acSpr, {app.dm.atTabl->sort(), app.locale});
    const auto t2 = Clock::now();
    p.load = seconds(t1, t2);
    volm::calc::ComputeOptions options;
    options.supplyNodeText = options.availNodeText = QStringLiteral("1");
    if (text) options.textPath = textFile;
    const volm::calc::CalculationResult d = volm::calc::compute(std::move(input), options);
    if (!d.ok()) {
        std::fprintf(stderr, "run failed: %s\n", qPrintable(d.error));
        return false;
    }
    const auto t3 = Clock::now();
    p.stages = seconds(t2, t3);
    volm::calc::storeResults(app.dm.acGR, d);
    const auto t4 = Clock::now();
    p.write = seconds(t3, t4);
    for (auto* t : {&app.dm.atNazvRasch, &app.dm.atZag, &app.dm.atTabl, &app.dm.atMagistraliTS, &app.dm.atKonMag,
                    &app.dm.atSpisokRaschUchastkov})
        if (*t && (*t)->isOpen()) (*t)->requery();
    p.reread = seconds(t4, Clock::now());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    int repeat = 3;
    QString keep;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (QByteArray(argv[i]) == "--keep" && i + 1 < argc)
            keep = QString::fromLocal8Bit(argv[++i]);
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {1000, 10000, 30000};

    const QString bin = QStringLiteral(VOLM_BIN_DIR);
    std::vector<double> qtRuns;
    for (int k = 0; k < repeat; ++k) qtRuns.push_back(runProcess({QStringLiteral("--version")}));
    std::printf("qt (volm-run --version): %.3f s\n", median(qtRuns));
    std::printf("%8s %4s %4s %8s %7s %7s %8s %7s %7s %7s %7s %7s %7s %9s %7s\n", "sections", "pipe", "text", "runner",
                "check", "open", "formulas", "rebuild", "load", "stages", "write", "reread", "floor", "runner/fl", "again");
    for (int n : sizes) {
        for (bool two : {false, true}) {
            QTemporaryDir work;
            const QString program = volm::bench::programFolder(work, bin);
            const QString fresh = volm::bench::blankCalculation(work, bin);
            volm::bench::generateNetwork(fresh, n, 1, two);
            if (!settle(program, fresh)) return 1;
            if (!keep.isEmpty()) copyFile(fresh, QStringLiteral("%1/net-%2-%3.mdb").arg(keep).arg(n).arg(two ? 2 : 1));
            for (bool text : {false, true}) {
                const QString calc = work.filePath(QStringLiteral("run.mdb"));
                const QString textFile = work.filePath(QStringLiteral("run.txt"));
                QStringList args;
                if (text) args << QStringLiteral("--text") << textFile;
                const std::vector<double> runs = runOnCopies(fresh, calc, args, repeat);
                if (runs.empty()) {
                    std::fprintf(stderr, "volm-run failed on %d sections\n", n);
                    return 1;
                }
                // Again over the calculation just computed: the data unchanged.
                const QString computed = work.filePath(QStringLiteral("computed.mdb"));
                copyFile(calc, computed);
                const std::vector<double> again = runOnCopies(computed, calc, args, repeat);
                const QString inProcess = work.filePath(QStringLiteral("phases.mdb"));
                copyFile(fresh, inProcess);
                Phases p;
                if (!phases(program, inProcess, text, work.filePath(QStringLiteral("phases.txt")), p)) return 1;
                std::vector<double> floors;
                for (int k = 0; k < repeat; ++k)
                    floors.push_back(volm::bench::measureStoreFloor(inProcess, fresh, work.filePath(QStringLiteral("floor.mdb"))));
                const double runner = median(runs), floor = median(floors);
                std::printf("%8d %4d %4s %8.3f %7.3f %7.3f %8.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %9.2f %7.3f\n", n,
                            two ? 2 : 1, text ? "yes" : "no", runner, p.check, p.open, p.formulas, p.rebuild, p.load,
                            p.stages, p.write, p.reread, floor, runner / floor, again.empty() ? -1.0 : median(again));
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
