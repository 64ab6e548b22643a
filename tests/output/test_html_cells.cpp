// Reading table rows cell by cell for the row painter: plain rows give their
// texts as the rich-text layout would show them and a shape without the texts;
// anything the painter cannot reproduce makes the row not plain.
#include "output/html_cells.h"

#include <gtest/gtest.h>

namespace volm::report {
namespace {

struct RowCase {
    const char* name;
    const char* html;
    bool plain;
    std::vector<std::string> texts;
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

class Rows : public ::testing::TestWithParam<RowCase> {};

TEST_P(Rows, ReadAsTheLayoutShowsThem) {
    const RowCase& c = GetParam();
    HtmlRow row;
    ASSERT_EQ(parseRow(c.html, row), c.plain);
    if (!c.plain) return;
    std::vector<std::string> texts;
    for (const HtmlCell& cell : row.cells) texts.push_back(cell.text);
    EXPECT_EQ(texts, c.texts);
}

const RowCase kRows[] = {
    {"numbers", "<tr><td>12 - 34</td><td>1,50</td></tr>", true, {"12 - 34", "1,50"}},
    {"header cells and attributes", "<TR class=\"x\"><TH width=\"10%\">Участок</TH><td align=\"left\">а</td></TR>", true,
     {"Участок", "а"}},
    {"white space collapsed", "<tr><td>\n  a \t b  \n</td><td></td></tr>", true, {"a b", ""}},
    {"entities", "<tr><td>&lt;1&gt; &amp; &quot;q&quot; &#39;s&#39;&nbsp;&#x41;</td></tr>", true,
     {"<1> & \"q\" 's'\xC2\xA0" "A"}},
    {"inline formatting", "<tr><td><b>жирный</b> <span style=\"color:red\">текст</span></td></tr>", true,
     {"жирный текст"}},
    {"line breaks", "<tr><td>много<br>строк<br/>в ячейке</td></tr>", true, {"много\nстрок\nв ячейке"}},
    {"cells without closing tags", "<tr><td>a<td>b</tr>", true, {"a", "b"}},
    {"column span", "<tr><td colspan=\"2\">a</td></tr>", false, {}},
    {"row span", "<tr><td ROWSPAN=2>a</td></tr>", false, {}},
    {"nested table", "<tr><td><table><tr><td>a</td></tr></table></td></tr>", false, {}},
    {"image", "<tr><td><img src=\"a.png\"></td></tr>", false, {}},
    {"link", "<tr><td><a href=\"x\">a</a></td></tr>", false, {}},
};

INSTANTIATE_TEST_SUITE_P(HtmlCells, Rows, ::testing::ValuesIn(kRows), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

// Rows of one look share a shape whatever their texts; another look, another shape.
TEST(HtmlCellsShape, LeavesTheTextsOut) {
    HtmlRow a, b, c;
    ASSERT_TRUE(parseRow("<tr><td>1</td><td class=\"text\">первый</td></tr>", a));
    ASSERT_TRUE(parseRow("<tr><td>22</td><td class=\"text\">второй</td></tr>", b));
    ASSERT_TRUE(parseRow("<tr><td>1</td><td class=\"text\"><b>первый</b></td></tr>", c));
    EXPECT_EQ(a.shape, b.shape);
    EXPECT_NE(a.shape, c.shape);
}

}  // namespace
}  // namespace volm::report
