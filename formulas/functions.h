#pragma once
// The arithmetic of one ready operation: the four operators and the fourteen built-in
// functions with their domain checks and messages. A result that is not a
// finite number is refused like a domain error, so that it is never stored.
#include "formulas/operations.h"
#include <QString>

namespace volm {

struct ReferenceData;

// A failed operation: the detail text that follows the evaluator's context.
struct OperationFailure {
    QString detail;
};

// Computes one operation (each result in extended precision, stored as a double).
// args holds the operand values (one for unary minus and the one-argument
// functions, three for Если). Throws OperationFailure.
double applyOperation(Op op, bool unary, const double* args, const ReferenceData& ref);

// Detail texts of the evaluator itself.
namespace detail {
QString emptyFormula();
QString notANumber(const QString& run);
QString tooManyArguments();
QString valueNotFilled(const QString& name);
QString unknownReference(const QString& name);
QString divisionByZero();
QString syntaxError();
QString resultNotFinite();
}  // namespace detail

}  // namespace volm
