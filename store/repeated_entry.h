#pragma once
// Repeated data entry: the same input written into many sections at once.
// Sections are marked in the column Заполн_Уч of Табл ("Д" marked, null not);
// up to eight assignment rows each set one entered table indicator of every
// marked section either to a number or to another indicator of the same section.
// Marks and assignments are written with prepared statements in one transaction
// and the section cursor is re-read once at the end, so tens of thousands of
// sections take well under a second or two.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace volm {

class App;
class Table;

inline constexpr int kAssignmentRows = 8;

// Target list: entered table indicators; source list: every table indicator.
// Predefined indicators by ascending short name, then user indicators by Nпп;
// in a one-pipe network only the predefined ones used in one-pipe calculations.
struct IndicatorLists {
    QStringList targets;
    QStringList sources;
};
IndicatorLists repeatedEntryLists(App& app);

// One assignment row: target := number, or target := source.
struct Assignment {
    QString target;
    QString number;
    QString source;
};

// The combos of every row matched against their lists (letter case ignored, a
// name not listed erased), and the source of a row with a number typed cleared.
void normaliseAssignments(const IndicatorLists& lists, std::vector<Assignment>& rows);

// What a long command asks of its dialog while it runs.
struct EntryHooks {
    std::function<void(const QString&)> status;  // the dialog's status bar
    std::function<void(bool)> locked;            // menu and panels off while true
};

// The launcher's steps before the dialog shows. Returns the record number of
// the current section (1-based) to come back to, or 0 when the dialog is not to
// open: no calculation, tables not ready, or no section (then with its message).
// Clears the calculation-done flag, stores a section row being edited, and
// moves to the first section.
int prepareRepeatedEntry(App& app);

// Back to a record number: first row, then forward by the number less one.
void returnToRecord(Table& t, int recNo);

// "Участок " + НачУзел + " - " + КонУзел, each number only when not null.
QString sectionStatusText(const Table& sections, int row);

enum class MarkOp { Yes, No, Toggle };

// Marks the sections at these positions (0-based, cursor order), or every
// section when rows is empty and all is true. The current section stays current.
// Returns the number of sections written.
int markSections(App& app, MarkOp op, const std::vector<int>& rows, bool all, const EntryHooks& hooks = {});

// Toggles the mark of the current section.
void toggleCurrentSection(App& app);

// "Ввести данные". Every number is checked before anything is written: a number
// that does not read, or does not fit its target column, gets a message naming
// the row's target indicator and the text typed, and no section changes. Then
// every marked section gets the rows in order (a later row sees what an earlier
// one wrote); all in one transaction, which a failure rolls back whole. Shows
// "Данные введены успешно." and returns true when written.
bool applyAssignments(App& app, std::vector<Assignment> rows, const EntryHooks& hooks = {});

}  // namespace volm
