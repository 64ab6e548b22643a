#pragma once
// Laying the report document out into pages and painting them. The document
// (HTML) is laid out by QTextDocument in pieces of a few pages: a table longer
// than a piece continues in the next one with its header rows repeated, so that
// the time and memory of the layout grow with the number of pages, not with
// their square. The layout keeps only where each piece begins and how many of
// its pages are final; painting lays each piece out again and draws its pages
// onto a printer or a PDF writer with "Страница N из M" at the bottom, so that
// no more than one piece is held at a time.
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
    // progress(n) is told after page n is ready.
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
