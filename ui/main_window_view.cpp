// TMainForm: the grids as a spreadsheet user expects them (copy, paste and
// clearing of cells, the blank row of an empty section grid, node columns wide
// enough for their numbers) and the "Вид" menu with the computed indicators.
#include "ui/main_window.h"

#include "store/command.h"
#include "store/view_options.h"
#include "ui/computed_columns_dialog.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/grid_clipboard.h"
#include "ui/result_columns.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace volm::ui {

void TMainForm::setUpGridEditing() {
    new GridEditing(app_, DGZag);
    auto* sections = new GridEditing(app_, DGGlavn);
    sections->setKeyFields({QStringLiteral("id"), QStringLiteral("НачУзел"), QStringLiteral("КонУзел")});
    glavnModel->setBlankRowWhenEmpty(true);
    auto* resultsLine = new QLabel;
    resultsLine->setObjectName(QStringLiteral("lbResultsState"));
    resultsLine->hide();
    statusBar()->addPermanentWidget(resultsLine);
    results_ = new ResultColumns(app_, zagModel, glavnModel, resultsLine, this);
}

void TMainForm::buildViewMenu() {
    miVidRaschPok = new QAction(QStringLiteral("Показывать рассчитанные показатели"), this);
    miVidRaschPok->setCheckable(true);
    connect(miVidRaschPok, &QAction::toggled, this, [this](bool on) {
        if (!results_ || on == results_->shown()) return;
        DGZag->endEditing();
        DGGlavn->endEditing();
        results_->setShown(on);
        widenNodeColumns();
        refreshCaptions();
    });
    miVidStolbtsy = new QAction(QStringLiteral("Столбцы..."), this);
    miVidStolbtsy->setObjectName(QStringLiteral("miVidStolbtsy"));
    connect(miVidStolbtsy, &QAction::triggered, this, &TMainForm::chooseComputedColumns);
    auto* view = new QMenu(QStringLiteral("&Вид"), this);
    view->addAction(miVidRaschPok);
    view->addAction(miVidStolbtsy);
    // The choice belongs to a calculation: none, nothing to choose.
    connect(view, &QMenu::aboutToShow, this, [this] { miVidStolbtsy->setEnabled(app_.dm.acGR.isOpen()); });
    // After "Правка", where desktop programs keep it.
    QAction* before = nullptr;
    const QList<QAction*> menus = menuBar()->actions();
    for (int i = 0; i + 1 < menus.size(); ++i)
        if (menus[i]->text() == QStringLiteral("&Правка")) before = menus[i + 1];
    if (before) menuBar()->insertMenu(before, view);
    else menuBar()->addMenu(view);
}

void TMainForm::chooseComputedColumns() {
    if (!results_ || !app_.dm.acGR.isOpen()) return;
    DGZag->endEditing();
    DGGlavn->endEditing();
    ComputedColumnsDialog dlg(results_->offeredSectionColumns(), computedColumnChoice(app_.dm.acGR), this);
    if (dlg.exec() != QDialog::Accepted) return;
    const bool kept = runReported(app_.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при сохранении выбора столбцов в файле расчета.");
        // A choice of what to show, no change of the data: no step.
        RecordingPause noStep(app_.changes);
        setComputedColumnChoice(app_.dm.acGR, dlg.choice());
    });
    if (!kept) return;
    if (!results_->shown()) {
        miVidRaschPok->setChecked(true);  // shows the columns just chosen
        return;
    }
    applyResultColumns();
    refreshCaptions(DGGlavn);
}

void TMainForm::applyResultColumns() {
    if (results_) results_->apply();
    widenNodeColumns();
}

// Five-digit node numbers fit their columns whatever the font.
void TMainForm::widenNodeColumns() {
    auto widen = [](DataGridModel* model, DataGridView* view) {
        const int need = QFontMetrics(view->font()).horizontalAdvance(QStringLiteral("99999")) + 14;
        for (const QString& field : {QStringLiteral("НачУзел"), QStringLiteral("КонУзел")}) {
            const int c = model->columnOf(field);
            if (c < 0) continue;
            ColumnLook look = model->lookOf(c);
            if (look.width >= need) continue;
            look.width = need;
            model->setColumnLook(field, look);
        }
    };
    widen(nuModel, DGNU);
    widen(glavnModel, DGGlavn);
    int width = DGNU->verticalHeader()->width() + 2 * DGNU->frameWidth();
    for (int c = 0; c < nuModel->columnCount(); ++c) width += DGNU->columnWidth(c);
    pnLeft->setMaximumWidth(std::max(147, width));
}

}  // namespace volm::ui
