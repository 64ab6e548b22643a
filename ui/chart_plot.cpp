#include "ui/chart_plot.h"

#include "output/chart_thinning.h"
#include "store/errors.h"
#include "store/output_file.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace volm::ui {

namespace {

QColor colourOf(std::uint32_t rgb) { return QColor(QRgb(0xFF000000u | rgb)); }

// White with thin dark lines falling from upper left to lower right.
QBrush groundHatch() {
    QPixmap tile(8, 8);
    tile.fill(Qt::white);
    QPainter p(&tile);
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.drawLine(0, 0, 7, 7);
    p.end();
    return QBrush(tile);
}

constexpr double kMarkGap = 3;     // pixels between a point and its mark
constexpr double kLabelGap = 6;    // pixels between two node labels

}  // namespace

// The value marks of every point, drawn above the series, thinned to those
// that do not cover one another.
class ValueMarkLayer : public QCPLayerable {
public:
    explicit ValueMarkLayer(ChartPlot* plot) : QCPLayerable(plot, QStringLiteral("main")), plot_(plot) {}
    std::vector<ChartPlot::ShownMark> shown;

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override {
        applyAntialiasingHint(painter, mAntialiased, QCP::aeOther);
    }
    QRect clipRect() const override { return plot_->axisRect()->rect(); }

    void draw(QCPPainter* painter) override {
        shown.clear();
        const Chart& chart = plot_->chart();
        QFont font = plot_->xAxis->tickLabelFont();
        font.setPointSizeF(font.pointSizeF() * 0.9);
        const QFontMetricsF fm(font);
        struct Mark {
            const ChartSeries* series;
            double x, y;
            QString text;
        };
        std::vector<Mark> marks;
        std::vector<MarkBox> boxes;
        const QRectF area = plot_->axisRect()->rect();
        for (const ChartSeries* s : {&chart.ground, &chart.ret, &chart.sup}) {
            int firstAt = -1, lastAt = -1;
            const ChartPoint* before = nullptr;
            for (const ChartPoint& p : s->points) {
                const QString text = chart.markText(p.y);
                if (text.isEmpty()) continue;
                // Where the head does not change at a node, the end of one section and
                // the start of the next are one point with one mark.
                const bool same = before && before->x == p.x && chart.markText(before->y) == text;
                before = &p;
                if (same) continue;
                const double px = plot_->xAxis->coordToPixel(p.x);
                const double py = plot_->yAxis->coordToPixel(p.y);
                const double w = fm.horizontalAdvance(text) + 2;
                const double h = fm.height();
                if (firstAt < 0) firstAt = int(marks.size());
                lastAt = int(marks.size());
                marks.push_back(Mark{s, p.x, p.y, text});
                // Above the point, moved in where it would stick out of the plot.
                const double cx =
                    std::clamp(px, area.left() + w / 2, std::max(area.left() + w / 2, area.right() - w / 2));
                const double cy = std::max(py - kMarkGap - h / 2, area.top() + h / 2);
                // Below it when that place is taken.
                const double below = std::min(py + kMarkGap + h / 2, area.bottom() - h / 2);
                boxes.push_back(MarkBox{cx, cy, w, h, false, below});
            }
            if (firstAt >= 0) boxes[size_t(firstAt)].always = boxes[size_t(lastAt)].always = true;
        }
        const std::vector<int> place = placeMarks(boxes);
        painter->setFont(font);
        for (size_t i = 0; i < marks.size(); ++i) {
            if (!place[i]) continue;
            MarkBox b = boxes[i];
            if (place[i] == 2) b.y = b.altY;
            const std::uint32_t rgb = marks[i].series->rgb == kChartWhite ? kChartBlack : marks[i].series->rgb;
            const QRectF box(b.x - b.w / 2, b.y - b.h / 2, b.w, b.h);
            painter->fillRect(box, QColor(255, 255, 255, 210));  // readable over the hatch and the grid
            painter->setPen(colourOf(rgb));
            painter->drawText(box, Qt::AlignCenter, marks[i].text);
            shown.push_back(ChartPlot::ShownMark{marks[i].x, marks[i].y, marks[i].text});
        }
    }

private:
    ChartPlot* plot_;
};

ChartPlot::ChartPlot(QWidget* parent) : QCustomPlot(parent) {
    setInteractions(QCP::Interactions());
    legend->setVisible(false);
    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, QString(), QFont(font().family(), 11, QFont::Bold));
    plotLayout()->addElement(0, 0, title_);
    ground_ = addGraph();
    ret_ = new QCPCurve(xAxis, yAxis);
    sup_ = new QCPCurve(xAxis, yAxis);
    ground_->setName(QStringLiteral("ГеодВыс"));
    ret_->setName(QStringLiteral("Обр"));
    sup_->setName(QStringLiteral("Под"));
    ground_->setPen(QPen(Qt::black, 1));
    ground_->setBrush(groundHatch());
    marks_ = new ValueMarkLayer(this);
    ticker_ = QSharedPointer<QCPAxisTickerText>(new QCPAxisTickerText);
    xAxis->setTicker(ticker_);
    xAxis->setSubTicks(false);
    xAxis->grid()->setVisible(true);
    connect(this, &QCustomPlot::afterLayout, this, [this] {
        if (axisRect()->width() == thinnedForWidth_) return;
        thinNodeLabels();
        // This drawing already has its ticks: draw again with the new ones.
        QTimer::singleShot(0, this, [this] { replot(); });
    });
    clearChart();
}

void ChartPlot::clearChart() {
    showChart(Chart{});  // no series, no titles but the bottom axis's, left axis 0 to 100
}

void ChartPlot::showChart(const Chart& chart) {
    chart_ = chart;
    title_->setText(chart.title);
    yAxis->setLabel(chart.leftTitle);
    xAxis->setLabel(chart.bottomTitle);

    QVector<double> keys, values;
    for (const ChartPoint& p : chart.ground.points) {
        keys << p.x;
        values << p.y;
    }
    ground_->setData(keys, values, true);
    auto fill = [](QCPCurve* c, const ChartSeries& s, double width) {
        QVector<double> t, k, v;
        t.reserve(qsizetype(s.points.size()));
        for (const ChartPoint& p : s.points) {
            t << double(t.size());
            k << p.x;
            v << p.y;
        }
        c->setData(t, k, v, true);
        c->setPen(QPen(colourOf(s.rgb), width));
        c->setName(s.title);
    };
    fill(ret_, chart.ret, 2);
    fill(sup_, chart.sup, 2);

    xAxis->setRange(chart.xMin, chart.xMax);
    yAxis->setRange(chart.yMin, chart.yMax);
    nodeLabels_ = chart.nodeLabels();
    thinNodeLabels();
    replot();
}

void ChartPlot::thinNodeLabels() {
    const int width = axisRect()->width();
    std::vector<double> centres, widths;
    centres.reserve(nodeLabels_.size());
    widths.reserve(nodeLabels_.size());
    const QFontMetricsF fm(xAxis->tickLabelFont());
    for (const ChartPoint& p : nodeLabels_) {
        centres.push_back(xAxis->coordToPixel(p.x));
        widths.push_back(fm.horizontalAdvance(p.label));
    }
    const std::vector<bool> keep = thinAxisLabels(centres, widths, kLabelGap);
    QVector<double> keys;
    QVector<QString> labels;
    for (size_t i = 0; i < nodeLabels_.size(); ++i) {
        if (!keep[i]) continue;
        keys << nodeLabels_[i].x;
        labels << nodeLabels_[i].label;
    }
    ticker_->setTicks(keys, labels);
    thinnedForWidth_ = width;
}

QMap<double, QString> ChartPlot::shownNodeLabels() const { return ticker_->ticks(); }

const std::vector<ChartPlot::ShownMark>& ChartPlot::shownMarks() const { return marks_->shown; }

void ChartPlot::settle() {
    setViewport(QRect(0, 0, width(), height()));
    replot();
    thinNodeLabels();
    replot();
}

void ChartPlot::writeTo(const QString& path, bool pdf, int width, int height) {
    if (width <= 0) width = this->width();
    if (height <= 0) height = this->height();
    // The picture is made in memory first: the image library's own complaints
    // about a failed write never arise, and the file gets whole bytes or none.
    QByteArray png;
    if (!pdf) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!toPixmap(width, height).save(&buffer, "PNG"))
            throw FileError(QStringLiteral("Не удается сохранить график в файл ") + path + QLatin1Char('.'));
    }
    writeOutputFile(path, [&](QIODevice& device, const QString&) {
        if (!pdf) {
            device.write(png);
            return;
        }
        QPdfWriter writer(&device);
        writer.setCreator(QStringLiteral("ВОЛМ"));
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(width, height), QPageSize::Point),
                                         QPageLayout::Portrait, QMarginsF()));
        QCPPainter painter;
        if (!painter.begin(&writer))
            throw FileError(QStringLiteral("Не удается сохранить график в файл ") + path + QLatin1Char('.'));
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        toPainter(&painter, width, height);
        painter.end();
    });
}

void ChartPlot::renderPng(const Chart& chart, const QString& path, int width, int height) {
    ChartPlot plot;
    plot.resize(width, height);
    plot.showChart(chart);
    plot.settle();
    plot.writeTo(path, false, width, height);
}

}  // namespace volm::ui
