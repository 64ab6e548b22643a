#pragma once
// The whole of a calculation file as text, for comparing it before and after a
// command: the statements that make its tables, then every table's columns and
// its rows by key with every value. The calculation-done flag is left out
// (taking a step back clears it rather than restoring it).
#include <QString>

namespace volm {
class Database;
}

namespace volm::test {

QString fileContents(Database& db);

}  // namespace volm::test
