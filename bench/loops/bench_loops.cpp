// The runner on a looped network beside the same network's tree: a generated
// two-pipe tree of 9,800 sections, and the same tree tied by 200 jumpers
// (2 % of 10,000 sections) between nodes that feed further sections, each
// jumper entered from the node of smaller loss in the tree (the run computes
// every section the water runs against in the water's direction). Prints the
// best of 5 runner calls of each and their ratio, and, when node finds
// epanet-js, the reference engine's best of 5 bare open + solve of the same
// supply network (its flows and losses checked against the runner's).
//
//   NODE_PATH=/tmp/epanet/node_modules volm_bench_loops [SECTIONS]
#include "bench/calc/network_generator.h"
#include "bench/loops/reference_engine.h"
#include "bench/support/bench_support.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

struct Call {
    bool ok = false;
    double seconds = 0;
    QString error;
};

Call runner(const QString& calc) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(VOLM_RUN_EXE), {calc});
    p.waitForFinished(-1);
    return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, t.elapsed() / 1000.0,
            QString::fromUtf8(p.readAllStandardError())};
}

double bestOf5(const QString& calc) {
    double best = 1e9;
    for (int k = 0; k < 5; ++k) {
        const Call c = runner(calc);
        if (!c.ok) {
            std::fprintf(stderr, "%s\n", c.error.toUtf8().constData());
            return -1;
        }
        best = std::min(best, c.seconds);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int sections = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int jumpers = sections / 50;
    QTemporaryDir work;
    const QString tree = work.filePath(QStringLiteral("tree.mdb")), looped = work.filePath(QStringLiteral("looped.mdb"));
    volm::bench::copyFile(QStringLiteral(VOLM_BIN_DIR "/GidrRas.mdb"), tree);
    volm::bench::generateNetwork(tree, sections - jumpers, 33);
    {
        // Without boosters the tree's losses grow away from the source, so
        // that jumpers entered by them close no ring of entered directions.
        volm::Database db;
        db.open(tree);
        db.exec(QStringLiteral("DELETE FROM ИзмПНапВУзлахТС"));
    }
    if (!runner(tree).ok) return 1;
    volm::bench::copyFile(tree, looped);
    {
        volm::Database db;
        db.open(looped);
        QHash<int, double> loss;  // node -> supply loss from the source after the tree's run
        auto st = db.prepare(QStringLiteral("SELECT КонУзел, ПотНОтИКонПод FROM Табл"));
        while (st->step()) loss.insert(st->column(0).toInt(), st->column(1).toDouble());
        std::vector<int> feeding;
        auto starts = db.prepare(QStringLiteral("SELECT DISTINCT НачУзел FROM Табл WHERE НачУзел <> 1"));
        while (starts->step()) feeding.push_back(starts->column(0).toInt());
        std::mt19937 rng(33);
        db.begin();
        db.exec(QStringLiteral("ALTER TABLE НазвРасч ADD COLUMN КольцСеть bit"));
        db.exec(QStringLiteral("UPDATE НазвРасч SET КольцСеть=True"));
        auto ins = db.prepare(QStringLiteral(
            "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, Ду, КоэфМП) VALUES (?, ?, ?, 150, 100, 0.3)"));
        for (int j = 0; j < jumpers; ++j) {
            int a = feeding[rng() % feeding.size()], b = feeding[rng() % feeding.size()];
            if (a == b) continue;
            if (loss.value(a) > loss.value(b)) std::swap(a, b);
            ins->bind(1, qint64(1000000 + j));
            ins->bind(2, qint64(a));
            ins->bind(3, qint64(b));
            ins->run();
        }
        db.commit();
    }
    // The run turns the sections the water runs against itself.
    if (const Call c = runner(looped); !c.ok) {
        std::fprintf(stderr, "%s\n", c.error.toUtf8().constData());
        return 1;
    }
    const double t = bestOf5(tree), l = bestOf5(looped);
    if (qEnvironmentVariableIsSet("VOLM_BENCH_KEEP")) volm::bench::copyFile(looped, qEnvironmentVariable("VOLM_BENCH_KEEP"));
    std::printf("sections %d (tree %d + %d jumpers)\n", sections, sections - jumpers, jumpers);
    std::printf("runner, best of 5: tree %.3f s, looped %.3f s, looped/tree %.2f\n", t, l, l / t);
    const volm::bench::EngineFigure e = volm::bench::timeReferenceEngine(looped, tree, work.path());
    if (!e.ran) {
        std::printf("engine figure skipped: %s\n", qPrintable(e.skipped));
        return 0;
    }
    std::printf("engine open+solve, best of 5: %.3f s, looped/engine %.2f (largest differences from the runner: "
                "flow %.1e t/h, supply loss %.1e m)\n",
                e.seconds, l / e.seconds, e.flowDiff, e.lossDiff);
    return 0;
}
