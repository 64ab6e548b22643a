#include "calc/calculation.h"

#include "calc/load.h"
#include "calc/looped_flows.h"
#include "calc/regime_checks.h"
#include "calc/stages.h"

namespace volm::calc {

CalculationInput readCalculation(Database& calculation, Database& referenceBook, const ReadOptions& options) {
    CalculationInput in;
    readNetworkType(in, calculation);
    loadCalculation(in, calculation, referenceBook, options.sectionOrder, options.locale);
    // Rules that cannot be read cost only the warnings.
    try {
        in.regimeSettings = std::make_shared<const RegimeSettings>(readRegimeSettings(calculation));
    } catch (const std::exception&) {
        in.regimeSettings.reset();
    }
    return in;
}

void runStagesThroughHeader(RunData& d, const QString& supplyNodeText, const QString& availNodeText,
                            const QString& textPath) {
    stageNetworkType(d);
    if (d.ok()) stageGivenHeadNodes(d, supplyNodeText, availNodeText);
    if (d.ok()) stageAnySection(d);
    if (d.ok()) stageRequiredIndicators(d);
    if (d.ok()) stageNodeFields(d);
    if (d.ok()) stageFiniteInputs(d);
    if (d.ok()) stageClearResults(d);
    if (d.ok()) stageEndSectionsAndMains(d);
    if (d.ok()) stageEverySectionInMain(d);
    if (d.ok()) stageMainsReachStart(d);
    if (d.ok()) stageSectionLengths(d);
    if (d.ok()) settleLoopDirections(d);
    if (d.ok() && !textPath.isEmpty()) stageOpenText(d, textPath);
    if (d.ok()) stageSectionEndLengths(d);
    if (d.ok()) stageMainLengths(d);
    if (d.ok()) stageTemperatureLimits(d);
    if (d.ok()) stageTemperatures(d);
    if (d.ok()) stageFlows(d);
    if (d.ok()) stageNodeHeights(d);
    if (d.ok()) stageEndSectionMarks(d);
    if (d.ok()) stageHeaderIndicators(d);
}

CalculationResult compute(CalculationInput input, const ComputeOptions& options, const ProgressSink& progress) {
    RunData d(std::move(input));
    d.progress = Progress(progress);
    d.precision = options.precision;
    d.decimal = options.decimal;
    d.keepText = !options.textPath.isEmpty();
    try {
        runStagesThroughHeader(d, options.supplyNodeText, options.availNodeText, options.textPath);
        if (d.ok()) stageTableIndicators(d);
        if (d.ok()) stageHeads(d);
        if (d.ok()) stageAfterHeadsIndicators(d);
        if (d.ok()) stageEndResults(d);
        if (d.ok() && d.twoPipe()) d.lowHeadNodes = collectLowHeadNodes(d);
        if (d.ok() && d.text && d.text->isOpen()) d.text->close();
    } catch (...) {
        if (d.text) d.text->abandon();
        throw;
    }
    signReversedFlows(d);
    // A run that stops at a fault discards its text.
    if (!d.ok()) {
        if (d.text) d.text->abandon();
        return d.takeResult();
    }
    if (d.regimeSettings) {
        try {
            d.warnings = checkRegime(d, *d.regimeSettings).lines;
        } catch (const std::exception&) {
            d.warnings.clear();
        }
    }
    CalculationResult result = d.takeResult();
    result.textWritten = d.text != nullptr;
    return result;
}

}  // namespace volm::calc
