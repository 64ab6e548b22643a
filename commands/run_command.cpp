// The calculation run over the open application: the question, the
// preparation of the window and the tables, the calculation read, computed and
// stored, the saving of the text, the outcome and the final steps that run
// however the command ends.
#include "commands/run_command.h"

#include "calc/calculation.h"
#include "commands/text_saving.h"
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

const QString kRunImpossible = QStringLiteral("Расчет невозможен.");

namespace {

using namespace calc;

// With nothing open the refusal says what to do.
const QString kNothingOpen = kRunImpossible + QStringLiteral("\rОткройте или создайте расчет (Файл / Открыть расчет).");

struct RunSettings {
    int precision = 2;
    bool keepText = false;
};

// The report precision and the keep-text setting from Настройки.
RunSettings readRunSettings(App& app) {
    Table* settings = app.dm.atNastr.get();
    if (!settings || !settings->isOpen()) throw DatabaseError(QStringLiteral("Таблица \"Настройки\" не открыта."));
    settings->first();
    return {settings->value(QStringLiteral("ТочностьЧиселВОтч")).toInt(),
            settings->value(QStringLiteral("СохрТекстРас")).toBool()};
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
        person.message(failureText(e));
    }
}

}  // namespace

RunSetup runSetup(App& app, const RunOptions& opt) {
    const RunSettings settings = readRunSettings(app);
    RunSetup setup;
    setup.computing.supplyNodeText = opt.supplyNodeText;
    setup.computing.availNodeText = opt.availNodeText;
    setup.computing.precision = opt.precision.value_or(settings.precision);
    setup.computing.decimal = app.SistRazdelitel;
    setup.keepText = !opt.textFile.isEmpty() || opt.keepText.value_or(settings.keepText);
    return setup;
}

void rereadStored(App& app, const StoredTables& stored) {
    DataModule& dm = app.dm;
    if (stored.name) requery(dm.atNazvRasch);
    if (stored.header) requery(dm.atZag);
    if (stored.sections) requery(dm.atTabl);
    if (stored.mains) requery(dm.atMagistraliTS);
    if (stored.endResults) requery(dm.atKonMag);
    if (stored.worklist) requery(dm.atSpisokRaschUchastkov);
}

QString successText(const std::vector<int>& lowHeads) {
    QString text = QStringLiteral("Расчет выполнен успешно.");
    if (lowHeads.empty()) return text;
    const QString crlf = QStringLiteral("\r\n");
    QStringList nodes;
    for (int n : lowHeads) nodes << QString::number(n);
    return text + crlf + crlf + QStringLiteral("Узлы теплосети, в которых") + crlf +
           QStringLiteral("располагаемый напор меньше 0,1 м.:") + crlf + nodes.join(QStringLiteral(", ")) +
           QLatin1Char('.');
}

void takeUnexpected(RunOutcome& out, const std::exception& e, const RunOptions& opt, const QString& tempText) {
    out.status = RunOutcome::Status::Unexpected;
    out.text = failureText(e);
    out.fileFault = dynamic_cast<const FileError*>(&e) != nullptr;
    // The text's own name, not its scratch file's.
    if (!opt.textFile.isEmpty() && !tempText.isEmpty()) out.text.replace(tempText, opt.textFile);
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
        RunSetup setup = runSetup(app, opt);
        ComputeOptions& computing = setup.computing;
        const bool keepText = setup.keepText;

        // Pending edits stored, grids detached, position remembered.
        if (zag->editing()) zag->post();
        zag->disableControls();
        tabl->disableControls();
        detached = true;
        if (tabl->editing()) ZapisatUchastok(app);
        // What the run writes is its result, no step the person could take back.
        RecordingPause resultsAreNoStep(app.changes);
        savedRecNo = tabl->rowsRead() ? tabl->recNo() : 0;
        restorePosition = true;

        // The formulas checked and the initial data sound, or no run.
        if (!app.FormuliProvereny || !ProveritNachDann(app)) {
            normalCursor();
            person.message(kRunImpossible);
            out.status = RunOutcome::Status::Refused;
            out.text = kRunImpossible;
            return out;
        }

        CalculationInput input =
            opt.input ? std::move(*opt.input)
                      : readCalculation(dm.acGR, dm.acSpr,
                                        {opt.sectionOrder.isEmpty() ? tabl->sort() : opt.sectionOrder, app.locale});
        if (keepText) computing.textPath = tempText = textScratchPath(app, opt.textFile);

        // What the stages changed is stored also when one of them stops at a
        // fault; an unexpected failure (the text cannot be written, the run is
        // stopped) keeps the results the file had before.
        const CalculationResult result = compute(std::move(input), computing, [&person](const QString& text) {
            person.status(text);
            if (!text.isEmpty()) person.processEvents();
        });
        // The grids read again only the tables the run wrote.
        rereadStored(app, storeResults(dm.acGR, result));

        if (!result.ok()) {
            normalCursor();
            person.message(result.error);
            out.status = RunOutcome::Status::Fault;
            out.text = result.error;
            out.faultSection = result.faultSection;
            return out;
        }
        out.lowHeadNodes = result.lowHeadNodes;

        // The text saved.
        if (result.textWritten) {
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
        out.text = successText(out.lowHeadNodes);
        out.warnings = result.warnings;
        if (opt.outcomeDisplay) showOutcome(person, *opt.outcomeDisplay, outcomeWithWarnings(out));
        return out;
    } catch (const Abort&) {
        out.status = RunOutcome::Status::Unexpected;
        return out;
    } catch (const std::exception& e) {
        normalCursor();
        takeUnexpected(out, e, opt, tempText);
        person.message(out.text);
        return out;
    }
}

}  // namespace volm
