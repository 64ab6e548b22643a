#pragma once
// Laying the report document out into pages and painting them. The document
// (HTML) is laid out by QTextDocument in pieces of a few pages: a table longer
// than a piece continues in the next one with its header rows repeated, so that
// the time and memory of the layout grow with the number of pages, not with
// their square. Each finished page is kept as a picture; the pages are then
// painted onto a printer or a PDF writer with "Страница N из M" at the bottom.
#include <QMarginsF>
#include <QPageLayout>
#include <QPicture>
#include <QSizeF>
#include <functional>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace volm::report {

class ReportPages {
public:
    // Lays out an HTML document. The orientation is the content of
    // <meta name="orientation" content="landscape|portrait"> (portrait when absent).
    // progress(n) is told after page n is ready.
    static ReportPages layOut(const std::string& html, const std::function<void(int page)>& progress = {});

    int count() const { return int(pages_.size()); }
    bool landscape() const { return landscape_; }
    // A4 in the report's orientation, without margins (the pages hold their own).
    QPageLayout pageLayout() const;
    // Layout units per inch. Pictures keep their fonts in points, so a device
    // paints them at their size only at this resolution: give it to the device.
    int resolution() const { return int(dpi_); }
    // Paints every page; the device's page layout must be pageLayout(), its
    // resolution resolution() and the painter active on it. progress(n) is told before page n is painted.
    void paint(QPainter& painter, QPagedPaintDevice& device, const std::function<void(int page)>& progress = {}) const;
    // The page footer.
    static QString footer(int page, int count);

private:
    std::vector<QPicture> pages_;
    bool landscape_ = false;
    double dpi_ = 96;        // layout units per inch
    QSizeF page_;            // the whole sheet, layout units
    QMarginsF margins_;      // layout units
};

}  // namespace volm::report
