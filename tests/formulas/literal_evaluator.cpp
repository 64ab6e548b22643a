#include "tests/formulas/literal_evaluator.h"

#include "formulas/cp1251.h"
#include "formulas/formula_text.h"
#include "formulas/functions.h"
#include "formulas/number_parse.h"
#include "formulas/operations.h"

#include <cmath>

namespace volm {

double vichislitFormuluLiteral(const QString& shortName, const QString& formula, const SectionNodes* section,
                               const ValueLookup& lookup, const ReferenceData& ref) {
    const std::string text = formulaBytes(formula);
    // An empty formula is refused before anything else.
    if (text.empty()) throw FormulaError(errorContext(shortName, section) + detail::emptyFormula());
    // Every message starts with the indicator and the section.
    const QString context = errorContext(shortName, section);
    auto fail = [&](const QString& d) { throw FormulaError(context + d); };
    // Blanks dropped, commas turned into points.
    const std::string s = normaliseFormula(text);

    // Numbers and references become numbered slots holding their values.
    double argumenty[256] = {};
    std::string prepared;
    int counter = 0;
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const char c = s[i];
        if ((c >= '0' && c <= '9') || c == '.') {
            size_t j = i;
            int points = 0;
            while (j < n && ((s[j] >= '0' && s[j] <= '9') || s[j] == '.')) {
                if (s[j] == '.') ++points;
                ++j;
            }
            const std::string run = s.substr(i, j - i);
            if (points >= 2) fail(detail::notANumber(cp1251::toUnicode(run)));
            if (++counter > 255) fail(detail::tooManyArguments());
            auto v = parseFormulaNumber(run);
            if (!v) fail(detail::notANumber(cp1251::toUnicode(run)));
            argumenty[counter] = *v;
            prepared += slotText(counter);
            i = j;
        } else if (c == '<') {
            const size_t close = s.find('>', i + 1);
            if (close == std::string::npos) break;  // the rest is dropped
            const QString name = cp1251::toUnicode(std::string_view(s).substr(i + 1, close - i - 1));
            if (++counter > 255) fail(detail::tooManyArguments());
            const std::optional<double> v = lookup(name);
            if (!v) fail(detail::unknownReference(name));
            if (std::isnan(*v)) fail(detail::valueNotFilled(name));
            argumenty[counter] = *v;
            prepared += slotText(counter);
            i = close + 1;
        } else {
            prepared.push_back(c);
            ++i;
        }
    }

    // Each operation, highest priority first, folds its slots into one.
    while (auto found = naitiOperaciju(prepared)) {
        int slots[kMaxOperands] = {0, 0, 0};
        const int count = collectSlots(prepared, found->start, found->end, slots);
        double args[kMaxOperands] = {argumenty[slots[0]], count > 1 ? argumenty[slots[1]] : 0.0,
                                     count > 2 ? argumenty[slots[2]] : 0.0};
        try {
            argumenty[slots[0]] = applyOperation(found->op, found->unary, args, ref);
        } catch (const OperationFailure& f) {
            fail(f.detail);
        }
        int start = found->start, end = found->end;
        widenSpan(prepared, start, end);
        prepared.replace(size_t(start), size_t(end - start + 1), slotText(slots[0]));
    }

    // What is left must be one slot: the result.
    const int last = singleSlot(prepared);
    if (last == 0) fail(detail::syntaxError());
    const double result = argumenty[last];
    if (!std::isfinite(result)) fail(detail::resultNotFinite());
    return result;
}

}  // namespace volm
