#pragma once
// The keys of a spreadsheet in a data grid: Ctrl+C copies the selected rows (or
// the current cell) as tab-separated text with the person's decimal separator,
// Ctrl+V writes a tab-separated block at the current cell (to the right and
// downward, adding rows as needed), Delete clears the selected cells of the
// entered columns. Pasting and clearing write through the core's block entry:
// every cell checked as typed, the whole block one transaction, a refused cell
// named to the person with nothing of the block kept.
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class QKeyEvent;

namespace volm {
class App;
}

namespace volm::ui {

class DataGridView;

// Tab-separated text: rows end with a line break, cells holding a tab, a line
// break or a quote are quoted as spreadsheet programs do.
QString tabText(const std::vector<QStringList>& rows);
std::vector<QStringList> parseTabText(const QString& text);

class GridEditing : public QObject {
    Q_OBJECT
public:
    // Takes the grid's keys (DataGridView::keyCommand).
    GridEditing(App& app, DataGridView* view);

    // Columns that Delete leaves as they are (the key and node numbers of a section).
    void setKeyFields(const QStringList& fields) { keyFields_ = fields; }

    // The text Ctrl+C puts on the clipboard.
    QString copyText() const;
    void copy() const;
    // Writes a block at the current cell; false when nothing was written.
    bool pasteText(const QString& text);
    bool paste();
    // Clears the selected cells (the current cell when no row is selected).
    bool clearCells();

private:
    bool key(QKeyEvent* event);
    bool editable(int column) const;
    bool prepare(int& firstRow);
    QString columnName(int column) const;

    App& app_;
    DataGridView* view_;
    QStringList keyFields_;
};

}  // namespace volm::ui
