#include "formulas/number_parse.h"

#include <charconv>

namespace volm {

std::optional<double> parseFormulaNumber(const std::string& run) {
    bool digit = false;
    for (char c : run) digit = digit || (c >= '0' && c <= '9');
    if (!digit) return std::nullopt;
    double v = 0;
    auto [ptr, ec] = std::from_chars(run.data(), run.data() + run.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || ptr != run.data() + run.size()) return std::nullopt;
    return v;
}

}  // namespace volm
