#pragma once
// The sizing command over the open application ("Подбор диаметров..."): the
// diameters chosen on the calculation in memory and written, then the run.
#include "calc/sizing.h"

namespace volm {

class App;

// Sizes the open calculation and runs it. run: the options of the run that
// follows (the head-node texts are also those of the stages sizing runs; ask
// is ignored: the run is not asked about; its outcome display gets the sizing
// summary, an empty line and the run's outcome). Every fault is shown through
// the person and returned; nothing is written unless sizing succeeds.
SizingOutcome sizeDiameters(App& app, const SizingRequest& request, const RunOptions& run);

}  // namespace volm
