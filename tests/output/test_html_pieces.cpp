// Cutting the report document into pieces: long tables continue in the next
// piece with their opening tag and header repeated, every row exactly once;
// tables inside tables stay whole; ordinary content between tables keeps its place.
#include "output/html_pieces.h"

#include <gtest/gtest.h>

namespace volm::report {
namespace {

std::string table(int rows, const std::string& head = "<thead><tr><th>H</th></tr></thead>") {
    std::string t = "<table border=\"1\">" + head;
    for (int i = 0; i < rows; ++i) t += "<tr><td>r" + std::to_string(i) + "</td></tr>\n";
    return t + "</TABLE>";
}

// Every piece from the start to the end with the given budget.
std::vector<std::string> pieces(const HtmlDocument& doc, size_t budget) {
    std::vector<std::string> out;
    HtmlPlace at{0, 0}, end;
    while (at.segment < doc.segments.size()) {
        out.push_back(pieceHtml(doc, at, budget, end));
        at = end;
    }
    return out;
}

size_t count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
    return n;
}

TEST(HtmlPieces, SegmentsOfADocument) {
    const std::string html = "<html><head><style>td{}</style></head><BODY class=\"x\"><h1>T</h1>" + table(3) +
                             "<p>between</p>" + table(2, "") + "<p>end</p></body></html>";
    const HtmlDocument doc = splitHtml(html);
    EXPECT_EQ(doc.prolog, "<html><head><style>td{}</style></head><BODY class=\"x\">");
    EXPECT_EQ(doc.epilog, "</body></html>");
    ASSERT_EQ(doc.segments.size(), 5u);
    EXPECT_EQ(doc.segments[0].text, "<h1>T</h1>");
    EXPECT_TRUE(doc.segments[1].table);
    EXPECT_EQ(doc.segments[1].open, "<table border=\"1\"><thead><tr><th>H</th></tr></thead>");
    ASSERT_EQ(doc.segments[1].rows.size(), 3u);
    EXPECT_EQ(doc.segments[1].rows[2], "<tr><td>r2</td></tr>");
    EXPECT_EQ(doc.segments[2].text, "<p>between</p>");
    EXPECT_EQ(doc.segments[3].open, "<table border=\"1\">");
    EXPECT_EQ(doc.segments[3].rows.size(), 2u);
    EXPECT_EQ(doc.segments[4].text, "<p>end</p>");
}

TEST(HtmlPieces, LongTableContinuesWithItsHeader) {
    const std::string html = "<body><h1>T</h1>" + table(25) + "<p>after</p></body>";
    const HtmlDocument doc = splitHtml(html);
    for (size_t budget : {1u, 7u, 10u, 24u, 100u}) {
        const std::vector<std::string> ps = pieces(doc, budget);
        std::string rows;
        for (const std::string& p : ps) {
            EXPECT_EQ(p.rfind("<body>", 0), 0u);
            EXPECT_EQ(count(p, "<table"), count(p, "</table>")) << p;
            if (p.find("<td>") != std::string::npos) EXPECT_EQ(count(p, "<th>H</th>"), 1u) << p;
            for (size_t at = p.find("<td>r"); at != std::string::npos; at = p.find("<td>r", at + 1))
                rows += p.substr(at + 4, p.find('<', at + 4) - at - 4) + ",";
        }
        std::string expected;
        for (int i = 0; i < 25; ++i) expected += "r" + std::to_string(i) + ",";
        EXPECT_EQ(rows, expected) << "budget " << budget;
        EXPECT_EQ(ps.front().find("<h1>T</h1>"), 6u);
        EXPECT_NE(ps.back().find("<p>after</p>"), std::string::npos);
        if (budget >= 100) EXPECT_EQ(ps.size(), 1u);
    }
}

TEST(HtmlPieces, TableInsideATableStaysWhole) {
    const std::string html = "<table><tr><td><table><tr><td>in</td></tr></table></td></tr><tr><td>b</td></tr></table>";
    const HtmlDocument doc = splitHtml(html);
    ASSERT_EQ(doc.segments.size(), 1u);
    EXPECT_FALSE(doc.segments[0].table);
    EXPECT_EQ(doc.segments[0].text, html);
}

TEST(HtmlPieces, Meta) {
    EXPECT_EQ(metaContent("<head><META name=\"orientation\" content=\"landscape\"></head>", "orientation"), "landscape");
    EXPECT_EQ(metaContent("<meta name='x' content='1'><meta name='orientation' content='portrait'>", "orientation"),
              "portrait");
    EXPECT_EQ(metaContent("<p>no meta</p>", "orientation"), "");
}

}  // namespace
}  // namespace volm::report
