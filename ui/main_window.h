#pragma once
// The main window TMainForm: the open calculation's name and head nodes, the
// header grid (Заг), the section-number grid and the section grid (Табл) with the
// caption boxes above them that follow the grids' scrolling, the menu, toolbar
// and status bar that start every command. Its first show is the program's
// start-up and its close the shutdown. The window shows the App's files and
// flags, keeps its own state (MainWindowState) and is the App's editor host.
#include "store/app.h"
#include "store/node_fill.h"
#include "store/start_arguments.h"
#include "ui/help_window.h"
#include "ui/result_dialog.h"
#include "ui/window_state.h"

#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QSplitter;
class QToolBar;
class QWidget;

namespace volm::ui {

class CaptionStrip;
class DataGridModel;
class ResultColumns;
class DataGridView;
class RecentFilesMenu;
class SchematicWindow;
class StartHint;
class UndoSteps;
class WindowMemory;

class TMainForm : public QMainWindow,
                  public ResultFollowUps,
                  public EditorHost,
                  public HelpHost,
                  private CatalogueCheck {
    Q_OBJECT
public:
    // The App's catalogue check, when set, runs with the window locked from now
    // on (set it before making the window).
    explicit TMainForm(App& app, QWidget* parent = nullptr);
    ~TMainForm() override;

    App& app() const { return app_; }
    MainWindowState& state() { return state_; }

    // EditorHost: the grids' cell editors and the name and node edits.
    void flushEditors() override;
    bool headerGridEditing() const override;
    bool sectionGridEditing() const override;
    std::optional<HeaderTexts> typedHeader() const override;

    // Start-up (once; the first show runs it) and shutdown (the close runs it).
    void FormShow();
    void FormClose();

    // The lock around long commands: no menu, toolbar and panels disabled, captions
    // left as they are. Nested locks count; the outermost unlock restores.
    void BlokirovatOkno();
    void RazblokirovatOkno();
    bool isLocked() const { return lockDepth_ > 0; }
    // Start-up has run and no command holds the window.
    bool startUpDone() const { return started_ && !closed_ && !isLocked(); }

    // Refreshes the caption labels of the header grid or of the section grid.
    void ObnovitZagolovki(DataGridView* grid);
    // The column place under the point x of a grid: 0 for the row-indicator column
    // or outside the grid, else the 1-based number of the shown column.
    static int columnUnder(const DataGridView* grid, int x);

    // Shows the state: caption, edits, grids and their columns, sort marks.
    void syncFromApp();
    // The core's notices: the calculation (re)opened or closed.
    void calculationOpened();
    void calculationClosed();
    // Applies font sizes to the grids and caption labels.
    void applyFonts(const FontSizes& sizes);
    QString statusText() const;
    void setStatusText(const QString& text);

    // --- commands (menu items and toolbar buttons share them) ---
    void newCalculation();
    void openCalculation();
    void saveCalculation();
    void saveCalculationAs();
    void openReferenceBook();
    void saveReferenceBookAs();
    void compactCalculation();
    void compactReferenceBook();
    void selectAllRecords();
    void deleteRecords();
    void deleteAllRecords();
    void formulasDialog();
    void initialDataDialog();
    void repeatedDataDialog();
    void regimeChecksDialog();
    void sizingDialog();  // "Подбор диаметров..."
    void runCalculation();
    // The options of a run started from this window (the run command's and
    // sizing's): the node edits, the window's lock, the text viewer and display
    // as the outcome display.
    volm::RunOptions runOptions(volm::OutcomeDisplay& display);
    void makeReport();
    void exportToExcel();
    void makeChart();
    void showSchematic();  // "Схема сети"
    // The follow-ups ticked in the result dialog of a run: the commands above.
    void startReport() override;
    void startSpreadsheetExport() override;
    void startChart() override;
    void sortBySections();
    void sortByCounter();
    void waterDensityEditor();
    void pipeDiameterEditor();
    void correctionEditor();
    void settingsDialog();
    void showHelp();
    // HelpHost: the help window over the main window or over one of its dialogs.
    void showHelpPage(const QString& page, QWidget* over) override;
    void showAbout();

    // --- habits of a desktop program (main_window_habits.cpp) ---
    // Shows the window at the size and place it was closed in (maximised the
    // first time), with the splitters where the person left them.
    void showAtLastPlacement();
    // What the window remembers between starts; null while the work folder is
    // not chosen yet.
    WindowMemory* memory();
    // The schematic window's choices kept between its openings and starts.
    void keepSchematicChoices(SchematicWindow* schematic);
    // "Последние расчеты" and the start hint's "Открыть пример".
    void openRecentCalculation(const QString& path);
    void openExampleCopy(const QString& examplePath);
    // The command line's file and message, acted on once start-up is done: the
    // message is told and the file opened as "Открыть расчет" opens a chosen one.
    void setStartArguments(const StartArguments& arguments) { startArguments_ = arguments; }

    // Widgets, named as the program's own developer calls them.
    QLineEdit* edRasName = nullptr;
    QLineEdit* edNuzPNapPod = nullptr;
    QLineEdit* edNuzRNap = nullptr;
    QLabel* lbNuzPNapPod = nullptr;
    QLabel* lbNuzRNap = nullptr;
    CaptionStrip* gbZag = nullptr;     // lbZag1…6
    CaptionStrip* gbGlavn = nullptr;   // lbGlavn1…18
    QLabel* lbLeft = nullptr;
    DataGridView* DGZag = nullptr;
    DataGridView* DGNU = nullptr;
    DataGridView* DGGlavn = nullptr;
    DataGridModel* zagModel = nullptr;
    DataGridModel* nuModel = nullptr;
    DataGridModel* glavnModel = nullptr;
    QWidget* pnTop = nullptr;
    QWidget* pnLeft = nullptr;
    QWidget* pnClient = nullptr;
    QSplitter* splitterTop = nullptr;
    QSplitter* splitterLeft = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QLabel* StatusBar1 = nullptr;

    // Menu items; the toolbar shows the same actions.
    QAction *miNewRas = nullptr, *miOpenRas = nullptr, *miSaveRas = nullptr, *miSaveRasAs = nullptr,
            *miOpenSpr = nullptr, *miSaveSprAs = nullptr, *miSzhatRas = nullptr, *miSzhatSpr = nullptr,
            *miExit = nullptr;
    QAction *miSelAll = nullptr, *miDelRec = nullptr, *miDelAllRec = nullptr;
    QAction *miDataRasFormuli = nullptr, *miDataVvodNachDann = nullptr, *miDataVvPovtD = nullptr,
            *miDataPodborDiam = nullptr, *miDataVipRas = nullptr, *miDataFormOtsh = nullptr, *miDataVigrV_ME = nullptr,
            *miDataGr = nullptr, *miSortPoNU = nullptr, *miSortPoVnutrSc = nullptr;
    QAction *miSprPlVodi = nullptr, *miSprDiamTr = nullptr, *miSprPoprKoef = nullptr;
    QAction* miNastrProg = nullptr;
    QAction* miDataSkhema = nullptr;  // "Схема сети"
    QAction* miDataProverkiRezhima = nullptr;
    QAction *miSprVOLM = nullptr, *miOProg = nullptr;
    RecentFilesMenu* miPoslRas = nullptr;  // "Последние расчеты"
    StartHint* pnStartHint = nullptr;      // shown while no calculation is open
    QAction* miVidRaschPok = nullptr;  // "Показывать рассчитанные показатели"
    QAction* miVidStolbtsy = nullptr;  // "Столбцы..."
    // "Вид / Столбцы...": the person chooses the computed columns of the section
    // grid; the choice is kept in the calculation and the columns are shown.
    void chooseComputedColumns();
    // The computed indicators' columns and the marks of the results in the grids.
    ResultColumns* resultColumns() const { return results_; }
    // "Правка / Отменить" and "Правка / Повторить" over the steps of the data.
    UndoSteps* undoSteps() const { return undoSteps_; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void bindGrids();
    void configureColumns();
    void placeCaptionStrips();
    // The caption strip over a grid follows the grid's scrolling, column and size
    // changes (main_window_captions.cpp).
    void followWithCaptions(DataGridView* grid);
    // Refreshes the captions over one grid, or over both (null).
    void refreshCaptions(DataGridView* grid = nullptr);
    // CatalogueCheck: the App's own check, with the window locked.
    bool check(App& app) override;
    void rebuild(App& app) override;
    void showHeader(const HeaderTexts& texts);
    // Runs a command's body; an abort is silent, any other escaping error is shown
    // with its message (the commands with their own reports never let one out).
    template <typename Body> void guarded(Body&& body);
    // Moves pending edits of the grids into the cursors and stores the section row
    // if it is being edited (before commands that read the file).
    void storePendingEdits();
    void sortSections(bool bySectionNumbers);
    // Shortcuts, the recent files, the start hint (main_window_habits.cpp).
    void setUpHabits();
    void followOpenFile();
    void updateStartHint();
    void rememberPlacement();
    void actOnStartArguments();
    // The grids as a spreadsheet: copy, paste, clearing, the blank row, the
    // results columns and the "Вид" menu (main_window_view.cpp).
    void setUpGridEditing();
    void buildViewMenu();
    void applyResultColumns();
    void widenNodeColumns();

    App& app_;
    int lockDepth_ = 0;
    QPointer<QWidget> focusBeforeLock_;
    bool started_ = false;
    bool captionsFollow_ = false;
    bool startedUp_ = true;  // every step of start-up ran (another running copy stops it at its scratch file)
    bool closed_ = false;
    QActionGroup* sortGroup_ = nullptr;
    QPointer<SchematicWindow> schematic_;
    QLocale locale_;
    MainWindowState state_;
    CatalogueCheck* check_ = nullptr;  // the App's catalogue check as given
    NodeFillInput autoFillInput_;  // the auto-fill dialog's texts, kept between openings
    std::unique_ptr<WindowMemory> memory_;
    ResultColumns* results_ = nullptr;
    UndoSteps* undoSteps_ = nullptr;
    StartArguments startArguments_;
};

}  // namespace volm::ui
