// Speed of undo and redo of large steps on a generated network of SECTIONS
// sections shown in the section grid, on the offscreen platform:
//
//   paste      ROWS rows of 6 columns pasted as Ctrl+V does it over the first
//              ROWS sections (one step);
//   append     the same numbers pasted from the last section on (ROWS - 1 new
//              sections after it);
//   sizing     the diameter of every section rewritten in one transaction, as
//              sizing writes its choice (one step);
//   formulas   a session of the formulas window: a table indicator added, the
//              formulas checked and the tables rebuilt with its column (one
//              step holding the section table whole, before and after).
//
// For each: the seconds of the command, of its undo and of its redo (the file
// written, the grid's cursor re-read), and the step's memory estimate.
//
//   volm_bench_undo [SECTIONS [ROWS]]
#include "bench/calc/network_generator.h"
#include "bench/support/bench_app.h"
#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/change_record.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/grid_clipboard.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

using volm::bench::Clock;
using volm::bench::copyFile;
using volm::bench::seconds;

void timedStep(const char* name, const QString& programDir, const QString& calc,
               const std::function<void(volm::App&, volm::ui::DataGridView&, volm::ui::GridEditing&)>& command) {
    volm::bench::nameInSettings(programDir, calc);
    volm::bench::QuietPerson person;
    volm::App app(programDir, person);
    if (!volm::bench::started(app, person)) return;
    {
        volm::ui::DataGridModel model;
        model.setPerson(&person);
        volm::ui::DataGridView view;
        view.setGridModel(&model);
        model.setTable(app.dm.atTabl.get());
        view.resize(900, 600);
        view.show();
        volm::ui::GridEditing editing(app, &view);
        app.changes.attach(app.dm.acGR);
        auto start = Clock::now();
        command(app, view, editing);
        QApplication::processEvents();
        const double done = seconds(start, Clock::now());
        std::vector<volm::ChangeSet> steps = app.changes.takeSteps();
        if (steps.size() != 1) {
            std::printf("%-8s  %zu steps recorded, not one\n", name, steps.size());
            return;
        }
        start = Clock::now();
        volm::applyChangeSet(app, steps[0], true);
        QApplication::processEvents();
        const double undone = seconds(start, Clock::now());
        start = Clock::now();
        volm::applyChangeSet(app, steps[0], false);
        QApplication::processEvents();
        const double redone = seconds(start, Clock::now());
        std::printf("%-8s %7zu %9.3f %9.3f %9.3f %9.1f  %s\n", name, steps[0].order.size(), done, undone, redone,
                    double(steps[0].bytes()) / (1 << 20), qPrintable(steps[0].text));
    }
    volm::shutDown(app);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int sections = argc > 1 ? std::atoi(argv[1]) : 30000;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 10000;
    QTemporaryDir programDir, dataDir;
    const QDir bin(QStringLiteral(VOLM_BIN_DIR));
    if (!volm::bench::copyProgramFiles(bin.path(), programDir.path())) return 2;
    const QString network = dataDir.filePath(QStringLiteral("network.mdb"));
    if (!volm::bench::makeNetworkFile(bin.path(), network, sections)) return 2;
    const QString work = dataDir.filePath(QStringLiteral("work.mdb"));

    QString text;
    for (int i = 1; i <= rows; ++i) text += QStringLiteral("%1\t%2\t12,5\t1 025,5\t150\t0,3\r\n").arg(i - 1).arg(i);
    auto paste = [&](int firstRow) {
        return [&text, firstRow](volm::App&, volm::ui::DataGridView& view, volm::ui::GridEditing& editing) {
            auto* m = view.gridModel();
            view.setCurrentIndex(m->index(firstRow < 0 ? m->rowCount() - 1 : firstRow, m->columnOf(QStringLiteral("НачУзел"))));
            if (firstRow < 0) {
                // From the last section on: the block goes into new rows
                // below it, the nodes of each given by the new row's defaults.
                QString numbers;
                for (int i = text.count(QLatin1Char('\n')); i > 0; --i)
                    numbers += QStringLiteral("\t\t12,5\t1 025,5\t150\t0,3\r\n");
                editing.pasteText(numbers);
            } else {
                editing.pasteText(text);
            }
        };
    };

    std::printf("%d sections, %d rows pasted\n", sections, rows);
    std::printf("%-8s %7s %9s %9s %9s %9s  %s\n", "step", "rows", "command", "undo", "redo", "MB", "text");
    copyFile(network, work);
    timedStep("paste", programDir.path(), work, paste(0));
    copyFile(network, work);
    timedStep("append", programDir.path(), work, paste(-1));
    copyFile(network, work);
    timedStep("sizing", programDir.path(), work, [](volm::App& app, volm::ui::DataGridView&, volm::ui::GridEditing&) {
        volm::RecordedStep step(app.changes, QStringLiteral("подбор диаметров"));
        volm::Transaction tx(app.dm.acGR);
        app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET Ду = Ду + 25"));
        tx.commit();
    });
    copyFile(network, work);
    timedStep("formulas", programDir.path(), work, [](volm::App& app, volm::ui::DataGridView&, volm::ui::GridEditing&) {
        volm::RecordedStep step(app.changes, QStringLiteral("изменение расчетных формул"));
        app.dm.acGR.exec(QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, "
                                        "ВывВОтчТабл) VALUES (99, 'Коэффициент', 'Кш', True, True, Null, True)"));
        if (volm::ProveritFormuli(app)) volm::NastroitStrukturuTablic(app);
    });
    return 0;
}
