#pragma once
// A long report table painted row by row. The rich-text layout costs about a
// tenth of a second a page, so the tables of plain rows (html_cells.h) are laid
// out by it only once, in a sample: the header rows and one row of every shape
// and the widest entries of every column. The sample gives the columns, the
// fonts, the alignment, the paddings, the backgrounds and the lines; every row
// is then measured and painted directly from its text. The definition still
// decides which tables, columns and looks there are.
#include "output/html_pieces.h"

#include <QColor>
#include <QFont>
#include <QRawFont>
#include <QHash>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QPainter;

namespace volm::report {

struct HtmlRow;

class PlainTable {
public:
    // The table of a segment laid out across width (layout units); nullptr when
    // its rows are not plain. prolog and epilog hold the document's styles.
    // tick is called every few hundred rows (it may throw to stop).
    static std::unique_ptr<PlainTable> make(const HtmlSegment& segment, std::string_view prolog,
                                            std::string_view epilog, double width,
                                            const std::function<void()>& tick = {});
    ~PlainTable();

    double headerHeight() const { return headerHeight_; }
    int rowCount() const { return int(heights_.size()); }
    double rowHeight(int row) const { return heights_[size_t(row)]; }
    // Paints the header rows with their top at y, then body rows [from, to) under them.
    void paint(QPainter& p, double y, int from, int to) const;

private:
    struct Glyph {
        quint32 index = 0;
        double advance = 0;
    };
    struct Font {
        QFont font;
        QRawFont raw;
        double ascent = 0, height = 0;
        mutable QHash<char16_t, Glyph> glyphs;
        // The glyph of a character; index 0 when the font lacks it.
        Glyph glyph(char16_t c) const;
    };
    struct CellStyle {
        int font = 0;
        QColor color = Qt::black;
        QColor background;  // invalid: none
        int align = 0;      // 0 left, 1 centre, 2 right
        int valign = 0;     // 0 top, 1 middle, 2 bottom
        bool wrap = true;
        double padLeft = 0, padRight = 0, padTop = 0, padBottom = 0;
    };
    struct Run;

    PlainTable() = default;
    const std::vector<CellStyle>& styleOf(const HtmlRow& row) const;
    // The height of the cells' content; lines of each cell when wanted.
    double contentHeight(const HtmlRow& row, const std::vector<CellStyle>& styles) const;
    double rowHeightOf(const HtmlRow& row) const;
    void paintRow(QPainter& p, std::vector<Run>& runs, const HtmlRow& row, const std::vector<CellStyle>& styles,
                  double top, double height) const;
    bool plainText(const QString& text, const Font& f, double width, bool wrap, double* advance) const;

    const HtmlSegment* segment_ = nullptr;
    std::vector<Font> fonts_;
    std::vector<std::vector<CellStyle>> styles_;   // per sample row
    QHash<QString, int> shapes_;                    // body row shape -> sample row
    std::vector<HtmlRow> header_;                   // the header rows' texts
    std::vector<double> headerHeights_;
    std::vector<double> left_, right_;              // content edges of each column
    std::vector<double> lines_;                     // x of the vertical lines
    double border_ = 0;
    QColor borderColor_ = Qt::black;
    double headerHeight_ = 0;
    std::vector<float> heights_;
};

}  // namespace volm::report
