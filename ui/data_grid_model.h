#pragma once
// The model of every data grid of the program: the rows of a table cursor as a
// Qt table model. The cursor stays the master of the data and of the current
// row; the model reads values through Table::valueAt (so thirty thousand rows
// cost nothing until they are painted), turns them into display texts (Yes/No
// fields as their own texts, numbers in the person's locale) and hands typed
// texts back to the cursor. It keeps its rows by their keys and follows the
// cursor through TableObserver: one changed row repaints that row; a re-read or
// a new order moves the rows by their keys, so that the views' current cell and
// selection stay on the same records.
#include "store/table.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QLocale>
#include <QStringList>
#include <functional>
#include <map>

namespace volm {
class Person;
}

namespace volm::ui {

// How one field of the cursor is shown in a grid.
struct ColumnLook {
    QString title;                  // empty: the field's own name
    int width = 0;                  // pixels; 0: the view's default width
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;  // cells and title
    bool readOnly = false;
    QString trueText = QStringLiteral("Да");   // Yes/No fields are shown and typed
    QString falseText = QStringLiteral("Нет"); // as these texts
    QStringList pickList;           // drop-down items of the cell editor
    QString toolTip;                // the title's tooltip (a full name)
};

class DataGridModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    explicit DataGridModel(QObject* parent = nullptr);
    ~DataGridModel() override;

    // The cursor shown; nullptr shows nothing. The model forgets a cursor that is
    // destroyed by itself.
    void setTable(Table* table);
    Table* table() const { return table_; }

    // Only these fields, in this order (a narrow grid); empty: every field the
    // cursor marks visible, in table order.
    void setFields(const QStringList& names);

    // Per-field look; fields without a look of their own use the default look.
    void setColumnLook(const QString& field, const ColumnLook& look);
    void setDefaultLook(const ColumnLook& look);
    void clearColumnLooks();
    const ColumnLook& lookOf(int column) const;

    // Numbers are shown with at most this many decimals (the editor and the
    // tooltip keep every digit); -1: every digit.
    void setDisplayDecimals(int decimals);
    int displayDecimals() const { return displayDecimals_; }
    // An empty editable table shows one blank row; typing into it adds the row.
    void setBlankRowWhenEmpty(bool on);
    bool isBlankRow(int row) const { return blankRow_ && row == 0; }
    // Background, foreground and tooltip of a cell beyond the model's own: asked
    // for those roles; an invalid value leaves the cell as it is.
    std::function<QVariant(int row, int column, int role)> cellLook;
    // Tells the views to repaint every cell (after cellLook's answers changed).
    void repaintCells();

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }
    // A row insertion or removal of the cursor is under way: the views' own
    // moves of the current row (Qt moves it off a row about to go) are not
    // the person's and are not handed to the cursor.
    bool changing() const { return announced_; }
    void setLocale(const QLocale& locale);

    // Who is told when a typed value or a record operation fails (the message
    // of the error); without a person the failure is only logged.
    void setPerson(Person* person) { person_ = person; }

    // Column <-> field of the cursor.
    int fieldAt(int column) const;
    int columnOf(const QString& fieldName) const;
    QString fieldNameAt(int column) const;

    // The text a cell shows, and the value a typed text stands for.
    QString displayText(int row, int column) const;
    // The text a cell shows when not being edited: numbers rounded to the display decimals.
    QString shownText(int row, int column) const;
    QVariant valueFromText(int column, const QString& text) const;

    // Record operations on the cursor with its refusals handled: an abort of a
    // record event is silent, any other error is shown to the person. True when
    // the operation went through.
    bool moveTo(int row);
    bool appendRow();
    bool insertRow();
    bool removeCurrentRow();
    bool cancelRow();
    // The person started typing in a cell of this row: the cursor goes into edit
    // state (as a database grid does at the first key stroke).
    void beginRowEdit(int row);
    bool postRow();

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    // The cursor's current row moved (0-based; -1 when empty).
    void cursorMoved(int row);
    // The cursor changed between browse, edit and insert, or became modified.
    void cursorStateChanged();
    // Rows, columns or their looks changed wholesale (views re-apply widths).
    void layoutReset();

private:
    // TableObserver
    void tableReset() override;
    void currentChanged(int row) override;
    void rowChanged(int row) override;
    void rowAboutToBeInserted(int row) override;
    void rowInserted(int row) override;
    void rowAboutToBeRemoved(int row) override;
    void rowRemoved(int row) override;
    void stateChanged() override;
    void tableDestroyed() override;

    std::vector<int> mapColumns() const;
    std::vector<qint64> tableKeys() const;
    // The cursor's row that a row of the model shows.
    int tableRow(int row) const;
    void followKeys(std::vector<qint64> keys);
    bool wantsBlankRow() const;
    void looksChanged();
    // Tells the person, or the log when there is none.
    void report(const QString& text) const;
    // Runs a record operation on the open cursor through runReported: a failure
    // told in its own words, an abort silent; false when it did not go through.
    template <typename Op> bool runOnTable(Op op);

    Table* table_ = nullptr;
    QStringList fixedFields_;
    std::vector<int> columns_;   // field index of each column
    std::vector<qint64> keys_;   // the key of each row shown, in the order shown
    // While the rows are being moved to the cursor's new order: the cursor's
    // row of each key.
    const QHash<qint64, int>* remap_ = nullptr;
    int rows_ = 0;               // rows as last announced to the views
    bool announced_ = false;     // an insertion or removal is between its two notices
    int indicatorRow_ = -1;      // row whose title shows the cursor mark
    std::map<QString, ColumnLook> looks_;  // by upper-cased field name
    ColumnLook defaultLook_;
    bool readOnly_ = false;
    int displayDecimals_ = -1;
    bool blankRowWanted_ = false;
    bool blankRow_ = false;      // the one row shown is the blank row of an empty table
    bool blankTaken_ = false;    // the row being inserted takes the blank row's place
    bool blankComing_ = false;   // the row being removed leaves the blank row in its place
    QLocale locale_;
    Person* person_ = nullptr;
};

}  // namespace volm::ui
