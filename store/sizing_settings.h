#pragma once
// The choices of the sizing dialog remembered in the settings file: a table
// ПодборДиаметров of one row beside Настройки. A settings file written before
// the table opens as it is (the dialog then shows its defaults) and gets the
// table when the choices are first stored.
#include <QString>
#include <optional>

namespace volm {

class Database;

struct SizingChoices {
    QString diameter = QStringLiteral("Ду");         // Показатель
    QString criterion = QStringLiteral("УдПотПод");  // Критерий1
    std::optional<double> limit = 80;                // Предел1
    QString criterion2;                              // Критерий2 (empty: none)
    std::optional<double> limit2;                    // Предел2
    bool markedOnly = false;                         // ТолькоОтмеченные
    bool operator==(const SizingChoices&) const = default;
};

// The stored choices; the defaults for what is missing (no table, no row, a
// Null field) and when the file cannot be read.
SizingChoices readSizingChoices(Database& settings);

// Stores the choices, creating the table when missing; false when the file
// cannot be written (the choices are then simply not remembered).
bool storeSizingChoices(Database& settings, const SizingChoices& choices);

}  // namespace volm
