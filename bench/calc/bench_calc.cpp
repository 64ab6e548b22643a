// Speed and memory of the calculation run on two-pipe branching networks of
// 1,000, 10,000 and 30,000 sections with the standard method and the
// calculation text on.
//
// For every size:
//   run    the headless runner as a process, end to end: opening the file as
//          the program does (formula check and table rebuild), the run, the
//          text; its peak resident memory;
//   calc   the same in this process, split into opening and the run itself
//          (calc-txt: the run itself without the calculation text);
//   floor  SQLite alone writing the same output rows (МагистралиТС, КонМаг and
//          every computed column of every section) with prepared statements in
//          one transaction.
//
//   volm_bench_calc [SECTIONS ...]
#include "bench/support/bench_support.h"
#include "bench/calc/network_generator.h"
#include "commands/run_command.h"
#include "formulas/catalogue_check.h"
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <chrono>
#include <fcntl.h>
#include <cstdio>
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

// The runner as a process with the text: wall time and peak resident memory (MB).
bool runProcess(const QString& calc, const QString& text, double& wall, double& peakMb) {
    return volm::bench::runProcess(QByteArrayLiteral(VOLM_RUN_EXE), {QStringLiteral("--text"), text, calc}, wall, peakMb);
}

// Opens the calculation as the program does and runs it, in this process,
// with or without the calculation text.
bool runInProcess(const QString& programDir, const QString& calc, bool text, double& open, double& run) {
    QuietPerson person;
    volm::App app(programDir, person);
    volm::useFormulaCheck(app);
    {
        volm::Database db;
        db.open(programDir + QStringLiteral("/Nastr.mdb"));
        db.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='%1', ФайлСпр='%2', СохрТекстРас=%3")
                    .arg(calc, programDir + QStringLiteral("/Spr.mdb"), text ? QStringLiteral("True") : QStringLiteral("False")));
    }
    const auto t0 = Clock::now();
    if (!volm::startUp(app) || !app.dm.acGR.isOpen()) return false;
    const auto t1 = Clock::now();
    volm::RunOptions o;
    o.ask = false;
    o.supplyNodeText = QStringLiteral("1");
    o.availNodeText = QStringLiteral("1");
    if (text) o.textFile = programDir + QStringLiteral("/../bench-text.txt");
    const volm::RunOutcome out = volm::runCalculation(app, o);
    const auto t2 = Clock::now();
    open = seconds(t0, t1);
    run = seconds(t1, t2);
    if (!out.success()) std::fprintf(stderr, "run failed: %s\n", qPrintable(out.text));
    return out.success();
}

// SQLite alone writing the rows the run writes into a copy of the network as it
// was before the run; the rows are read beforehand from the computed file.
double measureFloor(const QString& computed, const QString& fresh, const QString& target) {
    volm::Database src;
    src.open(computed);
    // Every column the run computes in Табл: all but the keys, the notes and the entered values.
    QStringList cols;
    for (const auto& c : src.columns(QStringLiteral("Табл"))) {
        static const QStringList entered{"id", "НачУзел", "КонУзел", "ДлНаУчПод", "Ду", "КоэфМП", "Примечание", "Заполн_Уч"};
        if (!entered.contains(c.name)) cols << c.name;
    }
    std::vector<qint64> ids;
    std::vector<double> values;
    {
        auto st = src.prepare(QStringLiteral("SELECT id, \"%1\" FROM Табл").arg(cols.join(QStringLiteral("\", \""))));
        while (st->step()) {
            ids.push_back(st->column(0).toLongLong());
            for (int i = 0; i < cols.size(); ++i) values.push_back(st->column(i + 1).toDouble());
        }
    }
    std::vector<std::array<double, 6>> mains;
    {
        auto st = src.prepare(QStringLiteral("SELECT id_m, NппУчВМ, НачУзел, КонУзел, РасхПод, РасхОбр FROM МагистралиТС"));
        while (st->step()) {
            std::array<double, 6> r{};
            for (int i = 0; i < 6; ++i) r[size_t(i)] = st->column(i).toDouble();
            mains.push_back(r);
        }
    }
    std::vector<std::array<double, 10>> ends;
    {
        auto st = src.prepare(QStringLiteral("SELECT id_m, КонУзел, ДлМагПод, ПотНОтИПод, ПНапПод, ДлМагОбр, ДлМагСум, "
                                             "ПотНОтИОбр, ПНапОбр, РНап FROM КонМаг"));
        while (st->step()) {
            std::array<double, 10> r{};
            for (int i = 0; i < 10; ++i) r[size_t(i)] = st->column(i).toDouble();
            ends.push_back(r);
        }
    }
    src.close();
    copyFile(fresh, target);

    volm::Database db;
    db.open(target);
    const auto t0 = Clock::now();
    db.begin();
    {
        QString sql = QStringLiteral("UPDATE Табл SET ");
        for (int i = 0; i < cols.size(); ++i) sql += (i ? QStringLiteral(", \"") : QStringLiteral("\"")) + cols[i] + QStringLiteral("\" = ?");
        auto st = db.prepare(sql + QStringLiteral(" WHERE \"id\" = ?"));
        const int n = int(cols.size());
        for (size_t r = 0; r < ids.size(); ++r) {
            for (int i = 0; i < n; ++i) st->bind(i + 1, values[r * size_t(n) + size_t(i)]);
            st->bind(n + 1, ids[r]);
            st->run();
        }
    }
    db.prepare(QStringLiteral("DELETE FROM МагистралиТС"))->run();
    {
        auto st = db.prepare(QStringLiteral("INSERT INTO МагистралиТС VALUES (?, ?, ?, ?, ?, ?)"));
        for (const auto& r : mains) {
            for (int i = 0; i < 4; ++i) st->bind(i + 1, qint64(r[size_t(i)]));
            st->bind(5, r[4]);
            st->bind(6, r[5]);
            st->run();
        }
    }
    db.prepare(QStringLiteral("DELETE FROM КонМаг"))->run();
    {
        auto st = db.prepare(QStringLiteral("INSERT INTO КонМаг (id_m, КонУзел, ДлМагПод, ПотНОтИПод, ПНапПод, ДлМагОбр, "
                                            "ДлМагСум, ПотНОтИОбр, ПНапОбр, РНап) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const auto& r : ends) {
            st->bind(1, qint64(r[0]));
            st->bind(2, qint64(r[1]));
            for (int i = 2; i < 10; ++i) st->bind(i + 1, r[size_t(i)]);
            st->run();
        }
    }
    db.commit();
    return seconds(t0, Clock::now());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 30000};

    const QString bin = QStringLiteral(VOLM_BIN_DIR);
    std::printf("%9s %7s %8s %8s %8s %10s %8s %7s %8s %9s\n", "sections", "mains", "run, s", "open, s", "calc, s",
                "calc-txt, s", "floor, s", "run/fl", "calc/fl", "peak, MB");
    for (int n : sizes) {
        QTemporaryDir work;
        const QString program = volm::bench::programFolder(work, bin);
        const QString fresh = volm::bench::blankCalculation(work, bin);
        const volm::bench::GeneratedNetwork net = volm::bench::generateNetwork(fresh, n);

        const QString forProcess = work.filePath(QStringLiteral("process.mdb"));
        copyFile(fresh, forProcess);
        double wall = 0, peak = 0;
        if (!runProcess(forProcess, work.filePath(QStringLiteral("process.txt")), wall, peak)) {
            std::fprintf(stderr, "volm-run failed on %d sections\n", n);
            return 1;
        }

        const QString inProcess = work.filePath(QStringLiteral("inprocess.mdb"));
        copyFile(fresh, inProcess);
        double open = 0, run = 0;
        if (!runInProcess(program, inProcess, true, open, run)) return 1;
        const QString noText = work.filePath(QStringLiteral("notext.mdb"));
        copyFile(fresh, noText);
        double open2 = 0, runNoText = 0;
        if (!runInProcess(program, noText, false, open2, runNoText)) return 1;

        const double floor = measureFloor(inProcess, fresh, work.filePath(QStringLiteral("floor.mdb")));
        std::printf("%9d %7d %8.3f %8.3f %8.3f %10.3f %8.3f %7.2f %8.2f %9.1f\n", n, net.endSections, wall, open, run,
                    runNoText, floor, wall / floor, run / floor, peak);
        std::fflush(stdout);
    }
    return 0;
}
