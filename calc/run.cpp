// The driver of the calculation run: the question, the preparation of the
// window and the tables, the stages in order, the write-back of what they
// changed, the saving of the text, the outcome and the final steps that run
// however the command ends.
#include "calc/run.h"

#include "calc/load.h"
#include "calc/regime_checks.h"
#include "calc/run_data.h"
#include "calc/stages.h"
#include "calc/text_saving.h"
#include "calc/write_back.h"
#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/initial_data_check.h"
#include "store/records.h"
#include "store/startup.h"

#include <QFile>
#include <QStringList>
#include <optional>

namespace volm {

namespace {

using namespace calc;

const QString kImpossible = QStringLiteral("Расчет невозможен.");
// With nothing open the refusal says what to do.
const QString kNothingOpen = kImpossible + QStringLiteral("\rОткройте или создайте расчет (Файл / Открыть расчет).");

QString outcomeText(const std::vector<int>& lowHeads) {
    QString text = QStringLiteral("Расчет выполнен успешно.");
    if (lowHeads.empty()) return text;
    const QString crlf = QStringLiteral("\r\n");
    QStringList nodes;
    for (int n : lowHeads) nodes << QString::number(n);
    return text + crlf + crlf + QStringLiteral("Узлы теплосети, в которых") + crlf +
           QStringLiteral("располагаемый напор меньше 0,1 м.:") + crlf + nodes.join(QStringLiteral(", ")) +
           QLatin1Char('.');
}

QString faultText(const std::exception& e) { return failureText(e); }

// The regime checks of a successful run; a fault of theirs costs only the warnings.
std::vector<QString> regimeWarnings(App& app, const RunData& d) {
    try {
        return checkRegime(d, readRegimeSettings(app.dm.acGR)).lines;
    } catch (const std::exception&) {
        return {};
    }
}

void requery(const std::unique_ptr<Table>& t) {
    if (t && t->isOpen()) t->requery();
}

// The result dialog and the follow-ups it starts. The calculation has succeeded
// whatever they meet: a fault of theirs is reported and the run ends as usual.
void showOutcome(Person& person, OutcomeDisplay& display, const QString& text) {
    try {
        display.showOutcome(text);
    } catch (const Abort&) {
    } catch (const std::exception& e) {
        person.message(faultText(e));
    }
}

}  // namespace

namespace calc {

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
    if (d.ok() && d.keepText) stageOpenText(d, textPath);
    if (d.ok()) stageSectionEndLengths(d);
    if (d.ok()) stageMainLengths(d);
    if (d.ok()) stageTemperatureLimits(d);
    if (d.ok()) stageTemperatures(d);
    if (d.ok()) stageFlows(d);
    if (d.ok()) stageNodeHeights(d);
    if (d.ok()) stageHeaderIndicators(d);
}

void runStages(RunData& d, const QString& supplyNodeText, const QString& availNodeText, const QString& textPath) {
    runStagesThroughHeader(d, supplyNodeText, availNodeText, textPath);
    if (d.ok()) stageTableIndicators(d);
    if (d.ok()) stageHeads(d);
    if (d.ok()) stageEndResults(d);
}

}  // namespace calc

QString outcomeWithWarnings(const RunOutcome& out) {
    if (out.warnings.empty()) return out.text;
    return out.text + QStringLiteral("\r\n\r\n") + RegimeWarnings{out.warnings}.block();
}

RunOutcome runCalculation(App& app, const RunOptions& opt) {
    RunOutcome out;
    Person& person = app.person();
    DataModule& dm = app.dm;

    if (!dm.acGR.isOpen()) {
        person.message(kNothingOpen);
        out.status = RunOutcome::Status::NotOpen;
        out.text = kNothingOpen;
        return out;
    }

    QString tempText;  // the text's temporary file, once the run knows it keeps a text
    Table* zag = dm.atZag.get();
    Table* tabl = dm.atTabl.get();
    bool busy = false, locked = false, detached = false;
    bool restorePosition = false;
    int savedRecNo = -1;
    auto d = std::make_unique<RunData>(app);

    auto normalCursor = [&] {
        if (busy) person.busy(false);
        busy = false;
    };
    Finally finalSteps([&] {
        // The section grid shows the section a fault is about, so that the
        // person sees what to mend; otherwise the row it showed before.
        // Rows that nobody had read stay unread: the cursor stood on the first
        // row and stands there again.
        if (restorePosition && tabl && tabl->isOpen() && (out.faultSection != 0 || savedRecNo > 0)) {
            try {
                const int faultRow = out.faultSection != 0 ? rowWithId(*tabl, out.faultSection) : -1;
                if (faultRow >= 0) {
                    tabl->setCurrentRow(faultRow);
                } else if (!tabl->isEmpty()) {
                    tabl->first();
                    if (savedRecNo > 1) tabl->moveBy(savedRecNo - 1);
                }
            } catch (...) {
            }
        }
        // However the run ended.
        if (detached) {
            if (zag && dm.atZag.get() == zag)
                while (zag->controlsDisabled()) zag->enableControls();
            if (tabl && dm.atTabl.get() == tabl)
                while (tabl->controlsDisabled()) tabl->enableControls();
        }
        if (d->text) d->text->abandon();
        if (!tempText.isEmpty()) QFile::remove(tempText);
        person.status(QString());
        if (locked && opt.lockWindow) opt.lockWindow(false);
        normalCursor();
    });

    if (opt.ask && !person.askTitled(QStringLiteral("Выполнить расчет"),
                                      QStringLiteral("Данная операция может занять некоторое время. Выполнить расчет?"))) {
        out.status = RunOutcome::Status::Declined;
        return out;
    }

    // The run's writes: all of them, or none when the run fails unexpectedly.
    std::optional<Transaction> tx;
    try {
        // Hourglass, pending grid edit, window locked, calculation-done flag cleared.
        person.busy(true);
        busy = true;
        if (app.editors().sectionGridEditing()) app.editors().flushEditors();
        if (opt.lockWindow) {
            opt.lockWindow(true);
            locked = true;
        }
        UstanovitRasVip(app, false);
        if (!zag || !tabl) throw DatabaseError(QStringLiteral("Таблицы \"Заг\", \"Табл\" не открыты."));

        // The settings of the run.
        readRunSettings(*d);
        if (opt.precision) d->precision = *opt.precision;
        if (opt.keepText) d->keepText = *opt.keepText;
        if (!opt.textFile.isEmpty()) d->keepText = true;

        // Pending edits stored, grids detached, position remembered.
        if (zag->editing()) zag->post();
        zag->disableControls();
        tabl->disableControls();
        detached = true;
        if (tabl->editing()) ZapisatUchastok(app);
        savedRecNo = tabl->rowsRead() ? tabl->recNo() : 0;
        restorePosition = true;

        // The formulas checked and the initial data sound, or no run.
        if (!app.FormuliProvereny || !ProveritNachDann(app)) {
            normalCursor();
            person.message(kImpossible);
            out.status = RunOutcome::Status::Refused;
            out.text = kImpossible;
            return out;
        }

        loadCalculation(*d, opt.sectionOrder.isEmpty() ? tabl->sort() : opt.sectionOrder);
        if (d->keepText) tempText = textScratchPath(app, opt.textFile);
        tx.emplace(dm.acGR);

        // The stages. What they changed is written back also when one of them
        // stops at a fault; an unexpected failure (the text cannot be written,
        // the run is stopped) keeps the results the file had before.
        runStages(*d, opt.supplyNodeText, opt.availNodeText, tempText);
        if (d->ok() && d->twoPipe()) out.lowHeadNodes = collectLowHeadNodes(*d);
        // The text is complete on disk before the results are stored.
        if (d->ok() && d->text && d->text->isOpen()) d->text->close();
        writeBack(*d);
        tx->commit();
        tx.reset();
        requery(dm.atNazvRasch);
        requery(dm.atZag);
        requery(dm.atTabl);
        requery(dm.atMagistraliTS);
        requery(dm.atKonMag);
        requery(dm.atSpisokRaschUchastkov);

        if (!d->ok()) {
            // A run that stops at a fault discards its text.
            if (d->text) d->text->abandon();
            normalCursor();
            person.message(d->error);
            out.status = RunOutcome::Status::Fault;
            out.text = d->error;
            if (d->faultRow >= 0 && size_t(d->faultRow) < d->ids.size()) out.faultSection = d->ids[size_t(d->faultRow)];
            return out;
        }

        // The text saved.
        if (d->text) {
            if (!opt.textFile.isEmpty()) {
                moveCalcText(tempText, opt.textFile);
                out.savedText = opt.textFile;
            } else {
                out.savedText = offerCalcTextSave(app, tempText);
                if (!out.savedText.isEmpty() && opt.showText) {
                    normalCursor();
                    opt.showText(out.savedText);
                }
            }
        }

        // Outcome.
        normalCursor();
        UstanovitRasVip(app, true);
        out.status = RunOutcome::Status::Success;
        out.text = outcomeText(out.lowHeadNodes);
        out.warnings = regimeWarnings(app, *d);
        if (opt.outcomeDisplay) showOutcome(person, *opt.outcomeDisplay, outcomeWithWarnings(out));
        return out;
    } catch (const Abort&) {
        if (tx) {
            tx.reset();
            requery(dm.atNazvRasch);
            requery(dm.atZag);
            requery(dm.atTabl);
        }
        out.status = RunOutcome::Status::Unexpected;
        return out;
    } catch (const std::exception& e) {
        if (tx) {
            tx.reset();
            requery(dm.atNazvRasch);
            requery(dm.atZag);
            requery(dm.atTabl);
        }
        normalCursor();
        out.status = RunOutcome::Status::Unexpected;
        out.text = faultText(e);
        out.fileFault = dynamic_cast<const FileError*>(&e) != nullptr;
        // The text's own name, not its scratch file's.
        if (!opt.textFile.isEmpty() && !tempText.isEmpty()) out.text.replace(tempText, opt.textFile);
        person.message(out.text);
        return out;
    }
}

}  // namespace volm
