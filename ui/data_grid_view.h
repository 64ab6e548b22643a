#pragma once
// The view of every data grid: a table view over a DataGridModel that behaves
// like a database grid. The cursor's current row is the view's current row in
// both directions; leaving a row posts it (through the cursor's own before-post
// handler); moving below the last row or pressing Insert adds a row; Ctrl+Delete
// asks the cursor to delete, which the guarded tables refuse silently; Esc out of
// the cell editor cancels the row's changes. Enter moves down as the Down key
// does (committing the cell first), Tab and Shift+Tab move along the row.
// The narrow column on the left marks the current row (▶), a row being edited (I)
// and a row being inserted (*); the current cell has the focus frame.
// Where several rows can be selected, the selection is apart from the current
// row: rows are selected by Ctrl+click (one row on or off), Shift+click and
// Shift+arrow keys (the rows from the anchor) and select-all; a plain click or a
// plain move leaves every row unselected, and moving the cursor from the program
// leaves the selection as it is.
#include "ui/data_grid_model.h"

#include <QTableView>
#include <functional>

namespace volm::ui {

class DataGridDelegate;

class DataGridView : public QTableView {
    Q_OBJECT
public:
    explicit DataGridView(QWidget* parent = nullptr);

    void setGridModel(DataGridModel* model);
    DataGridModel* gridModel() const { return model_; }

    // Rows may be added from the keyboard (default: yes).
    void setAppendAllowed(bool allowed) { appendAllowed_ = allowed; }
    bool appendAllowed() const { return appendAllowed_; }
    // Width of the columns whose ColumnLook gives none.
    void setDefaultColumnWidth(int width);

    // The rows the person has selected, ascending (0-based).
    QList<int> selectedRowNumbers() const;
    void selectAllRows();

    // The cell editor: whether it is open, moving its text into the cursor, and
    // leaving it (the text is moved in first).
    bool isEditingCell() const;
    void flushEditor();
    void endEditing();
    // The grid or its cell editor has the input focus.
    bool hasFocusInside() const;

    // Asked first about every key pressed in the grid (copy, paste, clearing
    // cells); true when it acted on the key.
    std::function<bool(QKeyEvent*)> keyCommand;
    // The key as if pressed in the grid.
    void pressKey(int key);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followCursor(int row);
    void applyWidths();
    void appendBelow();
    // A click on a row's indicator: the row's cell in the current column is
    // clicked, and a plain click also marks the row alone.
    void indicatorPressed(QMouseEvent* event);

    DataGridModel* model_ = nullptr;
    DataGridDelegate* delegate_ = nullptr;
    bool appendAllowed_ = true;
    bool syncing_ = false;    // the view is moving the cursor, or following it
    bool arrowMove_ = false;  // the move in progress comes from the Up or Down key
    int defaultWidth_ = 100;
};

}  // namespace volm::ui
