// The report's print preview.
#include "ui/report_preview.h"

#include "output/report.h"
#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/output_file.h"
#include "store/person.h"
#include "ui/help_window.h"

#include <QAction>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <QToolBar>

namespace volm::ui {

const QString kReportPreviewTitle = QStringLiteral("Гидравлический расчет тепловой сети");  // the PDF title too

namespace {

void paintPages(const report::ReportPages& pages, Person& person, QPrinter* printer) {
    QPainter painter;
    if (!painter.begin(printer)) return;
    pages.paint(painter, *printer, [&](int page) {
        person.status(QStringLiteral("Печать страницы %1").arg(page));
        person.processEvents();
    });
    painter.end();
    person.status(QString());
}

void preparePrinter(QPrinter& printer, const report::ReportPages& pages) {
    printer.setDocName(QStringLiteral("Rave Report"));
    printer.setFullPage(true);
    printer.setResolution(pages.resolution());
    printer.setPageLayout(pages.pageLayout());
}

// "Сохранить в PDF": the pages written as the runner writes them (same title),
// under the calculation's name by default, by the rules of every output.
void saveAsPdf(const report::ReportPages& pages, App& app) {
    Person& person = app.person();
    QString name = person.saveFileName(QStringLiteral("Сохранить отчет в PDF"),
                                       QStringLiteral("Документ PDF (*.pdf)|*.pdf"),
                                       proposedOutputName(app.dm.acGR.path(), QStringLiteral(".pdf")));
    if (name.isEmpty()) return;
    if (!name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) name += QStringLiteral(".pdf");
    const QString destination = outputDestination(name);
    if (const QString why = refusedOutputTarget(protectedFiles(app), OutputKind::Report, name, destination);
        !why.isEmpty()) {
        person.message(why);
        return;
    }
    if (QFileInfo::exists(name) &&
        !person.ask(QStringLiteral("Файл \"") + name + QStringLiteral("\" уже существует. Заменить его?")))
        return;
    try {
        BusyGuard busy(person);
        report::writePdf(pages, destination);
    } catch (const Error& e) {
        person.message(e.message());
    }
}

}  // namespace

void showReportPreview(const report::ReportPages& pages, App& app, QWidget* parent) {
    Person& person = app.person();
    QPrinter printer(QPrinter::ScreenResolution);
    preparePrinter(printer, pages);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(kReportPreviewTitle);
    addHelpKey(&dialog, QStringLiteral("report.html"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&](QPrinter* p) { paintPages(pages, person, p); });

    if (auto* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        QAction* pdf = bar->addAction(QStringLiteral("Сохранить в PDF"));
        pdf->setObjectName(QStringLiteral("actSaveAsPdf"));
        pdf->setToolTip(QStringLiteral("Сохранить отчет в файл PDF"));
        QObject::connect(pdf, &QAction::triggered, &dialog, [&] { saveAsPdf(pages, app); });
    }
    // The dialog fits the page to its width when it opens; the report opens at 100 %.
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    auto actualSize = [preview] {
        if (!preview) return;
        preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
        preview->setZoomFactor(1.0);
    };
    QTimer::singleShot(0, &dialog, actualSize);
    dialog.resize(1000, 760);
    dialog.exec();
}

}  // namespace volm::ui
