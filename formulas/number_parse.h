#pragma once
// A number of a formula: digits with at most one point, "." the decimal separator
// whatever the locale. A run of points alone is not a number.
#include <optional>
#include <string>

namespace volm {

std::optional<double> parseFormulaNumber(const std::string& run);

}  // namespace volm
