#pragma once
// The operations of the formula language (TablOperacij) and the search for the
// leftmost ready operation in a prepared text (NaitiOperaciju).
//
// A prepared text is single-byte text in which every number and reference has
// become an argument slot "{n}". Every digit of a prepared text belongs to such a
// slot; a brace written by the person never holds digits and is an ordinary
// character that no operation accepts as an operand.
#include <optional>
#include <string>
#include <string_view>

namespace volm {

enum class Op : unsigned char {
    Minus = 1, Plus, Multiply, Divide, Power, Log, Lg, Ln, Exp, Round,
    Correction, NominalByInner, InnerByNominal, Density,
    Min, Max, Abs, If,
};
inline constexpr int kOperationCount = 18;
// The most operands an operation takes (Если).
inline constexpr int kMaxOperands = 3;

struct OperationInfo {
    Op op;
    const char* name;  // UTF-8, as written in formulas
    int argc;
};
// The rows of TablOperacij in table order.
const OperationInfo& operationInfo(Op op);

struct FoundOperation {
    Op op;
    bool unary = false;  // "-" before a single operand
    int start = 0;       // span, 0-based, both ends included
    int end = 0;
};

// NaitiOperaciju: the first ready operation, scanning from the left.
std::optional<FoundOperation> naitiOperaciju(std::string_view text);

// The slot numbers of the brace groups inside a span, in order (at most kMaxOperands).
int collectSlots(std::string_view text, int start, int end, int slots[kMaxOperands]);

// Widens the span over parentheses that enclose nothing else, unless the "(" is
// preceded by a letter (a function call).
void widenSpan(std::string_view text, int& start, int& end);

// The final test: the text is exactly one slot "{n}" with n from 1 to 255;
// returns n, or 0 when it is not.
int singleSlot(std::string_view text);

// Decimal text of a slot number in braces.
std::string slotText(int n);

}  // namespace volm
