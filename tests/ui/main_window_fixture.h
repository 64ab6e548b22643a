#pragma once
// The main window over a calculation of a few sections (section i runs from
// node i - 1 to node i, with key i), numbers shown with a decimal comma, the
// section grid's model checked by QAbstractItemModelTester.
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/grid_clipboard.h"
#include "ui/main_window.h"

#include <QAbstractItemModelTester>
#include <QtTest>
#include <functional>
#include <memory>

namespace volm::test {

using volm::App;
using volm::Database;
using volm::Table;
using volm::ui::GridEditing;
using volm::ui::TMainForm;

// The main window over a calculation of a few sections, numbers shown with a
// decimal comma.
struct MainWindowFixture {
    DialogsFixture f;
    std::unique_ptr<TMainForm> w;
    std::unique_ptr<QAbstractItemModelTester> tester;
    bool ok = false;

    // prepare runs on the calculation (in the transaction of the sections)
    // before the window is made.
    explicit MainWindowFixture(int sections, const QString& source = QStringLiteral("GidrRas.mdb"),
                               const std::function<void(Database&)>& prepare = {}) {
        ok = f.start(source);
        if (!ok) return;
        App& app = *f.app;
        app.locale = QLocale(QLocale::Russian, QLocale::Russia);
        app.SistRazdelitel = QLatin1Char(',');
        if (prepare) {
            prepare(app.dm.acGR);
            for (Table* t : {app.dm.atUzliTS.get(), app.dm.atNazvRasch.get(), app.dm.atTabl.get()})
                if (t) t->requery();
        }
        if (sections > 0) {
            app.dm.acGR.begin();
            for (int i = 1; i <= sections; ++i)
                app.dm.acGR.exec(
                    QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, РасхПод) VALUES (%1, %2, %3, %4, %5)")
                        .arg(i)
                        .arg(i - 1)
                        .arg(i)
                        .arg(i * 10)
                        .arg(QStringLiteral("%1.25").arg(i)));
            app.dm.acGR.commit();
            app.dm.atTabl->requery();
        }
        w = std::make_unique<TMainForm>(app);
        tester = std::make_unique<QAbstractItemModelTester>(w->glavnModel,
                                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
        w->resize(1016, 560);
        w->show();
        ok = QTest::qWaitForWindowExposed(w.get());
    }
    ~MainWindowFixture() {
        tester.reset();
        w.reset();
    }
    App& app() { return *f.app; }
    Table& sections() { return *f.app->dm.atTabl; }
    GridEditing* editing() { return w->DGGlavn->findChild<GridEditing*>(); }
    int column(const char* field) const { return w->glavnModel->columnOf(QString::fromUtf8(field)); }
    QVariant stored(int id, const QByteArray& field) {
        auto q = f.app->dm.acGR.query(QStringLiteral("SELECT [%1] FROM Табл WHERE id=%2").arg(QString::fromUtf8(field)).arg(id));
        q->open();
        return q->isEmpty() ? QVariant() : q->valueAt(0, 0);
    }
    int storedCount() {
        auto q = f.app->dm.acGR.query(QStringLiteral("SELECT count(*) FROM Табл"));
        q->open();
        return q->valueAt(0, 0).toInt();
    }
    void setCurrent(int row, const char* field) {
        w->DGGlavn->setFocus();
        w->DGGlavn->setCurrentIndex(w->glavnModel->index(row, column(field)));
    }
};


}  // namespace volm::test
