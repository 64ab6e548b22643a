// Splitting report HTML into segments and rows, and joining pieces of it.
#include "output/html_pieces.h"

#include <algorithm>
#include <cctype>

namespace volm::report {

namespace {

using size = std::string::size_type;
constexpr size npos = std::string::npos;

bool isTagEnd(char c) { return c == '>' || c == '/' || std::isspace(static_cast<unsigned char>(c)); }

// The next tag <name (or </name when closing) at or after from, in the lower-case copy.
size findTag(const std::string& lc, const std::string& name, size from, size to, bool closing = false) {
    const std::string needle = (closing ? "</" : "<") + name;
    for (size p = lc.find(needle, from); p != npos && p < to; p = lc.find(needle, p + 1)) {
        const size after = p + needle.size();
        if (after < lc.size() && isTagEnd(lc[after])) return p;
    }
    return npos;
}

size tagEnd(const std::string& lc, size p) {
    const size e = lc.find('>', p);
    return e == npos ? lc.size() : e + 1;
}

bool blank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

}  // namespace

HtmlDocument splitHtml(const std::string& html) {
    std::string lc(html);
    for (char& c : lc) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string_view all(html);

    HtmlDocument doc;
    size begin = 0, end = html.size();
    if (const size b = findTag(lc, "body", 0, lc.size()); b != npos) {
        begin = tagEnd(lc, b);
        doc.prolog = all.substr(0, begin);
    }
    if (const size e = findTag(lc, "body", begin, lc.size(), true); e != npos) {
        end = e;
        doc.epilog = all.substr(e);
    }

    auto addFlow = [&](size from, size to) {
        if (to <= from) return;
        const std::string_view text = all.substr(from, to - from);
        if (blank(text)) return;
        // Consecutive ordinary content stays one segment.
        if (!doc.segments.empty() && !doc.segments.back().table) {
            const std::string_view prev = doc.segments.back().text;
            doc.segments.back().text = all.substr(size(prev.data() - html.data()), to - size(prev.data() - html.data()));
        } else {
            HtmlSegment s;
            s.text = text;
            doc.segments.push_back(s);
        }
    };

    size pos = begin;
    while (pos < end) {
        const size t = findTag(lc, "table", pos, end);
        if (t == npos) {
            addFlow(pos, end);
            break;
        }
        addFlow(pos, t);
        // The matching </table>, counting nested tables.
        int depth = 1;
        bool nested = false;
        size scan = tagEnd(lc, t), close = npos;
        while (depth > 0) {
            const size o = findTag(lc, "table", scan, end), c = findTag(lc, "table", scan, end, true);
            if (c == npos) break;
            if (o != npos && o < c) {
                ++depth;
                nested = true;
                scan = tagEnd(lc, o);
            } else {
                --depth;
                close = c;
                scan = tagEnd(lc, c);
            }
        }
        if (close == npos) {  // an unclosed table: the rest is ordinary content
            addFlow(t, end);
            break;
        }
        const size after = scan;
        size rowsFrom = tagEnd(lc, t);
        if (const size h = findTag(lc, "thead", rowsFrom, close); h != npos) {
            const size he = findTag(lc, "thead", h, close, true);
            if (he != npos) rowsFrom = tagEnd(lc, he);
        }
        HtmlSegment s;
        s.table = true;
        size r = nested ? npos : findTag(lc, "tr", rowsFrom, close);
        if (r != npos) s.open = all.substr(t, r - t);
        while (r != npos) {
            const size next = findTag(lc, "tr", r + 3, close);
            const size stop = next == npos ? close : next;
            size rowEnd = stop;
            if (const size te = findTag(lc, "tr", r, stop, true); te != npos) rowEnd = tagEnd(lc, te);
            s.rows.push_back(all.substr(r, rowEnd - r));
            r = next;
        }
        if (s.rows.empty()) {
            addFlow(t, after);
        } else {
            doc.segments.push_back(std::move(s));
        }
        pos = after;
    }
    return doc;
}

std::string pieceHtml(const HtmlDocument& doc, HtmlPlace from, size_t rowBudget, HtmlPlace& end) {
    std::string out(doc.prolog);
    size_t used = 0;
    size_t seg = from.segment, row = from.row;
    while (seg < doc.segments.size()) {
        const HtmlSegment& s = doc.segments[seg];
        if (!s.table) {
            if (used > 0 && used + kFlowRows > rowBudget) break;
            out += s.text;
            used += kFlowRows;
            ++seg;
            row = 0;
            continue;
        }
        if (used > 0 && used >= rowBudget) break;
        out += s.open;
        while (row < s.rows.size() && (used == 0 || used < rowBudget)) {
            out += s.rows[row];
            ++row;
            ++used;
        }
        out += "</table>";
        if (row < s.rows.size()) break;
        ++seg;
        row = 0;
    }
    end = {seg, seg < doc.segments.size() ? row : 0};
    out += doc.epilog.empty() ? std::string_view("</body></html>") : doc.epilog;
    return out;
}

std::string metaContent(const std::string& html, const std::string& name) {
    std::string lc(html.substr(0, std::min<size>(html.size(), 65536)));
    for (char& c : lc) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (size p = findTag(lc, "meta", 0, lc.size()); p != npos; p = findTag(lc, "meta", p + 5, lc.size())) {
        const size e = tagEnd(lc, p);
        const std::string tag = lc.substr(p, e - p);
        if (tag.find("name=\"" + name + "\"") == npos && tag.find("name='" + name + "'") == npos) continue;
        const size c = tag.find("content=");
        if (c == npos || c + 9 >= tag.size()) return {};
        const char quote = tag[c + 8];
        const size close = tag.find(quote, c + 9);
        return close == npos ? std::string() : tag.substr(c + 9, close - c - 9);
    }
    return {};
}

}  // namespace volm::report
