#pragma once
// The choice of a calculation to solve the loops of its network: the Boolean
// КольцСеть of НазвРасч. A file made before the choice existed lacks the
// column and is a tree network; the column is added the first time the
// choice is stored, so that opening a file never changes it.
#include <QString>

namespace volm {

class Database;

inline const QString kLoopedColumn = QStringLiteral("КольцСеть");

// Adds КольцСеть (false) to НазвРасч when the file lacks it; DatabaseError
// when the file cannot be changed.
void ensureLoopedColumn(Database& db);

}  // namespace volm
