#pragma once
// A one-sheet .xlsx workbook written row by row (libxlsxwriter in its
// constant-memory mode: a row is flushed to disk when a later row is started,
// so rows go strictly downwards and a merge stays within one row). Rows and
// columns are counted from 1, as a spreadsheet shows them. Every failure throws
// FileError with the reason (the caller names the file); a workbook that is not
// closed successfully may leave its file behind for the caller to remove.
#include "store/errors.h"

#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <tuple>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace volm {

// The reason given when the workbook file cannot be created in its folder.
QString workbookCreationFailure();

// The look of a cell.
struct CellLook {
    enum class HAlign { General, Center };
    enum class VAlign { Bottom, Top, Center };
    QString numFormat;          // "@" text, "0", "0.00"; empty: General
    bool bold = false;
    int fontSize = 0;           // 0: the workbook's default
    bool wrap = false;
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool border = false;        // thin automatic-colour lines on all four edges

    auto key() const { return std::tie(numFormat, bold, fontSize, wrap, hAlign, vAlign, border); }
    bool operator<(const CellLook& o) const { return key() < o.key(); }
};

class XlsxSheet {
public:
    // Creates the workbook file at path with one sheet named sheetName.
    XlsxSheet(const QString& path, const QString& sheetName);
    ~XlsxSheet();
    XlsxSheet(const XlsxSheet&) = delete;
    XlsxSheet& operator=(const XlsxSheet&) = delete;

    // The same format object for equal looks.
    lxw_format* format(const CellLook& look);

    void columnWidths(double width);               // every column of the sheet
    void rowHeight(int row, double points);
    void text(int row, int col, const QString& s, lxw_format* f);
    void number(int row, int col, double v, lxw_format* f);
    void blank(int row, int col, lxw_format* f);
    // A field value as it is: a number stays a number, a text stays a text,
    // Null is an empty cell with the format.
    void value(int row, int col, const QVariant& v, lxw_format* f);
    // Merges columns c1..c2 of one row; the first cell holds s.
    void merge(int row, int c1, int c2, const QString& s, lxw_format* f);

    // Writes the file. Throws FileError when it cannot be written.
    void close();

private:
    // Throws FileError for a failure of the library (systemError: errno after it).
    void check(int error, int systemError = 0) const;

    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    std::map<CellLook, lxw_format*> formats_;
};

}  // namespace volm
