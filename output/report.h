#pragma once
// The printed report of the last calculation ("Формировать отчет") without its
// windows: the checks of the command, the report data, the definition chosen by
// the network type in the program folder, the laid-out pages, and the PDF file.
// The program shows the pages in a print preview; the headless runner writes
// them to a PDF file.
#include "output/report_pages.h"

#include <QString>
#include <memory>

class QCoreApplication;
#include <functional>
#include <optional>

namespace volm {

class App;

namespace report {

extern const QString kReportTitle;         // "Гидравлический расчет тепловой сети", the PDF's title
extern const QString kNotComputedMessage;  // "Перед формированием отчета необходимо выполнить расчет ..."

// The steps of the command before its output: makes the program folder the
// current directory, suspends the section table's display updates (resumed
// however it ends), stores the pending edits, and, when the calculation is
// done, lays out the report of the definition "<ТипСети>.rav" of the program
// folder. Without a finished calculation the person is told so and nothing is
// returned; any failure is shown as a message holding only its text, and
// nothing is returned. progress(n) is told as page n is laid out (the status
// text "Generating page n" goes to the person besides).
std::optional<ReportPages> prepareReport(App& app, const std::function<void(int page)>& progress = {});

// The same without any message or status: throws volm::Error (ReportError for
// the definition) and returns nothing when the calculation is not done.
// definitionDir: the folder of the definitions, the program folder when empty;
// precision: the digits of the values, the settings' ТочностьЧиселВОтч when unset.
std::optional<ReportPages> buildReport(App& app, const std::function<void(int page)>& progress = {},
                                       const QString& definitionDir = {}, std::optional<int> precision = std::nullopt);

// Writes the pages to a PDF file, replacing the old one only when complete.
// Throws FileError when the file cannot be written; progress may throw (Abort
// to stop), which leaves the old file as it was.
void writePdf(const ReportPages& pages, const QString& path, const std::function<void(int page)>& progress = {});

// For the headless runner. The application object: a QGuiApplication on the
// offscreen platform when the arguments hold "--report" (the layout needs
// fonts), else a QCoreApplication.
std::unique_ptr<QCoreApplication> headlessApplication(int& argc, char** argv);
// Writes the report of the computed calculation to a PDF file with the
// definitions of definitionDir. Returns the error text, empty on success.
// progress(n) is told as page n is laid out and drawn; an Abort it throws
// passes through, leaving the old file. precision as for buildReport.
QString writeReportFile(App& app, const QString& definitionDir, const QString& pdfPath,
                        const std::function<void(int page)>& progress = {},
                        std::optional<int> precision = std::nullopt);

}  // namespace report
}  // namespace volm
