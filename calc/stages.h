#pragma once
// The stages of the run, in the order the driver calls them. Each one runs on
// the calculation in memory, sets the error text of the run at the first fault
// and returns; the driver starts a stage only while no fault has been found.
#include <QString>
#include <vector>

namespace volm::calc {

struct RunData;

// checks.cpp
// The network type is 0 or 1.
void stageNetworkType(RunData& d);
void stageGivenHeadNodes(RunData& d, const QString& supplyText, const QString& availText);  // 1
void stageAnySection(RunData& d);                                                           // 2
void stageRequiredIndicators(RunData& d);                                                   // 3
void stageNodeFields(RunData& d);                                                           // 4
void stageSectionLengths(RunData& d);                                                       // 9
// Every entered value (section and header indicators, node heights, head
// changes of the network's nodes) is finite.
void stageFiniteInputs(RunData& d);
// clearing.cpp
void stageClearResults(RunData& d);                                                         // 5
// The columns of Табл that stage 5 always sets to Null (not those whose
// clearing depends on what stage 3 finds), known once the catalogue is read.
std::vector<QString> clearedSectionColumns(const RunData& d);
// topology.cpp
void stageEndSectionsAndMains(RunData& d);                                                  // 6
void stageEverySectionInMain(RunData& d);                                                   // 7
void stageMainsReachStart(RunData& d);                                                      // 8
// text_open.cpp
void stageOpenText(RunData& d, const QString& path);                                        // 10
// lengths.cpp
void stageSectionEndLengths(RunData& d);                                                    // 11
void stageMainLengths(RunData& d);                                                          // 12
// temperatures.cpp
void stageTemperatureLimits(RunData& d);                                                    // 13
void stageTemperatures(RunData& d);                                                         // 14
// flows.cpp
void stageFlows(RunData& d);                                                                // 15
// heights.cpp
void stageNodeHeights(RunData& d);                                                          // 16
// indicators.cpp
void stageHeaderIndicators(RunData& d);                                                     // 17
void stageTableIndicators(RunData& d);                                                      // 18
// heads.cpp
void stageHeads(RunData& d);                                                                // 19
// end_results.cpp
void stageEndResults(RunData& d);                                                           // 20
// low_heads.cpp: the nodes whose available head is below 0.1 m (two-pipe outcome)
std::vector<int> collectLowHeadNodes(RunData& d);

}  // namespace volm::calc
