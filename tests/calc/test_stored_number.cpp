// A section value as the file gives it back with 15 significant digits: the
// shortcut in whole numbers gives the very bits of std::to_chars and
// std::from_chars, over every magnitude, at the edges of its range, at the
// powers of ten and at exact ties.
#include "calc/stored_number.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

namespace volm::test {
namespace {

::testing::AssertionResult sameAsLibrary(double v) {
    const double fast = calc::asStoredText(v), library = calc::asStoredTextByLibrary(v);
    if (std::bit_cast<std::uint64_t>(fast) == std::bit_cast<std::uint64_t>(library) ||
        (std::isnan(fast) && std::isnan(library)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hexfloat << v << ": " << fast << " instead of " << library;
}

TEST(StoredNumber, RandomValuesOfEveryMagnitude) {
    std::mt19937_64 rng(15);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_real_distribution<double> exponent(-12, 18), unit(0, 1);
    for (int i = 0; i < 1500000; ++i) {
        double v = 0;
        switch (i % 3) {
        case 0: v = std::bit_cast<double>(bits(rng)); break;                   // any pattern
        case 1: v = std::pow(10.0, exponent(rng)); break;                      // log-uniform
        default: v = std::round(unit(rng) * 1e6) / std::pow(2.0, i % 40); break;  // few binary digits
        }
        if (i % 2) v = -v;
        ASSERT_TRUE(sameAsLibrary(v));
    }
}

TEST(StoredNumber, EdgesPowersOfTenAndTies) {
    std::vector<double> values{0.0, -0.0, 1e-7, 1e15, 1e-8, 1e22, std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(), 999999999999999.5, 99999999999999.95};
    for (int e = -12; e <= 17; ++e) {
        double p = std::pow(10.0, e);
        for (int step = 0; step < 40; ++step) {
            values.push_back(p);
            values.push_back(std::nextafter(p, 0.0));
            p = std::nextafter(p, INFINITY);
        }
    }
    // Exact ties: 16 significant digits ending in 5, halfway between two 15-digit values.
    std::mt19937_64 rng(5);
    std::uniform_int_distribution<std::uint64_t> q(100000000000000ull, 999999999999999ull);
    for (int i = 0; i < 200000; ++i) {
        const double whole = double(q(rng));
        values.push_back(whole + 0.5);
        values.push_back(whole * 10 + 5);  // exact below 2^53
    }
    for (double v : values) {
        ASSERT_TRUE(sameAsLibrary(v));
        ASSERT_TRUE(sameAsLibrary(-v));
    }
}

}  // namespace
}  // namespace volm::test
