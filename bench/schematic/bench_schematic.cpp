// Speed of the network schematic's data on generated two-pipe networks of
// 1,000, 10,000 and 30,000 sections (computed by the headless runner first).
//
//   layout  the tree layout alone, from the list of sections (best of 5);
//   chain   the layout of a single chain of as many sections (the deepest tree);
//   load    reading the calculation file and laying it out, as the window does.
//
//   volm_bench_schematic [--keep FOLDER] [SECTIONS ...]
// --keep leaves the computed network files (schema-N.mdb) in FOLDER.
#include "bench/calc/network_generator.h"
#include "output/schematic_data.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

template <typename F>
double bestOf(int times, F&& f) {
    double best = 1e300;
    for (int i = 0; i < times; ++i) {
        const auto t = Clock::now();
        f();
        best = std::min(best, msSince(t));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString keep;
    if (const int k = int(args.indexOf(QStringLiteral("--keep"))); k >= 0 && k + 1 < args.size()) {
        keep = args[k + 1];
        args.remove(k, 2);
    }
    std::vector<int> sizes;
    for (const QString& a : args) sizes.push_back(a.toInt());
    if (sizes.empty()) sizes = {1000, 10000, 30000};

    QTemporaryDir tmp;
    const QString folder = keep.isEmpty() ? tmp.path() : keep;
    QDir().mkpath(folder);
    std::printf("%9s %7s %10s %10s %10s\n", "sections", "nodes", "layout ms", "chain ms", "load ms");
    for (int n : sizes) {
        const QString path = QDir(folder).filePath(QStringLiteral("schema-%1.mdb").arg(n));
        QFile::remove(path);
        QFile::copy(QStringLiteral(VOLM_BIN_DIR "/GidrRas.mdb"), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        volm::bench::generateNetwork(path, n);
        QProcess run;
        run.start(QStringLiteral(VOLM_RUN_EXE), {path});
        run.waitForFinished(-1);

        volm::output::SchematicData data;
        const double load = bestOf(3, [&] {
            volm::Database db;
            db.open(path);
            data = volm::output::loadSchematic(db);
        });
        std::vector<volm::output::LayoutSection> sections;
        for (const auto& e : data.layout.edges)
            sections.push_back({data.layout.nodes[size_t(e.from)].number, data.layout.nodes[size_t(e.to)].number});
        const double layout = bestOf(5, [&] { volm::output::layOutNetwork(sections, data.startNode); });
        std::vector<volm::output::LayoutSection> chain;
        for (int i = 1; i <= n; ++i) chain.push_back({i, i + 1});
        const double chainMs = bestOf(5, [&] { volm::output::layOutNetwork(chain, 1); });
        std::printf("%9d %7zu %10.1f %10.1f %10.1f\n", n, data.layout.nodes.size(), layout, chainMs, load);
        std::fflush(stdout);
    }
    return 0;
}
