#include "ui/data_grid_delegate.h"

#include "ui/data_grid_model.h"

#include <QComboBox>
#include <QLineEdit>

namespace volm::ui {

namespace {

const DataGridModel* gridModel(const QModelIndex& index) {
    return qobject_cast<const DataGridModel*>(index.model());
}

}  // namespace

QWidget* DataGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const {
    const DataGridModel* m = gridModel(index);
    QStringList items;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    int maxLength = 0;
    if (m) {
        const ColumnLook& look = m->lookOf(index.column());
        align = look.alignment;
        items = look.pickList;
        const Table* t = m->table();
        const int f = m->fieldAt(index.column());
        if (t && f >= 0 && f < t->fieldCount()) {
            const Field& field = t->fields()[size_t(f)];
            if (field.kind == FieldKind::Bool && items.isEmpty()) items = {look.trueText, look.falseText};
            if (field.kind == FieldKind::Text) maxLength = field.size;
        }
    }
    QWidget* editor = nullptr;
    if (!items.isEmpty()) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(items);
        combo->setMaxVisibleItems(16);
        if (combo->lineEdit()) combo->lineEdit()->setAlignment(align);
        editor = combo;
    } else {
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        edit->setAlignment(align);
        if (maxLength > 0) edit->setMaxLength(maxLength);
        editor = edit;
    }
    // The first key stroke puts the row into editing.
    if (auto* grid = const_cast<DataGridModel*>(m)) {
        QLineEdit* line = qobject_cast<QLineEdit*>(editor);
        if (!line) line = static_cast<QComboBox*>(editor)->lineEdit();
        const QPersistentModelIndex at(index);
        QObject::connect(line, &QLineEdit::textEdited, editor, [grid, at] {
            if (at.isValid()) grid->beginRowEdit(at.row());
        });
    }
    editor_ = editor;
    return editor;
}

void DataGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // The text is selected whole, so that typing replaces it, in the line edit
    // of a drop-down as in a plain cell.
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const int i = combo->findText(text);
        combo->setCurrentIndex(i);
        combo->setEditText(text);
        if (combo->lineEdit()) combo->lineEdit()->selectAll();
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
        edit->selectAll();
    }
}

void DataGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    QString text;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) text = combo->currentText();
    else if (auto* edit = qobject_cast<QLineEdit*>(editor)) text = edit->text();
    else return;
    model->setData(index, text, Qt::EditRole);
}

}  // namespace volm::ui
