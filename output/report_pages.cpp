// The report document cut into pages, and their painting.
#include "output/report_pages.h"

#include "output/html_pieces.h"
#include "output/report_table.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPicture>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>
#include <cmath>

namespace volm::report {

namespace {

constexpr double kMmPerInch = 25.4;
// Sheet margins, millimetres: left, top, right, bottom (the footer sits in the bottom one).
const QMarginsF kMarginsMm(20, 10, 10, 14);

// Rich text laid out across width, as one long page.
std::unique_ptr<QTextDocument> richText(const std::string& html, double width) {
    auto text = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    text->setDefaultFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text->setDefaultTextOption(option);
    text->setDocumentMargin(0);
    text->setHtml(QString::fromUtf8(html.data(), qsizetype(html.size())));
    text->setTextWidth(width);
    return text;
}

// Where a page may end inside rich text: between paragraphs, and between the
// rows of a table (not under its header). A cut lies halfway between the text
// above and the text below, so that the bands on either side of it, each drawn
// a little short of it, hold the text of either part only.
std::vector<double> breaks(const QTextDocument& doc) {
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    struct Span {
        double top, bottom;
        bool joined;  // no cut above it
    };
    std::vector<Span> spans;
    auto text = [&](int from, int to, double& top, double& bottom) {
        top = 1e300;
        bottom = -1e300;
        for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
            const QRectF r = layout->blockBoundingRect(b);
            top = std::min(top, r.top());
            bottom = std::max(bottom, r.bottom());
        }
    };
    for (QTextFrame::iterator it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            if (!table) {
                const QRectF box = layout->frameBoundingRect(frame);
                spans.push_back({box.top(), box.bottom(), false});
                continue;
            }
            const int header = table->format().headerRowCount();
            for (int r = 0; r < table->rows(); ++r) {
                double top = 1e300, bottom = -1e300;
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c) continue;
                    double t = 0, b = 0;
                    text(cell.firstPosition(), cell.lastPosition(), t, b);
                    top = std::min(top, t);
                    bottom = std::max(bottom, b);
                }
                // Rows spanned over are joined to the row above.
                bool joined = r > 0 && r <= header;
                for (int c = 0; c < table->columns() && !joined; ++c)
                    joined = table->cellAt(r, c).row() != r;
                if (r == 0) top = std::min(top, layout->frameBoundingRect(table).top());
                if (top <= bottom) spans.push_back({top, bottom, joined});
            }
        } else if (it.currentBlock().isValid()) {
            const QRectF r = layout->blockBoundingRect(it.currentBlock());
            spans.push_back({r.top(), r.bottom(), false});
        }
    }
    std::vector<double> out;
    double bottom = spans.empty() ? 0 : spans.front().bottom;
    for (size_t i = 1; i < spans.size(); ++i) {
        if (!spans[i].joined && bottom <= spans[i].top) out.push_back((bottom + spans[i].top) / 2);
        bottom = std::max(bottom, spans[i].bottom);
    }
    out.erase(std::remove_if(out.begin(), out.end(), [](double y) { return y <= 0.5; }), out.end());
    return out;
}

}  // namespace

// The laid-out document: its parts, and what of them each page holds.
struct PieceLayout {
    // A part of the document: rich text, or a table of plain rows.
    struct Part {
        std::unique_ptr<QTextDocument> text;
        std::vector<double> breaks;
        double height = 0;
        double lead = 0;  // space above the text
        std::unique_ptr<PlainTable> table;
    };
    // What of a part stands on a page, and where.
    struct Slice {
        int part = 0;
        double from = 0, to = 0;  // rich text: the band shown
        int rowFrom = 0, rowTo = 0;  // table: the body rows
        double y = 0;             // top on the page
    };
    std::string html;
    HtmlDocument doc;  // views into html
    QSizeF area;       // the printed area of a page, layout units
    std::vector<Part> parts;
    std::vector<std::vector<Slice>> pages;
};

ReportPages ReportPages::layOut(const std::string& html, const std::function<void(int)>& progress) {
    ReportPages out;
    out.landscape_ = metaContent(html, "orientation") == "landscape";
    {
        // The resolution QTextDocument lays out at without a paint device.
        const QPicture probe;
        out.dpi_ = probe.logicalDpiY() > 0 ? probe.logicalDpiY() : 96;
    }
    const double px = out.dpi_ / kMmPerInch;
    const QSizeF a4 = out.landscape_ ? QSizeF(297, 210) : QSizeF(210, 297);
    out.page_ = a4 * px;
    out.margins_ = kMarginsMm * px;
    const QSizeF area(out.page_.width() - out.margins_.left() - out.margins_.right(),
                      out.page_.height() - out.margins_.top() - out.margins_.bottom());

    auto layout = std::make_shared<PieceLayout>();
    layout->html = html;
    layout->doc = splitHtml(layout->html);
    layout->area = area;
    const HtmlDocument& doc = layout->doc;
    const std::string_view epilog = doc.epilog.empty() ? std::string_view("</body></html>") : doc.epilog;

    // The parts: a table of plain rows on its own, anything else as rich text.
    // Until the pages are cut, the progress stays on the first one.
    const std::function<void()> tick = [&progress] {
        if (progress) progress(1);
    };
    for (const HtmlSegment& s : doc.segments) {
        tick();
        PieceLayout::Part part;
        if (s.table) part.table = PlainTable::make(s, doc.prolog, epilog, area.width(), tick);
        if (!part.table) {
            std::string text(doc.prolog);
            if (s.table) {
                text += s.open;
                for (std::string_view r : s.rows) text += r;
                text += "</table>";
            } else {
                text += s.text;
            }
            text += epilog;
            part.text = richText(text, area.width());
            // The top margin of the first paragraph, which a document of its own leaves out.
            const QTextBlock first = part.text->begin();
            part.lead = s.table || !first.isValid() ? 0 : first.blockFormat().topMargin();
            part.height = part.text->size().height() + part.lead;
            part.breaks = breaks(*part.text);
            for (double& b : part.breaks) b += part.lead;
        }
        layout->parts.push_back(std::move(part));
    }

    // The pages, from the top down.
    auto& pages = layout->pages;
    pages.emplace_back();
    double y = 0;
    const double full = area.height();
    auto newPage = [&] {
        pages.emplace_back();
        y = 0;
        if (progress) progress(int(pages.size()) - 1);
    };
    for (size_t i = 0; i < layout->parts.size(); ++i) {
        const PieceLayout::Part& part = layout->parts[i];
        if (part.table) {
            const PlainTable& t = *part.table;
            int row = 0;
            while (row < t.rowCount()) {
                // The header and at least one row on a page.
                if (y > 0 && y + t.headerHeight() + t.rowHeight(row) > full) newPage();
                double h = t.headerHeight() + t.rowHeight(row);
                int end = row + 1;
                while (end < t.rowCount() && h + t.rowHeight(end) <= full - y) h += t.rowHeight(end++);
                pages.back().push_back({int(i), 0, 0, row, end, y});
                y += h;
                row = end;
                if (row < t.rowCount()) newPage();
            }
            continue;
        }
        // Rich text: cut before a paragraph or a row; its last paragraph stays
        // with a table that follows (a heading over its table).
        const PieceLayout::Part* next = i + 1 < layout->parts.size() ? &layout->parts[i + 1] : nullptr;
        const double keep = next && next->table && next->table->rowCount() > 0
                                ? next->table->headerHeight() + next->table->rowHeight(0)
                                : 0;
        const double last = part.breaks.empty() ? 0 : part.breaks.back();
        double from = 0;
        while (from < part.height) {
            const double room = full - y, rest = part.height - from;
            if (rest <= room) {
                if (keep == 0 || rest + keep <= room || (y == 0 && last <= from)) {
                    pages.back().push_back({int(i), from, part.height, 0, 0, y});
                    y += rest;
                    break;
                }
                if (last > from) {  // all but the last paragraph here
                    pages.back().push_back({int(i), from, last, 0, 0, y});
                    from = last;
                }
                newPage();
                continue;
            }
            double cut = from;  // the last cut that fits
            for (double b : part.breaks)
                if (b > from && b - from <= room) cut = b;
            if (cut <= from) {
                if (y > 0) {
                    newPage();
                    continue;
                }
                cut = from + full;  // taller than a page: cut anywhere
            }
            pages.back().push_back({int(i), from, cut, 0, 0, y});
            from = cut;
            newPage();
        }
    }
    if (pages.size() > 1 && pages.back().empty()) pages.pop_back();
    out.pageCount_ = int(pages.size());
    if (progress) progress(out.pageCount_);
    out.layout_ = std::move(layout);
    return out;
}

QPageLayout ReportPages::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), landscape_ ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QString ReportPages::footer(int page, int count) {
    return QStringLiteral("Страница %1 из %2").arg(page).arg(count);
}

void ReportPages::paint(QPainter& painter, QPagedPaintDevice& device, const std::function<void(int)>& progress) const {
    const double sx = device.logicalDpiX() / dpi_, sy = device.logicalDpiY() / dpi_;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, int(std::lround(8.0 * dpi_ / 72.0))));
    if (!layout_) return;
    const PieceLayout& l = *layout_;
    for (size_t n = 0; n < l.pages.size(); ++n) {
        const int page = int(n) + 1;
        if (progress) progress(page);
        if (page > 1) device.newPage();
        painter.save();
        painter.scale(sx, sy);
        painter.translate(margins_.left(), margins_.top());
        for (const PieceLayout::Slice& s : l.pages[n]) {
            const PieceLayout::Part& part = l.parts[size_t(s.part)];
            painter.save();
            if (part.table) {
                part.table->paint(painter, s.y, s.rowFrom, s.rowTo);
            } else {
                painter.translate(0, s.y - s.from + part.lead);
                const QRectF band(0, s.from - part.lead, l.area.width(), s.to - s.from);
                painter.setClipRect(band);
                QAbstractTextDocumentLayout::PaintContext ctx;
                // A band stops short of its cuts: the text beyond them is left out.
                ctx.clip = band.adjusted(0, s.from > 0 ? 0.5 : 0, 0, s.to < part.height ? -0.5 : 0);
                ctx.palette.setColor(QPalette::Text, Qt::black);
                part.text->documentLayout()->draw(&painter, ctx);
            }
            painter.restore();
        }
        painter.restore();
        painter.save();
        painter.scale(sx, sy);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QRectF foot(margins_.left(), page_.height() - margins_.bottom(),
                          page_.width() - margins_.left() - margins_.right(), margins_.bottom() * 0.6);
        painter.drawText(foot, Qt::AlignCenter, footer(page, count()));
        painter.restore();
    }
}

}  // namespace volm::report
