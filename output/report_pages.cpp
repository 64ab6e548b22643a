// Page-sized pieces of the report document: where they begin, and their painting.
#include "output/report_pages.h"

#include "output/html_pieces.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPagedPaintDevice>
#include <QPicture>
#include <QPainter>
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

// The layout of one piece: where each of its segments and rows begins.
struct PieceTops {
    std::vector<HtmlPlace> places;
    std::vector<double> tops;
    bool mapped = false;  // the document's tables matched the piece's table segments
};

PieceTops tops(const QTextDocument& doc, const HtmlDocument& html, HtmlPlace from, HtmlPlace end) {
    PieceTops t;
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const QList<QTextFrame*> frames = doc.rootFrame()->childFrames();
    int frame = 0;
    double flowTop = 0;  // where ordinary content after the last table starts
    for (size_t seg = from.segment; seg < html.segments.size() && seg <= end.segment; ++seg) {
        const HtmlSegment& s = html.segments[seg];
        const size_t first = seg == from.segment ? from.row : 0;
        if (seg == end.segment && (!s.table || end.row == 0)) break;
        if (!s.table) {
            t.places.push_back({seg, 0});
            t.tops.push_back(flowTop);
            continue;
        }
        if (frame >= frames.size()) return t;
        auto* table = qobject_cast<QTextTable*>(frames[frame++]);
        if (!table) return t;
        const size_t last = seg == end.segment ? end.row : s.rows.size();
        const int header = table->format().headerRowCount();
        if (table->rows() != header + int(last - first)) return t;
        for (size_t r = first; r < last; ++r) {
            const QTextTableCell cell = table->cellAt(header + int(r - first), 0);
            const QTextBlock block = doc.findBlock(cell.firstPosition());
            t.places.push_back({seg, r});
            t.tops.push_back(layout->blockBoundingRect(block).top());
        }
        const QTextBlock after = doc.findBlock(table->lastPosition() + 1);
        flowTop = after.isValid() ? layout->blockBoundingRect(after).top() : layout->frameBoundingRect(table).bottom();
    }
    t.mapped = frame == frames.size();
    return t;
}

void drawPage(QPainter& p, QTextDocument& doc, int index, const QSizeF& area, double bottom) {
    p.save();
    p.translate(0, -index * area.height());
    const QRectF clip(0, index * area.height(), area.width(), bottom);
    p.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext ctx;
    // The layout leaves out what does not meet this rectangle: a page printed
    // down to a cut leaves out the block that starts there.
    ctx.clip = clip.adjusted(0, 0, 0, bottom < area.height() ? -1 : 0);
    ctx.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&p, ctx);
    p.restore();
}

// A piece of the document laid out for pages of the given size.
std::unique_ptr<QTextDocument> pieceDocument(const std::string& html, const QSizeF& area) {
    auto text = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    text->setDefaultFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text->setDefaultTextOption(option);
    text->setDocumentMargin(0);
    text->setHtml(QString::fromUtf8(html.data(), qsizetype(html.size())));
    text->setPageSize(area);
    return text;
}

}  // namespace

// The document and where each of its pieces begins.
struct PieceLayout {
    struct Piece {
        HtmlPlace from;
        size_t budget = 0;
        int pages = 0;                 // pages of the piece that are printed
        double lastPageBottom = 0;     // the last of them is printed down to here
    };
    std::string html;
    HtmlDocument doc;  // views into html
    QSizeF area;       // the printed area of a page, layout units
    std::vector<Piece> pieces;
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
    const HtmlPlace docEnd{doc.segments.size(), 0};
    HtmlPlace from{0, 0};
    size_t budget = 120;

    while (from.segment < docEnd.segment || layout->pieces.empty()) {
        HtmlPlace end;
        const std::unique_ptr<QTextDocument> text = pieceDocument(pieceHtml(doc, from, budget, end), area);
        const int pages = std::max(1, text->pageCount());
        const bool last = end.segment >= docEnd.segment;  // the piece runs to the end
        int keep = pages;   // pages of this piece that are final
        double lastPageBottom = area.height();  // the last kept page is printed down to here
        HtmlPlace next = end;
        bool more = !last;  // the document goes on in another piece
        if (!last && pages < 2) {  // too short to know where a page ends: take more
            budget *= 2;
            continue;
        }
        if (pages > 1) {
            const PieceTops t = tops(*text, doc, from, end);
            const auto pageOf = [&](double y) { return int(std::floor((y + 0.5) / area.height())); };
            const auto isFlow = [&](size_t i) { return !doc.segments[t.places[i].segment].table; };
            // The first element that starts on page k or later.
            const auto firstOn = [&](int k) {
                size_t c = 1;
                while (c < t.tops.size() && t.tops[c] < k * area.height() - 0.5) ++c;
                return c;
            };
            // A heading left alone at the foot of a page over a table that starts on the next.
            const auto orphan = [&](size_t c) {
                return c > 1 && c < t.tops.size() && isFlow(c - 1) && !isFlow(c) && t.places[c].row == 0;
            };
            int boundary = -1;
            if (t.mapped) {
                for (int k = 1; k < pages && boundary < 0; ++k)
                    if (orphan(firstOn(k))) boundary = k;
                if (boundary < 0 && !last) boundary = pages - 1;
            }
            if (boundary > 0 && firstOn(boundary) < t.tops.size()) {
                // Everything from the boundary on goes to the next piece, and so
                // does a heading over a table that starts there.
                size_t cut = firstOn(boundary);
                while (orphan(cut)) --cut;
                next = t.places[cut];
                more = true;
                const int q = pageOf(t.tops[cut]);
                keep = q;
                // The page of the cut is printed down to the cut when something
                // other than a repeated table header stands above it there.
                if (pageOf(t.tops[cut - 1]) == q) {
                    keep = q + 1;
                    lastPageBottom = t.tops[cut] - q * area.height();
                }
                keep = std::max(1, keep);
            }
        }
        layout->pieces.push_back({from, budget, keep, lastPageBottom});
        if (more) {
            const size_t rowsKept =
                std::max<size_t>(1, (next.segment == from.segment ? next.row - from.row : budget / 2));
            budget = std::clamp<size_t>(rowsKept / size_t(keep) * 4 + 10, 30, 2000);
        }
        for (int i = 0; i < keep; ++i) {
            ++out.pageCount_;
            if (progress) progress(out.pageCount_);
        }
        if (!more) break;
        from = next;
    }
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
    int page = 0;
    for (const PieceLayout::Piece& piece : l.pieces) {
        HtmlPlace end;
        const std::unique_ptr<QTextDocument> text = pieceDocument(pieceHtml(l.doc, piece.from, piece.budget, end), l.area);
        for (int i = 0; i < piece.pages; ++i) {
            ++page;
            if (progress) progress(page);
            if (page > 1) device.newPage();
            painter.save();
            painter.scale(sx, sy);
            painter.save();
            painter.translate(margins_.left(), margins_.top());
            drawPage(painter, *text, i, l.area, i == piece.pages - 1 ? piece.lastPageBottom : l.area.height());
            painter.restore();
            painter.setFont(font);
            painter.setPen(Qt::black);
            const QRectF foot(margins_.left(), page_.height() - margins_.bottom(),
                              page_.width() - margins_.left() - margins_.right(), margins_.bottom() * 0.6);
            painter.drawText(foot, Qt::AlignCenter, footer(page, count()));
            painter.restore();
        }
    }
}

}  // namespace volm::report
