#pragma once
// Formula texts are examined as single-byte Windows-1251 text: the letter test
// before a parenthesis and the case-blind match of function names work on these
// bytes. A character that the code page cannot hold becomes "?".
#include <QString>
#include <string>
#include <string_view>

namespace volm::cp1251 {

std::string fromUnicode(const QString& text);
QString toUnicode(std::string_view bytes);

// A, ..., Z, a, ..., z and every byte from 192 to 255 (А ... я).
inline bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 192;
}

// The lower-case partner of a byte (itself when it has none).
unsigned char toLower(unsigned char c);
// The upper-case partner of a byte (itself when it has none).
unsigned char toUpper(unsigned char c);

// The text in capitals, as the code page spells them.
QString upper(const QString& text);

}  // namespace volm::cp1251
