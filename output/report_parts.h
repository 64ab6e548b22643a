#pragma once
// The section table of the printed report is cut into parts of columns that
// fit across the page with every column title (a short name) on one line. The
// widths are estimated from the number of characters at the shipped
// definitions' fonts (titles 6 pt, values 7 pt, DejaVu Sans), generously, so
// that a title never has to break.
#include <QString>
#include <vector>

namespace volm::report {

struct TableColumn {
    QString title;    // the short name shown as the column title
    int valueChars;   // the most characters a value of the column takes
};

// Estimated width of a column, points.
double columnWidthPt(const TableColumn& column);

// Width a landscape A4 page gives a table between the report's margins, points.
inline constexpr double kLandscapeTablePt = 757;
// The same for a portrait page.
inline constexpr double kPortraitTablePt = 510;

// The first column of every part and, last, the column count: part k holds
// [bounds[k], bounds[k + 1]). Every part repeats the fixed columns and the last
// also holds the notes column, when there is one. At most maxPerPart columns
// in a part; the parts are as even as their widths allow.
std::vector<int> tableParts(const std::vector<TableColumn>& columns, const std::vector<TableColumn>& fixed,
                            const TableColumn* notes, double widthPt, int maxPerPart);

}  // namespace volm::report
