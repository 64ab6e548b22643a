#pragma once
// The stages of the run, in the order the driver calls them. Each one runs on
// the calculation in memory, sets the error text of the run at the first fault
// and returns; the driver starts a stage only while no fault has been found.
#include <QString>
#include <vector>

namespace volm::calc {

struct RunData;
struct CalculationInput;

// Every stage in its order, each only while no fault has been found (run.cpp):
// the texts of the given-head nodes, and the temporary file of the text when
// the run keeps one.
void runStages(RunData& d, const QString& supplyNodeText, const QString& availNodeText, const QString& textPath);
// The stages up to the header indicators: the checks, lengths, temperatures,
// flows and heights (and the text's opening when d.keepText).
void runStagesThroughHeader(RunData& d, const QString& supplyNodeText, const QString& availNodeText,
                            const QString& textPath);

// checks.cpp
// The network type is 0 or 1.
void stageNetworkType(RunData& d);
void stageGivenHeadNodes(RunData& d, const QString& supplyText, const QString& availText);
void stageAnySection(RunData& d);
void stageRequiredIndicators(RunData& d);
void stageNodeFields(RunData& d);
void stageSectionLengths(RunData& d);
// Every entered value (section and header indicators, node heights, head
// changes of the network's nodes) is finite.
void stageFiniteInputs(RunData& d);
// clearing.cpp
void stageClearResults(RunData& d);
// The columns of Табл that the clearing always sets to Null (not those whose
// clearing depends on the predefined indicators' flags), known once the
// catalogue is read.
std::vector<QString> clearedSectionColumns(const CalculationInput& d);
// topology.cpp
void stageEndSectionsAndMains(RunData& d);
void stageEverySectionInMain(RunData& d);
void stageMainsReachStart(RunData& d);
// text_open.cpp
void stageOpenText(RunData& d, const QString& path);
// lengths.cpp
void stageSectionEndLengths(RunData& d);
void stageMainLengths(RunData& d);
// temperatures.cpp
void stageTemperatureLimits(RunData& d);
void stageTemperatures(RunData& d);
// flows.cpp
void stageFlows(RunData& d);
// heights.cpp
void stageNodeHeights(RunData& d);
// indicators.cpp
void stageHeaderIndicators(RunData& d);
void stageTableIndicators(RunData& d);
// heads.cpp
void stageHeads(RunData& d);
// end_results.cpp
void stageEndResults(RunData& d);
// post_head_indicators.cpp
// Takes the indicators computed after the heads out of the evaluation order
// read from the file (the run reads them in their own lists).
void separateAfterHeadsOrder(CalculationInput& d);
// КонУч: 1 at the end section of every main, 0 elsewhere (when the file has it).
void stageEndSectionMarks(RunData& d);
void stageAfterHeadsIndicators(RunData& d);
// low_heads.cpp: the nodes whose available head is below 0.1 m (two-pipe outcome)
std::vector<int> collectLowHeadNodes(RunData& d);

}  // namespace volm::calc
