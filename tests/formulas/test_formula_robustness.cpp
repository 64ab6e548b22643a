// Arbitrary text never crashes or hangs the evaluator, and both evaluators still
// agree on it. (The libFuzzer target in fuzz/ runs the same property unbounded.)
#include "tests/formulas/formula_generator.h"

#include "formulas/formula_text.h"

#include <gtest/gtest.h>
#include <chrono>

using namespace volm;
using namespace volm::test;

namespace {

TEST(FormulaRobustness, ArbitraryTextIsHandled) {
    const ReferenceData ref = sampleReference();
    FormulaGenerator gen(99);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int runs = 0;
    while (std::chrono::steady_clock::now() < until) {
        for (int i = 0; i < 200; ++i, ++runs) {
            const QString f = gen.arbitraryText(320);
            const NamedValues values = gen.values();
            const Outcome literal = evalLiteral(f, values, ref);
            const Outcome prepared = evalPrepared(f, values, ref);
            ASSERT_EQ(literal, prepared) << "formula: " << f.toStdString();
            const QString plain = UdalitKommentarii(f);
            EXPECT_FALSE(plain.contains(QLatin1Char('[')));
        }
    }
    EXPECT_GT(runs, 1000);
}

}  // namespace
