#pragma once
// The files and options the headless runner is given, checked before it
// computes anything: the calculation must not be one of the program's own
// files; the outputs follow the rules of store/output_file.h.
#include "calc/sizing.h"
#include "commands/run_options.h"
#include "store/output_file.h"

#include <QString>
#include <optional>

namespace volm {
class App;
}

namespace volm::runner {

// The run without a window: the initial data checked, the calculation-done
// flag, the three steps of the calculation (read, compute, store), the stored
// tables read again for the outputs, the text moved to options.textFile (when
// named) and the flag set after a success. Messages go through the person;
// a stop asked for through it (Abort) ends the run as Unexpected with no text.
RunOutcome runCalculationSteps(App& app, const RunOptions& options);

// Why the calculation cannot be computed (a file of the program folder, such as
// the template, also through a link or a hard link, or the reference book in
// use); empty when it can.
QString refusedCalculation(const ProtectedFiles& files);

// The argument of --size, INDICATOR:CRITERION<=LIMIT[,CRITERION<=LIMIT]: the
// indicator sized and one or two criteria (a limit may have a decimal point or
// comma: "Ду:УдПотПод<=80,5,СкорПод<=3.5"); nullopt when it is not so written.
std::optional<SizingRequest> parseSizeOption(const QString& text);

}  // namespace volm::runner
