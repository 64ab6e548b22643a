// TMainForm: the caption boxes above the header grid and the section grid, which
// show the full names of the indicators whose columns are under them and follow
// horizontal scrolling through the 55 ms caption timer.
#include "ui/main_window.h"

#include "store/command.h"
#include "store/errors.h"
#include "ui/caption_strip.h"
#include "ui/data_grid_view.h"

#include <QHeaderView>
#include <QTimer>

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
        strip->setText(k, captionText(captions, columnUnder(grid, x)));
    }
}

void TMainForm::Timer1Timer() {
    if (!app_.FormuliProvereny) return;
    try {
        const int zag = columnUnder(DGZag, gbZag->origin() + kCaptionPointOffset);
        if (zag != state_.PervKolZag) {
            ObnovitZagolovki(DGZag);
            state_.PervKolZag = zag;
        }
        const int tabl = columnUnder(DGGlavn, gbGlavn->origin() + kCaptionPointOffset);
        if (tabl != state_.PervKolTabl) {
            ObnovitZagolovki(DGGlavn);
            state_.PervKolTabl = tabl;
        }
    } catch (const Error& e) {
        Timer1->stop();
        app_.person().message(standardReport(
            QStringLiteral("Ошибка при выводе наименований показателей таблицы расчета."), e.className(), e.message()));
    } catch (const std::exception& e) {
        Timer1->stop();
        app_.person().message(standardReport(QStringLiteral("Ошибка при выводе наименований показателей таблицы расчета."),
                                             QStringLiteral("Exception"), QString::fromUtf8(e.what())));
    }
}

}  // namespace volm::ui
