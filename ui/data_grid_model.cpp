#include "ui/data_grid_model.h"

#include "store/command.h"
#include "store/errors.h"
#include "store/person.h"

#include <QDebug>
#include <QHash>
#include <QScopedValueRollback>
#include <QSet>
#include <cmath>

namespace volm::ui {

DataGridModel::DataGridModel(QObject* parent) : QAbstractTableModel(parent) {
    locale_.setNumberOptions(QLocale::OmitGroupSeparator);
}

DataGridModel::~DataGridModel() {
    if (table_) table_->removeObserver(this);
}

void DataGridModel::setTable(Table* table) {
    if (table == table_) return;
    beginResetModel();
    if (table_) table_->removeObserver(this);
    table_ = table;
    if (table_) table_->addObserver(this);
    columns_ = mapColumns();
    keys_ = tableKeys();
    rows_ = int(keys_.size());
    blankRow_ = rows_ == 0 && wantsBlankRow();
    if (blankRow_) rows_ = 1;
    indicatorRow_ = table_ ? table_->currentRow() : -1;
    endResetModel();
    Q_EMIT layoutReset();
    Q_EMIT cursorMoved(table_ ? table_->currentRow() : -1);
}

void DataGridModel::setFields(const QStringList& names) {
    beginResetModel();
    fixedFields_ = names;
    columns_ = mapColumns();
    endResetModel();
    Q_EMIT layoutReset();
}

void DataGridModel::setColumnLook(const QString& field, const ColumnLook& look) {
    looks_[field.toUpper()] = look;
    looksChanged();
}

void DataGridModel::setDefaultLook(const ColumnLook& look) {
    defaultLook_ = look;
    looksChanged();
}

void DataGridModel::clearColumnLooks() {
    looks_.clear();
    looksChanged();
}

// Titles, texts and alignment may have changed: repaint, and let the views take
// the widths again.
void DataGridModel::looksChanged() {
    if (!columns_.empty()) {
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
        if (rows_ > 0) Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1));
    }
    Q_EMIT layoutReset();
}

const ColumnLook& DataGridModel::lookOf(int column) const {
    const QString name = fieldNameAt(column).toUpper();
    auto it = looks_.find(name);
    return it == looks_.end() ? defaultLook_ : it->second;
}

void DataGridModel::setReadOnly(bool readOnly) { readOnly_ = readOnly; }

void DataGridModel::setDisplayDecimals(int decimals) {
    if (decimals == displayDecimals_) return;
    displayDecimals_ = decimals;
    repaintCells();
}

void DataGridModel::repaintCells() {
    if (rows_ > 0 && !columns_.empty())
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1));
}

void DataGridModel::setBlankRowWhenEmpty(bool on) {
    blankRowWanted_ = on;
    tableReset();
}

bool DataGridModel::wantsBlankRow() const {
    return blankRowWanted_ && !readOnly_ && table_ && table_->isOpen() && !table_->readOnly() && !columns_.empty();
}

QString DataGridModel::shownText(int row, int column) const {
    const int f = fieldAt(column);
    if (displayDecimals_ < 0 || !table_ || f < 0 || f >= table_->fieldCount()) return displayText(row, column);
    const QVariant v = table_->valueAt(tableRow(row), f);
    if (v.isNull() || (table_->fields()[size_t(f)].kind != FieldKind::Float && v.typeId() != QMetaType::Double))
        return displayText(row, column);
    QString t = locale_.toString(v.toDouble(), 'f', displayDecimals_);
    const QString point = locale_.decimalPoint();
    if (displayDecimals_ > 0 && t.contains(point)) {
        while (t.endsWith(QLatin1Char('0'))) t.chop(1);
        if (t.endsWith(point)) t.chop(point.size());
    }
    if (t == QStringLiteral("-0")) t = QStringLiteral("0");
    return t;
}

void DataGridModel::setLocale(const QLocale& locale) {
    locale_ = locale;
    locale_.setNumberOptions(QLocale::OmitGroupSeparator);
    if (rows_ > 0 && !columns_.empty())
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1));
}

std::vector<int> DataGridModel::mapColumns() const {
    std::vector<int> out;
    if (!table_) return out;
    if (!fixedFields_.isEmpty()) {
        for (const QString& name : fixedFields_) {
            const int f = table_->fieldIndex(name);
            if (f >= 0) out.push_back(f);
        }
        return out;
    }
    const auto& fields = table_->fields();
    for (int i = 0; i < int(fields.size()); ++i)
        if (fields[size_t(i)].visible) out.push_back(i);
    return out;
}

int DataGridModel::fieldAt(int column) const {
    return column >= 0 && column < int(columns_.size()) ? columns_[size_t(column)] : -1;
}

int DataGridModel::columnOf(const QString& fieldName) const {
    for (int c = 0; c < int(columns_.size()); ++c)
        if (fieldNameAt(c).compare(fieldName, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

QString DataGridModel::fieldNameAt(int column) const {
    const int f = fieldAt(column);
    if (!table_ || f < 0 || f >= table_->fieldCount()) return {};
    return table_->fields()[size_t(f)].name;
}

QString DataGridModel::displayText(int row, int column) const {
    const int f = fieldAt(column);
    if (!table_ || f < 0 || f >= table_->fieldCount()) return {};
    const QVariant v = table_->valueAt(tableRow(row), f);
    if (v.isNull()) return {};
    switch (table_->fields()[size_t(f)].kind) {
    case FieldKind::Bool: {
        const ColumnLook& s = lookOf(column);
        return v.toBool() ? s.trueText : s.falseText;
    }
    case FieldKind::Float: return locale_.toString(v.toDouble(), 'g', 15);
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::Byte: return QString::number(v.toLongLong());
    default: break;
    }
    if (v.typeId() == QMetaType::Double) return locale_.toString(v.toDouble(), 'g', 15);
    return v.toString();
}

QVariant DataGridModel::valueFromText(int column, const QString& text) const {
    const int f = fieldAt(column);
    if (!table_ || f < 0) return {};
    const Field& field = table_->fields()[size_t(f)];
    if (field.kind == FieldKind::Text) return text;
    const QString t = text.trimmed();
    if (t.isEmpty()) return {};
    if (field.kind == FieldKind::Bool) {
        const ColumnLook& s = lookOf(column);
        if (t.compare(s.trueText.trimmed(), Qt::CaseInsensitive) == 0) return true;
        if (t.compare(s.falseText.trimmed(), Qt::CaseInsensitive) == 0) return false;
        return t;  // the cursor accepts Да/Нет/True/False and refuses the rest
    }
    // Numbers go to the cursor as typed: it reads "," and "." alike as the
    // decimal separator whatever the locale, drops blanks and refuses the rest.
    return t;
}

void DataGridModel::report(const QString& text) const {
    if (person_) person_->message(text);
    else qWarning().noquote() << text;
}

template <typename Op>
bool DataGridModel::runOnTable(Op op) {
    if (!table_ || !table_->isOpen()) return false;
    return runReported([this](const QString& text) { report(text); }, [&](ErrorContext&) { op(); });
}

bool DataGridModel::moveTo(int row) {
    return runOnTable([&] { table_->setCurrentRow(row); });
}

bool DataGridModel::appendRow() {
    if (readOnly_) return false;
    return runOnTable([&] { table_->append(); });
}

bool DataGridModel::insertRow() {
    if (readOnly_) return false;
    return runOnTable([&] { table_->insert(); });
}

bool DataGridModel::removeCurrentRow() {
    if (readOnly_) return false;
    return runOnTable([&] { table_->remove(); });
}

void DataGridModel::beginRowEdit(int row) {
    if (isBlankRow(row)) {
        appendRow();
        return;
    }
    if (readOnly_ || !table_ || !table_->isOpen() || table_->readOnly() || table_->editing()) return;
    if (row < 0 || row != table_->currentRow()) return;
    runOnTable([&] { table_->edit(); });
}

bool DataGridModel::cancelRow() {
    return runOnTable([&] { table_->cancel(); });
}

bool DataGridModel::postRow() {
    return runOnTable([&] { table_->post(); });
}

int DataGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int DataGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= int(columns_.size())) return {};
    switch (role) {
    case Qt::DisplayRole: return shownText(index.row(), index.column());
    case Qt::EditRole: return displayText(index.row(), index.column());
    case Qt::TextAlignmentRole: return QVariant::fromValue(lookOf(index.column()).alignment);
    case Qt::ToolTipRole: {
        // The number with every digit when it is shown rounded, after what the cell's look says.
        QStringList tip;
        if (cellLook)
            if (const QVariant extra = cellLook(index.row(), index.column(), role); extra.isValid()) tip << extra.toString();
        const QString full = displayText(index.row(), index.column());
        if (full != shownText(index.row(), index.column())) tip << full;
        return tip.isEmpty() ? QVariant() : QVariant(tip.join(QLatin1Char('\n')));
    }
    default: return cellLook ? cellLook(index.row(), index.column(), role) : QVariant();
    }
}

bool DataGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || readOnly_) return false;
    if (!table_ || !table_->isOpen() || index.row() >= rows_) return false;
    if (lookOf(index.column()).readOnly) return false;
    const QString text = value.toString();
    if (text == displayText(index.row(), index.column())) return true;  // nothing typed
    if (isBlankRow(index.row()) && !appendRow()) return false;
    if (index.row() != table_->currentRow() && !moveTo(index.row())) return false;
    const int f = fieldAt(index.column());
    return runOnTable([&] { table_->setValue(f, valueFromText(index.column(), text)); });
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= int(columns_.size())) return {};
        const ColumnLook& s = lookOf(section);
        if (role == Qt::DisplayRole) return s.title.isEmpty() ? fieldNameAt(section) : s.title;
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(s.alignment);
        if (role == Qt::ToolTipRole) return s.toolTip.isEmpty() ? headerData(section, orientation) : s.toolTip;
        return {};
    }
    if (section < 0 || section >= rows_) return {};
    if (role == Qt::DisplayRole) {
        if (isBlankRow(section)) return QStringLiteral("*");
        if (!table_ || section != indicatorRow_) return QString();
        switch (table_->state()) {
        case Table::State::Insert: return QStringLiteral("*");
        case Table::State::Edit: return QStringLiteral("I");
        default: return QStringLiteral("▶");
        }
    }
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!readOnly_ && table_ && !table_->readOnly() && !lookOf(index.column()).readOnly) f |= Qt::ItemIsEditable;
    return f;
}

// --- the cursor's notices ---------------------------------------------------

std::vector<qint64> DataGridModel::tableKeys() const {
    std::vector<qint64> keys;
    if (!table_ || !table_->isOpen()) return keys;
    const int n = table_->rowCount();
    keys.reserve(size_t(n));
    for (int r = 0; r < n; ++r) keys.push_back(table_->rowidAt(r));
    return keys;
}

int DataGridModel::tableRow(int row) const {
    if (!remap_) return row;
    if (row < 0 || row >= int(keys_.size())) return -1;
    return remap_->value(keys_[size_t(row)], -1);
}

void DataGridModel::tableReset() {
    const std::vector<int> cols = mapColumns();
    std::vector<qint64> keys = tableKeys();
    const bool blank = keys.empty() && blankRowWanted_ && !readOnly_ && table_ && table_->isOpen() &&
                       !table_->readOnly() && !cols.empty();
    if (cols == columns_ && !blank && !blankRow_) {
        // The same columns (a re-read, a new order, a resumed display): the rows
        // follow their keys, and so do the current cell and the selection.
        followKeys(std::move(keys));
        if (!columns_.empty()) Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
    } else if (cols == columns_ && blank == blankRow_ && keys.empty()) {
        if (rows_ > 0 && !columns_.empty()) Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1));
    } else {
        const bool newColumns = cols != columns_;
        beginResetModel();
        columns_ = cols;
        keys_ = std::move(keys);
        rows_ = blank ? 1 : int(keys_.size());
        blankRow_ = blank;
        endResetModel();
        if (newColumns) Q_EMIT layoutReset();  // other rows alone keep the widths as the person left them
    }
    currentChanged(table_ ? table_->currentRow() : -1);
}

// The rows now shown in the order of keys: rows gone are removed, rows new are
// added at the end, then every row is moved to its place, the views' current
// cells, selections and open editors going along with their rows.
void DataGridModel::followKeys(std::vector<qint64> keys) {
    QHash<qint64, int> at;
    at.reserve(int(keys.size()));
    for (int i = 0; i < int(keys.size()); ++i) at.insert(keys[size_t(i)], i);
    QScopedValueRollback<const QHash<qint64, int>*> remap(remap_, &at);
    QScopedValueRollback changing(announced_, true);  // the views' own moves meanwhile are not the person's

    for (int last = int(keys_.size()) - 1; last >= 0;) {
        if (at.contains(keys_[size_t(last)])) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !at.contains(keys_[size_t(first - 1)])) --first;
        beginRemoveRows({}, first, last);
        keys_.erase(keys_.begin() + first, keys_.begin() + last + 1);
        rows_ = int(keys_.size());
        if (indicatorRow_ >= rows_) indicatorRow_ = -1;
        endRemoveRows();
        last = first - 1;
    }
    if (keys_.size() < keys.size()) {
        QSet<qint64> held(keys_.begin(), keys_.end());
        std::vector<qint64> added;
        for (qint64 k : keys)
            if (!held.contains(k)) added.push_back(k);
        beginInsertRows({}, rows_, rows_ + int(added.size()) - 1);
        keys_.insert(keys_.end(), added.begin(), added.end());
        rows_ = int(keys_.size());
        endInsertRows();
    }
    if (keys_ != keys) {
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& i : before) {
            const int row = i.row() < int(keys_.size()) ? at.value(keys_[size_t(i.row())], -1) : -1;
            after << (row >= 0 ? index(row, i.column()) : QModelIndex());
        }
        changePersistentIndexList(before, after);
        keys_ = std::move(keys);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    if (rows_ > 0 && !columns_.empty()) Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1));
}

void DataGridModel::currentChanged(int row) {
    const int before = indicatorRow_;
    indicatorRow_ = row;
    if (before >= 0 && before < rows_) Q_EMIT headerDataChanged(Qt::Vertical, before, before);
    if (row >= 0 && row < rows_) Q_EMIT headerDataChanged(Qt::Vertical, row, row);
    Q_EMIT cursorMoved(row);
}

void DataGridModel::rowChanged(int row) {
    if (row < 0 || row >= rows_ || columns_.empty()) return;
    if (!blankRow_ && row < int(keys_.size()) && table_) keys_[size_t(row)] = table_->rowidAt(row);  // a new row's key
    Q_EMIT dataChanged(index(row, 0), index(row, int(columns_.size()) - 1));
}

// An insertion or removal the views have not seen the rows for (the model was
// out of step) is shown as a reset once it is done.
void DataGridModel::rowAboutToBeInserted(int row) {
    // A row typed into the blank row stays where the blank row is shown.
    blankTaken_ = blankRow_ && row == 0 && table_ && table_->rowCount() == 0;
    if (blankTaken_) return;
    announced_ = row >= 0 && row <= rows_;
    if (announced_) beginInsertRows({}, row, row);
}

void DataGridModel::rowInserted(int row) {
    if (blankTaken_) {
        blankTaken_ = false;
        blankRow_ = false;
        keys_ = tableKeys();
        rowChanged(0);
        Q_EMIT headerDataChanged(Qt::Vertical, 0, 0);
        return;
    }
    if (!announced_) return tableReset();
    announced_ = false;
    keys_.insert(keys_.begin() + row, table_->rowidAt(row));
    ++rows_;
    endInsertRows();
}

void DataGridModel::rowAboutToBeRemoved(int row) {
    // The last row going: the blank row takes its place.
    blankComing_ = rows_ == 1 && !blankRow_ && table_ && table_->rowCount() == 1 && wantsBlankRow();
    if (blankComing_) return;
    announced_ = row >= 0 && row < rows_;
    if (announced_) beginRemoveRows({}, row, row);
}

void DataGridModel::rowRemoved(int row) {
    if (blankComing_) {
        blankComing_ = false;
        blankRow_ = true;
        keys_.clear();
        indicatorRow_ = -1;
        rowChanged(0);
        Q_EMIT headerDataChanged(Qt::Vertical, 0, 0);
        return;
    }
    if (!announced_) return tableReset();
    announced_ = false;
    keys_.erase(keys_.begin() + row);
    --rows_;
    if (indicatorRow_ >= rows_) indicatorRow_ = -1;
    endRemoveRows();
}

void DataGridModel::stateChanged() {
    if (indicatorRow_ >= 0 && indicatorRow_ < rows_)
        Q_EMIT headerDataChanged(Qt::Vertical, indicatorRow_, indicatorRow_);
    Q_EMIT cursorStateChanged();
}

void DataGridModel::tableDestroyed() {
    beginResetModel();
    table_ = nullptr;
    columns_.clear();
    keys_.clear();
    rows_ = 0;
    blankRow_ = false;
    indicatorRow_ = -1;
    endResetModel();
    Q_EMIT layoutReset();
}

}  // namespace volm::ui
