#pragma once
// The formula evaluator. A formula is prepared once (comments removed, text
// normalised, the sequence of reductions worked out from the text alone) and then
// evaluated many times against values given by slot index. The result and the
// first error met are those of reducing the formula text step by step.
//
// (Interface agreed between formulas/ and calc/; formulas/ implements it.)
#include "store/errors.h"
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace volm {

struct ReferenceData;  // reference-book tables in memory (formulas/reference_data.h)

// A failure of one evaluation. text() is the whole message shown to the person:
// the error context ("Участок a - b:" + CR for a section, then
// "Ошибка при расчете показателя \"name\":" + CR + CR) followed by the detail text.
class FormulaError : public Error {
public:
    explicit FormulaError(QString text) : Error(QStringLiteral("EFormulaError"), std::move(text)) {}
    const QString& text() const { return message(); }
};

// The section a table formula is evaluated for; absent for header formulas.
struct SectionNodes {
    int startNode = 0;
    int endNode = 0;
};

class PreparedFormula {
public:
    // Maps a reference name to the index of its value in the array given to
    // evaluate(); -1 when neither the header nor the section table has that field.
    using Resolver = std::function<int(const QString& name)>;

    // shortName: the indicator's short name (for the error context).
    // formula: the formula text as stored (comments still in it).
    PreparedFormula(const QString& shortName, const QString& formula, const Resolver& resolve);
    ~PreparedFormula();
    PreparedFormula(PreparedFormula&&) noexcept;
    PreparedFormula& operator=(PreparedFormula&&) noexcept;

    // values[i] is the value of index i; NaN stands for Null. Throws FormulaError.
    // A result that is not a finite number is reported as an error of the indicator.
    double evaluate(const double* values, const SectionNodes* section, const ReferenceData& ref) const;

    // For many evaluations in which only the values at the indexes `varying`
    // change (a trial flow and what follows from it): the part that needs none
    // of them is done once by fixPart() for the other values, and finish()
    // does the rest. finish(fixPart(values), values') == evaluate(values') for
    // every values' that differs from values only at those indexes: the same
    // value to the bit, or the same first error.
    void setVarying(const std::vector<int>& varying);
    // The slots the part without varying values leaves; empty when that part
    // meets an error (finish() then goes the whole way).
    std::vector<double> fixPart(const double* values, const SectionNodes* section, const ReferenceData& ref) const;
    double finish(const std::vector<double>& fixed, const double* values, const SectionNodes* section,
                  const ReferenceData& ref) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace volm
