#pragma once
// Laying the report document out into pages and painting them. The document
// (HTML) is cut into its tables and the content between them. Tables of plain
// rows are painted row by row (report_table.h); the rest is laid out by
// QTextDocument as one long page and cut between paragraphs and table rows.
// The pages are then filled from the top down: a table continues on the next
// page under its header rows repeated, a heading stays with the table under
// it, and painting draws each page's share with "Страница N из M" at the bottom.
#include <QMarginsF>
#include <QPageLayout>
#include <memory>
#include <QSizeF>
#include <functional>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace volm::report {

struct PieceLayout;

class ReportPages {
public:
    // Lays out an HTML document. The orientation is the content of
    // <meta name="orientation" content="landscape|portrait"> (portrait when absent).
    // progress(n) is told after page n is ready, and progress(1) now and then
    // while the document is read before the pages are cut (it may throw to stop).
    static ReportPages layOut(const std::string& html, const std::function<void(int page)>& progress = {});

    int count() const { return pageCount_; }
    bool landscape() const { return landscape_; }
    // A4 in the report's orientation, without margins (the pages hold their own).
    QPageLayout pageLayout() const;
    // Layout units per inch; a device of this resolution needs no scaling.
    int resolution() const { return int(dpi_); }
    // Paints every page; the device's page layout must be pageLayout() and the
    // painter active on it. progress(n) is told before page n is painted.
    void paint(QPainter& painter, QPagedPaintDevice& device, const std::function<void(int page)>& progress = {}) const;
    // The page footer.
    static QString footer(int page, int count);

private:
    std::shared_ptr<const struct PieceLayout> layout_;  // the document and its pieces
    int pageCount_ = 0;
    bool landscape_ = false;
    double dpi_ = 96;        // layout units per inch
    QSizeF page_;            // the whole sheet, layout units
    QMarginsF margins_;      // layout units
};

}  // namespace volm::report
