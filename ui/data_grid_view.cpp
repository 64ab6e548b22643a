#include "ui/data_grid_view.h"

#include "ui/data_grid_delegate.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <algorithm>

namespace volm::ui {

DataGridView::DataGridView(QWidget* parent) : QTableView(parent) {
    delegate_ = new DataGridDelegate(this);
    setItemDelegate(delegate_);
    connect(delegate_, &DataGridDelegate::leftByKey, this, &DataGridView::pressKey);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(16);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->viewport()->installEventFilter(this);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
}

void DataGridView::setGridModel(DataGridModel* model) {
    if (model_) disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    setModel(model);
    if (!model_) return;
    connect(model_, &DataGridModel::cursorMoved, this, &DataGridView::followCursor);
    connect(model_, &DataGridModel::layoutReset, this, &DataGridView::applyWidths);
    applyWidths();
    if (model_->table()) followCursor(model_->table()->currentRow());
}

void DataGridView::setDefaultColumnWidth(int width) {
    defaultWidth_ = width;
    applyWidths();
}

void DataGridView::applyWidths() {
    if (!model_) return;
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int w = model_->lookOf(c).width;
        setColumnWidth(c, w > 0 ? w : defaultWidth_);
    }
}

QList<int> DataGridView::selectedRowNumbers() const {
    QList<int> rows;
    if (!selectionModel()) return rows;
    for (const QModelIndex& i : selectionModel()->selectedRows()) rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DataGridView::selectAllRows() {
    if (!model_ || model_->rowCount() == 0) return;
    QScopedValueRollback guard(syncing_, true);
    selectAll();
}

bool DataGridView::isEditingCell() const { return state() == QAbstractItemView::EditingState; }

void DataGridView::flushEditor() {
    if (QWidget* editor = delegate_->currentEditor(); editor && isEditingCell()) commitData(editor);
}

void DataGridView::endEditing() {
    QWidget* editor = delegate_->currentEditor();
    if (!editor || !isEditingCell()) return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool DataGridView::hasFocusInside() const {
    const QWidget* f = QApplication::focusWidget();
    return f && (f == this || isAncestorOf(f));
}

QItemSelectionModel::SelectionFlags DataGridView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    if (selectionMode() != QAbstractItemView::ExtendedSelection) return QTableView::selectionCommand(index, event);
    // A move made by the program, not by the person: the selection stays.
    if (!event) return QItemSelectionModel::NoUpdate;
    const auto rows = QItemSelectionModel::Rows;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        const Qt::KeyboardModifiers mods = mouse->modifiers();
        if (mods & Qt::ShiftModifier) return QTableView::selectionCommand(index, event);
        if (mods & Qt::ControlModifier)
            return event->type() == QEvent::MouseButtonPress ? QItemSelectionModel::Toggle | rows
                                                              : QItemSelectionModel::NoUpdate;
        // A plain click leaves the row current and every row unselected.
        return event->type() == QEvent::MouseButtonPress ? QItemSelectionModel::Clear : QItemSelectionModel::NoUpdate;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // Shift extends the selection from the anchor; Ctrl moves and keeps it;
            // a plain move to another row leaves no row selected.
            if (key->modifiers() & Qt::ShiftModifier) return QTableView::selectionCommand(index, event);
            if (key->modifiers() & Qt::ControlModifier) return QItemSelectionModel::NoUpdate;
            return QItemSelectionModel::Clear;
        case Qt::Key_Home:
        case Qt::Key_End:
            // With Ctrl to the first or last row, otherwise along the row.
            return key->modifiers() & Qt::ControlModifier ? QItemSelectionModel::Clear : QItemSelectionModel::NoUpdate;
        default:  // moves along the row, Tab and the rest keep the selection
            return QItemSelectionModel::NoUpdate;
        }
    }
    default:
        return QItemSelectionModel::NoUpdate;
    }
}

void DataGridView::pressKey(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    keyPressEvent(&press);
}

void DataGridView::keyPressEvent(QKeyEvent* event) {
    if (keyCommand && keyCommand(event)) {
        event->accept();
        return;
    }
    Table* t = model_ ? model_->table() : nullptr;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    // Alt+Down or F4 on a cell with a drop-down list opens the cell with its list.
    const bool listKey = (event->key() == Qt::Key_F4 && mods == Qt::NoModifier) ||
                         (event->key() == Qt::Key_Down && mods == Qt::AltModifier);
    if (t && t->isOpen() && listKey && !isEditingCell() && currentIndex().isValid() &&
        !model_->lookOf(currentIndex().column()).pickList.isEmpty()) {
        edit(currentIndex());
        if (auto* combo = qobject_cast<QComboBox*>(delegate_->currentEditor())) combo->showPopup();
        event->accept();
        return;
    }
    if (t && t->isOpen()) {
        switch (event->key()) {
        case Qt::Key_Insert:
            if (mods == Qt::NoModifier && appendAllowed_ && !model_->isReadOnly()) {
                endEditing();
                model_->insertRow();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Delete:
            if (mods == Qt::ControlModifier) {
                endEditing();
                model_->removeCurrentRow();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Down:
            if (mods == Qt::NoModifier && appendAllowed_ && !model_->isReadOnly() &&
                (model_->rowCount() == 0 || currentIndex().row() == model_->rowCount() - 1)) {
                appendBelow();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Up:
            // Up on the first row goes nowhere, but leaves the row all the same.
            if (mods == Qt::NoModifier && currentIndex().row() == 0) {
                endEditing();
                // A new row nothing was typed into goes, as it does when left downward.
                if (t->editing()) t->modified() ? model_->postRow() : model_->cancelRow();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Escape:
            if (!isEditingCell() && t->editing()) {
                model_->cancelRow();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // As in a spreadsheet: down to the next row (the editor, if open, commits first).
            if (mods == Qt::NoModifier) {
                endEditing();
                pressKey(Qt::Key_Down);
                event->accept();
                return;
            }
            break;
        default: break;
        }
    }
    QScopedValueRollback arrow(arrowMove_, event->key() == Qt::Key_Up || event->key() == Qt::Key_Down);
    QTableView::keyPressEvent(event);
}

// A click on another row while this one is being edited: the row is left
// first (storing it may move rows), and the click then goes to the record
// clicked wherever it now stands, so that a Ctrl+click marks that record.
void DataGridView::mousePressEvent(QMouseEvent* event) {
    Table* t = model_ ? model_->table() : nullptr;
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!t || !t->isOpen() || !t->editing() || !at.isValid() || at.row() == currentIndex().row() ||
        event->button() != Qt::LeftButton)
        return QTableView::mousePressEvent(event);
    const QPersistentModelIndex clicked(at);
    endEditing();
    bool left = false;
    {
        QScopedValueRollback guard(syncing_, true);
        left = model_->moveTo(at.row());
    }
    // A row that refused to be left stays current (its refusal said why once);
    // a record clicked that went (a new row left untouched) takes no click.
    if (!left || !clicked.isValid()) return;
    scrollTo(clicked);
    const QPointF pos = QRectF(visualRect(clicked)).center();
    QMouseEvent again(event->type(), pos, mapToGlobal(pos), event->button(), event->buttons(), event->modifiers());
    QTableView::mousePressEvent(&again);
}

bool DataGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != verticalHeader()->viewport()) return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) indicatorPressed(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return true;  // no editing and no dragged selection from the indicators
    default:
        return QTableView::eventFilter(watched, event);
    }
}

// Ctrl+click on the indicator toggles the row's mark and Shift+click marks the
// rows from the anchor, as on a cell; a plain click, which on a cell leaves
// every row unmarked, marks the row clicked alone.
void DataGridView::indicatorPressed(QMouseEvent* event) {
    if (!model_) return;
    const int row = verticalHeader()->logicalIndexAt(event->position().toPoint().y());
    if (row < 0) return;
    int column = currentIndex().isValid() ? currentIndex().column() : -1;
    if (column < 0 || isColumnHidden(column) || !viewport()->rect().contains(visualRect(model_->index(row, column)).center()))
        column = columnAt(0);
    if (column < 0) return;
    const QPersistentModelIndex clicked(model_->index(row, column));
    setFocus(Qt::MouseFocusReason);
    const QPointF pos = QRectF(visualRect(clicked)).center();
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    QMouseEvent press(QEvent::MouseButtonPress, pos, mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton, mods);
    mousePressEvent(&press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, mapToGlobal(pos), Qt::LeftButton, Qt::NoButton, mods);
    mouseReleaseEvent(&release);
    // The click may have been refused (the row left could not be stored), or
    // moved the record clicked: only the record itself is marked.
    if (mods == Qt::NoModifier && selectionMode() == QAbstractItemView::ExtendedSelection && clicked.isValid() &&
        currentIndex().row() == clicked.row())
        selectionModel()->select(QModelIndex(clicked), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// Down on the last row: a new row after it, unless the row being inserted there
// is still untouched. When leaving the last row stored it through the cursor's
// own handler (which refuses the post after storing), the row is added now.
void DataGridView::appendBelow() {
    Table* t = model_->table();
    endEditing();
    if (t->state() == Table::State::Insert && !t->modified()) return;
    if (model_->appendRow()) return;
    if (t->isOpen() && !t->editing()) model_->appendRow();
}

void DataGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);  // the editor of the cell left commits first
    if (syncing_ || !model_ || !current.isValid() || model_->changing()) return;
    Table* t = model_->table();
    if (!t || !t->isOpen() || current.row() == t->currentRow()) return;
    const int row = current.row();
    const int column = current.column();
    const qint64 wanted = t->rowidAt(row);
    {
        QScopedValueRollback guard(syncing_, true);
        if (!model_->moveTo(row) && !arrowMove_ && wanted != 0 && t->isOpen() && !t->editing()) {
            // The row left was stored by its own handler, which chose where to
            // land for the arrow keys; a click or a page key asked for this row.
            try {
                t->locate(wanted);
            } catch (...) {
            }
        }
    }
    // Show where the cursor is now (it may have refused to leave, or landed elsewhere).
    const int now = t->isOpen() ? t->currentRow() : -1;
    if (now >= 0 && now < model_->rowCount() && now != currentIndex().row()) {
        QScopedValueRollback guard(syncing_, true);
        const QModelIndex idx = model_->index(now, std::max(0, column));
        setCurrentIndex(idx);  // selects it only where one row at a time is selected
        scrollTo(idx);
    }
    if (t->isOpen() && !t->editing() && isEditingCell()) endEditing();
}

void DataGridView::followCursor(int row) {
    if (syncing_ || !model_ || !selectionModel()) return;
    if (row < 0 && model_->rowCount() == 1 && model_->isBlankRow(0)) row = 0;  // an emptied grid: typing starts a row
    if (row < 0 || row >= model_->rowCount() || model_->columnCount() == 0) return;
    if (currentIndex().isValid() && currentIndex().row() == row) return;
    QScopedValueRollback guard(syncing_, true);
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex idx = model_->index(row, column);
    setCurrentIndex(idx);  // selects it only where one row at a time is selected
    scrollTo(idx);
}

}  // namespace volm::ui
