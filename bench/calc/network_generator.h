#pragma once
// Branching networks for the benchmark (two-pipe unless asked otherwise): a random tree of sections
// grown from the source (every new node hangs on a node already in the network),
// the standard method's entered values on every section (length, nominal
// diameter sized for the flow it carries, share of local losses), flows at the
// end sections summed by the run, random node heights, a few booster pumps and
// the consumers' required heads.
#include <QString>

namespace volm::bench {

struct GeneratedNetwork {
    int sections = 0;
    int endSections = 0;
};

// Fills a copy of the template (the standard method's catalogue) at path.
GeneratedNetwork generateNetwork(const QString& path, int sections, unsigned seed = 1, bool twoPipe = true);
// A writable copy of the template GidrRas.mdb of binDir at path, filled as
// generateNetwork fills it; false when the template cannot be copied.
bool makeNetworkFile(const QString& binDir, const QString& path, int sections);

}  // namespace volm::bench
