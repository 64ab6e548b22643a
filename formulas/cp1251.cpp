#include "formulas/cp1251.h"

#include <QList>
#include <array>

namespace volm::cp1251 {

namespace {

// Unicode of the bytes 128 to 191; 192 to 255 are U+0410 ... U+044F.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char16_t unicodeOf(unsigned char b) {
    if (b < 128) return b;
    if (b < 192) return kHigh[b - 128];
    return char16_t(0x0410 + (b - 192));
}

int byteOf(char32_t u) {
    if (u < 128) return int(u);
    if (u >= 0x0410 && u <= 0x044F) return int(192 + (u - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == u) return 128 + i;
    return -1;
}

// Case pairs of the code page outside A-Z and А-я.
constexpr unsigned char kPairs[][2] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E},
    {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA},
    {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
};

struct CaseTables {
    std::array<unsigned char, 256> lower{}, upper{};
    CaseTables() {
        for (int i = 0; i < 256; ++i) lower[i] = upper[i] = (unsigned char)i;
        for (int c = 'A'; c <= 'Z'; ++c) {
            lower[c] = (unsigned char)(c + 32);
            upper[c + 32] = (unsigned char)c;
        }
        for (int c = 192; c < 224; ++c) {
            lower[c] = (unsigned char)(c + 32);
            upper[c + 32] = (unsigned char)c;
        }
        for (auto& p : kPairs) {
            lower[p[0]] = p[1];
            upper[p[1]] = p[0];
        }
    }
};

const CaseTables& tables() {
    static const CaseTables t;
    return t;
}

}  // namespace

std::string fromUnicode(const QString& text) {
    std::string out;
    out.reserve(size_t(text.size()));
    const auto ucs4 = text.toUcs4();
    for (char32_t u : ucs4) {
        int b = byteOf(u);
        out.push_back(b < 0 ? '?' : char(b));
    }
    return out;
}

QString toUnicode(std::string_view bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (char c : bytes) out.append(QChar(unicodeOf((unsigned char)c)));
    return out;
}

unsigned char toLower(unsigned char c) { return tables().lower[c]; }
unsigned char toUpper(unsigned char c) { return tables().upper[c]; }

QString upper(const QString& text) {
    std::string b = fromUnicode(text);
    for (char& c : b) c = char(toUpper((unsigned char)c));
    return toUnicode(b);
}

}  // namespace volm::cp1251
