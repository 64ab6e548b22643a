#pragma once
// The first steps every formula text goes through: the 255-character limit,
// removal of comments, the normalised text the evaluator reads, and the error
// context put in front of every evaluation message.
#include "formulas/evaluator.h"
#include <QString>
#include <string>

namespace volm {

// The check and the evaluator read at most this many characters of a formula.
inline constexpr int kFormulaTextLimit = 255;

// The text without comments: everything from a "[" up to and including the next
// "]" is left out; brackets do not nest; a "[" without a later "]" removes the
// rest; a "]" outside a comment stays.
QString UdalitKommentarii(const QString& text);
std::string udalitKommentarii(const std::string& bytes);

// The formula as the check and the evaluator see it: at most the first 255
// characters of the stored text (single-byte), comments removed.
std::string formulaBytes(const QString& stored);
// The same, as text.
QString formulaText(const QString& stored);

// Blanks (character 32) dropped, commas turned into points.
std::string normaliseFormula(const std::string& bytes);

// "Участок a - b:" + CR for a section, then "Ошибка при расчете показателя \"name\":"
// + CR + CR; at most 255 characters.
QString errorContext(const QString& shortName, const SectionNodes* section);

}  // namespace volm
