#pragma once
// The column of Формулы that marks the indicators computed after the heads.
// Files made before it have no such column: they read every indicator
// unmarked, and get the column when the formulas window opens on them (the
// file is not changed by merely opening or computing it).
#include <QString>

namespace volm {

class App;
class Database;

inline const QString kAfterHeadsColumn = QStringLiteral("ПослеНапоров");

// Whether Формулы of the calculation file has the column ПослеНапоров.
bool hasAfterHeadsColumn(Database& gr);
// Adds the column (every indicator unmarked) where it is missing; a file that
// cannot be written stays as it is.
void addAfterHeadsColumn(Database& gr);
// The same on the open calculation, whose cursors on Формулы then show the
// column (opened again on the row they were on).
void addAfterHeadsColumn(App& app);

}  // namespace volm
