#pragma once
// The looped network of a computed calculation handed to the reference engine
// of pipe networks (scripts/epanet_time.js under node with epanet-js): the
// same sections, consumers' flows and supply losses, each section's law
// written at one water density through an equivalent length.
#include <QString>

namespace volm::bench {

struct EngineFigure {
    bool ran = false;
    QString skipped;     // why no figure, when not ran
    double seconds = 0;  // the engine's bare open + solve, best of 5
    double flowDiff = 0, lossDiff = 0;  // largest differences from the calculation's stored supply, t/h and m
};

// Writes the supply network of the computed calculation at path as the loop
// solver's text, times the engine on it and compares its flows and losses with
// the stored ones; the demands are the flows of the end sections of endsFrom.
EngineFigure timeReferenceEngine(const QString& path, const QString& endsFrom, const QString& work);

}  // namespace volm::bench
