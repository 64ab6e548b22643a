#pragma once
// Section flows of a looped network, solved through its loops.
namespace volm::calc {

struct CalculationInput;
struct RunData;

// True when some node ends more than one section.
bool hasMeetingNode(const CalculationInput& d);
// True when the run finds the flows through the loops: the network is looped,
// its flows are computed and some node ends more than one section.
bool solvesLoops(const CalculationInput& d);
// Before the text opens: the supply flows solved through the loops, every
// section the water runs against turned (in memory; reversed marks it) and the
// mains, lengths and temperatures found again, until no direction changes.
void settleLoopDirections(RunData& d);
// РасхПод (supply) or РасхОбр of every section from the flows entered on the
// end sections (the return network draws the supply's unless РасхОбр is entered), the loops solved with the sections' own loss formulas; the
// run stops with a fault naming the section when they cannot be.
void solveLoopedFlows(RunData& d, bool supply);
// As the file keeps them: РасхПод and РасхОбр of a section the water runs
// against signed in its entered direction, negative. The section's other
// values stay in the water's direction (its Нач values are those of its
// entered end node). Called once, when the run ends.
void signReversedFlows(RunData& d);

}  // namespace volm::calc
