#pragma once
// The main window TMainForm: the open calculation's name and head nodes, the
// header grid (Заг), the section-number grid and the section grid (Табл) with the
// caption boxes above them that follow horizontal scrolling, the menu, toolbar
// and status bar that start every command. Its first show is the program's
// start-up and its close the shutdown. The window shows the App's state and
// hands its edit texts back to it.
#include "store/app.h"
#include "store/node_fill.h"
#include "ui/result_dialog.h"

#include <QLocale>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QSplitter;
class QTimer;
class QToolBar;
class QWidget;

namespace volm::ui {

class CaptionStrip;
class DataGridModel;
class ResultColumns;
class DataGridView;
class SchematicWindow;

class TMainForm : public QMainWindow, public ResultFollowUps {
    Q_OBJECT
public:
    // The App's checkFormulas and rebuildTables seams, when set, are run with the
    // window locked from now on (set them before making the window).
    explicit TMainForm(App& app, QWidget* parent = nullptr);
    ~TMainForm() override;

    App& app() const { return app_; }

    // Start-up (once; the first show runs it) and shutdown (the close runs it).
    void FormShow();
    void FormClose();

    // The lock around long commands: no menu, toolbar and panels disabled, caption
    // timer stopped. Nested locks count; the outermost unlock restores.
    void BlokirovatOkno();
    void RazblokirovatOkno();
    bool isLocked() const { return lockDepth_ > 0; }

    // Refreshes the caption labels of the header grid or of the section grid.
    void ObnovitZagolovki(DataGridView* grid);
    // One tick of the caption timer.
    void Timer1Timer();
    // The column place under the point x of a grid: 0 for the row-indicator column
    // or outside the grid, else the 1-based number of the shown column.
    static int columnUnder(const DataGridView* grid, int x);

    // Shows the App's state: caption, edits, grids and their columns, sort marks.
    void syncFromApp();
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
    void runCalculation();
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
    void showAbout();

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
    QTimer* Timer1 = nullptr;

    // Menu items; the toolbar shows the same actions.
    QAction *miNewRas = nullptr, *miOpenRas = nullptr, *miSaveRas = nullptr, *miSaveRasAs = nullptr,
            *miOpenSpr = nullptr, *miSaveSprAs = nullptr, *miSzhatRas = nullptr, *miSzhatSpr = nullptr,
            *miExit = nullptr;
    QAction *miSelAll = nullptr, *miDelRec = nullptr, *miDelAllRec = nullptr;
    QAction *miDataRasFormuli = nullptr, *miDataVvodNachDann = nullptr, *miDataVvPovtD = nullptr,
            *miDataVipRas = nullptr, *miDataFormOtsh = nullptr, *miDataVigrV_ME = nullptr,
            *miDataGr = nullptr, *miSortPoNU = nullptr, *miSortPoVnutrSc = nullptr;
    QAction *miSprPlVodi = nullptr, *miSprDiamTr = nullptr, *miSprPoprKoef = nullptr;
    QAction* miNastrProg = nullptr;
    QAction* miDataSkhema = nullptr;  // "Схема сети"
    QAction* miDataProverkiRezhima = nullptr;
    QAction *miSprVOLM = nullptr, *miOProg = nullptr;
    QAction* miVidRaschPok = nullptr;  // "Показывать рассчитанные показатели"
    // The computed indicators' columns and the marks of the results in the grids.
    ResultColumns* resultColumns() const { return results_; }

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
    void attachSeams();
    // Runs a command's body; an abort is silent, any other escaping error is shown
    // with its message (the commands with their own reports never let one out).
    template <typename Body> void guarded(Body&& body);
    // Moves pending edits of the grids into the cursors and stores the section row
    // if it is being edited (before commands that read the file).
    void storePendingEdits();
    void sortSections(bool bySectionNumbers);
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
    bool closed_ = false;
    bool syncing_ = false;
    QActionGroup* sortGroup_ = nullptr;
    QPointer<QWidget> help_;
    QPointer<SchematicWindow> schematic_;
    QLocale locale_;
    std::function<bool(App&)> checkFormulas_;  // the App's seams as given, wrapped in the lock
    std::function<void(App&)> rebuildTables_;
    NodeFillInput autoFillInput_;
    ResultColumns* results_ = nullptr;  // the auto-fill dialog's texts, kept between openings
};

}  // namespace volm::ui
