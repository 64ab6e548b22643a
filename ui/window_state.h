#pragma once
// What the main window shows beside the App's files and flags. The window
// derives it from the core's notices: a calculation opened or closed, the
// tables shaped for a one- or two-pipe network.
#include <QString>

namespace volm {
class App;
}

namespace volm::ui {

inline const QString kProgramTitle = QStringLiteral("ВОЛМ 1.0");

struct MainWindowState {
    QString caption = kProgramTitle;
    bool gridsVisible = false;      // the grids are shown once the formulas are checked
    bool availNodeEnabled = false;  // the available-head node edit serves two-pipe networks

    // OtkritFaili has ended: the title names the calculation file the settings
    // name (kept when the settings cannot be read), the grids show when the
    // formulas passed.
    void calculationOpened(App& app);
    void calculationClosed();
};

}  // namespace volm::ui
