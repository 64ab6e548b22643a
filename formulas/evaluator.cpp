// The prepared evaluator. The reductions of a formula depend only on its text:
// the preparation runs PodgotovitFormulu and the reduction loop of the literal
// algorithm once, on the text alone, and records what each step does. An
// evaluation replays the record against the values of one section: loads with
// their Null checks in text order, then the operations in reduction order, then
// the final test. The value and the first error met are those of the literal
// algorithm (tests/formulas/literal_evaluator.h), which the tests hold it to.
#include "formulas/evaluator.h"

#include "formulas/cp1251.h"
#include "formulas/formula_text.h"
#include "formulas/functions.h"
#include "formulas/number_parse.h"
#include "formulas/operations.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace volm {

namespace {

struct Load {
    int slot;
    int index;  // into the values of an evaluation
    QString name;
};

struct Step {
    Op op;
    bool unary;
    unsigned char first;   // slot that receives the result
    unsigned char second;  // second operand's slot (0 when none)
    unsigned char third;   // third operand's slot (0 when none)
};

}  // namespace

struct PreparedFormula::Impl {
    QString shortName;
    bool empty = false;             // "Формула показателя должна быть заполнена."
    std::vector<double> initial;    // slot values known from the text (numbers)
    std::vector<Load> loads;        // references, in text order
    bool prepareFails = false;      // preparation stops after the loads with...
    QString prepareDetail;          // ...this detail text
    std::vector<Step> steps;        // reductions, in order
    int resultSlot = 0;             // the slot left at the end; 0: syntax error
    // After setVarying(): per load and per step, whether it needs a varying value.
    std::vector<char> varyingLoad, varyingStep;
    std::vector<int> fixedReads;    // the slots of the fixed part the varying part reads

    double run(const Step& st, double* slot, const SectionNodes* section, const ReferenceData& ref) const;
    double load(const Load& l, const double* values, const SectionNodes* section) const {
        const double v = values[l.index];
        if (std::isnan(v)) fail(section, detail::valueNotFilled(l.name));
        return v;
    }
    double result(const double* slot, const SectionNodes* section) const;

    [[noreturn]] void fail(const SectionNodes* section, const QString& detail) const {
        throw FormulaError(errorContext(shortName, section) + detail);
    }
};

PreparedFormula::PreparedFormula(const QString& shortName, const QString& formula, const Resolver& resolve)
    : d_(std::make_unique<Impl>()) {
    Impl& d = *d_;
    d.shortName = shortName;
    const std::string text = formulaBytes(formula);
    if (text.empty()) {
        d.empty = true;
        return;
    }
    const std::string s = normaliseFormula(text);
    d.initial.assign(1, 0.0);

    auto stop = [&](const QString& detail) {
        d.prepareFails = true;
        d.prepareDetail = detail;
    };

    std::string prepared;
    int counter = 0;
    const size_t n = s.size();
    size_t i = 0;
    while (i < n && !d.prepareFails) {
        const char c = s[i];
        if ((c >= '0' && c <= '9') || c == '.') {
            size_t j = i;
            int points = 0;
            while (j < n && ((s[j] >= '0' && s[j] <= '9') || s[j] == '.')) {
                if (s[j] == '.') ++points;
                ++j;
            }
            const std::string run = s.substr(i, j - i);
            if (points >= 2) {
                stop(detail::notANumber(cp1251::toUnicode(run)));
                break;
            }
            if (++counter > 255) {
                stop(detail::tooManyArguments());
                break;
            }
            auto v = parseFormulaNumber(run);
            if (!v) {
                stop(detail::notANumber(cp1251::toUnicode(run)));
                break;
            }
            d.initial.push_back(*v);
            prepared += slotText(counter);
            i = j;
        } else if (c == '<') {
            const size_t close = s.find('>', i + 1);
            if (close == std::string::npos) break;
            const QString name = cp1251::toUnicode(std::string_view(s).substr(i + 1, close - i - 1));
            if (++counter > 255) {
                stop(detail::tooManyArguments());
                break;
            }
            const int index = resolve ? resolve(name) : -1;
            if (index < 0) {
                stop(detail::unknownReference(name));
                break;
            }
            d.initial.push_back(0.0);
            d.loads.push_back({counter, index, name});
            prepared += slotText(counter);
            i = close + 1;
        } else {
            prepared.push_back(c);
            ++i;
        }
    }
    if (d.prepareFails) return;

    while (auto found = naitiOperaciju(prepared)) {
        int slots[kMaxOperands] = {0, 0, 0};
        collectSlots(prepared, found->start, found->end, slots);
        d.steps.push_back({found->op, found->unary, (unsigned char)slots[0], (unsigned char)slots[1],
                           (unsigned char)slots[2]});
        int start = found->start, end = found->end;
        widenSpan(prepared, start, end);
        prepared.replace(size_t(start), size_t(end - start + 1), slotText(slots[0]));
    }
    d.resultSlot = singleSlot(prepared);
}

PreparedFormula::~PreparedFormula() = default;
PreparedFormula::PreparedFormula(PreparedFormula&&) noexcept = default;
PreparedFormula& PreparedFormula::operator=(PreparedFormula&&) noexcept = default;

double PreparedFormula::Impl::run(const Step& st, double* slot, const SectionNodes* section,
                                  const ReferenceData& ref) const {
    using Ext = long double;
    const double a = slot[st.first];
    const double b = slot[st.second];
    double r;
    switch (st.op) {
    case Op::Plus:
        r = double(Ext(a) + Ext(b));
        break;
    case Op::Minus:
        r = st.unary ? -a : double(Ext(a) - Ext(b));
        break;
    case Op::Multiply:
        r = double(Ext(a) * Ext(b));
        break;
    case Op::Divide:
        if (b == 0) fail(section, detail::divisionByZero());
        r = double(Ext(a) / Ext(b));
        break;
    default:
        r = NAN;  // functions go the long way below
        break;
    }
    if (!std::isfinite(r) || st.op > Op::Divide) {
        // Functions, and any arithmetic fault, through the shared routine:
        // it gives the same value or the same message as the literal reduction.
        const double args[kMaxOperands] = {a, b, slot[st.third]};
        try {
            r = applyOperation(st.op, st.unary, args, ref);
        } catch (const OperationFailure& f) {
            fail(section, f.detail);
        }
    }
    return r;
}

double PreparedFormula::Impl::result(const double* slot, const SectionNodes* section) const {
    if (resultSlot == 0) fail(section, detail::syntaxError());
    const double r = slot[resultSlot];
    if (!std::isfinite(r)) fail(section, detail::resultNotFinite());
    return r;
}

double PreparedFormula::evaluate(const double* values, const SectionNodes* section, const ReferenceData& ref) const {
    const Impl& d = *d_;
    if (d.empty) d.fail(section, detail::emptyFormula());

    double slot[256];
    std::memcpy(slot, d.initial.data(), d.initial.size() * sizeof(double));
    for (const Load& l : d.loads) slot[l.slot] = d.load(l, values, section);
    if (d.prepareFails) d.fail(section, d.prepareDetail);
    for (const Step& st : d.steps) slot[st.first] = d.run(st, slot, section, ref);
    return d.result(slot, section);
}

void PreparedFormula::setVarying(const std::vector<int>& varying) {
    Impl& d = *d_;
    std::vector<char> slotVarying(d.initial.size() + 1, 0);
    d.varyingLoad.clear();
    for (const Load& l : d.loads) {
        const bool v = std::find(varying.begin(), varying.end(), l.index) != varying.end();
        d.varyingLoad.push_back(v);
        slotVarying[size_t(l.slot)] = v;
    }
    // A step needs a varying value when one of its operands does. A slot's
    // value is read by one step only (the reduction puts the result in place
    // of the operands), so the steps done beforehand never overwrite a value
    // the varying part reads.
    d.varyingStep.clear();
    std::vector<char> read(d.initial.size() + 1, 0);
    read[0] = 1;  // the operand of none
    for (const Step& st : d.steps) {
        const bool v = slotVarying[st.first] || slotVarying[st.second] || slotVarying[st.third];
        d.varyingStep.push_back(v);
        if (v)
            for (const int operand : {st.first, st.second, st.third})
                if (!slotVarying[size_t(operand)]) read[size_t(operand)] = 1;
        slotVarying[st.first] = v;
    }
    if (!slotVarying[size_t(d.resultSlot)]) read[size_t(d.resultSlot)] = 1;
    d.fixedReads.clear();
    for (size_t i = 0; i < d.initial.size(); ++i)
        if (read[i]) d.fixedReads.push_back(int(i));
}

std::vector<double> PreparedFormula::fixPart(const double* values, const SectionNodes* section,
                                             const ReferenceData& ref) const {
    const Impl& d = *d_;
    if (d.empty || d.prepareFails || d.varyingLoad.size() != d.loads.size()) return {};
    std::vector<double> slot = d.initial;
    try {
        for (size_t i = 0; i < d.loads.size(); ++i)
            if (!d.varyingLoad[i]) slot[size_t(d.loads[i].slot)] = d.load(d.loads[i], values, section);
        for (size_t i = 0; i < d.steps.size(); ++i)
            if (!d.varyingStep[i]) slot[d.steps[i].first] = d.run(d.steps[i], slot.data(), section, ref);
    } catch (const FormulaError&) {
        return {};
    }
    return slot;
}

double PreparedFormula::finish(const std::vector<double>& fixed, const double* values, const SectionNodes* section,
                               const ReferenceData& ref) const {
    const Impl& d = *d_;
    if (fixed.empty()) return evaluate(values, section, ref);
    // The part without varying values met no error: the first error, if any,
    // is one of the varying part's, met in the same order.
    double slot[256];
    for (const int i : d.fixedReads) slot[i] = fixed[size_t(i)];
    for (size_t i = 0; i < d.loads.size(); ++i)
        if (d.varyingLoad[i]) slot[d.loads[i].slot] = d.load(d.loads[i], values, section);
    for (size_t i = 0; i < d.steps.size(); ++i)
        if (d.varyingStep[i]) slot[d.steps[i].first] = d.run(d.steps[i], slot, section, ref);
    return d.result(slot, section);
}

}  // namespace volm
