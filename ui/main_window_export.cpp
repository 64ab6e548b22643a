// TMainForm: "Выгрузить отчет в Microsoft Excel" from the menu, the toolbar and
// the result dialog's follow-up. The workbook is written by the core; the
// window lends its lock and opens the file in the desktop's spreadsheet program.
#include "output/workbook_export.h"
#include "ui/data_grid_view.h"
#include "ui/main_window.h"

#include <QDesktopServices>
#include <QUrl>

namespace volm::ui {

void exportResultsWorkbook(TMainForm& window) {
    if (!window.app().dm.acGR.isOpen()) return;
    WorkbookExportOptions options;
    options.lockWindow = [&window](bool locked) {
        if (locked) {
            window.DGZag->endEditing();
            window.DGGlavn->endEditing();
            window.BlokirovatOkno();
        } else {
            window.RazblokirovatOkno();
        }
    };
    options.openFile = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    exportWorkbook(window.app(), options);
    window.syncFromApp();
}

}  // namespace volm::ui
