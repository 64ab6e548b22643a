#pragma once
// The print preview of the report: a Qt print preview titled "Гидравлический
// расчет тепловой сети" at 100 %, printing through the print dialog and saving
// as PDF (QPrinter's PDF output) from its toolbar.
#include "output/report_pages.h"

class QWidget;

namespace volm {
class Person;
}

namespace volm::ui {

extern const QString kReportPreviewTitle;

// Shows the pages modally; returns when the person closes the preview.
// Status texts "Printing page N" go to the person while pages are printed.
void showReportPreview(const report::ReportPages& pages, Person& person, QWidget* parent);

}  // namespace volm::ui
