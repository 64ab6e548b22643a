// TMainForm: the menu, the toolbar and the command handlers.
#include "ui/main_window.h"

#include "commands/run_command.h"
#include "output/report.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/file_commands.h"
#include "store/record_list.h"
#include "store/records.h"
#include "store/reference_books.h"
#include "ui/auto_fill_dialog.h"
#include "ui/result_columns.h"
#include "ui/chart_window.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/formulas_dialog.h"
#include "ui/help_window.h"
#include "ui/icons.h"
#include "ui/initial_data_dialog.h"
#include "ui/report_preview.h"
#include "ui/network_schematic_window.h"
#include "ui/reference_editor.h"
#include "ui/regime_checks_dialog.h"
#include "ui/repeated_entry_dialog.h"
#include "ui/result_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/sizing_dialog.h"
#include "ui/text_viewer.h"
#include "ui/undo_steps.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>

#include "volm_version.h"

namespace volm::ui {

namespace {

const QString kSortBySections = QStringLiteral("НачУзел ASC, КонУзел ASC");
const QString kSortByCounter = QStringLiteral("id ASC");
const QString kDeleteContext = QStringLiteral("Ошибка при удалении записей.");

}  // namespace

template <typename Body>
void TMainForm::guarded(Body&& body) {
    runReported(app_.person(), [&](ErrorContext&) { body(); });
}

void TMainForm::buildActions() {
    auto make = [this](const QString& caption, void (TMainForm::*handler)(), const char* name) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(caption);
        // A notice of the last command (where a file was saved) goes when the next one starts.
        connect(a, &QAction::triggered, this, [this] { setStatusText(QString()); });
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    miNewRas = make(QStringLiteral("Создать новый расчет"), &TMainForm::newCalculation, "miNewRas");
    miOpenRas = make(QStringLiteral("Открыть расчет"), &TMainForm::openCalculation, "miOpenRas");
    miSaveRas = make(QStringLiteral("Сохранить расчет"), &TMainForm::saveCalculation, "miSaveRas");
    miSaveRasAs = make(QStringLiteral("Сохранить расчет как..."), &TMainForm::saveCalculationAs, "miSaveRasAs");
    miOpenSpr = make(QStringLiteral("Открыть справочники"), &TMainForm::openReferenceBook, "miOpenSpr");
    miSaveSprAs = make(QStringLiteral("Сохранить справочники как..."), &TMainForm::saveReferenceBookAs, "miSaveSprAs");
    miSzhatRas = make(QStringLiteral("Сжать расчет"), &TMainForm::compactCalculation, "miSzhatRas");
    miSzhatSpr = make(QStringLiteral("Сжать справочники"), &TMainForm::compactReferenceBook, "miSzhatSpr");
    miExit = new QAction(QStringLiteral("Выход"), this);
    miExit->setObjectName(QStringLiteral("miExit"));
    connect(miExit, &QAction::triggered, this, &QWidget::close);

    miSelAll = make(QStringLiteral("Выделить все записи"), &TMainForm::selectAllRecords, "miSelAll");
    miDelRec = make(QStringLiteral("Удалить записи"), &TMainForm::deleteRecords, "miDelRec");
    miDelAllRec = make(QStringLiteral("Удалить все записи"), &TMainForm::deleteAllRecords, "miDelAllRec");

    miDataRasFormuli = make(QStringLiteral("Расчетные формулы"), &TMainForm::formulasDialog, "miDataRasFormuli");
    miDataVvodNachDann =
        make(QStringLiteral("Ввод начальных данных"), &TMainForm::initialDataDialog, "miDataVvodNachDann");
    miDataVvPovtD = make(QStringLiteral("Ввод повторяющихся данных"), &TMainForm::repeatedDataDialog, "miDataVvPovtD");
    miDataProverkiRezhima = make(QStringLiteral("Проверки режима"), &TMainForm::regimeChecksDialog, "miDataProverkiRezhima");
    miDataPodborDiam = make(QStringLiteral("Подбор диаметров..."), &TMainForm::sizingDialog, "miDataPodborDiam");
    miDataPodborDiam->setIcon(TPodborDiamForm::icon());
    miDataVipRas = make(QStringLiteral("Выполнить расчет"), &TMainForm::runCalculation, "miDataVipRas");
    miDataFormOtsh = make(QStringLiteral("Формировать отчет"), &TMainForm::makeReport, "miDataFormOtsh");
    miDataVigrV_ME =
        make(QStringLiteral("Выгрузить отчет в Microsoft Excel"), &TMainForm::exportToExcel, "miDataVigrV_ME");
    miDataGr = make(QStringLiteral("Формировать график"), &TMainForm::makeChart, "miDataGr");
    miDataSkhema = make(QStringLiteral("Схема сети"), &TMainForm::showSchematic, "miDataSkhema");
    miDataSkhema->setIcon(SchematicWindow::icon());
    miSortPoNU = make(QStringLiteral("Сортировать по номерам участков"), &TMainForm::sortBySections, "miSortPoNU");
    miSortPoVnutrSc =
        make(QStringLiteral("Сортировать по внутреннему счетчику"), &TMainForm::sortByCounter, "miSortPoVnutrSc");
    for (QAction* a : {miSortPoNU, miSortPoVnutrSc}) a->setCheckable(true);
    sortGroup_ = new QActionGroup(this);
    sortGroup_->setExclusive(true);
    sortGroup_->addAction(miSortPoNU);
    sortGroup_->addAction(miSortPoVnutrSc);
    miSortPoVnutrSc->setChecked(true);

    miSprPlVodi = make(QStringLiteral("Плотность воды при различной температуре"), &TMainForm::waterDensityEditor,
                       "miSprPlVodi");
    miSprDiamTr = make(QStringLiteral("Диаметры трубопровода"), &TMainForm::pipeDiameterEditor, "miSprDiamTr");
    miSprPoprKoef = make(QStringLiteral("Поправочные коэффициенты к удельным потерям давления"),
                         &TMainForm::correctionEditor, "miSprPoprKoef");
    miNastrProg = make(QStringLiteral("Настройки программы"), &TMainForm::settingsDialog, "miNastrProg");
    miSprVOLM = make(QStringLiteral("Справка ВОЛМ 1.0"), &TMainForm::showHelp, "miSprVOLM");
    miOProg = make(QStringLiteral("О программе"), &TMainForm::showAbout, "miOProg");

    miNewRas->setIcon(icon(IconId::NewCalc));
    miOpenRas->setIcon(icon(IconId::OpenCalc));
    miSaveRas->setIcon(icon(IconId::SaveCalc));
    miSaveRasAs->setIcon(icon(IconId::SaveCalcAs));
    miSelAll->setIcon(icon(IconId::SelectAll));
    miDelRec->setIcon(icon(IconId::DeleteRecords));
    miDelAllRec->setIcon(icon(IconId::DeleteAll));
    miDataVvodNachDann->setIcon(icon(IconId::InitialData));
    miDataVvPovtD->setIcon(icon(IconId::RepeatedData));
    miDataVipRas->setIcon(icon(IconId::Run));
    miDataFormOtsh->setIcon(icon(IconId::Report));
    miDataVigrV_ME->setIcon(icon(IconId::Excel));
    miDataGr->setIcon(icon(IconId::Chart));
    miSortPoNU->setIcon(icon(IconId::SortBySections));
    miSortPoVnutrSc->setIcon(icon(IconId::SortByCounter));
    miSprVOLM->setIcon(icon(IconId::Help));
    miOProg->setIcon(icon(IconId::About));
    // The menus show captions only; the images belong to the toolbar.
    for (QAction* a : findChildren<QAction*>()) a->setIconVisibleInMenu(false);
}

void TMainForm::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&Файл"));
    file->addActions({miNewRas, miOpenRas, miSaveRas, miSaveRasAs});
    file->addSeparator();
    file->addActions({miOpenSpr, miSaveSprAs});
    file->addSeparator();
    file->addActions({miSzhatRas, miSzhatSpr});
    file->addSeparator();
    file->addAction(miExit);

    QMenu* edit = bar->addMenu(QStringLiteral("&Правка"));
    edit->addActions({undoSteps_->undoAction(), undoSteps_->redoAction()});
    edit->addSeparator();
    edit->addActions({miSelAll, miDelRec, miDelAllRec});

    QMenu* data = bar->addMenu(QStringLiteral("&Данные"));
    data->addActions({miDataRasFormuli, miDataVvodNachDann, miDataVvPovtD});
    data->addAction(miDataProverkiRezhima);
    data->addSeparator();
    data->addActions({miDataPodborDiam, miDataVipRas});
    data->addSeparator();
    data->addActions({miDataFormOtsh, miDataVigrV_ME, miDataGr});
    data->addAction(miDataSkhema);
    data->addSeparator();
    data->addActions({miSortPoNU, miSortPoVnutrSc});

    QMenu* books = bar->addMenu(QStringLiteral("Сп&равочники"));
    books->addActions({miSprPlVodi, miSprDiamTr, miSprPoprKoef});

    QMenu* settings = bar->addMenu(QStringLiteral("&Настройки"));
    settings->addAction(miNastrProg);

    QMenu* help = bar->addMenu(QStringLiteral("&Справка"));
    help->addActions({miSprVOLM, miOProg});
}

void TMainForm::buildToolBar() {
    ToolBar1 = addToolBar(QStringLiteral("Панель инструментов"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->addActions({miNewRas, miOpenRas, miSaveRas, miSaveRasAs});
    ToolBar1->addSeparator();
    ToolBar1->addActions({miSelAll, miDelRec, miDelAllRec});
    ToolBar1->addSeparator();
    ToolBar1->addActions({miDataVvodNachDann, miDataVvPovtD});
    ToolBar1->addSeparator();
    ToolBar1->addActions({miDataPodborDiam, miDataVipRas});
    ToolBar1->addSeparator();
    ToolBar1->addActions({miDataFormOtsh, miDataVigrV_ME, miDataGr});
    ToolBar1->addAction(miDataSkhema);
    ToolBar1->addSeparator();
    ToolBar1->addActions({miSortPoNU, miSortPoVnutrSc});
    ToolBar1->addSeparator();
    ToolBar1->addActions({miSprVOLM, miOProg});
    // The toolbar's own context menu would let the person hide it.
    ToolBar1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void TMainForm::storePendingEdits() {
    flushEditors();
    Table* zag = app_.dm.atZag.get();
    if (zag && zag->isOpen() && zag->editing()) zag->post();
    Table* t = app_.dm.atTabl.get();
    if (t && t->isOpen() && t->editing()) ZapisatUchastok(app_);
}

// --- Файл ---------------------------------------------------------------------

void TMainForm::newCalculation() { volm::newCalculation(app_); }
void TMainForm::openCalculation() { volm::openCalculation(app_); }

void TMainForm::saveCalculation() { volm::saveCalculation(app_); }

void TMainForm::saveCalculationAs() { volm::saveCalculationAs(app_); }
void TMainForm::openReferenceBook() { volm::openReferenceBook(app_); }
void TMainForm::saveReferenceBookAs() { volm::saveReferenceBookAs(app_); }
void TMainForm::compactCalculation() { volm::compactCalculation(app_); }
void TMainForm::compactReferenceBook() { volm::compactReferenceBook(app_); }

// --- Правка: the record commands on the section grid ---------------------------

void TMainForm::selectAllRecords() {
    Table* t = app_.dm.atTabl.get();
    if (!t || !t->isOpen() || t->isEmpty()) return;
    DGGlavn->selectAllRows();
}

void TMainForm::deleteRecords() {
    Table* t = app_.dm.atTabl.get();
    if (!t || !t->isOpen()) return;
    runReported(app_.person(), [&](ErrorContext& ctx) {
        ctx = kDeleteContext;
        // The row being edited is stored first: it may be one of those deleted,
        // and its own store would otherwise cut the command short.
        storePendingEdits();
        const QList<int> selected = DGGlavn->selectedRowNumbers();
        RecordedStep step(app_.changes, QStringLiteral("удаление ") +
                                            countText(std::max<qsizetype>(1, selected.size()), QStringLiteral("записи"),
                                                      QStringLiteral("записей"), QStringLiteral("записей")));
        // Every deleted row is unmarked: no row stays selected afterwards.
        if (deleteSelectedRecords(app_.person(), *t, app_.dm.acGR, std::vector<int>(selected.begin(), selected.end()),
                                  [this](const Table& table, int row) {
                                      UstanovitRasVip(app_, false);
                                      return deleteSectionStatement(table, row);
                                  }))
            DGGlavn->clearSelection();
    });
}

void TMainForm::deleteAllRecords() {
    Table* t = app_.dm.atTabl.get();
    if (!t || !t->isOpen()) return;
    runReported(app_.person(), [&](ErrorContext& ctx) {
        ctx = kDeleteContext;
        // A row being edited goes with the others.
        DGGlavn->endEditing();
        RecordedStep step(app_.changes, QStringLiteral("удаление всех записей"));
        if (volm::deleteAllRecords(app_.person(), *t, app_.dm.acGR)) {
            UstanovitRasVip(app_, false);
            DGGlavn->clearSelection();
        }
    });
}

// --- Данные -------------------------------------------------------------------

void TMainForm::formulasDialog() {
    if (!app_.dm.acGR.isOpen()) return;
    BlokirovatOkno();
    Finally unlock([this] { RazblokirovatOkno(); });
    guarded([&] {
        DGZag->endEditing();
        DGGlavn->endEditing();
        // The session is one step: the indicators and the tables rebuilt to them.
        RecordedStep step(app_.changes, QStringLiteral("изменение расчетных формул"));
        if (TRasFormuliForm::run(app_, this)) state_.gridsVisible = app_.FormuliProvereny;
    });
    syncFromApp();
}

void TMainForm::initialDataDialog() {
    if (!app_.dm.acGR.isOpen()) return;
    BlokirovatOkno();
    Finally unlock([this] { RazblokirovatOkno(); });
    guarded([&] {
        DGZag->endEditing();
        DGGlavn->endEditing();
        const QString session = QStringLiteral("ввод начальных данных");
        RecordedStep step(app_.changes, session);
        // Auto-fill of the nodes is a step of its own between what the session
        // changed before it and what it changes after it.
        const bool ran = TVvodNachDannForm::run(app_, this, [this, &session](QWidget* over) {
            app_.changes.splitStep(QStringLiteral("автозаполнение узлов тепловой сети"));
            Finally rest([&] { app_.changes.splitStep(session); });
            TAutoZapolUzTSForm::run(app_, autoFillInput_, over);
        });
        if (ran) state_.gridsVisible = app_.FormuliProvereny;
    });
    syncFromApp();
}

void TMainForm::repeatedDataDialog() {
    if (!app_.dm.acGR.isOpen() || !app_.FormuliProvereny) return;
    guarded([&] {
        DGZag->endEditing();
        DGGlavn->endEditing();
        RecordedStep step(app_.changes, QStringLiteral("ввод повторяющихся данных"));
        TVvPovtDForm::run(app_, this);
    });
    syncFromApp();
}

void TMainForm::regimeChecksDialog() {
    if (!app_.dm.acGR.isOpen()) return;
    guarded([&] {
        DGZag->endEditing();
        DGGlavn->endEditing();
        RecordedStep step(app_.changes, QStringLiteral("проверки режима"));
        TProverkiRezhimaForm::run(app_, this);
    });
    if (results_) {
        results_->invalidate();
        results_->apply();
    }
}

void TMainForm::sizingDialog() {
    guarded([&] {
        storePendingEdits();
        RecordedStep step(app_.changes, QStringLiteral("подбор диаметров"));
        TPodborDiamForm::command(*this);
    });
    if (schematic_) guarded([&] { schematic_->refresh(); });
}

RunOptions TMainForm::runOptions(OutcomeDisplay& display) {
    RunOptions options;
    options.supplyNodeText = edNuzPNapPod->text();
    options.availNodeText = edNuzRNap->text();
    options.lockWindow = [this](bool locked) {
        if (locked) {
            DGZag->endEditing();
            DGGlavn->endEditing();
            BlokirovatOkno();
        } else {
            RazblokirovatOkno();
        }
    };
    options.showText = [this](const QString& path) { TVigrV_TXTForm::showFile(app_, path, this); };
    options.outcomeDisplay = &display;
    return options;
}

void TMainForm::runCalculation() {
    // A successful run shows the result dialog and starts its follow-ups itself,
    // before its final steps.
    ResultDialogDisplay resultDialog(app_, *this, this);
    const RunOptions options = runOptions(resultDialog);
    guarded([&] { volm::runCalculation(app_, options); });
    if (results_) results_->invalidate();
    syncFromApp();
    if (schematic_) guarded([&] { schematic_->refresh(); });
}

void TMainForm::startReport() { makeReport(); }
void TMainForm::startSpreadsheetExport() { exportToExcel(); }
void TMainForm::startChart() { makeChart(); }

void TMainForm::makeReport() {
    if (!app_.dm.acGR.isOpen()) return;
    std::optional<report::ReportPages> pages;
    {
        DGZag->endEditing();
        DGGlavn->endEditing();
        BlokirovatOkno();
        Finally unlock([this] { RazblokirovatOkno(); });
        pages = report::prepareReport(app_);
    }
    syncFromApp();
    if (pages) showReportPreview(*pages, app_, this);
}

void exportResultsWorkbook(TMainForm& window);  // main_window_export.cpp

void TMainForm::exportToExcel() { exportResultsWorkbook(*this); }

void TMainForm::makeChart() {
    if (!app_.dm.acGR.isOpen()) return;
    guarded([&] { TGrForm::launch(app_, this); });
    syncFromApp();
}

// The schematic window: one at a time, read again on every opening; a double-click
// on a section moves the section grid to its row and selects it.
void TMainForm::showSchematic() {
    if (!app_.dm.acGR.isOpen()) return;
    guarded([&] {
        storePendingEdits();
        if (!schematic_) {
            schematic_ = new SchematicWindow(app_, this);
            keepSchematicChoices(schematic_);
            schematic_->onSectionChosen = [this](qint64 id) {
                Table* t = app_.dm.atTabl.get();
                if (!t || !t->isOpen() || !t->locate(id)) return;
                const QModelIndex cell = glavnModel->index(t->currentRow(), 0);
                DGGlavn->selectionModel()->select(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                DGGlavn->scrollTo(cell);
                activateWindow();
            };
        } else {
            schematic_->refresh();
        }
        schematic_->show();
        schematic_->raise();
        schematic_->activateWindow();
    });
}

// The radio pair in the menu and the toolbar pair are the same two actions, so
// a click marks both places; without a calculation the marks stay as they were.
void TMainForm::sortSections(bool bySectionNumbers) {
    Table* t = app_.dm.atTabl.get();
    if (!app_.dm.acGR.isOpen() || !t || !t->isOpen()) {
        const bool marked = app_.sectionSort != kSortByCounter;
        miSortPoNU->setChecked(marked);
        miSortPoVnutrSc->setChecked(!marked);
        return;
    }
    runReported(app_.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при сортировке записей таблицы расчета.");
        flushEditors();
        if (t->editing()) ZapisatUchastok(app_);
        app_.sectionSort = bySectionNumbers ? kSortBySections : kSortByCounter;
        t->setSort(app_.sectionSort);
    });
    const bool marked = app_.sectionSort != kSortByCounter;
    miSortPoNU->setChecked(marked);
    miSortPoVnutrSc->setChecked(!marked);
}

void TMainForm::sortBySections() { sortSections(true); }
void TMainForm::sortByCounter() { sortSections(false); }

// --- Справочники ------------------------------------------------------------------

void TMainForm::waterDensityEditor() { guarded([&] { TSprEditForm::run(app_, densityBook(), this); }); }
void TMainForm::pipeDiameterEditor() { guarded([&] { TSprEditForm::run(app_, diameterBook(), this); }); }
void TMainForm::correctionEditor() { guarded([&] { TSprEditForm::run(app_, correctionBook(), this); }); }

// --- Настройки, Справка -------------------------------------------------------------

void TMainForm::settingsDialog() {
    if (!app_.dm.acNastr.isOpen()) return;
    guarded([&] { TNastrProgForm::run(app_, this); });
}

void TMainForm::showHelp() { showHelpPage(QStringLiteral("index.html"), this); }

void TMainForm::showHelpPage(const QString& page, QWidget* over) {
    app_.enterProgramDir();
    const QString index = helpIndexPath(app_.programDir());
    if (!QFileInfo(index).isFile()) {
        app_.person().message(QStringLiteral("Файл ") + index + QStringLiteral(" не найден."));
        return;
    }
    showHelpOver(over ? over : this, QFileInfo(index).absolutePath(), page, !over || over == this);
}

void TMainForm::showAbout() {
    const QString text = QStringLiteral(
        "Гидравлический расчет водяных тепловых сетей\n"
        "ВОЛМ " VOLM_VERSION "\n"
        "Дата последнего обновления: 10.12.2026\n"
        "Сайт программы: https://volm.example.org\n"
        "Разработчик: группа разработчиков ВОЛМ\n"
        "Электронная почта: volm@example.org");
    QMessageBox box(QMessageBox::Information, QStringLiteral("О программе"), text, QMessageBox::Ok, this);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

}  // namespace volm::ui
