#include "store/collation.h"

#include <QChar>
#include <sqlite3.h>

namespace volm {

namespace {

constexpr char32_t kSmallIe = 0x0435;   // е
constexpr char32_t kSmallIo = 0x0451;   // ё
constexpr char32_t kBad = 0xFFFD;

// Walks the code points of a UTF-16 text.
struct Utf16Reader {
    QStringView s;
    qsizetype i = 0;
    bool atEnd() const { return i >= s.size(); }
    char32_t next() {
        const char16_t c = s[i++].unicode();
        if (QChar::isHighSurrogate(c) && i < s.size() && QChar::isLowSurrogate(s[i].unicode()))
            return QChar::surrogateToUcs4(c, s[i++].unicode());
        return c;
    }
};

// Walks the code points of a UTF-8 text; a broken sequence counts as one U+FFFD.
struct Utf8Reader {
    std::string_view s;
    size_t i = 0;
    bool atEnd() const { return i >= s.size(); }
    char32_t next() {
        const unsigned char c = static_cast<unsigned char>(s[i++]);
        if (c < 0x80) return c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        if (extra < 0 || c > 0xF4) return kBad;
        char32_t cp = c & (0x3F >> extra);
        for (int k = 0; k < extra; ++k) {
            if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return kBad;
            cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
        }
        return cp;
    }
};

// Small letters stand for capitals. The Cyrillic small letters а…я are in the
// alphabet's order in Unicode; ё alone stands apart and is put with е.
char32_t folded(char32_t c) { return QChar::toCaseFolded(c); }

// First by letters (case and the Ё/Е difference left out); texts equal so far
// are told apart by Ё/Е, never by case.
template <typename Reader>
int compare(Reader a, Reader b) {
    int second = 0;
    while (!a.atEnd() && !b.atEnd()) {
        const char32_t x = folded(a.next()), y = folded(b.next());
        const char32_t px = x == kSmallIo ? kSmallIe : x, py = y == kSmallIo ? kSmallIe : y;
        if (px != py) return px < py ? -1 : 1;
        if (second == 0 && x != y) second = x < y ? -1 : 1;
    }
    if (!a.atEnd()) return 1;
    if (!b.atEnd()) return -1;
    return second;
}

int sqliteCompare(void*, int na, const void* a, int nb, const void* b) {
    return compareAlphabeticalUtf8(std::string_view(static_cast<const char*>(a), size_t(na)),
                                   std::string_view(static_cast<const char*>(b), size_t(nb)));
}

}  // namespace

int compareAlphabetical(QStringView a, QStringView b) { return compare(Utf16Reader{a}, Utf16Reader{b}); }

int compareAlphabeticalUtf8(std::string_view a, std::string_view b) {
    return compare(Utf8Reader{a}, Utf8Reader{b});
}

QString alphabeticalTerm(const QString& column) {
    return column + QStringLiteral(" COLLATE ") + QLatin1String(kAlphabetical);
}

bool registerAlphabetical(sqlite3* db) {
    return sqlite3_create_collation_v2(db, kAlphabetical, SQLITE_UTF8, nullptr, sqliteCompare, nullptr) == SQLITE_OK;
}

}  // namespace volm
