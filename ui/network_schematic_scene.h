#pragma once
// The graphics scene of the network schematic: one item per node (a small
// circle with its number, drawn only when legible) and one per section (a line),
// coloured by an indicator on a blue-to-red scale; nodes short of available head
// ringed in red, parts not connected to the start node dashed and captioned;
// after a run an arrow at the middle of each section shows the water's way.
#include "output/schematic_data.h"

#include <QColor>
#include <QGraphicsScene>
#include <QLocale>
#include <QPolygonF>

namespace volm::ui {

class SchematicScene : public QGraphicsScene {
    Q_OBJECT
public:
    // Scene units per layout step across and down.
    static constexpr double kStepX = 36;
    static constexpr double kStepY = 64;
    static constexpr double kNodeRadius = 7;

    explicit SchematicScene(QObject* parent = nullptr);

    // Replaces the drawing with this data, coloured by indicators[indicator].
    void build(const output::SchematicData& data, int indicator);
    // Recolours by indicators[indicator] (-1: no colouring).
    void colourBy(int indicator);
    const output::SchematicData& data() const { return data_; }

    // The range of the colouring values (NaN, NaN when there are none).
    double low() const { return low_; }
    double high() const { return high_; }
    static QColor colourAt(double t);  // t in [0, 1]

    // The item of a node or section under a scene point: kind 1 node, 2 section.
    static int kindOf(const QGraphicsItem* item);
    static int indexOf(const QGraphicsItem* item);
    QGraphicsItem* nodeItem(int node) const { return nodes_[size_t(node)]; }
    QGraphicsItem* sectionItem(int section) const { return sections_[size_t(section)]; }
    int nodeItemCount() const { return int(nodes_.size()); }
    int sectionItemCount() const { return int(sections_.size()); }

    // The arrows of the water's way: shown by default; an arrow is a triangle
    // at the middle of the section pointing the way the water runs, sized to
    // the line (empty when hidden, before a run or where the flow is zero).
    void setFlowArrowsShown(bool shown);
    bool flowArrowsShown() const { return flowArrowsShown_; }
    QPolygonF flowArrow(int section) const;

    // Numbers of the hover texts and the legend are written in this locale with
    // this many digits after the separator (the report precision).
    void setLocale(const QLocale& locale) { locale_ = locale; }
    void setDecimals(int decimals) { decimals_ = decimals; }
    QString numberText(double v) const;
    // Hover texts.
    QString nodeText(int node) const;
    QString sectionText(int section) const;

    // Writes the drawing as SVG (lines, circles and node numbers).
    bool writeSvg(const QString& path) const;

private:
    output::SchematicData data_;
    std::vector<QGraphicsItem*> nodes_;
    std::vector<QGraphicsItem*> sections_;
    std::vector<QColor> nodeFills_;
    double low_ = 0, high_ = 0;
    QLocale locale_;
    int decimals_ = 2;
    bool flowArrowsShown_ = true;
};

}  // namespace volm::ui
