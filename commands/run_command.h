#pragma once
// The calculation run over the open application: the question, the pending
// edits, the window locked, the calculation-done flag, the three steps of the
// calculation (calc/calculation.h), the tables re-read, the text saved and the
// outcome. The program's command calls it, and sizing after its choice; it
// reaches the person only through App::person(). The headless runner runs the
// three steps itself (runner_files.h) with the pieces below.
#include "calc/calculation.h"
#include "commands/run_options.h"

namespace volm {

class App;

// "Расчет невозможен.": the refusal when the formulas are not checked or the
// initial data are wrong.
extern const QString kRunImpossible;

// The options of compute for a run: the node texts, the precision (the
// settings' ТочностьЧиселВОтч unless given) and the person's decimal
// separator; keepText tells whether the run writes a text.
struct RunSetup {
    calc::ComputeOptions computing;
    bool keepText = false;
};
RunSetup runSetup(App& app, const RunOptions& options);

// The cursors of the tables storing wrote, read again.
void rereadStored(App& app, const calc::StoredTables& stored);

// "Расчет выполнен успешно." and, two-pipe, the nodes whose available head is
// below 0.1 m.
QString successText(const std::vector<int>& lowHeadNodes);

// The outcome of a run that an unexpected fault ended: its message (naming the
// text's own file, not its scratch file tempText) and whether it came from a
// file that could not be written.
void takeUnexpected(RunOutcome& out, const std::exception& e, const RunOptions& options, const QString& tempText);

// Runs the calculation of the open calculation file. Every message (refusals,
// the error text of a fault, an unexpected fault) is shown through the person,
// and so are the question, the status texts, the hourglass and the save dialog
// of the text; the outcome text of a successful run goes to the options'
// outcomeDisplay before the final steps, and is returned as well.
//
// The program's command passes the main window's node edits, lockWindow,
// showText and its result dialog as the outcome display; the headless runner's
// sizing passes the node numbers stored in НазвРасч (storedHeader), ask = false
// and its text file.
//
// Results are computed in memory and written back in one transaction when the
// stages end, also when one of them stops at a fault (what the stages before it
// computed is kept); the cursors of the written tables are then re-read. The
// run reads and writes the file with statements of its own: it moves no
// cursor but the section grid's, which it returns to its row (or to the
// section a fault is about) when it ends.
RunOutcome runCalculation(App& app, const RunOptions& options);

}  // namespace volm
