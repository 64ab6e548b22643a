// Speed and memory of the printed report on two-pipe branching networks of
// 1,000, 10,000 and 30,000 sections, with the shipped definition 1.rav and
// every indicator of the standard method marked for output.
//
// For every size:
//   runner  volm-run --report as a process, end to end (opening, the run, the
//           report to PDF) and its peak resident memory; "run" is the same
//           without --report, so the difference is the report's share;
//   phases  the report in this process after a run: gathering the data,
//           rendering the definition, laying out the pages, writing the PDF.
//
//   volm_bench_report [SECTIONS ...]
#include "bench/support/bench_support.h"
#include "bench/calc/network_generator.h"
#include "commands/run_command.h"
#include "formulas/catalogue_check.h"
#include "output/report.h"
#include "output/report_data.h"
#include "output/report_definition.h"
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using volm::bench::copyFile;
using volm::bench::Clock;
using volm::bench::seconds;
// Processor time of this process, seconds (the machine may be shared).
double cpu() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + 1e-6 * double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
}

class QuietPerson : public volm::Person {
public:
    void message(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool ask(const QString&) override { return false; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void status(const QString&) override {}
    void busy(bool) override {}
    void processEvents() override {}
};

struct Process {
    double seconds = 0;
    double cpu = 0;
    long maxRssMb = 0;
    int status = -1;
};

Process runProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Process p;
    const auto t0 = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return p;
    int status = 0;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    p.seconds = seconds(t0, Clock::now());
    p.maxRssMb = ru.ru_maxrss / 1024;
    p.cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + 1e-6 * double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
    p.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qapp(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 30000};
    const QDir bin(QStringLiteral(VOLM_BIN_DIR));

    std::printf("Wall seconds (processor seconds in brackets), peak resident megabytes.\n");
    std::printf("%8s %6s | %15s %7s | %15s %7s | %7s %7s %7s %7s %15s\n", "sections", "pages", "run s", "run MB",
                "report s", "rep MB", "gather", "render", "layout", "pdf", "phases total");
    for (int n : sizes) {
        QTemporaryDir dir;
        const QString calc = dir.filePath(QStringLiteral("net.mdb"));
        if (!volm::bench::makeNetworkFile(bin.path(), calc, n)) return 1;

        // The runner, with and without the report.
        const QString plain = dir.filePath(QStringLiteral("plain.mdb")), pdf = dir.filePath(QStringLiteral("net.pdf"));
        copyFile(calc, plain);
        const Process run = runProcess({VOLM_RUN_EXE, plain.toStdString()});
        copyFile(calc, plain);
        const Process rep = runProcess({VOLM_RUN_EXE, "--report", pdf.toStdString(), plain.toStdString()});
        if (run.status != 0 || rep.status != 0) {
            std::fprintf(stderr, "volm-run failed: %d %d\n", run.status, rep.status);
            return 1;
        }

        // The phases in this process, after a run.
        QTemporaryDir prog;
        for (const char* f : {"Nastr.mdb", "Spr.mdb", "GidrRas.mdb", "0.rav", "1.rav"})
            copyFile(bin.filePath(QString::fromLatin1(f)), prog.filePath(QString::fromLatin1(f)));
        {
            volm::Database s;
            s.open(prog.filePath(QStringLiteral("Nastr.mdb")));
            s.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='") + calc + QStringLiteral("', СохрТекстРас=False"));
        }
        QuietPerson person;
        volm::App app(prog.path(), person);
        volm::useFormulaCheck(app);
        if (!volm::startUp(app)) return 1;
        volm::RunOptions options;
        options.ask = false;
        volm::Table& name = *app.dm.atNazvRasch;
        name.first();
        auto nodeText = [&](const char* column) {
            const QVariant v = name.value(QString::fromUtf8(column));
            return v.isNull() ? QString() : QString::number(v.toLongLong());
        };
        options.supplyNodeText = nodeText("NузПНапПод");
        options.availNodeText = nodeText("NузРНап");
        if (!volm::runCalculation(app, options).success()) return 1;

        const double c0 = cpu();
        const auto t0 = Clock::now();
        const volm::report::ReportData data = volm::report::gatherReportData(app);
        const auto t1 = Clock::now();
        const auto def = volm::report::Definition::load(prog.filePath(QStringLiteral("1.rav")));
        const std::string html = def.render(data);
        const auto t2 = Clock::now();
        const volm::report::ReportPages pages = volm::report::ReportPages::layOut(html);
        const auto t3 = Clock::now();
        volm::report::writePdf(pages, dir.filePath(QStringLiteral("phases.pdf")));
        const auto t4 = Clock::now();
        const double c4 = cpu();
        std::printf("%8d %6d | %6.2f (%6.2f) %7ld | %6.2f (%6.2f) %7ld | %7.2f %7.2f %7.2f %7.2f %6.2f (%6.2f)\n", n,
                    pages.count(), run.seconds, run.cpu, run.maxRssMb, rep.seconds, rep.cpu, rep.maxRssMb,
                    seconds(t0, t1), seconds(t1, t2), seconds(t2, t3), seconds(t3, t4), seconds(t0, t4), c4 - c0);
        std::fflush(stdout);
    }
    return 0;
}
