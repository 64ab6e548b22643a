#pragma once
// The formulas window "Расчетные формулы": the predefined indicators read-only,
// the user indicators in an editable grid, and the record commands on them.
// Closing the window, however it is closed, checks the formulas.
//
// Launch: TRasFormuliForm::run(app, parent) from "Расчетные формулы", between the
// main window's BlokirovatOkno and RazblokirovatOkno (the caller locks and
// unlocks). Does nothing when no calculation is open. It clears the
// calculation-done flag, moves the main window's pending grid edits into the
// file, moves both catalogue tables to their first rows and shows the window
// modally; its close runs the check (the App's CatalogueCheck). Afterwards, when
// the check passed, the tables are rebuilt and the window is told (App::changed);
// it shows the grids when FormuliProvereny is set.
#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;

namespace volm {
class App;
namespace ui {
class DataGridModel;
class DataGridView;
}  // namespace ui
}  // namespace volm

class TRasFormuliForm : public QDialog {
    Q_OBJECT
public:
    explicit TRasFormuliForm(volm::App& app, QWidget* parent = nullptr);
    ~TRasFormuliForm() override;

    // Returns false when no calculation file is open.
    static bool run(volm::App& app, QWidget* parent = nullptr);

    // The close: the pending edit of the user grid is posted (a failure is
    // reported and keeps the window open), then the formulas are checked with the
    // menu removed and the grids disabled. False only when the post failed.
    bool checkOnClose();

    // Menu commands.
    void editCurrentPredefined();  // "Изменить текущий показатель"
    void selectAllIndicators();    // "Выделить все записи"
    void deleteSelectedIndicators();  // "Удалить записи"
    void deleteAllIndicators();    // "Удалить все записи"

    void done(int result) override;

    QLabel* lbPredoprPok = nullptr;
    QLabel* lbPok = nullptr;
    volm::ui::DataGridView* DGPredoprPok = nullptr;
    volm::ui::DataGridView* DGPok = nullptr;
    volm::ui::DataGridModel* predefinedModel = nullptr;
    volm::ui::DataGridModel* indicatorsModel = nullptr;
    QMenuBar* menu = nullptr;
    QStatusBar* statusBar = nullptr;
    QAction* miEditCurrent = nullptr;
    QAction* miSelAll = nullptr;
    QAction* miDelRec = nullptr;
    QAction* miDelAllRec = nullptr;
    QAction* miSaveClose = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildGrids();
    void buildMenu();
    void applyFonts();
    bool postPendingEdit();

    volm::App& app_;
    bool closing_ = false;
};
