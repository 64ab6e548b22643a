// The prepared evaluator against the literal reduction: the same value (to the
// bit) or the same first error, over many generated formulas and value sets.
#include "tests/formulas/formula_generator.h"

#include "formulas/formula_text.h"

#include <gtest/gtest.h>

using namespace volm;
using namespace volm::test;

namespace {

TEST(EvaluatorEquivalence, PreparedEqualsLiteralOnGeneratedFormulas) {
    const ReferenceData ref = sampleReference();
    FormulaGenerator gen(20240611);
    const SectionNodes section{12, 34};
    int ok = 0, failed = 0, division = 0, nulls = 0, syntax = 0, functions = 0;
    for (int i = 0; i < 20000; ++i) {
        const QString f = gen.formula();
        for (int v = 0; v < 4; ++v) {
            const NamedValues values = gen.values();
            const SectionNodes* s = v % 2 ? &section : nullptr;
            const Outcome literal = evalLiteral(f, values, ref, s);
            const Outcome prepared = evalPrepared(f, values, ref, s);
            ASSERT_EQ(literal, prepared) << "formula: " << f.toStdString();
            if (prepared.ok) ++ok;
            else {
                ++failed;
                division += prepared.error.endsWith(QStringLiteral("Деление на ноль!"));
                nulls += prepared.error.contains(QStringLiteral("не заполнено."));
                syntax += prepared.error.endsWith(QStringLiteral("Синтаксическая ошибка в формуле."));
                functions += prepared.error.contains(QStringLiteral("функции"));
            }
        }
    }
    // The generator must exercise both outcomes and the main kinds of fault.
    EXPECT_GT(ok, 8000);
    EXPECT_GT(failed, 8000);
    EXPECT_GT(division, 500);
    EXPECT_GT(nulls, 500);
    EXPECT_GT(syntax, 500);
    EXPECT_GT(functions, 500);
}

}  // namespace
