#pragma once
// The main window's section grid driven as the person drives it: clicks on
// cells and on toolbar buttons, and key strokes sent where the focus is (the
// grid, or the editor of the cell being typed into).
#include "tests/ui/main_window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>
#include <QtTest>

namespace volm::test {

using volm::ui::DataGridView;

// Nodes 0 to 10 with the start node 1, as the initial-data dialog leaves them.
inline void nodesUpToTen(Database& db) {
    for (int n = 0; n <= 10; ++n) db.exec(QStringLiteral("INSERT INTO УзлыТС (Nуз) VALUES (%1)").arg(n));
    db.exec(QStringLiteral("UPDATE НазвРасч SET NНачУз = 1"));
}

struct Typing : MainWindowFixture {
    explicit Typing(int sections, const std::function<void(Database&)>& prepare = nodesUpToTen)
        : MainWindowFixture(sections, QStringLiteral("GidrRas.mdb"), prepare) {
        if (!ok) return;
        w->activateWindow();
        ok = QTest::qWaitForWindowActive(w.get());
    }
    DataGridView* grid() { return w->DGGlavn; }

    void click(int row, const char* field, Qt::KeyboardModifiers mods = {}) {
        const QModelIndex i = w->glavnModel->index(row, column(field));
        grid()->scrollTo(i);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, mods, grid()->visualRect(i).center());
        QCoreApplication::processEvents();
    }
    // A key as pressed: it goes where the focus is (the grid or a cell's editor).
    void press(int key, Qt::KeyboardModifiers mods = {}) {
        QWidget* to = QApplication::focusWidget();
        QTest::keyClick(to ? to : grid(), Qt::Key(key), mods);
        QCoreApplication::processEvents();
    }
    void type(const QString& text) {
        for (QChar c : text) {
            QWidget* to = QApplication::focusWidget();
            QTest::keyClick(to ? to : grid(), c.toLatin1());
        }
        QCoreApplication::processEvents();
    }
    void clickTool(QAction* action) {
        QWidget* button = w->ToolBar1->widgetForAction(action);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    // The keys of the file's sections, ascending.
    QList<int> storedKeys() {
        auto q = f.app->dm.acGR.query(QStringLiteral("SELECT id FROM Табл ORDER BY id"));
        q->open();
        QList<int> keys;
        for (int r = 0; r < q->rowCount(); ++r) keys << q->valueAt(r, 0).toInt();
        return keys;
    }
};


}  // namespace volm::test
