#pragma once
// The chart drawing of the chart window and of the headless runner: a
// QCustomPlot showing a Chart as given (title, axis titles and ranges, ground
// area with its hatch, return and supply lines, node labels on the bottom axis,
// value marks at the points). Labels and marks that would cover one another are
// left out, the first and last always kept; the choice is made again whenever
// the plot's size changes. No zoom, no panning, no legend.
#include "output/chart_data.h"

#include "ui/qcustomplot_include.h"

namespace volm::ui {

class ValueMarkLayer;

class ChartPlot : public QCustomPlot {
    Q_OBJECT
public:
    explicit ChartPlot(QWidget* parent = nullptr);

    // Draws chart (replacing what was shown).
    void showChart(const Chart& chart);
    // The empty chart: no series, no titles, left axis 0 to 100.
    void clearChart();
    const Chart& chart() const { return chart_; }

    QCPGraph* groundGraph() const { return ground_; }
    QCPCurve* returnCurve() const { return ret_; }
    QCPCurve* supplyCurve() const { return sup_; }
    QCPTextElement* titleElement() const { return title_; }
    // The node labels the bottom axis shows now (after thinning), by x.
    QMap<double, QString> shownNodeLabels() const;
    // The value marks drawn at the last replot: (x, y, text).
    struct ShownMark {
        double x, y;
        QString text;
    };
    const std::vector<ShownMark>& shownMarks() const;

    // Lays the plot out at its present size twice, so that the thinning of the
    // labels fits that size, and draws it (for saving without a window).
    void settle();

    // Writes the plot to an output file as a PNG picture or a PDF page of
    // width x height (the plot's own size when 0). A write error passes
    // through as FileError; the old file stays.
    void writeTo(const QString& path, bool pdf, int width = 0, int height = 0);

    // Renders chart alone at width x height pixels to a PNG file.
    static void renderPng(const Chart& chart, const QString& path, int width, int height);

private:
    void thinNodeLabels();

    Chart chart_;
    QCPTextElement* title_ = nullptr;
    QCPGraph* ground_ = nullptr;
    QCPCurve* ret_ = nullptr;
    QCPCurve* sup_ = nullptr;
    ValueMarkLayer* marks_ = nullptr;
    QSharedPointer<QCPAxisTickerText> ticker_;
    std::vector<ChartPoint> nodeLabels_;
    int thinnedForWidth_ = -1;
};

}  // namespace volm::ui
