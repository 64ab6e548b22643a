// Speed of the network schematic's data and drawing on generated two-pipe networks of
// 1,000, 10,000 and 30,000 sections (computed by the headless runner first).
//
//   layout  the tree layout alone, from the list of sections (best of 5);
//   chain   the layout of a single chain of as many sections (the deepest tree);
//   load    reading the calculation file and laying it out, as the window does;
//   scene   making the window's scene of it (best of 3);
//   whole   drawing the whole network into 1600 x 1000 pixels, as "Вписать"
//           shows it (best of 3), with the arrows of the water's way and without;
//   near    drawing 1600 x 1000 pixels of it at the scene's own scale around a
//           node half-way down the list, where the arrows are drawn (best of 5).
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
//
//   volm_bench_schematic [--keep FOLDER] [SECTIONS ...]
// --keep leaves the computed network files (schema-N.mdb) in FOLDER.
#include "bench/calc/network_generator.h"
#include "output/schematic_data.h"
#include "store/database.h"
#include "ui/network_schematic_scene.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QImage>
#include <QPainter>
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

// Best time of drawing the scene's source rectangle into an image of 1600 x 1000.
double drawMs(volm::ui::SchematicScene& scene, const QRectF& source, int times) {
    QImage image(1600, 1000, QImage::Format_RGB32);
    return bestOf(times, [&] {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        scene.render(&p, QRectF(image.rect()), source, Qt::KeepAspectRatio);
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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
    std::printf("%9s %7s %10s %10s %10s %9s %12s %12s %12s %12s\n", "sections", "nodes", "layout ms", "chain ms",
                "load ms", "scene ms", "whole ms", "no arrows", "near ms", "no arrows");
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
        volm::ui::SchematicScene scene;
        const double sceneMs = bestOf(3, [&] { scene.build(data, data.defaultIndicator()); });
        const QPointF middle = scene.nodeItem(scene.nodeItemCount() / 2)->pos();
        const QRectF near(middle - QPointF(800, 500), QSizeF(1600, 1000));
        int arrows = 0;
        for (int i = 0; i < scene.sectionItemCount(); ++i) arrows += !scene.flowArrow(i).isEmpty();
        const double whole = drawMs(scene, scene.sceneRect(), 3), nearMs = drawMs(scene, near, 5);
        scene.setFlowArrowsShown(false);
        const double wholeBare = drawMs(scene, scene.sceneRect(), 3), nearBare = drawMs(scene, near, 5);
        std::printf("%9d %7zu %10.1f %10.1f %10.1f %9.1f %12.1f %12.1f %12.1f %12.1f   (%d arrows)\n", n,
                    data.layout.nodes.size(), layout, chainMs, load, sceneMs, whole, wholeBare, nearMs, nearBare, arrows);
        std::fflush(stdout);
    }
    return 0;
}
