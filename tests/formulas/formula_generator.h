#pragma once
// Random formulas for the equivalence and robustness tests: mostly well-formed
// expressions of the language with its functions, sprinkled with the faults the
// evaluator must report in the right order (Null and unknown references, bad
// numbers, stray parentheses and separators, wrong argument counts, comments).
#include "tests/formulas/formula_fixtures.h"
#include <QString>
#include <random>

namespace volm::test {

class FormulaGenerator {
public:
    explicit FormulaGenerator(unsigned seed) : rng_(seed) {}

    QString formula();
    // Values for the names the formulas use (A, B, C, Z, N; Q is never given).
    NamedValues values();
    // Arbitrary text over the characters that matter to the language and a few
    // that do not, up to maxLength characters.
    QString arbitraryText(int maxLength);

private:
    int pick(int n) { return int(rng_() % unsigned(n)); }
    bool chance(int percent) { return pick(100) < percent; }
    QString expr(int depth);
    QString term(int depth);
    QString factor(int depth);
    QString number();
    QString reference();
    QString call(int depth);
    QString mutate(QString text);

    std::mt19937 rng_;
};

}  // namespace volm::test
