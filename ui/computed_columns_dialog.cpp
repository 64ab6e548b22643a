#include "ui/computed_columns_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace volm::ui {

ComputedColumnsDialog::ComputedColumnsDialog(std::vector<std::pair<QString, QString>> offered,
                                             const ComputedColumnChoice& choice, QWidget* parent)
    : QDialog(parent), offered_(std::move(offered)) {
    setObjectName(QStringLiteral("ComputedColumnsForm"));
    setWindowTitle(QStringLiteral("Столбцы рассчитанных показателей"));
    setModal(true);
    setSizeGripEnabled(true);

    auto* hint = new QLabel(QStringLiteral("Отметьте рассчитанные показатели, которые показывать в таблице участков, "
                                           "и расставьте их в нужном порядке: они следуют за вводимыми показателями."),
                            this);
    hint->setWordWrap(true);
    lwColumns = new QListWidget(this);
    lwColumns->setObjectName(QStringLiteral("lwColumns"));
    lwColumns->setSelectionMode(QAbstractItemView::SingleSelection);
    lwColumns->installEventFilter(this);
    hint->setBuddy(lwColumns);

    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    btnUp = button(QStringLiteral("&Выше"), "btnUp");
    btnDown = button(QStringLiteral("&Ниже"), "btnDown");
    btnAll = button(QStringLiteral("Показать &все"), "btnAll");
    btnNone = button(QStringLiteral("&Скрыть все"), "btnNone");
    btnTableOrder = button(QStringLiteral("&Порядок таблицы"), "btnTableOrder");
    btnOK = button(QStringLiteral("ОК"), "btnOK");
    btnOK->setDefault(true);
    btnCancel = button(QStringLiteral("Отмена"), "btnCancel");

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {btnUp, btnDown}) side->addWidget(b);
    side->addSpacing(12);
    for (QPushButton* b : {btnAll, btnNone, btnTableOrder}) side->addWidget(b);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(lwColumns, 1);
    middle->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnOK);
    bottom->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    connect(btnUp, &QPushButton::clicked, this, [this] { moveCurrent(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { moveCurrent(1); });
    connect(btnAll, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(btnNone, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(btnTableOrder, &QPushButton::clicked, this, [this] { fill({}); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    fill(choice);
    resize(780, 520);  // the full names of the indicators whole
}

void ComputedColumnsDialog::fill(const ComputedColumnChoice& choice) {
    QStringList available;
    for (const auto& [field, fullName] : offered_) available << field;
    lwColumns->clear();
    for (const ComputedColumn& c : arrangeComputedColumns(available, choice)) {
        QString fullName;
        for (const auto& [field, name] : offered_)
            if (field == c.indicator) fullName = name;
        auto* item = new QListWidgetItem(fullName.isEmpty() || fullName == c.indicator
                                             ? c.indicator
                                             : c.indicator + QStringLiteral(" — ") + fullName,
                                         lwColumns);
        item->setData(Qt::UserRole, c.indicator);
        item->setToolTip(fullName);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(c.shown ? Qt::Checked : Qt::Unchecked);
    }
    if (lwColumns->count() > 0) lwColumns->setCurrentRow(0);
}

ComputedColumnChoice ComputedColumnsDialog::choice() const {
    ComputedColumnChoice out;
    for (int i = 0; i < lwColumns->count(); ++i) {
        const QListWidgetItem* item = lwColumns->item(i);
        out.push_back({item->data(Qt::UserRole).toString(), item->checkState() == Qt::Checked});
    }
    return out;
}

void ComputedColumnsDialog::moveCurrent(int by) {
    const int from = lwColumns->currentRow();
    const int to = from + by;
    if (from < 0 || to < 0 || to >= lwColumns->count()) return;
    QListWidgetItem* item = lwColumns->takeItem(from);
    lwColumns->insertItem(to, item);
    lwColumns->setCurrentRow(to);
}

void ComputedColumnsDialog::checkAll(bool on) {
    for (int i = 0; i < lwColumns->count(); ++i) lwColumns->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

// Ctrl+Up and Ctrl+Down move the current indicator in the list.
bool ComputedColumnsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lwColumns && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            moveCurrent(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace volm::ui
