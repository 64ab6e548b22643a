#pragma once
// The print preview of the report: a Qt print preview titled "Гидравлический
// расчет тепловой сети" at 100 %, printing through the print dialog and saving
// as PDF (the report's own PDF file, as the runner writes it) from its toolbar.
#include "output/report_pages.h"

class QWidget;

namespace volm {
class App;
}

namespace volm::ui {

extern const QString kReportPreviewTitle;

// Shows the pages modally; returns when the person closes the preview.
// Status texts "Printing page N" go to the person while pages are printed.
void showReportPreview(const report::ReportPages& pages, App& app, QWidget* parent);

}  // namespace volm::ui
