#pragma once
// The flows of a section as a run stores them: signed in the section's entered
// direction. A looped run stores them negative for a section the water runs
// against, from its КонУзел to its НачУзел; the section's other values are in
// the water's direction, its start values (…Нач…) those of its КонУзел then.
#include <QVariant>

namespace volm {

// True for a negative stored РасхПод; Null and NaN are not.
inline bool runsAgainstEntry(double flow) { return flow < 0; }
inline bool runsAgainstEntry(const QVariant& flow) { return !flow.isNull() && runsAgainstEntry(flow.toDouble()); }

// The way the water runs along a section: none for a Null, NaN or zero flow.
enum class FlowWay : char { None, Entered, Against };
inline FlowWay flowWayOf(double flow) {
    return flow > 0 ? FlowWay::Entered : runsAgainstEntry(flow) ? FlowWay::Against : FlowWay::None;
}

}  // namespace volm
