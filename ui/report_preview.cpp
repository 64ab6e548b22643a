// The report's print preview.
#include "ui/report_preview.h"

#include "store/person.h"
#include "ui/help_window.h"

#include <QAction>
#include <QFileDialog>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <QToolBar>

namespace volm::ui {

const QString kReportPreviewTitle = QStringLiteral("Гидравлический расчет тепловой сети");

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

// "Сохранить в PDF": the pages through QPrinter's PDF output.
void saveAsPdf(const report::ReportPages& pages, Person& person, QWidget* parent) {
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить отчет в PDF"), QString(),
                                                QStringLiteral("Документ PDF (*.pdf)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    QPrinter printer(QPrinter::ScreenResolution);
    preparePrinter(printer, pages);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QPainter painter;
    if (!painter.begin(&printer)) {
        person.message(QStringLiteral("Не удается записать файл \"") + path + QStringLiteral("\"."));
        return;
    }
    pages.paint(painter, printer);
    painter.end();
}

}  // namespace

void showReportPreview(const report::ReportPages& pages, Person& person, QWidget* parent) {
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
        QObject::connect(pdf, &QAction::triggered, &dialog, [&] { saveAsPdf(pages, person, &dialog); });
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
