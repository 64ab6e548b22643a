#pragma once
// Cutting an HTML document into the parts the page layout moves between pieces:
// runs of ordinary content, and tables whose body rows may be spread over
// several pieces, each piece repeating the table's opening tag and its <thead>.
// Tables holding other tables are kept whole.
#include <string>
#include <string_view>
#include <vector>

namespace volm::report {

struct HtmlSegment {
    bool table = false;
    std::string_view text;               // ordinary content (table == false)
    std::string_view open;               // "<table ...>" up to the end of <thead>, or to the first row
    std::vector<std::string_view> rows;  // body rows, "<tr ...>...</tr>"
};

struct HtmlDocument {
    std::string_view prolog;  // up to and including <body ...> (or empty)
    std::vector<HtmlSegment> segments;
    std::string_view epilog;  // from </body> on (or empty)
};

// Splits html; the views point into it.
HtmlDocument splitHtml(const std::string& html);

// A place in the document: a segment, and for a table its first row.
struct HtmlPlace {
    size_t segment = 0;
    size_t row = 0;
};

// The HTML of the document from `from` on, with at most `rowBudget` rows (ordinary
// content counts as kFlowRows rows; at least one segment or row always goes in).
// `end` is where the next piece starts; it equals {segments.size(), 0} when the
// piece runs to the end of the document.
std::string pieceHtml(const HtmlDocument& doc, HtmlPlace from, size_t rowBudget, HtmlPlace& end);
constexpr size_t kFlowRows = 4;

// The value of <meta name="NAME" content="VALUE"> in html, or empty.
std::string metaContent(const std::string& html, const std::string& name);

}  // namespace volm::report
