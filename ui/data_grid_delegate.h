#pragma once
// The cell editor of the data grids: a line edit, or an editable drop-down for
// columns with a pick list and for Yes/No fields (offering their two texts).
// The text typed goes to the model as it is; the model turns it into a value.
// Enter, Tab, Up, Down, PgUp and PgDn in the editor move its text into the row
// and leave the cell as the keys do in a spreadsheet: the view is told which way
// to go. A drop-down list walks its items with Up and Down only while it is open. Cells draw
// the current cell framed (also on a highlighted row) and numbers whole: a
// number wider than its cell loses decimals, never digits behind an ellipsis.
#include <QPointer>
#include <QStyledItemDelegate>

namespace volm::ui {

class DataGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // A number's text that fits width pixels in these metrics: the text itself,
    // or fewer decimals, or fewer significant digits in exponent form.
    static QString fittedNumber(const QString& shown, const QString& full, const QFontMetrics& metrics, int width);

Q_SIGNALS:
    // The editor was left with Enter (Qt::Key_Down), Tab or Shift+Tab (Qt::Key_Tab,
    // Qt::Key_Backtab), Up, Down, PgUp or PgDn after its text went to the model.
    void leftByKey(int key);

public:
    // The editor open at the moment, if any.
    QWidget* currentEditor() const { return editor_.data(); }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    mutable QPointer<QWidget> editor_;
};

}  // namespace volm::ui
