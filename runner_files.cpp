#include "runner_files.h"

#include "calc/calculation.h"
#include "commands/run_command.h"
#include "commands/text_saving.h"
#include "store/app.h"
#include "store/errors.h"
#include "store/finally.h"
#include "store/initial_data_check.h"
#include "store/records.h"

#include "store/file_ops.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>

namespace volm::runner {

QString refusedCalculation(const ProtectedFiles& files) {
    if (inProgramFolder(files.programDir, files.calculation))
        return QStringLiteral("Нельзя открыть файл гидравлического расчета из папки, в которую установлена "
                              "программа. Выберите другую папку.");
    if (sameFile(files.calculation, files.reference))
        return QStringLiteral("Файл ") + files.calculation +
               QStringLiteral(" является файлом справочников и не может быть открыт как расчет.");
    return {};
}

std::optional<SizingRequest> parseSizeOption(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0) return std::nullopt;
    SizingRequest request;
    request.diameter = text.left(colon).trimmed();
    // A comma separates criteria where a name and "<=" follow it; elsewhere it
    // is a decimal comma.
    static const QRegularExpression separator(QStringLiteral(",(?=[^,<]*<=)"));
    for (const QString& part : text.mid(colon + 1).split(separator)) {
        const qsizetype le = part.indexOf(QStringLiteral("<="));
        if (le <= 0) return std::nullopt;
        SizingCriterion c;
        c.indicator = part.left(le).trimmed();
        QString limit = part.mid(le + 2).trimmed();
        limit.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        c.limit = limit.toDouble(&ok);
        if (!ok || !std::isfinite(c.limit) || c.indicator.isEmpty()) return std::nullopt;
        request.criteria.push_back(c);
    }
    if (request.diameter.isEmpty() || request.criteria.empty() || request.criteria.size() > 2) return std::nullopt;
    return request;
}

RunOutcome runCalculationSteps(App& app, const RunOptions& opt) {
    using namespace calc;
    RunOutcome out;
    Person& person = app.person();
    DataModule& dm = app.dm;
    QString tempText;
    Finally removeScratch([&] {
        if (!tempText.isEmpty()) QFile::remove(tempText);
    });
    try {
        UstanovitRasVip(app, false);
        if (!dm.atZag || !dm.atTabl) throw DatabaseError(QStringLiteral("Таблицы \"Заг\", \"Табл\" не открыты."));
        RunSetup setup = runSetup(app, opt);
        if (!app.FormuliProvereny || !ProveritNachDann(app)) {
            person.message(kRunImpossible);
            out.status = RunOutcome::Status::Refused;
            out.text = kRunImpossible;
            return out;
        }
        CalculationInput input = readCalculation(
            dm.acGR, dm.acSpr, {opt.sectionOrder.isEmpty() ? dm.atTabl->sort() : opt.sectionOrder, app.locale});
        if (setup.keepText) setup.computing.textPath = tempText = textScratchPath(app, opt.textFile);
        const CalculationResult result =
            compute(std::move(input), setup.computing, [&person](const QString& text) {
                if (!text.isEmpty()) person.processEvents();
            });
        rereadStored(app, storeResults(dm.acGR, result));
        if (!result.ok()) {
            person.message(result.error);
            out.status = RunOutcome::Status::Fault;
            out.text = result.error;
            out.faultSection = result.faultSection;
            return out;
        }
        if (result.textWritten && !opt.textFile.isEmpty()) {
            moveCalcText(tempText, opt.textFile);
            out.savedText = opt.textFile;
        }
        UstanovitRasVip(app, true);
        out.status = RunOutcome::Status::Success;
        out.lowHeadNodes = result.lowHeadNodes;
        out.text = successText(out.lowHeadNodes);
        out.warnings = result.warnings;
    } catch (const Abort&) {
        out.status = RunOutcome::Status::Unexpected;
    } catch (const std::exception& e) {
        takeUnexpected(out, e, opt, tempText);
        person.message(out.text);
    }
    return out;
}

}  // namespace volm::runner
