#include "ui/chart_export.h"

#include "output/chart_data.h"
#include "store/errors.h"
#include "ui/chart_plot.h"

#include <QApplication>

namespace volm::ui {

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool widgets) {
    if (!widgets) return std::make_unique<QCoreApplication>(argc, argv);
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!display && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

namespace {

QString drawMainChart(App& app, int idm, const QString& path, std::optional<int> precision, int width, int height) {
    const ChartMains list = buildMainList(readMainRows(app.dm.acGR));
    const ChartMain* main = nullptr;
    for (const ChartMain& m : list.mains)
        if (m.idm == idm) main = &m;
    if (!main) return QStringLiteral("Магистраль %1 не найдена в результатах расчета.").arg(idm);
    ChartSource source = readChartSource(app);
    if (precision) source.precision = *precision;
    ChartRequest request;
    request.startNode = QString::number(main->rows.front().startNode);
    request.endNode = QString::number(main->rows.back().endNode);
    const Chart chart = buildChart(source, *main, request);
    ChartPlot::renderPng(chart, path, width, height);
    return chart.error;
}

}  // namespace

QString writeMainChart(App& app, int idm, const QString& path, std::optional<int> precision, int width, int height) {
    try {
        return drawMainChart(app, idm, path, precision, width, height);
    } catch (const FileError&) {
        throw;
    } catch (const Error& e) {
        return e.message();
    }
}

}  // namespace volm::ui
