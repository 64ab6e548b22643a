#pragma once
// The cell editor of the data grids: a line edit, or an editable drop-down for
// columns with a pick list and for Yes/No fields (offering their two texts).
// The text typed goes to the model as it is; the model turns it into a value.
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

    // The editor open at the moment, if any.
    QWidget* currentEditor() const { return editor_.data(); }

private:
    mutable QPointer<QWidget> editor_;
};

}  // namespace volm::ui
