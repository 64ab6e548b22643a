#pragma once
// The rules for the short name of a user indicator.
#include "formulas/catalogue.h"
#include <QString>
#include <optional>

namespace volm {

// Digits, the 26 Latin letters in both cases and the 33 Russian letters in both
// cases (Ё and ё included): 128 characters.
bool isShortNameChar(QChar c);

// The heading and name line of the check's messages about a user indicator:
// heading + CR + "Сокр. наименование показателя: \"name\":" + CR + CR.
QString indicatorHeading(const QString& heading, const QString& shortName);

// The check of one user indicator's short name against the fixed columns of Табл,
// the predefined indicators (ignoring letter case) and the allowed characters;
// returns the whole message of the first rule broken.
std::optional<QString> checkUserShortName(const QString& shortName, const Catalogue& catalogue);

}  // namespace volm
