#include "ui/repeated_entry_dialog.h"

#include "store/app.h"
#include "store/command.h"
#include "store/records.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

using volm::ui::boldLabel;
using volm::ui::centredColumn;
using volm::ui::ColumnLook;
using volm::ui::DataGridModel;
using volm::ui::DataGridView;

namespace {

const QString kMarkField = QStringLiteral("Заполн_Уч");

}  // namespace

TVvPovtDForm::TVvPovtDForm(volm::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    volm::ui::addHelpKey(this, QStringLiteral("calculation.html"));
    setObjectName(QStringLiteral("VvPovtDForm"));
    setWindowTitle(QStringLiteral("Ввод повторяющихся данных"));
    setModal(true);
    setSizeGripEnabled(true);

    sectionsModel = new DataGridModel(this);
    sectionsModel->setPerson(&app_.person());
    sectionsModel->setLocale(app_.locale);
    sectionsModel->setTable(app_.dm.atTabl.get());
    sectionsModel->setFields({QStringLiteral("НачУзел"), QStringLiteral("КонУзел"), kMarkField});
    sectionsModel->setColumnLook(QStringLiteral("НачУзел"), centredColumn(QStringLiteral("Нач. узел"), 70));
    sectionsModel->setColumnLook(QStringLiteral("КонУзел"), centredColumn(QStringLiteral("Кон. узел"), 70));
    sectionsModel->setColumnLook(kMarkField, centredColumn(QStringLiteral("\"Д\" = Да"), 60));
    sectionsModel->setReadOnly(true);

    pnLeft = new QWidget(this);
    pnLeft->setObjectName(QStringLiteral("pnLeft"));
    DGZapolU = new DataGridView(pnLeft);
    DGZapolU->setObjectName(QStringLiteral("DGZapolU"));
    DGZapolU->setAppendAllowed(false);
    DGZapolU->setGridModel(sectionsModel);
    DGZapolU->installEventFilter(this);
    auto* left = new QVBoxLayout(pnLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(2);
    left->addWidget(boldLabel(QStringLiteral("Участки"), pnLeft, 0, Qt::AlignCenter));
    left->addWidget(DGZapolU, 1);
    connect(DGZapolU, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (i.isValid() && i.column() == markColumn()) toggleCurrent();
    });

    pnRight = buildAssignments();
    pnRight->setObjectName(QStringLiteral("pnRight"));

    auto* body = new QHBoxLayout;
    body->setContentsMargins(6, 4, 6, 4);
    body->setSpacing(8);  // not the outer layout's 0
    body->addWidget(pnLeft);
    body->addWidget(pnRight, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));

    menu = new QMenuBar(this);
    buildMenu();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu);
    layout->addLayout(body, 1);
    layout->addWidget(StatusBar1);

    // Never narrower than the controls and their titles need, whatever the font.
    setMinimumSize(QSize(580, 322).expandedTo(minimumSizeHint()));
    resize(QSize(760, 380).expandedTo(sizeHint()));
    const volm::FontSizes sizes = volm::ui::dialogFontSizes(app_);
    volm::ui::applyGridFont(DGZapolU, sizes);
    volm::ui::fitColumnTitles(DGZapolU);
    // The section list is as wide as its three columns.
    pnLeft->setFixedWidth(DGZapolU->horizontalHeader()->length() + DGZapolU->verticalHeader()->width() +
                          DGZapolU->verticalScrollBar()->sizeHint().width() + 2 * DGZapolU->frameWidth() + 2);
}

void TVvPovtDForm::buildMenu() {
    miZapolU = menu->addMenu(QStringLiteral("Заполнение участков"));
    miZapolU->setObjectName(QStringLiteral("miZapolU"));
    miZapolUYesForAll = miZapolU->addAction(QStringLiteral("\"Да\" для всех"), this, &TVvPovtDForm::yesForAll);
    miZapolUNoForAll = miZapolU->addAction(QStringLiteral("\"Нет\" для всех"), this, &TVvPovtDForm::noForAll);
    miZapolUInvertD =
        miZapolU->addAction(QStringLiteral("Изменить значения на противоположные"), this, &TVvPovtDForm::invert);
    miZapolU->addSeparator();
    miZapolUSelAll = miZapolU->addAction(QStringLiteral("Выделить все записи"), this, &TVvPovtDForm::selectAll);
    miVvD = menu->addAction(QStringLiteral("Ввести данные"));
    connect(miVvD, &QAction::triggered, this, &TVvPovtDForm::apply);
    miClose = menu->addAction(QStringLiteral("Закрыть"));
    connect(miClose, &QAction::triggered, this, &QDialog::reject);
    miZapolUYesForAll->setObjectName(QStringLiteral("miZapolUYesForAll"));
    miZapolUNoForAll->setObjectName(QStringLiteral("miZapolUNoForAll"));
    miZapolUInvertD->setObjectName(QStringLiteral("miZapolUInvertD"));
    miZapolUSelAll->setObjectName(QStringLiteral("miZapolUSelAll"));
    miVvD->setObjectName(QStringLiteral("miVvD"));
    miClose->setObjectName(QStringLiteral("miClose"));
}

QWidget* TVvPovtDForm::buildAssignments() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    grid->addWidget(boldLabel(QStringLiteral("Показатель"), panel, 0, Qt::AlignCenter), 0, 0);
    grid->addWidget(boldLabel(QStringLiteral("Число"), panel, 0, Qt::AlignCenter), 0, 2);
    grid->addWidget(boldLabel(QStringLiteral("Показатель"), panel, 0, Qt::AlignCenter), 0, 3);
    auto makeCombo = [panel, this](const QString& name) {
        auto* c = new QComboBox(panel);
        c->setObjectName(name);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMaxVisibleItems(20);
        c->setMinimumWidth(120);
        c->installEventFilter(this);
        if (c->lineEdit()) c->lineEdit()->installEventFilter(this);
        return c;
    };
    for (int k = 0; k < volm::kAssignmentRows; ++k) {
        cbPok1[size_t(k)] = makeCombo(QStringLiteral("cbPok1%1").arg(k + 1));
        edDbl[size_t(k)] = new QLineEdit(panel);
        edDbl[size_t(k)]->setObjectName(QStringLiteral("edDbl%1").arg(k + 1));
        edDbl[size_t(k)]->setMinimumWidth(90);
        edDbl[size_t(k)]->installEventFilter(this);
        cbPok2[size_t(k)] = makeCombo(QStringLiteral("cbPok2%1").arg(k + 1));
        grid->addWidget(cbPok1[size_t(k)], k + 1, 0);
        grid->addWidget(new QLabel(QStringLiteral("="), panel), k + 1, 1);
        grid->addWidget(edDbl[size_t(k)], k + 1, 2);
        grid->addWidget(cbPok2[size_t(k)], k + 1, 3);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(volm::kAssignmentRows + 1, 1);
    return panel;
}

int TVvPovtDForm::markColumn() const { return sectionsModel->columnOf(kMarkField); }

void TVvPovtDForm::setLists(const volm::IndicatorLists& lists) {
    lists_ = lists;
    for (int k = 0; k < volm::kAssignmentRows; ++k) {
        for (auto [combo, items] : {std::pair{cbPok1[size_t(k)], &lists.targets}, std::pair{cbPok2[size_t(k)], &lists.sources}}) {
            combo->clear();
            combo->addItems(*items);
            combo->setCurrentIndex(-1);
            combo->clearEditText();
        }
        edDbl[size_t(k)]->clear();
    }
}

std::vector<volm::Assignment> TVvPovtDForm::assignments() const {
    std::vector<volm::Assignment> rows;
    for (int k = 0; k < volm::kAssignmentRows; ++k)
        rows.push_back({cbPok1[size_t(k)]->currentText(), edDbl[size_t(k)]->text(), cbPok2[size_t(k)]->currentText()});
    return rows;
}

void TVvPovtDForm::normaliseCombo(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    const volm::ListMatch m = volm::NaitiVSpiske(items, combo->currentText());
    if (m.index < 0) {
        combo->setCurrentIndex(-1);
        combo->clearEditText();
    } else {
        combo->setCurrentIndex(m.index);
        combo->setEditText(m.text);
    }
}

void TVvPovtDForm::leftNumber(int row) {
    if (!edDbl[size_t(row)]->text().isEmpty()) {
        cbPok2[size_t(row)]->setCurrentIndex(-1);
        cbPok2[size_t(row)]->clearEditText();
    }
}

void TVvPovtDForm::leftSource(int row) {
    normaliseCombo(cbPok2[size_t(row)]);
    if (!cbPok2[size_t(row)]->currentText().isEmpty()) edDbl[size_t(row)]->clear();
}

bool TVvPovtDForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DGZapolU && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        (static_cast<QKeyEvent*>(event)->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        spacePressed();
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        for (int k = 0; k < volm::kAssignmentRows; ++k) {
            QComboBox* target = cbPok1[size_t(k)];
            QComboBox* source = cbPok2[size_t(k)];
            if (watched == target || (target && watched == target->lineEdit())) {
                if (!target->view()->isVisible()) normaliseCombo(target);
            } else if (watched == source || (source && watched == source->lineEdit())) {
                if (!source->view()->isVisible()) leftSource(k);
            } else if (watched == edDbl[size_t(k)]) {
                leftNumber(k);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TVvPovtDForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    StatusBar1->clearMessage();
    volm::Table* t = sectionsModel->table();
    const int row = t && t->currentRow() >= 0 ? t->currentRow() : 0;
    if (sectionsModel->rowCount() > 0) DGZapolU->setCurrentIndex(sectionsModel->index(row, markColumn()));
    DGZapolU->setFocus();
}

void TVvPovtDForm::setLocked(bool locked) {
    menu->setEnabled(!locked);
    pnLeft->setEnabled(!locked);
    pnRight->setEnabled(!locked);
    if (!locked) DGZapolU->setFocus();
}

volm::EntryHooks TVvPovtDForm::hooks() {
    volm::EntryHooks h;
    h.status = [this](const QString& text) {
        StatusBar1->showMessage(text);
        StatusBar1->repaint();
    };
    h.locked = [this](bool on) { setLocked(on); };
    return h;
}

void TVvPovtDForm::mark(volm::MarkOp op, const std::vector<int>& rows, bool all) {
    volm::markSections(app_, op, rows, all, hooks());
}

void TVvPovtDForm::yesForAll() { mark(volm::MarkOp::Yes, {}, true); }
void TVvPovtDForm::noForAll() { mark(volm::MarkOp::No, {}, true); }
void TVvPovtDForm::invert() { mark(volm::MarkOp::Toggle, {}, true); }

void TVvPovtDForm::selectAll() {
    DGZapolU->selectAllRows();
    DGZapolU->setFocus();
}

void TVvPovtDForm::toggleCurrent() {
    volm::toggleCurrentSection(app_);
    DGZapolU->setFocus();
}

void TVvPovtDForm::spacePressed() {
    const QList<int> rows = DGZapolU->selectedRowNumbers();
    if (rows.isEmpty()) {
        if (DGZapolU->currentIndex().column() == markColumn()) toggleCurrent();
        return;
    }
    mark(volm::MarkOp::Toggle, std::vector<int>(rows.begin(), rows.end()), false);
}

void TVvPovtDForm::apply() {
    std::vector<volm::Assignment> rows = assignments();
    volm::normaliseAssignments(lists_, rows);
    for (int k = 0; k < volm::kAssignmentRows; ++k) {
        normaliseCombo(cbPok1[size_t(k)]);
        normaliseCombo(cbPok2[size_t(k)]);
        if (!edDbl[size_t(k)]->text().isEmpty()) {
            cbPok2[size_t(k)]->setCurrentIndex(-1);
            cbPok2[size_t(k)]->clearEditText();
        }
    }
    volm::applyAssignments(app_, rows, hooks());
    DGZapolU->setFocus();
}

bool TVvPovtDForm::run(volm::App& app, QWidget* parent) {
    const int recNo = volm::prepareRepeatedEntry(app);
    if (recNo == 0) return false;
    volm::Table& sections = *app.dm.atTabl;
    volm::Finally back([&] {
        if (sections.isOpen()) volm::returnToRecord(sections, recNo);
    });
    TVvPovtDForm dlg(app, parent);
    volm::IndicatorLists lists;
    if (!volm::runReported(app.person(), [&](volm::ErrorContext& ctx) {
            ctx = QStringLiteral("Ошибка при составлении списков показателей.");
            lists = volm::repeatedEntryLists(app);
        }))
        return false;
    dlg.setLists(lists);
    dlg.exec();
    return true;
}
