#pragma once
// Choices about what the main window shows, kept in the settings file between
// starts. A settings file written before a choice existed opens as it is: the
// choice reads as its default, and its column is added when it is first stored.
#include <QString>
#include <QStringList>
#include <vector>

namespace volm {

class App;
class Database;

// "Показывать рассчитанные показатели": the computed indicators' columns in the
// main window's grids (default: no).
bool showComputedIndicators(App& app);
void setShowComputedIndicators(App& app, bool show);

// "Вид / Столбцы...": which computed indicators the section grid shows and in
// which order, kept in the calculation file itself (table РасчСтолбцы, made
// when the person first chooses; a file without it shows every one in the
// order of its table).
struct ComputedColumn {
    QString indicator;  // short name
    bool shown = true;
};
using ComputedColumnChoice = std::vector<ComputedColumn>;

// The stored choice; empty when none was made or the file cannot be read.
ComputedColumnChoice computedColumnChoice(Database& calc);
// Replaces the stored choice, in one transaction.
void setComputedColumnChoice(Database& calc, const ComputedColumnChoice& choice);

// The computed columns a grid offers (available, in the order of its table)
// arranged by a choice: the chosen ones in the chosen order, those it names as
// hidden left out, and those it does not name (indicators added since) after
// them in the order of the table. Names in the choice no longer available are
// passed over; letter case is ignored.
ComputedColumnChoice arrangeComputedColumns(const QStringList& available, const ComputedColumnChoice& choice);
QStringList shownComputedColumns(const QStringList& available, const ComputedColumnChoice& choice);

}  // namespace volm
