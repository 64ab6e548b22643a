#pragma once
// Fills a table of an open database from a CSV file whose header row names
// the table's columns. Each value is converted by the column's declared type:
// whole numbers for smallint/integer/byte/bit, numbers with a "." decimal point
// for float/double/real, text otherwise; an empty field is Null.
#include <QString>

namespace volm {
class Database;
}

namespace volm::mkdata {

// Returns the number of rows inserted. Throws std::runtime_error (or the
// store's DatabaseError) naming the file and line of a value that does not fit.
int loadCsvIntoTable(Database& db, const QString& table, const QString& csvPath);

}  // namespace volm::mkdata
