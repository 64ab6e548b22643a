#pragma once
// The workbook of a finished calculation: one sheet "ВОЛМ" with the title, the
// header indicators marked for output, the section table with the section
// indicators marked for output (and the notes, when there are any) and the
// table of mains with their end-node results, the consumers with their
// orifices when the calculation balances them, then the warnings of the regime
// checks when there are any.
#include "store/errors.h"

#include <QString>
#include <optional>

namespace volm {

class App;

// The export cannot lay out what the calculation holds (a main whose sections
// stop short of its end section).
class ExportError : public Error {
public:
    explicit ExportError(QString message) : Error(QStringLiteral("EExportError"), std::move(message)) {}
};

// The number format of the value cells in the invariant form a workbook file
// stores ("0.00" for 2 digits; "0" for 0 or less). Every spreadsheet program
// shows it with its reader's own decimal separator.
QString valueNumberFormat(int digits);

// Writes the workbook of the open calculation's results to path (created or
// overwritten; the caller writes to a temporary file and renames it). The
// sections go in the section cursor's current order; the status bar names the
// section or main being written (the first at once, then a few times a second)
// and the screen is let repaint after each text.
// digits: the report precision; the settings' ТочностьЧиселВОтч when unset.
// Throws OutputLookupError, ExportError, DatabaseError or FileError; the file
// may then be left incomplete.
void writeResultWorkbook(App& app, const QString& path, std::optional<int> digits = std::nullopt);

}  // namespace volm
