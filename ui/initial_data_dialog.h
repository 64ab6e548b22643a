#pragma once
// The initial-data dialog "Ввод начальных данных": network type, whether section
// flows are summed from the end nodes, the network's start node, the network
// nodes with their heights and the full-head changes at nodes.
//
// Launch: TVvodNachDannForm::run(app, parent, autoFill) from "Ввод начальных
// данных", between the main window's BlokirovatOkno and RazblokirovatOkno (the
// caller locks and unlocks). Does nothing when no calculation is open. It clears
// the calculation-done flag, moves the main window's pending grid edits into the
// file, shows the dialog modally, and after it closes checks the formulas and,
// when they pass, rebuilds the tables (the App's CatalogueCheck); then tells the
// window (App::changed), which shows the grids when FormuliProvereny is set. autoFill opens the node auto-fill dialog over this one.
// The grids write straight into the file; the scalar values are stored when the
// dialog closes, however it is closed.
#include "store/app.h"

#include <QDialog>
#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;

namespace volm {
class App;
class Table;
namespace ui {
class DataGridModel;
class DataGridView;
}
}  // namespace volm

class TVvodNachDannForm : public QDialog {
    Q_OBJECT
public:
    using AutoFill = std::function<void(QWidget* over)>;

    explicit TVvodNachDannForm(volm::App& app, QWidget* parent = nullptr);
    ~TVvodNachDannForm() override;

    // Returns false when no calculation file is open.
    static bool run(volm::App& app, QWidget* parent = nullptr, AutoFill autoFill = {});

    // Fills the controls from НазвРасч and focuses the node grid.
    void load();
    // The close steps: pending grid rows, then ТипСети, РасчРасх, NНачУз, then
    // ProveritNachDann. False when a step failed with an error (reported): the
    // dialog then stays open. An abort skips the remaining steps and closes.
    bool storeOnClose();

    void setAutoFill(AutoFill f) { autoFill_ = std::move(f); }

    // Network type as the radio group shows it: 0, 1, or -1 when none is chosen.
    int networkTypeIndex() const;
    void setNetworkTypeIndex(int index);

    QGroupBox* rgTipSeti = nullptr;
    QRadioButton* rbOneTube = nullptr;   // "Однотрубная"
    QRadioButton* rbTwoTube = nullptr;   // "Двухтрубная"
    QCheckBox* cbRasRash = nullptr;
    QLabel* lbRasRash = nullptr;         // the check box's wrapped caption
    QCheckBox* cbLooped = nullptr;       // "Сеть с кольцами": КольцСеть
    QLineEdit* edNomNachUz = nullptr;
    volm::ui::DataGridView* DGUzliTS = nullptr;
    volm::ui::DataGridView* DGIsmPNap = nullptr;
    volm::ui::DataGridModel* nodesModel = nullptr;
    volm::ui::DataGridModel* headChangesModel = nullptr;

    QMenu* miUzliTS = nullptr;
    QAction* miUzliTSSelAll = nullptr;
    QAction* miUzliTSDelRec = nullptr;
    QAction* miUzliTSDelAllRec = nullptr;
    QAction* miUzliTSAutoZapol = nullptr;
    QMenu* miIsmPNap = nullptr;
    QAction* miIsmPNapSelAll = nullptr;
    QAction* miIsmPNapDelRec = nullptr;
    QAction* miIsmPNapDelAllRec = nullptr;
    QAction* miSaveClose = nullptr;

    // The record commands of the two grids.
    void selectAllNodes();
    void deleteSelectedNodes();
    void deleteAllNodes();
    void selectAllHeadChanges();
    void deleteSelectedHeadChanges();
    void deleteAllHeadChanges();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGrids();
    void applyFonts(volm::FontSizes sizes);
    void buildMenu(class QMenuBar* bar);
    void selectAll(volm::ui::DataGridView* view);
    void deleteSelected(volm::ui::DataGridView* view, const std::function<QString(const volm::Table&, int)>& statement);
    void deleteAll(volm::ui::DataGridView* view);

    volm::App& app_;
    QButtonGroup* networkType_ = nullptr;
    AutoFill autoFill_;
    bool closing_ = false;
};
