// The prepared evaluator against the literal reduction: the same value (to the
// bit) or the same first error, over many generated formulas and value sets;
// and the evaluation split into a part done once and a varying part against
// the whole evaluation.
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

// The values of the generated names (A, B, C, N, Z) in the order of their indexes.
std::vector<double> valueArray(const NamedValues& values) {
    std::vector<double> out;
    for (const auto& [name, v] : values) out.push_back(v);
    return out;
}

template <class Evaluation>
Outcome outcomeOf(Evaluation evaluation) {
    Outcome out;
    try {
        out.value = evaluation();
        out.ok = true;
    } catch (const FormulaError& e) {
        out.error = e.text();
    }
    return out;
}

// A part done once for A (and B) unknown, finished for new values of them,
// gives what the whole evaluation gives: value to the bit or first error.
TEST(EvaluatorEquivalence, SplitEqualsWholeOnGeneratedFormulas) {
    const ReferenceData ref = sampleReference();
    FormulaGenerator gen(20261211);
    const SectionNodes section{12, 34};
    const QStringList names{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("N"),
                            QStringLiteral("Z")};
    auto resolve = [&](const QString& name) { return int(names.indexOf(name)); };
    // A varying value as each operand of a three-operand function, then generated formulas.
    const QStringList written{QStringLiteral("Если(<A>;<C>;<B>)"), QStringLiteral("Если(<Z>;<C>;<A>)"),
                              QStringLiteral("Если(<Z>;<A>;<C>*2)")};
    int split = 0, finishedWithError = 0;
    for (int i = 0; i < 10000; ++i) {
        const QString f = i < written.size() * 30 ? written[i % written.size()] : gen.formula();
        PreparedFormula formula(QStringLiteral("X"), f, resolve);
        const bool twoVary = i % 3 == 0;
        formula.setVarying(twoVary ? std::vector<int>{0, 1} : std::vector<int>{0});
        const NamedValues first = gen.values();
        const std::vector<double> fixed = formula.fixPart(valueArray(first).data(), &section, ref);
        split += !fixed.empty();
        for (int v = 0; v < 3; ++v) {
            NamedValues next = first;
            const NamedValues other = gen.values();
            next[QStringLiteral("A")] = other.at(QStringLiteral("A"));
            if (twoVary) next[QStringLiteral("B")] = other.at(QStringLiteral("B"));
            const std::vector<double> values = valueArray(next);
            const Outcome whole = outcomeOf([&] { return formula.evaluate(values.data(), &section, ref); });
            const Outcome parts = outcomeOf([&] { return formula.finish(fixed, values.data(), &section, ref); });
            ASSERT_EQ(whole, parts) << "formula: " << f.toStdString();
            finishedWithError += !fixed.empty() && !parts.ok;
        }
    }
    EXPECT_GT(split, 3000);
    EXPECT_GT(finishedWithError, 1000);
}

}  // namespace
