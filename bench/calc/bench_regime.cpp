// Cost of the regime checks that follow a successful run, on generated
// two-pipe networks (30,000 sections by default). The network is computed
// once; its tables are then read back into the run's in-memory form and the
// checks timed over it (median of 21), as they run after the stages:
//   usual   the shipped rules and the default head limits;
//   worst   every rule broken at every place (limits set past every value),
//           so that every place is collected and the lines are built.
// The warnings of the usual rules follow the table.
//
//   volm_bench_regime [SECTIONS ...]
#include "bench/calc/network_generator.h"
#include "bench/support/bench_support.h"
#include "calc/regime_checks.h"
#include "commands/run_command.h"
#include "formulas/catalogue_check.h"
#include "formulas/reference_data.h"
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace volm::calc;
using volm::bench::copyFile;

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

void readTable(volm::Database& db, const QString& table, ValueTable& t) {
    std::vector<QString> names;
    for (const auto& c : db.columns(table)) names.push_back(c.name);
    std::vector<double> values;
    auto st = db.prepare(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
    int rows = 0;
    while (st->step()) {
        for (int i = 0; i < int(names.size()); ++i) {
            const QVariant v = st->column(i);
            bool ok = false;
            const double x = v.toDouble(&ok);
            values.push_back(v.isNull() || !ok ? kNull : x);
        }
        ++rows;
    }
    t.setColumns(names, rows);
    t.values = std::move(values);
}

double medianMs(const std::function<void()>& f) {
    std::vector<double> ms;
    for (int i = 0; i < 21; ++i) {
        const auto t0 = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::nth_element(ms.begin(), ms.begin() + 10, ms.end());
    return ms[10];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {30000};
    const QString bin = QStringLiteral(VOLM_BIN_DIR);
    std::printf("%9s %10s %9s %10s %9s %10s\n", "sections", "usual, ms", "warnings", "worst, ms", "warnings",
                "read, ms");
    for (int n : sizes) {
        QTemporaryDir work;
        const QString program = volm::bench::programFolder(work, bin);
        const QString calc = volm::bench::blankCalculation(work, bin);
        volm::bench::generateNetwork(calc, n);

        QuietPerson person;
        volm::App app(program, person);
        volm::useFormulaCheck(app);
        {
            volm::Database db;
            db.open(program + QStringLiteral("/Nastr.mdb"));
            db.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='%1', ФайлСпр='%2', СохрТекстРас=False")
                        .arg(calc, program + QStringLiteral("/Spr.mdb")));
        }
        if (!volm::startUp(app) || !app.dm.acGR.isOpen()) return 1;
        volm::RunOptions o;
        o.ask = false;
        o.supplyNodeText = QStringLiteral("1");
        o.availNodeText = QStringLiteral("1");
        const volm::RunOutcome out = volm::runCalculation(app, o);
        if (!out.success()) return 1;

        // The run's tables as they stand after the stages.
        volm::Database& db = app.dm.acGR;
        ValueTable header, sections;
        readTable(db, QStringLiteral("Заг"), header);
        readTable(db, QStringLiteral("Табл"), sections);
        std::vector<int> startOf, endOf;
        const int a = sections.need(QStringLiteral("НачУзел")), b = sections.need(QStringLiteral("КонУзел"));
        for (int r = 0; r < sections.rowCount(); ++r) {
            startOf.push_back(int(sections.get(r, a)));
            endOf.push_back(int(sections.get(r, b)));
        }
        std::vector<EndResult> ends;
        {
            auto st = db.prepare(QStringLiteral("SELECT КонУзел, РНап FROM КонМаг"));
            while (st->step()) {
                EndResult e;
                e.endNode = st->column(0).toInt();
                e.rNap = st->column(1).toDouble();
                ends.push_back(e);
            }
        }
        const auto reference = volm::ReferenceData::load(app.dm, app.locale);
        RegimeInput in;
        in.header = &header;
        in.sections = &sections;
        in.startOf = &startOf;
        in.endOf = &endOf;
        in.endResults = &ends;
        in.twoPipe = true;
        in.density = [&](int t) { return reference.densityByTemperature(t); };

        RegimeSettings usual;
        const double readMs = medianMs([&] { usual = readRegimeSettings(db); });
        int usualCount = 0, worstCount = 0;
        const double usualMs = medianMs([&] { usualCount = checkRegime(in, usual, QLatin1Char(',')).count(); });
        RegimeSettings worst = usual;
        worst.limits = {1e9, true, -1e9, true, 1e9, true, 1e9, true};
        for (RegimeRule& r : worst.rules) r.limit = -1e9;
        const double worstMs = medianMs([&] { worstCount = checkRegime(in, worst, QLatin1Char(',')).count(); });
        std::printf("%9d %10.2f %9d %10.2f %9d %10.3f\n", n, usualMs, usualCount, worstMs, worstCount, readMs);
        // What the usual rules say about the generated network (each line shortened).
        for (const QString& line : checkRegime(in, usual, QLatin1Char(',')).lines)
            std::printf("    %s\n", qPrintable(line.size() > 160 ? line.left(70) + QStringLiteral(" ... ") + line.right(85) : line));
    }
    return 0;
}
