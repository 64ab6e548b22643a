#include "calc/stored_number.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace volm::calc {

double asStoredTextByLibrary(double v) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15).ptr;
    double r = v;
    std::from_chars(buf, end, r);
    return r;
}

namespace {

using u128 = unsigned __int128;

constexpr int kMaxScale = 22;  // 10^k is a double exactly up to here

struct Powers {
    u128 whole[kMaxScale + 1];
    constexpr Powers() : whole{} {
        u128 p = 1;
        for (int k = 0; k <= kMaxScale; ++k, p *= 10) whole[k] = p;
    }
};
constexpr Powers kPowers;
constexpr u128 kLow = kPowers.whole[14], kHigh = kPowers.whole[15];

constexpr double kPow10[kMaxScale + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

double asStoredText(double v) {
    // For 1e-7 <= |v| < 1e15 the 15 digits are found in whole numbers: |v| is
    // M * 2^-s exactly, M * 10^k * 2^-s is the value scaled to 15 digits before
    // the point, and rounding it half to even gives the digits N. N / 10^k is
    // then the nearest double to the written value, as both N and 10^k are
    // doubles exactly and the division rounds once.
    const double a = std::fabs(v);
    if (a < 1e15 && a == double(std::int64_t(a))) return v;  // a whole number of at most 15 digits
    if (a >= 1e-7 && a < 1e15) {
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
        const int biased = int(bits >> 52);
        const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
        const int s = 1075 - biased;  // from 3 (below 1e15) to 76 (at 1e-7)
        // 14 less the decimal exponent, first guessed from the binary one:
        // (e * 78913) >> 18 is the floor of e * log10(2) for the exponents here.
        int k = 14 - (((biased - 1023) * 78913) >> 18);
        for (int guess = 0; guess < 3 && k >= 0 && k <= kMaxScale; ++guess) {
            const u128 scaled = u128(m) * kPowers.whole[k];
            const u128 whole = scaled >> s;
            if (whole >= kHigh) {
                --k;
                continue;
            }
            if (whole < kLow) {
                ++k;
                continue;
            }
            const u128 rest = scaled & ((u128(1) << s) - 1);
            const u128 half = u128(1) << (s - 1);
            const std::uint64_t n = std::uint64_t(whole) + ((rest > half || (rest == half && (whole & 1))) ? 1 : 0);
            const double r = double(n) / kPow10[k];
            return v < 0 ? -r : r;
        }
    }
    return asStoredTextByLibrary(v);
}

}  // namespace volm::calc
