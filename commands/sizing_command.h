#pragma once
// The sizing command over the open application ("Подбор диаметров..."): the
// diameters chosen on the calculation in memory, then the run, which stores them.
#include "calc/sizing.h"
#include "commands/run_options.h"

namespace volm {

class App;

struct SizingOutcome : SizingTally {
    enum class Status {
        NotOpen,     // no calculation open
        Refused,     // the request or the calculation cannot be sized; text says why
        Fault,       // a stage or a criterion formula stopped sizing; text is its message
        Unexpected,  // an unexpected fault; text is its message
        Sized,       // diameters chosen; run holds the outcome of the calculation that stores them
    };
    Status status = Status::NotOpen;
    bool sized() const { return status == Status::Sized; }
    QString text;            // the error text, or the sizing summary when sized
    RunOutcome run;          // the calculation run after writing (when sized)
};

// Sizes the open calculation and runs it. run: the options of the run that
// follows (the head-node texts are also those of the stages sizing runs; ask
// is ignored: the run is not asked about; its outcome display gets the sizing
// summary, an empty line and the run's outcome). Every fault is shown through
// the person and returned; nothing is written unless sizing succeeds.
SizingOutcome sizeDiameters(App& app, const SizingRequest& request, const RunOptions& run);

}  // namespace volm
