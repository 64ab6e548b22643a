#pragma once
// The command "Выгрузить отчет в Microsoft Excel": after a finished calculation,
// the workbook of its results is written to an .xlsx file chosen by the person
// (or given by the caller) and opened in the desktop's spreadsheet program.
// The file is written under a temporary name beside the chosen one and renamed
// into place only when complete, so a failed export leaves no half-written
// workbook and never destroys an older file of that name.
#include <QString>
#include <functional>
#include <optional>

namespace volm {

class App;

struct WorkbookExportOptions {
    // The workbook file; empty: the person chooses it in a save dialog.
    QString fileName;
    // Digits after the separator; the settings' ТочностьЧиселВОтч when unset.
    std::optional<int> digits;
    // BlokirovatOkno (true) and RazblokirovatOkno (false) of the main window.
    std::function<void(bool locked)> lockWindow;
    // Opens the written workbook; false when nothing can open it. Unset: the
    // workbook is only written.
    std::function<bool(const QString& path)> openFile;
};

struct WorkbookExportOutcome {
    bool written = false;
    QString path;  // the workbook file, when written
};

// Runs the command on the open calculation. Every message (the missing
// calculation, a failure) goes to the person after the clean-up; nothing is
// written then.
WorkbookExportOutcome exportWorkbook(App& app, const WorkbookExportOptions& options = {});

// The name the save dialog proposes: the calculation file's folder and name
// with ".xlsx" instead of its extension.
QString proposedWorkbookName(const QString& calculationFile);

// The chosen name with ".xlsx" appended unless it ends so (in any letter case).
QString workbookFileName(const QString& chosen);

// Texts of the command.
inline const QString kExportNotComputed = QStringLiteral(
    "Перед выгрузкой отчета в Microsoft Excel необходимо выполнить расчет (Команда: Данные / Выполнить расчет).");
inline const QString kExportStatus = QStringLiteral("Выгрузка в Microsoft Excel...");
inline const QString kExportSavingStatus = QStringLiteral("Выгрузка в Microsoft Excel. Сохранение файла...");
inline const QString kExportDialogTitle = QStringLiteral("Выгрузить отчет в Microsoft Excel");
inline const QString kExportFilter = QStringLiteral("Книга Excel (*.xlsx)|*.xlsx");

}  // namespace volm
