#include "ui/data_grid_delegate.h"

#include "ui/data_grid_model.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
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
        // What is typed stays as typed: no item completes it ("1" is not "10").
        combo->setCompleter(nullptr);
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
    // What the person has typed stays: the row changing under the editor (the
    // first key stroke adds a new row and fills in its key and nodes) does not
    // put the stored text back.
    QLineEdit* line = qobject_cast<QLineEdit*>(editor);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) line = combo->lineEdit();
    if (line && line->isModified()) return;
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

namespace volm::ui {

bool DataGridDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        int leave = 0;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
            // An open drop-down list takes its item first.
            auto* combo = qobject_cast<QComboBox*>(editor);
            if (!(combo && combo->view() && combo->view()->isVisible())) leave = Qt::Key_Down;
        } else if (key->key() == Qt::Key_Tab && mods == Qt::NoModifier) {
            leave = Qt::Key_Tab;
        } else if (key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && mods == Qt::ShiftModifier)) {
            leave = Qt::Key_Backtab;
        } else if (mods == Qt::NoModifier && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                                              key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown)) {
            // The vertical keys leave the cell as in a spreadsheet; only an open
            // drop-down list (Alt+Down, F4, its arrow) walks its items with them.
            auto* combo = qobject_cast<QComboBox*>(editor);
            if (!(combo && combo->view() && combo->view()->isVisible())) leave = key->key();
        }
        if (leave) {
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
            Q_EMIT leftByKey(leave);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

QString DataGridDelegate::fittedNumber(const QString& shown, const QString& full, const QFontMetrics& metrics,
                                       int width) {
    if (metrics.horizontalAdvance(shown) <= width) return shown;
    const QChar point = full.contains(QLatin1Char(',')) ? QLatin1Char(',') : QLatin1Char('.');
    QString plain = full;
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = plain.toDouble(&ok);
    if (!ok) return shown;
    auto local = [&](QString t) {
        t.replace(QLatin1Char('.'), point);
        return t;
    };
    const int shownDecimals = shown.contains(point) ? int(shown.size() - shown.indexOf(point) - 1) : 0;
    for (int d = shownDecimals - 1; d >= 0; --d) {
        const QString t = local(QString::number(v, 'f', d));
        if (metrics.horizontalAdvance(t) <= width) return t;
    }
    for (int digits = 6; digits >= 1; --digits) {
        const QString t = local(QString::number(v, 'g', digits));
        if (metrics.horizontalAdvance(t) <= width) return t;
    }
    return local(QString::number(v, 'g', 1));
}

void DataGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool current = view && view->currentIndex() == index;
    const bool focused = opt.state & QStyle::State_HasFocus;
    if (current) opt.state &= ~QStyle::State_Selected;  // the current cell stands out of a highlighted row
    opt.state &= ~QStyle::State_HasFocus;
    if (const DataGridModel* m = gridModel(index); m && m->table()) {
        const Table* t = m->table();
        const int f = m->fieldAt(index.column());
        if (f >= 0 && f < t->fieldCount() && t->fields()[size_t(f)].kind == FieldKind::Float && !opt.text.isEmpty()) {
            constexpr int kTextMargins = 8;
            opt.text = fittedNumber(opt.text, index.data(Qt::EditRole).toString(), opt.fontMetrics,
                                    opt.rect.width() - kTextMargins);
        }
    }
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, option.widget);
    if (current) {
        painter->save();
        QPen pen(opt.palette.color(focused ? QPalette::Highlight : QPalette::Mid), focused ? 2 : 1);
        pen.setJoinStyle(Qt::MiterJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(opt.rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
}

}  // namespace volm::ui
