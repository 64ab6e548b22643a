#include "ui/grid_clipboard.h"

#include "store/app.h"
#include "store/cell_entry.h"
#include "store/errors.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QKeySequence>
#include <algorithm>

namespace volm::ui {

QString tabText(const std::vector<QStringList>& rows) {
    QString out;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (const QString& c : row) {
            if (c.contains(QLatin1Char('\t')) || c.contains(QLatin1Char('\n')) || c.contains(QLatin1Char('\r')) ||
                c.contains(QLatin1Char('"'))) {
                QString q = c;
                q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
                cells << QLatin1Char('"') + q + QLatin1Char('"');
            } else {
                cells << c;
            }
        }
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

std::vector<QStringList> parseTabText(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;     // inside a quoted cell
    bool cellStart = true;
    const int n = int(text.size());
    auto endCell = [&] {
        row << cell;
        cell.clear();
        cellStart = true;
    };
    auto endRow = [&] {
        endCell();
        rows.push_back(row);
        row.clear();
    };
    for (int i = 0; i < n; ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    cell += ch;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += ch;
            }
            continue;
        }
        if (cellStart && ch == QLatin1Char('"')) {
            quoted = true;
            cellStart = false;
            continue;
        }
        cellStart = false;
        if (ch == QLatin1Char('\t')) {
            endCell();
        } else if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            if (ch == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
            endRow();
        } else {
            cell += ch;
        }
    }
    if (!cell.isEmpty() || !row.isEmpty() || quoted) endRow();
    return rows;
}

namespace {

// The name of a paste's step: "вставка 12 участков".
QString pasteStepText(const Table& t, int rows) {
    if (t.tableName() == QStringLiteral("Табл"))
        return QStringLiteral("вставка ") +
               countText(rows, QStringLiteral("участка"), QStringLiteral("участков"), QStringLiteral("участков"));
    return QStringLiteral("вставка ") +
           countText(rows, QStringLiteral("строки"), QStringLiteral("строк"), QStringLiteral("строк"));
}

}  // namespace

GridEditing::GridEditing(App& app, DataGridView* view) : QObject(view), app_(app), view_(view) {
    view_->keyCommand = [this](QKeyEvent* e) { return key(e); };
}

bool GridEditing::key(QKeyEvent* event) {
    if (view_->isEditingCell()) return false;
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return true;
    }
    if (event->key() == Qt::Key_Delete && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        clearCells();
        return true;
    }
    return false;
}

bool GridEditing::editable(int column) const {
    const DataGridModel* m = view_->gridModel();
    return m && column >= 0 && column < m->columnCount() && (m->flags(m->index(0, column)) & Qt::ItemIsEditable) &&
           !m->lookOf(column).readOnly;
}

QString GridEditing::columnName(int column) const {
    const DataGridModel* m = view_->gridModel();
    const QString title = m->headerData(column, Qt::Horizontal).toString();
    const QString full = m->lookOf(column).toolTip;
    return full.isEmpty() || full == title ? title : title + QStringLiteral(" (") + full + QLatin1Char(')');
}

QString GridEditing::copyText() const {
    const DataGridModel* m = view_->gridModel();
    if (!m || !m->table()) return {};
    std::vector<QStringList> rows;
    const QList<int> selected = view_->selectedRowNumbers();
    if (selected.isEmpty()) {
        const QModelIndex cur = view_->currentIndex();
        if (!cur.isValid() || m->isBlankRow(cur.row())) return {};
        rows.push_back({m->displayText(cur.row(), cur.column())});
    } else {
        for (int r : selected) {
            if (m->isBlankRow(r)) continue;
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c) cells << m->displayText(r, c);
            rows.push_back(cells);
        }
    }
    return tabText(rows);
}

void GridEditing::copy() const {
    const QString text = copyText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

bool GridEditing::paste() { return pasteText(QApplication::clipboard()->text()); }

// The pending edit reaches the file first; the row to start from is then the
// cursor's (a blank row or an untouched new row: the first new row after the last).
bool GridEditing::prepare(int& firstRow) {
    DataGridModel* m = view_->gridModel();
    Table* t = m ? m->table() : nullptr;
    if (!t || !t->isOpen() || m->isReadOnly() || t->readOnly()) return false;
    view_->endEditing();
    // A new row left untouched goes, and the block goes into new rows in its
    // place: never over the rows it was started beside.
    const bool untouchedNewRow = t->state() == Table::State::Insert && !t->modified();
    if (untouchedNewRow && !m->cancelRow()) return false;
    if (t->editing() && !m->postRow()) return false;
    if (t->rowCount() == 0 || untouchedNewRow) {
        firstRow = t->rowCount();
        return true;
    }
    const QModelIndex cur = view_->currentIndex();
    firstRow = t->currentRow() >= 0 ? t->currentRow() : std::max(0, cur.row());
    return true;
}

bool GridEditing::pasteText(const QString& text) {
    DataGridModel* m = view_->gridModel();
    Table* t = m ? m->table() : nullptr;
    const std::vector<QStringList> block = parseTabText(text);
    if (!t || block.empty()) return false;
    const int firstColumn = std::max(0, view_->currentIndex().column());
    int firstRow = 0;
    if (!prepare(firstRow)) return false;
    auto refuse = [&](const QString& why) {
        app_.person().message(QStringLiteral("Вставка из буфера обмена отменена, ничего не вставлено.\r") + why);
        return false;
    };

    std::vector<EnteredRow> rows;
    std::vector<std::vector<std::pair<int, QString>>> typed;  // column and text of each cell, as in rows
    rows.reserve(block.size());
    typed.reserve(block.size());
    for (size_t i = 0; i < block.size(); ++i) {
        const int r = firstRow + int(i);
        EnteredRow e;
        e.row = r < t->rowCount() ? r : -1;
        if (e.row < 0 && !view_->appendAllowed())
            return refuse(QStringLiteral("Строк в буфере обмена больше, чем строк в таблице (%1).").arg(t->rowCount()));
        std::vector<std::pair<int, QString>> texts;
        for (int j = 0; j < int(block[i].size()); ++j) {
            const int c = firstColumn + j;
            const QString& cell = block[i][j];
            if (c >= m->columnCount()) {
                if (cell.trimmed().isEmpty()) continue;
                return refuse(QStringLiteral("Строка %1: столбцов в буфере обмена больше, чем столбцов таблицы справа от "
                                             "текущей ячейки; лишний текст \"%2\".")
                                  .arg(r + 1)
                                  .arg(cell));
            }
            if (!editable(c)) continue;
            e.cells.emplace_back(m->fieldAt(c), m->valueFromText(c, cell));
            texts.emplace_back(c, cell);
        }
        rows.push_back(std::move(e));
        typed.push_back(std::move(texts));
    }

    EntryOutcome out;
    try {
        RecordedStep step(app_.changes, pasteStepText(*t, int(rows.size())));
        out = enterCells(app_, *t, rows);
    } catch (const std::exception& e) {
        return refuse(failureText(e));
    }
    if (!out.done) {
        const EntryFault& f = out.fault;
        int column = -1;
        QString cell = f.typed.toString();
        for (size_t k = 0; f.entry >= 0 && k < rows[size_t(f.entry)].cells.size(); ++k)
            if (rows[size_t(f.entry)].cells[k].first == f.field) {
                column = typed[size_t(f.entry)][k].first;
                cell = typed[size_t(f.entry)][k].second;
            }
        return refuse(QStringLiteral("Строка %1, столбец \"%2\": текст \"%3\".\r%4")
                          .arg(firstRow + f.entry + 1)
                          .arg(column >= 0 ? columnName(column) : QString())
                          .arg(cell, f.message));
    }
    const int now = t->currentRow();
    if (now >= 0 && now < m->rowCount()) {
        const QModelIndex idx = m->index(now, std::min(firstColumn, m->columnCount() - 1));
        view_->setCurrentIndex(idx);
        view_->scrollTo(idx);
    }
    return true;
}

bool GridEditing::clearCells() {
    DataGridModel* m = view_->gridModel();
    Table* t = m ? m->table() : nullptr;
    if (!t) return false;
    // The cells of a new row nothing was typed into are empty already; no
    // other row's cell is cleared in their place.
    if (view_->selectedRowNumbers().isEmpty() && t->state() == Table::State::Insert && !t->modified()) return false;
    int ignored = 0;
    if (!prepare(ignored)) return false;
    std::vector<int> columns;
    QList<int> rowNumbers = view_->selectedRowNumbers();
    auto clearable = [&](int c) { return editable(c) && !keyFields_.contains(m->fieldNameAt(c), Qt::CaseInsensitive); };
    if (rowNumbers.isEmpty()) {
        const QModelIndex cur = view_->currentIndex();
        if (!cur.isValid() || !clearable(cur.column())) return false;
        rowNumbers << cur.row();
        columns.push_back(cur.column());
    } else {
        for (int c = 0; c < m->columnCount(); ++c)
            if (clearable(c)) columns.push_back(c);
    }
    std::vector<EnteredRow> rows;
    for (int r : rowNumbers) {
        if (r < 0 || r >= t->rowCount()) continue;  // the blank row holds nothing
        EnteredRow e;
        e.row = r;
        for (int c : columns) e.cells.emplace_back(m->fieldAt(c), m->valueFromText(c, QString()));
        rows.push_back(std::move(e));
    }
    if (rows.empty() || columns.empty()) return false;
    const int column = view_->currentIndex().isValid() ? view_->currentIndex().column() : 0;
    try {
        RecordedStep step(app_.changes, QStringLiteral("очистка ячеек"));
        const EntryOutcome out = enterCells(app_, *t, rows);
        if (!out.done) {
            app_.person().message(out.fault.message);
            return false;
        }
    } catch (const Error& e) {
        app_.person().message(e.message());
        return false;
    }
    const int now = t->currentRow();
    if (now >= 0 && now < m->rowCount()) view_->setCurrentIndex(m->index(now, std::min(column, m->columnCount() - 1)));
    return true;
}

}  // namespace volm::ui
