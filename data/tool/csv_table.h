#pragma once
// Reads a CSV file of reference data: UTF-8, comma-separated, the first row
// naming the columns, fields optionally in double quotes ("" for a quote),
// LF or CR LF line ends; blank lines are skipped.
#include <QString>
#include <QStringList>
#include <vector>

namespace volm::mkdata {

struct CsvTable {
    QStringList header;
    std::vector<QStringList> rows;   // each row has as many fields as the header
    std::vector<int> rowLines;       // 1-based line of each row, for messages
};

// Throws std::runtime_error for a missing file, an empty file, an open quote
// or a row whose field count differs from the header's.
CsvTable readCsv(const QString& path);
CsvTable parseCsv(const QString& text);

}  // namespace volm::mkdata
