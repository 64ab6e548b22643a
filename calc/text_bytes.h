#pragma once
// Fixed pieces of the calculation text, converted to Windows-1251 once.
#include "formulas/cp1251.h"
#include <QString>
#include <string>

namespace volm::calc {

inline std::string cp(const char* utf8) { return cp1251::fromUnicode(QString::fromUtf8(utf8)); }

}  // namespace volm::calc

// A function-local constant holding the Windows-1251 bytes of a UTF-8 literal.
#define VOLM_CP(literal) ([]() -> const std::string& { static const std::string s = ::volm::calc::cp(literal); return s; }())
