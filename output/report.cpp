// The report command's steps, and the PDF file.
#include "output/report.h"

#include "output/report_data.h"
#include "output/report_definition.h"
#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/output_file.h"
#include "store/startup.h"

#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace volm::report {

const QString kReportTitle = QStringLiteral("Гидравлический расчет тепловой сети");
const QString kNotComputedMessage = QStringLiteral(
    "Перед формированием отчета необходимо выполнить расчет (Команда: Данные / Выполнить расчет).");

std::optional<ReportPages> buildReport(App& app, const std::function<void(int)>& progress,
                                       const QString& definitionDir, std::optional<int> precision) {
    app.enterProgramDir();
    Table* sections = app.dm.atTabl.get();
    const bool suspend = sections && !sections->controlsDisabled();
    if (suspend) sections->disableControls();
    Finally resume([&] {
        if (suspend && app.dm.atTabl.get() == sections) sections->enableControls();
    });
    SohranitDannie(app);
    if (!app.RasVip) return std::nullopt;
    ReportData data = gatherReportData(app);
    if (precision) data.precision = std::clamp(*precision, 0, 7);
    const QString path = QDir(definitionDir.isEmpty() ? app.programDir() : definitionDir).filePath(definitionFileName(data.networkType));
    const Definition definition = Definition::load(path);
    const std::string html = definition.render(data, [&progress] {
        if (progress) progress(1);
    });
    return ReportPages::layOut(html, progress);
}

std::optional<ReportPages> prepareReport(App& app, const std::function<void(int)>& progress) {
    Person& person = app.person();
    try {
        BusyGuard busy(person);
        std::optional<ReportPages> pages = buildReport(app, [&](int page) {
            person.status(QStringLiteral("Формирование страницы %1").arg(page));
            person.processEvents();
            if (progress) progress(page);
        });
        person.status(QString());
        if (!pages) person.message(kNotComputedMessage);
        return pages;
    } catch (const Abort&) {
    } catch (const std::exception& e) {
        person.message(failureText(e));
    }
    person.status(QString());
    return std::nullopt;
}

void writePdf(const ReportPages& pages, const QString& path, const std::function<void(int)>& progress) {
    const QString full = QFileInfo(path).absoluteFilePath();
    writeOutputFile(full, [&](QIODevice& device, const QString&) {
        QPdfWriter writer(&device);
        writer.setTitle(kReportTitle);
        writer.setCreator(QStringLiteral("ВОЛМ 1.0"));
        writer.setResolution(pages.resolution());
        writer.setPageLayout(pages.pageLayout());
        QPainter painter;
        if (!painter.begin(&writer))
            throw FileError(QStringLiteral("Не удается записать файл \"") + full + QStringLiteral("\"."));
        pages.paint(painter, writer, progress);
        if (!painter.end())
            throw FileError(QStringLiteral("Не удается записать файл \"") + full + QStringLiteral("\"."));
    });
}

std::unique_ptr<QCoreApplication> headlessApplication(int& argc, char** argv) {
    bool gui = false;
    for (int i = 1; i < argc; ++i) gui = gui || std::strcmp(argv[i], "--report") == 0;
    if (!gui) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

QString writeReportFile(App& app, const QString& definitionDir, const QString& pdfPath,
                        const std::function<void(int)>& progress, std::optional<int> precision) {
    try {
        const std::optional<ReportPages> pages = buildReport(app, progress, definitionDir, precision);
        if (!pages) return kNotComputedMessage;
        writePdf(*pages, pdfPath, progress);
        return {};
    } catch (const Abort&) {
        throw;
    } catch (const Error& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

}  // namespace volm::report
