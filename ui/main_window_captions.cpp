// TMainForm: the caption boxes above the header grid and the section grid, which
// show the full names of the indicators whose columns are under them and follow
// their grid as it scrolls, its columns are resized, moved, shown or hidden and
// the grid itself is resized.
#include "ui/main_window.h"

#include "store/command.h"
#include "ui/caption_strip.h"
#include "ui/result_columns.h"
#include "ui/data_grid_view.h"

#include <QHeaderView>
#include <QScrollBar>

namespace volm::ui {

namespace {

// A caption box's point lies this far into the column place under it.
constexpr int kCaptionPointOffset = 12;

QString captionText(const Table* captions, int column) {
    if (!captions || !captions->isOpen() || captions->isEmpty() || column <= 0) return {};
    const int f = captions->fieldIndex(QStringLiteral("П") + QString::number(column));
    if (f < 0) return {};
    const QVariant v = captions->valueAt(0, f);
    return v.isNull() ? QString() : v.toString();
}

// The left edge of a grid's first column place, in the grid's coordinates (the
// grid may be hidden at the moment).
int firstColumnX(const DataGridView* g) {
    return g->frameWidth() + (g->verticalHeader()->isHidden() ? 0 : g->verticalHeader()->width());
}

}  // namespace

// Caption box k stands over the k-th column place of its grid.
void TMainForm::placeCaptionStrips() {
    gbZag->setOrigin(firstColumnX(DGZag));
    gbGlavn->setOrigin(firstColumnX(DGGlavn));
}

int TMainForm::columnUnder(const DataGridView* grid, int x) {
    if (!grid || !grid->isVisibleTo(grid->window()) || x < 0 || x >= grid->width()) return 0;
    const int origin = firstColumnX(grid);
    if (x < origin) return 0;
    const int c = grid->columnAt(x - origin);
    return c < 0 ? 0 : c + 1;
}

void TMainForm::ObnovitZagolovki(DataGridView* grid) {
    const bool header = grid == DGZag;
    CaptionStrip* strip = header ? gbZag : gbGlavn;
    const Table* captions = header ? app_.dm.atVKolZag.get() : app_.dm.atVKolTabl.get();
    for (int k = 1; k <= strip->count(); ++k) {
        const int x = strip->origin() + kCaptionPointOffset + strip->pitch() * (k - 1);
        const int column = columnUnder(grid, x);
        QString text = captionText(captions, column);
        if (text.isEmpty() && results_) text = results_->caption(header, column);
        strip->setText(k, text);
    }
}

void TMainForm::followWithCaptions(DataGridView* grid) {
    auto refresh = [this, grid] { refreshCaptions(grid); };
    const QScrollBar* bar = grid->horizontalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, refresh);
    connect(bar, &QScrollBar::rangeChanged, this, refresh);
    const QHeaderView* columns = grid->horizontalHeader();
    connect(columns, &QHeaderView::sectionResized, this, refresh);
    connect(columns, &QHeaderView::sectionMoved, this, refresh);
    connect(columns, &QHeaderView::sectionCountChanged, this, refresh);
    connect(columns, &QHeaderView::geometriesChanged, this, refresh);
    // The row numbers widen with the rows: the first column place moves right.
    connect(grid->verticalHeader(), &QHeaderView::geometriesChanged, this, [this, grid] {
        placeCaptionStrips();
        refreshCaptions(grid);
    });
    connect(grid == DGZag ? gbZag : gbGlavn, &CaptionStrip::boxesAdded, this, refresh);
    grid->installEventFilter(this);  // its resizes
}

// The captions follow from the end of start-up on, except while the window is
// locked, the formulas are not checked, or after a failure to show them (until
// the next unlock).
void TMainForm::refreshCaptions(DataGridView* grid) {
    if (!captionsFollow_ || !app_.FormuliProvereny) return;
    const bool shown = runReported(app_.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при выводе наименований показателей таблицы расчета.");
        if (grid != DGGlavn) ObnovitZagolovki(DGZag);
        if (grid != DGZag) ObnovitZagolovki(DGGlavn);
    });
    if (!shown) captionsFollow_ = false;
}

}  // namespace volm::ui
