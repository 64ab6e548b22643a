// Степень and Округл take shortcuts around std::pow in extended precision (a
// square as one product, remembered powers, a table of the powers of ten). The
// shortcuts must give the very bits, or the very refusal, of the long way.
#include "tests/formulas/formula_fixtures.h"

#include "formulas/functions.h"

#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

using namespace volm;
using namespace volm::test;

namespace {

using Ext = long double;

// The result of one operation, or nothing when it is refused.
std::optional<double> apply(Op op, double x, double y, const ReferenceData& ref) {
    const double args[2] = {x, y};
    try {
        return applyOperation(op, false, args, ref);
    } catch (const OperationFailure&) {
        return std::nullopt;
    }
}

// Arguments the compiler cannot see through: a power with a constant exponent
// would be folded or turned into products instead of calling the library.
Ext opaque(double v) {
    volatile double o = v;
    return Ext(o);
}

// Степень the long way (its domain checks are shared and not under test here).
std::optional<double> powerLongWay(double x, double y) {
    const double r = double(std::pow(opaque(x), opaque(y)));
    if (!std::isfinite(r)) return std::nullopt;
    return r;
}

// Округл the long way.
std::optional<double> roundLongWay(double x, int n) {
    const Ext p = std::pow(opaque(10), opaque(-n));
    const Ext scaled = x >= 0 ? Ext(x) / p + 0.5000000001L : Ext(x) / p - 0.5000000001L;
    if (!(std::fabs(scaled) < 9223372036854775807.0L)) return std::nullopt;
    const double r = double(Ext((long long)scaled) * p);
    if (!std::isfinite(r)) return std::nullopt;
    return r;
}

::testing::AssertionResult sameBits(std::optional<double> expected, std::optional<double> got, double x, double y) {
    if (expected.has_value() != got.has_value() ||
        (expected && std::bit_cast<std::uint64_t>(*expected) != std::bit_cast<std::uint64_t>(*got)))
        return ::testing::AssertionFailure()
               << "x = " << std::hexfloat << x << ", y = " << y << ": expected "
               << (expected ? std::to_string(*expected) : "refusal") << ", got "
               << (got ? std::to_string(*got) : "refusal");
    return ::testing::AssertionSuccess();
}

// Finite doubles of every magnitude and of the shapes met in formulas.
std::vector<double> sampleValues(std::mt19937_64& rng, int count) {
    std::vector<double> v{0.0, -0.0, 1.0, -1.0, 0.5, 3.0, 1e-320, -1e-320, 1e300, -1e300, 1e154, 1.34e154,
                          std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()};
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> small(-100000, 100000);
    while (int(v.size()) < count) {
        double x = 0;
        switch (v.size() % 4) {
        case 0: x = std::bit_cast<double>(bits(rng)); break;             // any bit pattern
        case 1: x = std::ldexp(unit(rng), int(bits(rng) % 200) - 100); break;  // moderate magnitudes
        case 2: x = small(rng) / 1000.0; break;                         // decimal fractions
        default: x = (small(rng) % 1500) / 1000.0; break;                // diameters in metres
        }
        if (std::isfinite(x)) v.push_back(v.size() % 8 == 7 ? -x : x);
    }
    return v;
}

TEST(PowerPaths, SquareIsTheExtendedPowerToTheBit) {
    const ReferenceData ref = sampleReference();
    std::mt19937_64 rng(20240611);
    for (double x : sampleValues(rng, 400000))
        ASSERT_TRUE(sameBits(powerLongWay(x, 2), apply(Op::Power, x, 2, ref), x, 2));
}

TEST(PowerPaths, RememberedPowersAreThoseOfTheLongWay) {
    const ReferenceData ref = sampleReference();
    std::mt19937_64 rng(7);
    // A pool small enough for the same arguments to recur, large enough to evict.
    std::vector<double> xs = sampleValues(rng, 300);
    for (double& x : xs) x = std::fabs(x);
    const double ys[] = {5.25, 0.25, 0.5, 1, 3, -1.5, 1.75, 0, 10, -2};
    std::uniform_int_distribution<size_t> pickX(0, xs.size() - 1), pickY(0, std::size(ys) - 1);
    for (int i = 0; i < 200000; ++i) {
        const double x = xs[pickX(rng)], y = ys[pickY(rng)];
        if (x == 0 && y <= 0) continue;  // refused before any power is taken
        ASSERT_TRUE(sameBits(powerLongWay(x, y), apply(Op::Power, x, y, ref), x, y));
    }
}

TEST(PowerPaths, RoundingUsesTheExtendedPowersOfTen) {
    const ReferenceData ref = sampleReference();
    std::mt19937_64 rng(11);
    const std::vector<double> xs = sampleValues(rng, 20000);
    for (double x : xs)
        for (int n = -10; n <= 10; ++n) ASSERT_TRUE(sameBits(roundLongWay(x, n), apply(Op::Round, x, n, ref), x, n));
}

}  // namespace
