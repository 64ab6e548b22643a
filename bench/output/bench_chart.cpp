// Speed of the chart window, offscreen, the plot 1200 x 700:
//
//   chain  a computed calculation whose main 1 is a chain of N sections
//          (written straight into a copy of the template);
//   tree   a two-pipe branching network of N sections computed by the headless
//          runner (the mains of a random tree, МагистралиТС of many rows).
//
// For each: open = the window filling its lists from МагистралиТС (what the
// command shows before anything is drawn); draw = "Сформировать" on the
// longest main, whole, the sections read on that first drawing, laid out and
// painted twice (the second time with the labels thinned to the size);
// redraw = the same again with the sections already read. Each as wall-clock
// and processor seconds.
//
//   volm_bench_chart [chain SECTIONS | tree SECTIONS] ...   (default: chain 2000 tree 30000)
//   VOLM_BENCH_CHART_PNG=FOLDER also saves each chart there as a PNG.
#include "bench/support/bench_support.h"
#include "bench/calc/network_generator.h"
#include "store/app.h"
#include "store/database.h"
#include "ui/chart_plot.h"
#include "ui/chart_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>

namespace {

using volm::bench::QuietPerson;
using volm::bench::Clock;
using volm::bench::seconds;
// Processor time of this process: on a busy shared machine the wall clock also
// counts the waits for a core.
double cpu() { return double(std::clock()) / CLOCKS_PER_SEC; }

bool makeChain(const QString& path, int n) {
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(VOLM_BIN_DIR "/GidrRas.mdb"), path)) return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    volm::Database db;
    db.open(path);
    db.exec(QStringLiteral("UPDATE НазвРасч SET ТипСети=1, РасчетВыполнен=True"));
    db.begin();
    auto sec = db.prepare(QStringLiteral(
        "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНачПод, ДлНаУчПод, ГеодВысНач, ГеодВысКон, ПНапНачПод, ПНапКонПод, "
        "ПНапНачОбр, ПНапКонОбр, ТВодыНачПод, ТВодыКонПод, ТВодыНачОбр, ТВодыКонОбр) "
        "VALUES (?, ?, ?, ?, 50, ?, ?, ?, ?, ?, ?, 95, 94.9, 60, 60.1)"));
    auto mag = db.prepare(QStringLiteral("INSERT INTO МагистралиТС (id_m, NппУчВМ, НачУзел, КонУзел) VALUES (1, ?, ?, ?)"));
    for (int i = 1; i <= n; ++i) {
        const double g = 100 + 10 * std::sin(i / 37.0);
        const double sup = 250 - 0.05 * i, ret = 150 + 0.05 * i;
        sec->bind(1, qint64(i));
        sec->bind(2, qint64(i));
        sec->bind(3, qint64(i + 1));
        sec->bind(4, 50.0 * (i - 1));
        sec->bind(5, g);
        sec->bind(6, 100 + 10 * std::sin((i + 1) / 37.0));
        sec->bind(7, sup);
        sec->bind(8, sup - 0.04);
        sec->bind(9, ret);
        sec->bind(10, ret + 0.04);
        sec->run();
        mag->bind(1, qint64(n + 1 - i));
        mag->bind(2, qint64(i));
        mag->bind(3, qint64(i + 1));
        mag->run();
    }
    db.exec(QStringLiteral("INSERT INTO КонМаг (id_m, КонУзел, ПНапПод, ПНапОбр) VALUES (1, %1, 140, 160)").arg(n + 1));
    db.commit();
    return true;
}

bool makeTree(const QString& path, int n) {
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(VOLM_BIN_DIR "/GidrRas.mdb"), path)) return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    volm::bench::generateNetwork(path, n);
    QProcess run;
    run.start(QStringLiteral(VOLM_RUN_EXE), {path});
    run.waitForFinished(-1);
    return run.exitCode() == 0;
}

void measure(const char* kind, int n, const QString& path) {
    QuietPerson person;
    QTemporaryDir programDir;
    volm::App app(programDir.path(), person);
    app.dm.acGR.open(path);
    volm::ui::TGrForm form(app);
    form.resize(1200, 800);
    form.show();
    QApplication::processEvents();

    const double c0 = cpu();
    const auto t0 = Clock::now();
    form.Show();
    const auto t1 = Clock::now();
    const double c1 = cpu();
    // The longest main, whole.
    int best = 0;
    size_t rows = 0, total = 0;
    for (size_t i = 0; i < form.mains().mains.size(); ++i) {
        total += form.mains().mains[i].rows.size();
        if (form.mains().mains[i].rows.size() > rows) rows = form.mains().mains[i].rows.size(), best = int(i);
    }
    form.cbMag->setCurrentIndex(best);
    const double c2 = cpu();
    const auto t2 = Clock::now();
    form.miGenerate->trigger();
    form.crt->settle();
    const auto t3 = Clock::now();
    const double c3 = cpu();
    form.miGenerate->trigger();
    form.crt->settle();
    const auto t4 = Clock::now();
    const double c4 = cpu();
    std::printf("%-6s %8d %8zu %9zu %7zu %6.3f/%5.3f %6.3f/%5.3f %6.3f/%5.3f %7zu %7zu\n", kind, n,
                form.mains().mains.size(), total, rows, seconds(t0, t1), c1 - c0, seconds(t2, t3), c3 - c2,
                seconds(t3, t4), c4 - c3, size_t(form.crt->shownNodeLabels().size()), form.crt->shownMarks().size());
    // VOLM_BENCH_CHART_PNG=FOLDER keeps a picture of each drawing to look at.
    const QString pictures = qEnvironmentVariable("VOLM_BENCH_CHART_PNG");
    if (!pictures.isEmpty()) form.crt->savePng(pictures + QStringLiteral("/%1-%2.png").arg(QLatin1String(kind)).arg(n));
    if (!person.messages.isEmpty()) std::printf("  messages: %s\n", qPrintable(person.messages.join(QLatin1Char(' '))));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QStringList args = qapp.arguments().mid(1);
    if (args.isEmpty()) args = {QStringLiteral("chain"), QStringLiteral("2000"), QStringLiteral("tree"), QStringLiteral("30000")};
    QTemporaryDir dir;
    std::printf("wall/cpu seconds\n%-6s %8s %8s %9s %7s %12s %12s %12s %7s %7s\n", "kind", "sections", "mains",
                "mainrows", "longest", "open", "draw", "redraw", "labels", "marks");
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const int n = args[i + 1].toInt();
        const QString path = dir.filePath(args[i] + QString::number(n) + QStringLiteral(".mdb"));
        const bool chain = args[i] == QStringLiteral("chain");
        if (!(chain ? makeChain(path, n) : makeTree(path, n))) {
            std::printf("%s %d: could not be made\n", qPrintable(args[i]), n);
            continue;
        }
        measure(chain ? "chain" : "tree", n, path);
    }
    return 0;
}
