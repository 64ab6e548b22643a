#pragma once
// The check of a calculation's initial data, made when the initial-data dialog
// closes and before every calculation run: the network's start node must be one
// of the network nodes and must not carry a full-head change.
namespace volm {

class App;

// True when the start node NНачУз of НазвРасч is listed in УзлыТС and absent from
// ИзмПНапВУзлахТС. On failure shows its one message and returns false. Leaves
// both tables on the row where its walk stopped.
bool ProveritNachDann(App& app);

}  // namespace volm
