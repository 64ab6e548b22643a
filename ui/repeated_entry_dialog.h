#pragma once
// The repeated-data dialog "Ввод повторяющихся данных": a list of sections with
// their fill mark Заполн_Уч, and eight assignment rows (target indicator = a
// number or a source indicator) applied to every marked section. The work is
// done by the core (store/repeated_entry.h); the dialog keeps its combos to
// their lists, a number and a source of one row exclusive, and locks itself
// while a long command runs.
#include "store/repeated_entry.h"

#include <QDialog>
#include <array>

class QAction;
class QComboBox;
class QLineEdit;
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

class TVvPovtDForm : public QDialog {
    Q_OBJECT
public:
    explicit TVvPovtDForm(volm::App& app, QWidget* parent = nullptr);

    // The launcher: preconditions, the flag, the lists, the modal dialog and the
    // return to the section that was current. False when it did not open.
    static bool run(volm::App& app, QWidget* parent = nullptr);

    // Fills the sixteen combos from the lists and clears every combo and edit.
    void setLists(const volm::IndicatorLists& lists);
    std::vector<volm::Assignment> assignments() const;

    // The commands.
    void yesForAll();
    void noForAll();
    void invert();
    void selectAll();
    void apply();
    void toggleCurrent();   // a click in the Заполн_Уч column
    void spacePressed();    // the Space key in the grid

    // Leaving a combo or a number edit.
    void normaliseCombo(QComboBox* combo);
    void leftNumber(int row);
    void leftSource(int row);

    volm::ui::DataGridView* DGZapolU = nullptr;
    volm::ui::DataGridModel* sectionsModel = nullptr;
    std::array<QComboBox*, volm::kAssignmentRows> cbPok1{};  // targets cbPok11…cbPok18
    std::array<QLineEdit*, volm::kAssignmentRows> edDbl{};   // numbers edDbl1…edDbl8
    std::array<QComboBox*, volm::kAssignmentRows> cbPok2{};  // sources cbPok21…cbPok28
    QMenuBar* menu = nullptr;
    QMenu* miZapolU = nullptr;
    QAction* miZapolUYesForAll = nullptr;
    QAction* miZapolUNoForAll = nullptr;
    QAction* miZapolUInvertD = nullptr;
    QAction* miZapolUSelAll = nullptr;
    QAction* miVvD = nullptr;
    QAction* miClose = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QWidget* pnLeft = nullptr;
    QWidget* pnRight = nullptr;

    // The grid column of Заполн_Уч.
    int markColumn() const;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    QWidget* buildAssignments();
    volm::EntryHooks hooks();
    void mark(volm::MarkOp op, const std::vector<int>& rows, bool all);
    void setLocked(bool locked);

    volm::App& app_;
    volm::IndicatorLists lists_;
};
