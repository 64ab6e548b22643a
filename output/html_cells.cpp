// Reading plain table rows of report HTML cell by cell.
#include "output/html_cells.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>

namespace volm::report {

namespace {

using size = std::string_view::size_type;
constexpr size npos = std::string_view::npos;

char lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }
bool space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The tag name at s[p] == '<' (lower case, without '/'), and whether it closes.
std::string tagName(std::string_view s, size p, bool& closing) {
    size i = p + 1;
    closing = i < s.size() && s[i] == '/';
    if (closing) ++i;
    std::string name;
    while (i < s.size() && !space(s[i]) && s[i] != '>' && s[i] != '/') name += lower(s[i++]);
    return name;
}

bool inlineTag(const std::string& n) {
    return n == "b" || n == "i" || n == "u" || n == "span" || n == "font" || n == "small" || n == "big" ||
           n == "em" || n == "strong";
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes the entity at s[p] == '&'; returns the characters it took, 0 when it is none.
size entity(std::string_view s, size p, std::string& out) {
    const size semi = s.find(';', p);
    if (semi == npos || semi - p > 10) return 0;
    const std::string_view name = s.substr(p + 1, semi - p - 1);
    if (name == "amp") out += '&';
    else if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name == "nbsp") appendUtf8(out, 0xA0);
    else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        char* end = nullptr;
        const unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (digits.empty() || *end || cp == 0 || cp > 0x10FFFF) return 0;
        appendUtf8(out, uint32_t(cp));
    } else {
        return 0;
    }
    return semi - p + 1;
}

// The text between a cell's tags: white space collapsed as HTML does, <br> as '\n'.
bool cellText(std::string_view s, std::string& text, std::string& shape) {
    bool pendingSpace = false;
    for (size i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '<') {
            bool closing = false;
            const std::string name = tagName(s, i, closing);
            const size e = s.find('>', i);
            if (e == npos) return false;
            if (name == "br") {
                text += '\n';
                pendingSpace = false;
            } else if (inlineTag(name)) {
                shape.append(s.substr(i, e + 1 - i));
            } else {
                return false;
            }
            i = e + 1;
            continue;
        }
        if (space(c)) {
            pendingSpace = true;
            ++i;
            continue;
        }
        if (pendingSpace && !text.empty() && text.back() != '\n') text += ' ';
        pendingSpace = false;
        if (c == '&') {
            if (const size n = entity(s, i, text)) {
                i += n;
                continue;
            }
        }
        text += c;
        ++i;
    }
    return true;
}

}  // namespace

bool parseRow(std::string_view row, HtmlRow& out) {
    out.cells.clear();
    out.shape.clear();
    size p = row.find('>');
    if (p == npos) return false;
    out.shape.append(row.substr(0, p + 1));
    ++p;
    for (;;) {
        while (p < row.size() && space(row[p])) ++p;
        if (p >= row.size()) return false;
        bool closing = false;
        if (row[p] != '<') return false;
        const std::string name = tagName(row, p, closing);
        if (closing && name == "tr") return true;
        if (closing || (name != "td" && name != "th")) return false;
        const size e = row.find('>', p);
        if (e == npos) return false;
        const std::string_view open = row.substr(p, e + 1 - p);
        for (const char* span : {"colspan", "rowspan"}) {
            std::string lc(open);
            for (char& ch : lc) ch = lower(ch);
            if (lc.find(span) != npos) return false;
        }
        out.shape.append(open);
        // The cell ends at its closing tag, or where the next cell or the row's end begins.
        size q = e + 1, end = npos, next = npos;
        while (q < row.size()) {
            q = row.find('<', q);
            if (q == npos) break;
            bool c2 = false;
            const std::string n2 = tagName(row, q, c2);
            if (c2 && (n2 == "td" || n2 == "th")) {
                end = q;
                next = row.find('>', q);
                next = next == npos ? row.size() : next + 1;
                break;
            }
            if ((!c2 && (n2 == "td" || n2 == "th")) || (c2 && n2 == "tr")) {
                end = next = q;
                break;
            }
            ++q;
        }
        if (end == npos) end = next = row.size();
        HtmlCell cell;
        if (!cellText(row.substr(e + 1, end - e - 1), cell.text, out.shape)) return false;
        while (!cell.text.empty() && (cell.text.back() == '\n')) cell.text.pop_back();
        out.shape += "</td>";
        out.cells.push_back(std::move(cell));
        p = next;
        if (p >= row.size()) return true;
    }
}

}  // namespace volm::report
