#include "ui/formulas_dialog.h"

#include "store/app.h"
#include "store/command.h"
#include "store/formula_columns.h"
#include "store/record_list.h"
#include "store/records.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"
#include "ui/predefined_edit_dialog.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

using volm::ui::boldLabel;
using volm::ui::ColumnLook;
using volm::ui::DataGridModel;
using volm::ui::DataGridView;

namespace {

const QString kCheckStatus = QStringLiteral("Проверка синтаксиса показателей расчета...");

// Column widths are given in characters of the grid's font.
struct Column {
    const char* field;
    const char* title;
    int chars;
    bool centred;
    const char* trueText = "Да";
    const char* falseText = "Нет";
};

// The captions of the catalogue's fields.
const Column kPredefinedColumns[] = {
    {"НаимПок", "Наименование показателя", 60, false},
    {"НаимПокСокр", "Сокр. наименование показателя", 18, false},
    {"Табл", "Табличный (Т) или заголовочный (З)", 12, true, "Т", "З"},
    {"ВводПольз", "Вводится пользователем", 12, true},
    {"Формула", "Формула", 60, false},
    {"ВывВОтчТабл", "Выводить в отчет", 12, true},
    {"ИспПриРасч1трТС", "Используется при расчете 1-трубной сети", 14, true},
    {"ИспПриРасч2трТС", "Используется при расчете 2-трубной сети", 14, true},
};

const Column kUserColumns[] = {
    {"Nпп", "№ п/п", 5, true},
    {"НаимПок", "Наименование показателя", 40, false},
    {"НаимПокСокр", "Сокр. наименование показателя", 18, false},
    {"Табл", "Табличный (Т) или заголовочный (З)", 12, true, "Т", "З"},
    {"ВводПольз", "Вводится пользователем", 12, true},
    {"Формула", "Формула", 60, false},
    {"ВывВОтчТабл", "Выводить в отчет", 12, true},
    {"ПослеНапоров", "Вычисляется после расчета напоров", 14, true},
};

template <size_t N>
void setColumns(DataGridModel* model, const Column (&columns)[N], const QFontMetrics& fm) {
    QStringList fields;
    for (const Column& c : columns) {
        ColumnLook look;
        look.title = QString::fromUtf8(c.title);
        look.width = fm.averageCharWidth() * c.chars + 12;
        look.alignment = c.centred ? Qt::Alignment(Qt::AlignCenter) : (Qt::AlignLeft | Qt::AlignVCenter);
        look.trueText = QString::fromUtf8(c.trueText);
        look.falseText = QString::fromUtf8(c.falseText);
        model->setColumnLook(QString::fromUtf8(c.field), look);
        fields << QString::fromUtf8(c.field);
    }
    model->setFields(fields);
}

}  // namespace

TRasFormuliForm::TRasFormuliForm(volm::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    volm::ui::addHelpKey(this, QStringLiteral("formulas.html"));
    setObjectName(QStringLiteral("RasFormuliForm"));
    setWindowTitle(QStringLiteral("Расчетные формулы"));
    setModal(true);
    setSizeGripEnabled(false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    volm::addAfterHeadsColumn(app_);
    buildGrids();

    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(2);
    lbPredoprPok = boldLabel(QStringLiteral("  Предопределенные показатели расчета:"), top, 2);
    topLayout->addWidget(lbPredoprPok);
    topLayout->addWidget(DGPredoprPok, 1);
    DGPredoprPok->setMinimumHeight(60);

    auto* bottom = new QWidget(this);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(2);
    lbPok = boldLabel(QStringLiteral("  Показатели расчета:"), bottom, 2);
    bottomLayout->addWidget(lbPok);
    bottomLayout->addWidget(DGPok, 1);
    DGPok->setMinimumHeight(60);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(top);
    splitter->addWidget(bottom);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    menu = new QMenuBar(this);
    buildMenu();

    statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu);
    layout->addWidget(splitter, 1);
    layout->addWidget(statusBar);

    // Never narrower than the grids' titles need, whatever the font.
    setMinimumSize(QSize(632, 426).expandedTo(minimumSizeHint()));
    resize(minimumSize());

    applyFonts();
    connect(&app_, &volm::App::fontsChanged, this, [this](volm::FontSizes) { applyFonts(); });
}

TRasFormuliForm::~TRasFormuliForm() = default;

void TRasFormuliForm::buildGrids() {
    predefinedModel = new DataGridModel(this);
    predefinedModel->setPerson(&app_.person());
    predefinedModel->setLocale(app_.locale);
    predefinedModel->setReadOnly(true);
    predefinedModel->setTable(app_.dm.atFlyPredoprPok.get());
    DGPredoprPok = new DataGridView(this);
    DGPredoprPok->setObjectName(QStringLiteral("DGPredoprPok"));
    DGPredoprPok->setAppendAllowed(false);
    DGPredoprPok->setSelectionMode(QAbstractItemView::SingleSelection);
    DGPredoprPok->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DGPredoprPok->setGridModel(predefinedModel);

    indicatorsModel = new DataGridModel(this);
    indicatorsModel->setPerson(&app_.person());
    indicatorsModel->setLocale(app_.locale);
    indicatorsModel->setTable(app_.dm.atFormuli.get());
    DGPok = new DataGridView(this);
    DGPok->setObjectName(QStringLiteral("DGPok"));
    DGPok->setGridModel(indicatorsModel);
}

void TRasFormuliForm::applyFonts() {
    const volm::FontSizes sizes = volm::ui::dialogFontSizes(app_);
    volm::ui::applyGridFont(DGPredoprPok, sizes);
    volm::ui::applyGridFont(DGPok, sizes);
    setColumns(predefinedModel, kPredefinedColumns, DGPredoprPok->fontMetrics());
    setColumns(indicatorsModel, kUserColumns, DGPok->fontMetrics());
    volm::ui::fitColumnTitles(DGPredoprPok);
    volm::ui::fitColumnTitles(DGPok);
}

void TRasFormuliForm::buildMenu() {
    QMenu* predefined = menu->addMenu(QStringLiteral("Предопределенные показатели"));
    miEditCurrent = predefined->addAction(QStringLiteral("Изменить текущий показатель"), this,
                                          &TRasFormuliForm::editCurrentPredefined);
    QMenu* indicators = menu->addMenu(QStringLiteral("Показатели"));
    miSelAll = indicators->addAction(QStringLiteral("Выделить все записи"), this, &TRasFormuliForm::selectAllIndicators);
    miDelRec = indicators->addAction(QStringLiteral("Удалить записи"), this, &TRasFormuliForm::deleteSelectedIndicators);
    miDelAllRec =
        indicators->addAction(QStringLiteral("Удалить все записи"), this, &TRasFormuliForm::deleteAllIndicators);
    miSaveClose = menu->addAction(QStringLiteral("Сохранить и закрыть"));
    connect(miSaveClose, &QAction::triggered, this, [this] { close(); });

    miEditCurrent->setObjectName(QStringLiteral("miPredoprPokEditCurr"));
    miSelAll->setObjectName(QStringLiteral("miPokSelAll"));
    miDelRec->setObjectName(QStringLiteral("miPokDelRec"));
    miDelAllRec->setObjectName(QStringLiteral("miPokDelAllRec"));
    miSaveClose->setObjectName(QStringLiteral("miSaveClose"));
}

void TRasFormuliForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    statusBar->clearMessage();
    for (DataGridView* v : {DGPredoprPok, DGPok}) {
        if (v->model() && v->model()->rowCount() > 0) {
            const int row = v->currentIndex().isValid() ? v->currentIndex().row() : 0;
            v->setCurrentIndex(v->model()->index(row, 0));
        }
    }
    DGPredoprPok->setFocus();
}

// Ends the cell editor of the user grid and posts its row; a failure is reported.
bool TRasFormuliForm::postPendingEdit() {
    volm::Table* t = app_.dm.atFormuli.get();
    if (!t) return true;
    return volm::runReported(app_.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при записи данных в таблицу \"Показатели расчета\".");
        DGPok->endEditing();
        volm::postPendingRow(*t);
    });
}

bool TRasFormuliForm::checkOnClose() {
    if (!postPendingEdit()) return false;
    volm::Finally restore([this] {
        statusBar->clearMessage();
        menu->setVisible(true);
        DGPredoprPok->setEnabled(true);
        DGPok->setEnabled(true);
    });
    statusBar->showMessage(kCheckStatus);
    menu->setVisible(false);
    DGPredoprPok->setEnabled(false);
    DGPok->setEnabled(false);
    statusBar->repaint();
    app_.person().processEvents();
    volm::runReported(app_.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при проверке синтаксиса показателей расчета.");
        if (volm::CatalogueCheck* check = app_.catalogueCheck()) check->check(app_);
    });
    return true;
}

void TRasFormuliForm::done(int result) {
    if (closing_) return;
    closing_ = true;
    volm::Finally reset([this] { closing_ = false; });
    if (!checkOnClose()) return;
    QDialog::done(result);
}

void TRasFormuliForm::editCurrentPredefined() {
    volm::Table* t = app_.dm.atFlyPredoprPok.get();
    if (!t || t->isEmpty()) return;
    // The dialog reports a failure to store the row itself.
    TPredoprPokEditCurr::run(app_, this);
}

void TRasFormuliForm::selectAllIndicators() {
    volm::Table* t = app_.dm.atFormuli.get();
    if (!t || t->isEmpty()) return;
    // The view marks every row and keeps the current one where it was.
    DGPok->selectAllRows();
}

void TRasFormuliForm::deleteSelectedIndicators() {
    volm::Table* t = app_.dm.atFormuli.get();
    if (!t || !postPendingEdit()) return;
    volm::runReported(app_.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при удалении записей.");
        const QList<int> rows = DGPok->selectedRowNumbers();
        if (volm::deleteSelectedRecords(app_.person(), *t, app_.dm.acGR, std::vector<int>(rows.begin(), rows.end()),
                                        volm::deleteIndicatorStatement))
            DGPok->clearSelection();
    });
}

void TRasFormuliForm::deleteAllIndicators() {
    volm::Table* t = app_.dm.atFormuli.get();
    if (!t) return;
    volm::runReported(app_.person(), [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при удалении записей.");
        DGPok->endEditing();
        if (volm::deleteAllRecords(app_.person(), *t, app_.dm.acGR))
            DGPok->clearSelection();
    });
}

bool TRasFormuliForm::run(volm::App& app, QWidget* parent) {
    volm::DataModule& dm = app.dm;
    if (!dm.acGR.isOpen() || !dm.atFormuli || !dm.atFlyPredoprPok) return false;
    volm::Person& person = app.person();

    const bool ready = volm::runReported(person, [&](volm::ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при сохранении данных.");
        volm::UstanovitRasVip(app, false);
        app.editors().flushEditors();
        if (dm.atZag && dm.atZag->editing()) dm.atZag->post();
        if (dm.atTabl && dm.atTabl->editing()) volm::ZapisatUchastok(app);
        dm.atFormuli->first();
        dm.atFlyPredoprPok->first();
    });
    if (ready) {
        {
            TRasFormuliForm dlg(app, parent);
            dlg.exec();
        }
        person.processEvents();
        volm::CatalogueCheck* check = app.catalogueCheck();
        if (app.FormuliProvereny && check) {
            volm::runReported(person, [&](volm::ErrorContext& ctx) {
                ctx = QStringLiteral("Ошибка при настройке структуры таблиц гидравлического расчета.");
                check->rebuild(app);
            });
        }
    }
    app.changed();
    return true;
}
