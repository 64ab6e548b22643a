// Long report tables: a sample laid out by the rich-text layout, every row painted directly.
#include "output/report_table.h"

#include "output/html_cells.h"

#include <QAbstractTextDocumentLayout>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <set>

namespace volm::report {

namespace {

// More shapes than this: the table is laid out as rich text after all.
constexpr int kMaxShapes = 16;

QString toQString(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

size_t longestWord(const std::string& s) {
    size_t best = 0, cur = 0;
    for (char c : s) {
        cur = (c == ' ' || c == '\n') ? 0 : cur + 1;
        best = std::max(best, cur);
    }
    return best;
}

double padding(const QTextTableCellFormat& cell, const QTextTableFormat& table, QTextFormat::Property p) {
    return cell.hasProperty(p) ? cell.doubleProperty(p) : table.cellPadding();
}

QTextOption cellOption(int align, bool wrap) {
    QTextOption o(align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft);
    o.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    return o;
}

}  // namespace

// The glyphs of one font gathered for a page: drawn at once.
struct PlainTable::Run {
    int font = 0;
    QRgb color = 0;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    std::vector<std::pair<QPointF, QString>> texts;  // the same as texts at their baselines
};

PlainTable::~PlainTable() = default;

PlainTable::Glyph PlainTable::Font::glyph(char16_t c) const {
    const auto it = glyphs.constFind(c);
    if (it != glyphs.constEnd()) return *it;
    Glyph g;
    const QChar ch(c);
    quint32 index = 0;
    int n = 1;
    if (!ch.isSurrogate() && raw.isValid() && raw.glyphIndexesForChars(&ch, 1, &index, &n) && n == 1 && index) {
        QPointF advance;
        raw.advancesForGlyphIndexes(&index, &advance, 1);
        g = {index, advance.x()};
    }
    glyphs.insert(c, g);
    return g;
}

std::unique_ptr<PlainTable> PlainTable::make(const HtmlSegment& segment, std::string_view prolog,
                                             std::string_view epilog, double width,
                                             const std::function<void()>& tick) {
    if (!segment.table || segment.rows.empty()) return nullptr;
    auto t = std::unique_ptr<PlainTable>(new PlainTable);
    t->segment_ = &segment;

    // The header rows, in the part before the body.
    {
        const std::string_view open = segment.open;
        std::string lc(open);
        for (char& c : lc) c = char(std::tolower(static_cast<unsigned char>(c)));
        for (size_t p = lc.find("<tr"); p != std::string::npos; p = lc.find("<tr", p + 3)) {
            if (p + 3 < lc.size() && std::isalpha(static_cast<unsigned char>(lc[p + 3]))) continue;
            size_t e = lc.find("</tr", p);
            e = e == std::string::npos ? lc.size() : lc.find('>', e);
            e = e == std::string::npos ? lc.size() : e + 1;
            HtmlRow row;
            if (!parseRow(open.substr(p, e - p), row)) return nullptr;
            t->header_.push_back(std::move(row));
        }
    }

    // Every row plain; the shapes, and the widest entries of each column.
    HtmlRow row;
    std::vector<std::string> shapeList;
    std::vector<size_t> sample;  // rows of the body in the sample
    std::vector<size_t> longest, longestAt, wordiest, wordiestAt;
    size_t columns = 0;
    std::set<std::string> seen;
    for (size_t r = 0; r < segment.rows.size(); ++r) {
        if (tick && r % 512 == 511) tick();
        if (!parseRow(segment.rows[r], row)) return nullptr;
        if (r == 0) {
            columns = row.cells.size();
            longest.assign(columns, 0);
            longestAt.assign(columns, 0);
            wordiest.assign(columns, 0);
            wordiestAt.assign(columns, 0);
        }
        if (row.cells.size() != columns || columns == 0) return nullptr;
        if (seen.insert(row.shape).second) {
            if (int(seen.size()) > kMaxShapes) return nullptr;
            shapeList.push_back(row.shape);
            sample.push_back(r);
        }
        for (size_t c = 0; c < columns; ++c) {
            const std::string& text = row.cells[c].text;
            if (text.size() > longest[c]) longest[c] = text.size(), longestAt[c] = r;
            const size_t w = longestWord(text);
            if (w > wordiest[c]) wordiest[c] = w, wordiestAt[c] = r;
        }
    }
    for (const HtmlRow& h : t->header_)
        if (h.cells.size() != columns) return nullptr;
    for (size_t c = 0; c < columns; ++c)
        for (size_t r : {longestAt[c], wordiestAt[c]})
            if (std::find(sample.begin(), sample.end(), r) == sample.end()) sample.push_back(r);

    // The sample laid out as rich text.
    std::string html(prolog);
    html += segment.open;
    for (size_t r : sample) html += segment.rows[r];
    html += "</table>";
    html += epilog.empty() ? std::string_view("</body></html>") : epilog;
    QTextDocument doc;
    QFont base(QStringLiteral("DejaVu Sans"));
    base.setPointSizeF(9);
    doc.setDefaultFont(base);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(option);
    doc.setDocumentMargin(0);
    doc.setHtml(toQString(html));
    doc.setTextWidth(width);
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const QList<QTextFrame*> frames = doc.rootFrame()->childFrames();
    if (frames.size() != 1) return nullptr;
    auto* table = qobject_cast<QTextTable*>(frames[0]);
    const int headerRows = int(t->header_.size());
    if (!table || table->columns() != int(columns) || table->rows() != headerRows + int(sample.size()))
        return nullptr;
    const QTextTableFormat tf = table->format();
    t->border_ = tf.border();
    if (tf.borderBrush().style() != Qt::NoBrush) t->borderColor_ = tf.borderBrush().color();

    QHash<QString, int> fontIndex;
    for (int r = 0; r < table->rows(); ++r) {
        std::vector<CellStyle> styles;
        for (int c = 0; c < int(columns); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.columnSpan() != 1 || cell.rowSpan() != 1 || cell.column() != c) return nullptr;
            const QTextTableCellFormat cf = cell.format().toTableCellFormat();
            const QTextBlock block = doc.findBlock(cell.firstPosition());
            CellStyle s;
            s.padLeft = padding(cf, tf, QTextFormat::TableCellLeftPadding);
            s.padRight = padding(cf, tf, QTextFormat::TableCellRightPadding);
            s.padTop = padding(cf, tf, QTextFormat::TableCellTopPadding);
            s.padBottom = padding(cf, tf, QTextFormat::TableCellBottomPadding);
            if (cf.background().style() != Qt::NoBrush) s.background = cf.background().color();
            switch (cf.verticalAlignment()) {
            case QTextCharFormat::AlignMiddle: s.valign = 1; break;
            case QTextCharFormat::AlignBottom: s.valign = 2; break;
            default: s.valign = 0; break;
            }
            const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
            s.align = (a & Qt::AlignHCenter) ? 1 : (a & (Qt::AlignRight | Qt::AlignTrailing)) ? 2 : 0;
            s.wrap = !block.blockFormat().nonBreakableLines();
            QTextCharFormat chf = block.charFormat();
            const QTextBlock::iterator first = block.begin();
            if (!first.atEnd()) chf = first.fragment().charFormat();
            if (chf.foreground().style() != Qt::NoBrush) s.color = chf.foreground().color();
            const QFont font = chf.font();
            const QString key = font.key();
            auto fi = fontIndex.constFind(key);
            if (fi == fontIndex.constEnd()) {
                Font f;
                f.font = font;
                f.raw = QRawFont::fromFont(font);
                const QTextLayout* bl = block.layout();
                if (bl && bl->lineCount() > 0) {
                    f.ascent = bl->lineAt(0).ascent();
                    f.height = bl->lineAt(0).height();
                } else {
                    const QFontMetricsF fm(font);
                    f.ascent = fm.ascent();
                    f.height = fm.height();
                }
                fi = fontIndex.insert(key, int(t->fonts_.size()));
                t->fonts_.push_back(std::move(f));
            }
            s.font = *fi;
            styles.push_back(s);
            if (r == headerRows) {
                const QRectF rect = layout->blockBoundingRect(block);
                t->left_.push_back(rect.left());
                t->right_.push_back(rect.right());
            }
        }
        t->styles_.push_back(std::move(styles));
    }
    for (size_t i = 0; i < shapeList.size(); ++i) t->shapes_.insert(QString::fromStdString(shapeList[i]), headerRows + int(i));

    // The lines between the columns, halfway between their paddings.
    const std::vector<CellStyle>& body = t->styles_[size_t(headerRows)];
    t->lines_.push_back(t->left_[0] - body[0].padLeft - t->border_ / 2);
    for (size_t c = 0; c + 1 < columns; ++c)
        t->lines_.push_back((t->right_[c] + body[c].padRight + t->left_[c + 1] - body[c + 1].padLeft) / 2);
    t->lines_.push_back(t->right_[columns - 1] + body[columns - 1].padRight + t->border_ / 2);

    // Heights: the header, and every row.
    t->headerHeight_ = t->border_;
    for (int h = 0; h < headerRows; ++h) {
        const std::vector<CellStyle>& st = t->styles_[size_t(h)];
        double pad = 0;
        for (const CellStyle& s : st) pad = std::max(pad, s.padTop + s.padBottom);
        t->headerHeights_.push_back(t->contentHeight(t->header_[size_t(h)], st) + pad + t->border_);
        t->headerHeight_ += t->headerHeights_.back();
    }
    t->heights_.reserve(segment.rows.size());
    for (size_t r = 0; r < segment.rows.size(); ++r) {
        parseRow(segment.rows[r], row);
        t->heights_.push_back(float(t->rowHeightOf(row)));
    }
    return t;
}

const std::vector<PlainTable::CellStyle>& PlainTable::styleOf(const HtmlRow& row) const {
    const int at = shapes_.value(QString::fromStdString(row.shape), int(header_.size()));
    return styles_[size_t(at)];
}

bool PlainTable::plainText(const QString& text, const Font& f, double width, bool wrap, double* advance) const {
    double w = 0;
    for (QChar ch : text) {
        if (ch == QLatin1Char('\n')) return false;
        const Glyph g = f.glyph(ch.unicode());
        if (!g.index) return false;
        w += g.advance;
    }
    if (advance) *advance = w;
    return !wrap || w <= width + 1;
}

// Lays out the text of a cell that is not a single plain line, its lines one
// under the other from 0; the height they take.
static double layOutCell(QTextLayout& tl, const QString& text, const QFont& font, int align, bool wrap,
                         double width) {
    QString t = text;
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    tl.setText(t);
    tl.setFont(font);
    tl.setTextOption(cellOption(align, wrap));
    tl.beginLayout();
    double y = 0;
    for (QTextLine line = tl.createLine(); line.isValid(); line = tl.createLine()) {
        line.setLineWidth(width + 1);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    tl.endLayout();
    return y;
}

double PlainTable::contentHeight(const HtmlRow& row, const std::vector<CellStyle>& styles) const {
    double h = 0;
    for (size_t c = 0; c < row.cells.size(); ++c) {
        const CellStyle& s = styles[c];
        const Font& f = fonts_[size_t(s.font)];
        const double width = right_[c] - left_[c];
        const QString text = toQString(row.cells[c].text);
        if (plainText(text, f, width, s.wrap, nullptr)) {
            h = std::max(h, f.height);
            continue;
        }
        QTextLayout tl;
        h = std::max(h, std::max(layOutCell(tl, text, f.font, s.align, s.wrap, width), f.height));
    }
    return h;
}

double PlainTable::rowHeightOf(const HtmlRow& row) const {
    const std::vector<CellStyle>& st = styleOf(row);
    double pad = 0;
    for (const CellStyle& s : st) pad = std::max(pad, s.padTop + s.padBottom);
    return contentHeight(row, st) + pad + border_;
}

void PlainTable::paintRow(QPainter& p, std::vector<Run>& runs, const HtmlRow& row,
                          const std::vector<CellStyle>& styles, double top, double height) const {
    for (size_t c = 0; c < row.cells.size() && c < styles.size(); ++c) {
        const CellStyle& s = styles[c];
        const Font& f = fonts_[size_t(s.font)];
        const double width = right_[c] - left_[c];
        const double inner = height - border_ - s.padTop - s.padBottom;
        if (s.background.isValid())
            p.fillRect(QRectF(lines_[c], top, lines_[c + 1] - lines_[c], height - border_), s.background);
        const QString text = toQString(row.cells[c].text);
        if (text.isEmpty()) continue;
        double advance = 0;
        if (plainText(text, f, width, s.wrap, &advance)) {
            const double free = inner - f.height;
            const double y = top + s.padTop + (s.valign == 1 ? free / 2 : s.valign == 2 ? free : 0) + f.ascent;
            double x = left_[c] + (s.align == 1 ? (width - advance) / 2 : s.align == 2 ? width - advance : 0);
            Run* run = nullptr;
            for (Run& r : runs)
                if (r.font == s.font && r.color == s.color.rgba()) run = &r;
            if (!run) {
                runs.push_back({s.font, s.color.rgba(), {}, {}});
                run = &runs.back();
            }
            run->texts.emplace_back(QPointF(x, y), text);
            for (QChar ch : text) {
                const Glyph g = f.glyph(ch.unicode());
                run->glyphs.push_back(g.index);
                run->positions.push_back(QPointF(x, y));
                x += g.advance;
            }
            continue;
        }
        QTextLayout tl;
        const double free = inner - layOutCell(tl, text, f.font, s.align, s.wrap, width);
        p.setPen(s.color);
        tl.draw(&p, QPointF(left_[c], top + s.padTop + (s.valign == 1 ? free / 2 : s.valign == 2 ? free : 0)));
    }
}

void PlainTable::paint(QPainter& p, double y, int from, int to) const {
    const bool glyphRuns = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf;
    std::vector<Run> runs;
    std::vector<double> bottoms;  // of the rows painted
    double top = y + border_;
    for (size_t h = 0; h < header_.size(); ++h) {
        // Each header row has its own look, that of its sample row.
        const double height = headerHeights_[h];
        paintRow(p, runs, header_[h], styles_[h], top, height);
        top += height;
        bottoms.push_back(top);
    }
    HtmlRow row;
    for (int r = from; r < to; ++r) {
        parseRow(segment_->rows[size_t(r)], row);
        const double height = heights_[size_t(r)];
        paintRow(p, runs, row, styleOf(row), top, height);
        top += height;
        bottoms.push_back(top);
    }
    for (const Run& run : runs) {
        if (!glyphRuns) {
            // Devices that record what is drawn (the print preview, a printer)
            // keep text compact and glyph runs as outlines: text they get.
            p.setPen(QColor::fromRgba(run.color));
            p.setFont(fonts_[size_t(run.font)].font);
            for (const auto& [at, text] : run.texts) p.drawText(at, text);
            continue;
        }
        QGlyphRun g;
        g.setRawFont(fonts_[size_t(run.font)].raw);
        g.setGlyphIndexes(run.glyphs);
        g.setPositions(run.positions);
        p.setPen(QColor::fromRgba(run.color));
        p.drawGlyphRun(QPointF(0, 0), g);
    }
    if (border_ > 0) {
        QPen pen(borderColor_);
        pen.setWidthF(border_);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        const double x0 = lines_.front() - border_ / 2, x1 = lines_.back() + border_ / 2;
        const double y0 = y + border_ / 2;
        p.drawLine(QPointF(x0, y0), QPointF(x1, y0));
        for (double b : bottoms) p.drawLine(QPointF(x0, b - border_ / 2), QPointF(x1, b - border_ / 2));
        for (double x : lines_) p.drawLine(QPointF(x, y), QPointF(x, top));
        // The frame of the table a little stronger than the lines inside.
        pen.setWidthF(border_ * 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(QPointF(lines_.front(), y + border_ / 2), QPointF(lines_.back(), top - border_ / 2)));
    }
}

}  // namespace volm::report
