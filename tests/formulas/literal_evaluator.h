#pragma once
// VichislitFormulu reduced literally: the prepared text with its argument slots is
// rewritten step by step, one ready operation at a time, until one slot is left.
// This is the reference against which the prepared evaluator (evaluator.h) is
// checked in the tests; it is slow and is no part of the program.
#include "formulas/evaluator.h"
#include <QString>
#include <functional>
#include <optional>

namespace volm {

struct ReferenceData;

// The value of a reference: nullopt when no field of that name exists; NaN for Null.
using ValueLookup = std::function<std::optional<double>(const QString& name)>;

// shortName and formula as for PreparedFormula. Throws FormulaError.
double vichislitFormuluLiteral(const QString& shortName, const QString& formula, const SectionNodes* section,
                               const ValueLookup& lookup, const ReferenceData& ref);

}  // namespace volm
