#pragma once
// The chart window TGrForm ("Формировать график"): for a stretch of one main of
// the last calculation, the piezometric chart (ground, return and supply heads)
// or the approximate temperature chart, drawn on "Сформировать", copied to the
// clipboard, saved as PNG or PDF. The mains and their node lists come from one
// read of МагистралиТС when the window opens; the sections are read on the
// first drawing.
#include "output/chart_data.h"
#include "store/app.h"

#include <QDialog>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QMenuBar;

namespace volm::ui {

class ChartPlot;

class TGrForm : public QDialog {
    Q_OBJECT
public:
    explicit TGrForm(App& app, QWidget* parent = nullptr);

    // The main window's command "Формировать график": stores pending edits and,
    // after a calculation, shows the window modally and returns the section
    // table to the row it was on; otherwise says that a calculation must run first.
    static void launch(App& app, QWidget* parent);

    // Empties everything and fills the main list (then the node lists).
    void Show();
    // Refills the node lists as the change events do.
    void fillStartNodes();
    void fillEndNodes();

    // Menu commands.
    void generate();
    void copyChart();
    void saveChartAs();

    QComboBox* cbTipGr = nullptr;
    QComboBox* cbMag = nullptr;
    QComboBox* cbNachUz = nullptr;
    QComboBox* cbKonUz = nullptr;
    QCheckBox* cbUDPT = nullptr;
    QCheckBox* cbBW = nullptr;
    ChartPlot* crt = nullptr;
    QAction* miGenerate = nullptr;
    QAction* miCopy = nullptr;
    QAction* miSaveAs = nullptr;
    QAction* miClose = nullptr;

    const ChartMains& mains() const { return mains_; }

private:
    const ChartMain* chosenMain() const;

    App& app_;
    ChartMains mains_;
    std::optional<ChartSource> source_;
    bool filling_ = false;
};

}  // namespace volm::ui
