#include "output/workbook_export.h"

#include "output/result_workbook.h"
#include "output/xlsx_sheet.h"
#include "store/app.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/finally.h"
#include "store/output_file.h"
#include "store/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace volm {

namespace {

// Writes the workbook beside target and puts it in target's place when complete.
void writeInPlace(App& app, const QString& target, std::optional<int> digits) {
    const QString failed = QStringLiteral("Не удается сохранить отчет в файле \"") + target + QStringLiteral("\". ");
    bool begun = false;
    try {
        writeOutputFile(target, [&](QIODevice&, const QString& path) {
            begun = true;
            writeResultWorkbook(app, path, digits);
            // The file is flushed and takes the old one's place; a stop asked
            // for while it was closed leaves the old one.
            app.person().status(kExportSavingStatus);
            app.person().processEvents();
        });
    } catch (const FileError& e) {
        // Without its new file beside the target, the workbook cannot be created there.
        if (!begun) throw FileError(failed + workbookCreationFailure());
        throw FileError(e.message().contains(target) ? e.message() : failed + e.message());
    }
}

}  // namespace

QString proposedWorkbookName(const QString& calculationFile) {
    return proposedOutputName(calculationFile, QStringLiteral(".xlsx"));
}

QString workbookFileName(const QString& chosen) {
    if (chosen.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) return chosen;
    return chosen + QStringLiteral(".xlsx");
}

WorkbookExportOutcome exportWorkbook(App& app, const WorkbookExportOptions& options) {
    WorkbookExportOutcome outcome;
    Person& person = app.person();
    Table* tabl = app.dm.atTabl.get();
    if (!app.dm.acGR.isOpen() || !tabl || !tabl->isOpen()) return outcome;

    bool locked = false;
    QString failure;
    {
        // Clean-up, in this order, however the command ends.
        tabl->disableControls();
        // A failing step is ignored: the command's own failure, if any, is the one to report.
        Finally cleanUp([&] {
            try {
                tabl->enableControls();
                if (locked && options.lockWindow) options.lockWindow(false);
                if (locked) {
                    person.status(QString());
                    person.busy(false);
                }
            } catch (...) {
            }
        });
        try {
            SohranitDannie(app);
            if (!app.RasVip) {
                person.message(kExportNotComputed);
                return outcome;
            }
            const int record = tabl->recNo();

            QString target = options.fileName;
            if (target.isEmpty()) {
                const QString chosen =
                    person.saveFileName(kExportDialogTitle, kExportFilter, proposedWorkbookName(app.dm.acGR.path()));
                if (chosen.isEmpty()) return outcome;
                target = workbookFileName(chosen);
                if (const QString why = refusedOutputTarget(protectedFiles(app), OutputKind::Workbook, target,
                                                            outputDestination(target));
                    !why.isEmpty()) {
                    person.message(why);
                    return outcome;
                }
                if (QFileInfo::exists(target) &&
                    !person.ask(QStringLiteral("Файл \"") + target + QStringLiteral("\" уже существует. Заменить его?")))
                    return outcome;
            }
            if (const QString destination = outputDestination(target); !destination.isEmpty()) target = destination;
            target = QFileInfo(target).absoluteFilePath();

            person.busy(true);
            locked = true;
            if (options.lockWindow) options.lockWindow(true);
            person.status(kExportStatus);
            person.processEvents();

            writeInPlace(app, target, options.digits);
            outcome.written = true;
            outcome.path = target;

            if (record > 0 && tabl->recNo() != record) {
                tabl->first();
                tabl->moveBy(record - 1);
            }
        } catch (const Abort&) {
        } catch (const std::exception& e) {
            failure = failureText(e);
        }
    }
    if (!failure.isEmpty()) person.message(failure);
    if (outcome.written && options.openFile && !options.openFile(outcome.path))
        person.status(QStringLiteral("Отчет сохранен в файле ") + outcome.path);
    return outcome;
}

}  // namespace volm
