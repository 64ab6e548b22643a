// Speed of typing into the section grid of a generated network, with key
// strokes on the grid as the person presses them (offscreen platform):
//
//   cell       a number typed into a section's length and Down: the cell
//              stored and the next row current;
//   node       a start node typed and Down under the order by section
//              numbers: the row stored and moved to its new place;
//   new row    a length typed into a new row at the bottom and Down: the
//              section added and the next new row started;
//   sort       the order switched between the internal counter and the
//              section numbers;
//   paste      Ctrl+V of one number into a section's length;
//   clear      Delete on a section's length.
//
// Each is repeated; the median and the slowest time are printed.
//
//   volm_bench_typing [SECTIONS]
#include "bench/calc/network_generator.h"
#include "bench/support/bench_app.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/grid_clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using volm::bench::Clock;
using volm::bench::copyFile;
using volm::bench::seconds;

struct Grid {
    volm::ui::DataGridModel model;
    volm::ui::DataGridView view;
    volm::Table* sections = nullptr;
    volm::ui::GridEditing* editing = nullptr;

    explicit Grid(volm::App& app) {
        editing = new volm::ui::GridEditing(app, &view);
        model.setPerson(&app.person());
        model.setBlankRowWhenEmpty(true);
        view.setGridModel(&model);
        sections = app.dm.atTabl.get();
        model.setTable(sections);
        view.resize(900, 600);
        view.show();
        view.activateWindow();
        QApplication::processEvents();
        view.setFocus();
    }
    void go(int row, const char* field) {
        const QModelIndex i = model.index(row, model.columnOf(QString::fromUtf8(field)));
        view.setCurrentIndex(i);
        view.scrollTo(i);
        QApplication::processEvents();
    }
    void type(const QString& text) {
        for (QChar c : text) QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &view, c.toLatin1());
    }
    // The time of a key (one that leaves the cell, or a command's).
    double leave(Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : &view;
        const auto start = Clock::now();
        QTest::keyClick(to, key, mods);
        QApplication::processEvents();
        return seconds(start, Clock::now());
    }
};

struct Times {
    std::vector<double> ms;
    void add(double s) { ms.push_back(s * 1000); }
    void print(const char* name, int sections) {
        std::sort(ms.begin(), ms.end());
        std::printf("%-9s %8d %6zu %9.1f %9.1f\n", name, sections, ms.size(), ms[ms.size() / 2], ms.back());
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int sections = argc > 1 ? std::atoi(argv[1]) : 30000;
    QTemporaryDir work;
    const QString programDir = volm::bench::programFolder(work, QStringLiteral(VOLM_BIN_DIR));
    const QString calc = QDir(work.path()).filePath(QStringLiteral("network.mdb"));
    copyFile(QDir(QStringLiteral(VOLM_BIN_DIR)).filePath(QStringLiteral("GidrRas.mdb")), calc);
    volm::bench::generateNetwork(calc, sections);
    volm::bench::nameInSettings(programDir, calc);
    volm::bench::QuietPerson person;
    volm::App app(programDir, person);
    if (!volm::bench::started(app, person)) return 2;
    std::printf("%-9s %8s %6s %9s %9s\n", "typing", "sections", "times", "median ms", "max ms");
    {
        Grid g(app);
        const int n = g.sections->rowCount();
        Times cell, node, added, sort;
        for (int k = 0; k < 20; ++k) {
            g.go(n / 3 + k * 7, "ДлНаУчПод");
            g.type(QStringLiteral("12,5"));
            cell.add(g.leave(Qt::Key_Down));
        }
        cell.print("cell", n);

        for (int k = 0; k < 10; ++k) {
            const auto start = Clock::now();
            g.sections->setSort(k % 2 ? QStringLiteral("id ASC") : QStringLiteral("НачУзел ASC, КонУзел ASC"));
            QApplication::processEvents();
            sort.add(seconds(start, Clock::now()));
        }
        sort.print("sort", n);

        g.sections->setSort(QStringLiteral("НачУзел ASC, КонУзел ASC"));
        for (int k = 0; k < 20; ++k) {
            g.go(n / 2 + k * 11, "НачУзел");
            g.type(QString::number(100 + k * 997));
            node.add(g.leave(Qt::Key_Down));
        }
        node.print("node", n);

        Times paste, clear;
        QApplication::clipboard()->setText(QStringLiteral("7,5\n"));
        for (int k = 0; k < 20; ++k) {
            g.go(n / 4 + k * 5, "ДлНаУчПод");
            paste.add(g.leave(Qt::Key_V, Qt::ControlModifier));
            clear.add(g.leave(Qt::Key_Delete));
        }
        paste.print("paste", n);
        clear.print("clear", n);

        g.sections->setSort(QStringLiteral("id ASC"));
        g.go(g.model.rowCount() - 1, "ДлНаУчПод");
        g.leave(Qt::Key_Down);  // the first new row
        for (int k = 0; k < 20; ++k) {
            g.type(QStringLiteral("100"));
            added.add(g.leave(Qt::Key_Down));
        }
        added.print("new row", n);
    }
    volm::shutDown(app);
    return 0;
}
