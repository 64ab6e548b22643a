#pragma once
// The cells of one table row of report HTML, for rows plain enough to be
// painted without the rich-text layout: every cell a <td> or <th> holding text,
// perhaps inside inline formatting tags (b, i, u, span, font, small, big, em,
// strong) and with <br> line breaks; no spans over several columns or rows, no
// nested tables, images or links.
#include <string>
#include <string_view>
#include <vector>

namespace volm::report {

struct HtmlCell {
    std::string text;  // entities decoded, white space collapsed, '\n' for <br>; UTF-8
};

struct HtmlRow {
    std::vector<HtmlCell> cells;
    // The row with the cell texts left out: rows of one shape have one look.
    std::string shape;
};

// Parses "<tr ...>...</tr>"; false when the row is not that plain.
bool parseRow(std::string_view row, HtmlRow& out);

}  // namespace volm::report
