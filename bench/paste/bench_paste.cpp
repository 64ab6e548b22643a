// Speed of a paste of tab-separated text into the section grid, as Ctrl+V does
// it (text parsed, every cell converted and checked, the block written in one
// transaction, the grid re-read), on the offscreen platform:
//
//   new        ROWS rows of 6 columns pasted into an empty section grid (every
//              row a new section with its key and default nodes);
//   over       the same block pasted over the first ROWS rows of a generated
//              network of ROWS sections;
//   refused    the block with its last cell refused (nothing kept).
//
//   volm_bench_paste [ROWS]
#include "bench/calc/network_generator.h"
#include "bench/support/bench_app.h"
#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/grid_clipboard.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using volm::bench::Clock;
using volm::bench::copyFile;
using volm::bench::seconds;

struct Outcome {
    double total = 0;
    int rows = 0;
    QString message;
};

Outcome timedPaste(const QString& programDir, const QString& calc, const QString& text) {
    volm::bench::nameInSettings(programDir, calc);
    volm::bench::QuietPerson person;
    volm::App app(programDir, person);
    if (!volm::bench::started(app, person)) return {};
    Outcome out;
    {
        volm::ui::DataGridModel model;
        model.setPerson(&person);
        model.setBlankRowWhenEmpty(true);
        volm::ui::DataGridView view;
        view.setGridModel(&model);
        model.setTable(app.dm.atTabl.get());
        view.resize(900, 600);
        view.show();
        volm::ui::GridEditing editing(app, &view);
        view.setCurrentIndex(model.index(0, model.columnOf(QStringLiteral("НачУзел"))));
        const auto start = Clock::now();
        editing.pasteText(text);
        QApplication::processEvents();
        out.total = seconds(start, Clock::now());
        out.rows = app.dm.atTabl->rowCount();
        out.message = person.messages.isEmpty() ? QString() : person.messages.last().left(60).replace(QLatin1Char('\r'), QLatin1Char(' '));
    }
    volm::shutDown(app);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir programDir, dataDir;
    const QDir bin(QStringLiteral(VOLM_BIN_DIR));
    if (!volm::bench::copyProgramFiles(bin.path(), programDir.path())) return 2;
    const QString network = dataDir.filePath(QStringLiteral("network.mdb"));
    if (!volm::bench::makeNetworkFile(bin.path(), network, rows)) return 2;
    const QString work = dataDir.filePath(QStringLiteral("work.mdb"));

    // Six columns from the start node on: both nodes and four entered numbers.
    QString text;
    for (int i = 1; i <= rows; ++i)
        text += QStringLiteral("%1\t%2\t12,5\t1 025,5\t150\t0,3\r\n").arg(i - 1).arg(i);
    QString refused = text;
    refused.chop(5);
    refused += QStringLiteral("0,3x\r\n");

    std::printf("%-8s %7s %9s %9s  %s\n", "paste", "rows", "seconds", "in grid", "message");
    auto row = [&](const char* name, const Outcome& o) {
        std::printf("%-8s %7d %9.3f %9d  %s\n", name, rows, o.total, o.rows, qPrintable(o.message));
    };
    copyFile(bin.filePath(QStringLiteral("GidrRas.mdb")), work);
    row("new", timedPaste(programDir.path(), work, text));
    copyFile(network, work);
    row("over", timedPaste(programDir.path(), work, text));
    copyFile(bin.filePath(QStringLiteral("GidrRas.mdb")), work);
    row("refused", timedPaste(programDir.path(), work, refused));
    return 0;
}
