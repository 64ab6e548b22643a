// Speed of pipe sizing ("Подбор диаметров") on two-pipe branching networks with
// the standard method, every diameter cleared first, criterion УдПотПод <= 80
// Pa/m against the reference book's 22 nominal diameters. Sections whose flow
// is too large for every diameter try all 22.
//
// For every size:
//   stages   loading the calculation and the run's stages up to the header
//            indicators (what sizing computes before the candidates);
//   choice   the candidates tried for every section;
//   evals    formula evaluations the choice made, and ns per evaluation;
//   command  the whole command: checks, stages, choice, the diameters written,
//            and the whole calculation run after them;
//   run      the calculation run alone on the sized network, for comparison.
//
//   volm_bench_sizing [SECTIONS ...]     (default 1000 10000 30000)
#include "bench/calc/network_generator.h"
#include "bench/support/bench_support.h"
#include "calc/calculation.h"
#include "calc/run_data.h"
#include "commands/run_command.h"
#include "commands/sizing_command.h"
#include "calc/sizing_choice.h"
#include "formulas/catalogue.h"
#include "formulas/catalogue_check.h"
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using volm::bench::Clock;
using volm::bench::copyFile;
using volm::bench::QuietPerson;
using volm::bench::seconds;

struct Figures {
    double stages = 0, choice = 0, command = 0, run = 0;
    long long evaluations = 0;
    int candidates = 0, changed = 0, misses = 0;
    bool ok = false;
};

volm::RunOptions runOptions() {
    volm::RunOptions o;
    o.ask = false;
    o.keepText = false;
    o.supplyNodeText = QStringLiteral("1");
    o.availNodeText = QStringLiteral("1");
    return o;
}

Figures measure(const QString& program, const QString& calc) {
    Figures f;
    QuietPerson person;
    volm::App app(program, person);
    volm::useFormulaCheck(app);
    {
        volm::Database db;
        db.open(program + QStringLiteral("/Nastr.mdb"));
        db.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='%1', ФайлСпр='%2', СохрТекстРас=False")
                    .arg(calc, program + QStringLiteral("/Spr.mdb")));
    }
    if (!volm::startUp(app) || !app.dm.acGR.isOpen()) return f;
    volm::SizingRequest request;
    request.criteria = {{QStringLiteral("УдПотПод"), 80}};

    // The choice alone, over the calculation in memory.
    {
        const auto t0 = Clock::now();
        volm::calc::RunData d(
            volm::calc::readCalculation(app.dm.acGR, app.dm.acSpr, {QStringLiteral("id ASC"), app.locale}));
        const volm::Catalogue& catalogue = d.catalogue;
        volm::calc::runStagesBeforeSections(d, runOptions().supplyNodeText, runOptions().availNodeText);
        if (!d.ok()) {
            std::fprintf(stderr, "stages failed: %s\n", qPrintable(d.error));
            return f;
        }
        const auto t1 = Clock::now();
        const volm::calc::DiameterChoice choice =
            volm::calc::chooseDiameters(d, catalogue, request, std::vector<char>(d.ids.size(), 1));
        const auto t2 = Clock::now();
        f.stages = seconds(t0, t1);
        f.choice = seconds(t1, t2);
        f.candidates = int(volm::calc::candidateDiameters(d).size());
        // Двн, УдПотПод per candidate; ТСрПод, ПлПод once per section.
        const std::vector<double> candidates = volm::calc::candidateDiameters(d);
        for (const auto& c : choice.sections) {
            const auto tried = std::find(candidates.begin(), candidates.end(), c.chosen) - candidates.begin() + 1;
            f.evaluations += 2 + 2 * tried;
        }
    }

    // The whole command, then the run alone.
    const auto t0 = Clock::now();
    const volm::SizingOutcome out = volm::sizeDiameters(app, request, runOptions());
    const auto t1 = Clock::now();
    const volm::RunOutcome again = volm::runCalculation(app, runOptions());
    const auto t2 = Clock::now();
    f.command = seconds(t0, t1);
    f.run = seconds(t1, t2);
    f.changed = out.changed;
    f.misses = int(out.misses.size());
    f.ok = out.sized() && out.run.success() && again.success();
    if (!f.ok) std::fprintf(stderr, "sizing failed: %s %s\n", qPrintable(out.text), qPrintable(person.messages.join("|")));
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 30000};

    const QString bin = QStringLiteral(VOLM_BIN_DIR);
    std::printf("%9s %6s %9s %9s %10s %8s %10s %7s %8s %7s\n", "sections", "cands", "stages, s", "choice, s", "evals",
                "ns/eval", "command, s", "run, s", "changed", "misses");
    for (int n : sizes) {
        QTemporaryDir work;
        const QString program = volm::bench::programFolder(work, bin);
        const QString calc = volm::bench::blankCalculation(work, bin);
        volm::bench::generateNetwork(calc, n);
        {
            volm::Database db;
            db.open(calc);
            db.exec(QStringLiteral("UPDATE Табл SET Ду=Null"));
        }
        const Figures f = measure(program, calc);
        std::printf("%9d %6d %9.3f %9.3f %10lld %8.0f %10.3f %7.3f %8d %7d%s\n", n, f.candidates, f.stages, f.choice,
                    f.evaluations, f.evaluations ? f.choice * 1e9 / double(f.evaluations) : 0.0, f.command, f.run,
                    f.changed, f.misses, f.ok ? "" : "  FAILED");
        std::fflush(stdout);
    }
    return 0;
}
