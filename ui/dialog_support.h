#pragma once
// What the dialogs share: the font sizes of the settings applied to their grids
// and text areas (the data size for cells and text, the title size for grid title
// rows), centring on the desktop, and texts with single-CR line breaks made fit
// for a text area.
#include "store/app.h"
#include "ui/data_grid_model.h"

#include <Qt>

class QLabel;
class QTableView;
class QWidget;

namespace volm::ui {

// The font sizes of the settings row (readFontSizes); the defaults where the
// settings are not open.
FontSizes dialogFontSizes(App& app);

// Cells in the data size, the title row in the title size.
void applyGridFont(QTableView* view, const FontSizes& sizes);

// Widens the columns of a data grid whose titles do not fit their width.
void fitColumnTitles(class DataGridView* view);

// A text area in the data size.
void applyTextFont(QWidget* text, const FontSizes& sizes);

// A grid column with its title and width, its values centred.
ColumnLook centredColumn(const QString& title, int width);

// A bold label, larger by extraPoints than the widget font, for grid titles and
// column heads of the dialogs.
QLabel* boldLabel(const QString& text, QWidget* parent, int extraPoints = 0, Qt::Alignment alignment = {});

// Places a top-level window in the middle of the screen it is on.
void centreOnScreen(QWidget* w);

// Line breaks CR LF, CR alone and LF alone all become LF.
QString plainLines(QString text);

}  // namespace volm::ui
