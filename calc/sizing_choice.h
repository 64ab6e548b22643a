#pragma once
// The choice of diameters over the calculation in memory, once the stages have
// computed the flows, temperatures and header indicators: the criteria's
// formulas prepared once, the candidates tried section by section.
#include "calc/sizing.h"

#include <QString>
#include <vector>

namespace volm {
struct Catalogue;
}

namespace volm::calc {

struct RunData;
struct CalculationInput;

struct SectionChoice {
    int row = -1;            // row of the sections in RunData
    double before = 0;       // the diameter the section had (NaN when Null)
    double chosen = 0;
    bool fits = true;        // some candidate keeps every criterion within its limit
    int criterion = -1;      // when it does not: the first criterion over its limit
    double value = 0;        // and its value at the chosen (largest) candidate
};

struct DiameterChoice {
    QString error;           // empty on success
    int errorRow = -1;
    std::vector<SectionChoice> sections;  // the sized rows, in row order
};

// The stages of the run that the criteria need computed first: every check,
// the mains, lengths, temperatures, flows, node heights and header indicators.
// The texts of the nodes at which ПНапНаУзПод and РНапНаУз are given are those
// of the run. The first fault is d's error.
void runStagesBeforeSections(RunData& d, const QString& supplyNodeText, const QString& availNodeText);

// The candidate diameters: the nominal diameters of the reference book,
// ascending, each once.
std::vector<double> candidateDiameters(const CalculationInput& d);

// Why the request cannot be sized with this catalogue and evaluation order;
// empty when it can.
QString refusedRequest(const RunData& d, const Catalogue& catalogue, const SizingRequest& request);

// Puts the chosen diameters into column of the input, marked for storing.
void putChosenDiameters(CalculationInput& input, const QString& column, const std::vector<SectionChoice>& choices);

// Tries the candidates for every row whose flag in sized is set.
DiameterChoice chooseDiameters(const RunData& d, const Catalogue& catalogue, const SizingRequest& request,
                               const std::vector<char>& sized);

}  // namespace volm::calc
