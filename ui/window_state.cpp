#include "ui/window_state.h"

#include "store/app.h"
#include "store/startup.h"

namespace volm::ui {

void MainWindowState::calculationOpened(App& app) {
    if (app.dm.atNastr && app.dm.atNastr->isOpen()) {
        try {
            const QVariant calc = goToSettingsRow(app).value(QStringLiteral("ФайлГР"));
            caption = calc.isNull() ? kProgramTitle : calc.toString() + QStringLiteral(" - ") + kProgramTitle;
        } catch (const std::exception&) {
        }
    }
    gridsVisible = app.FormuliProvereny;
}

void MainWindowState::calculationClosed() {
    gridsVisible = false;
    availNodeEnabled = false;
}

}  // namespace volm::ui
