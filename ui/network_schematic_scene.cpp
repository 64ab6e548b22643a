#include "ui/network_schematic_scene.h"

#include <QFile>
#include <QGraphicsItem>
#include <QGraphicsSimpleTextItem>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextStream>
#include <cmath>

namespace volm::ui {

namespace {

constexpr int kKindKey = 0, kIndexKey = 1;
constexpr int kNodeKind = 1, kSectionKind = 2;
const QColor kNoValue(150, 150, 150);
const QColor kLowHead(220, 0, 0);

// The arrow of the water's way on a line drawn this wide: a triangle at its
// middle, longer than the line is wide and never over 40 % of its length.
double arrowLength(double lineWidth) { return 3 * lineWidth + 5; }
double arrowHalfWidth(double length) { return 0.4 * length; }

QPolygonF arrowOn(const QLineF& line, FlowWay way, double lineWidth) {
    if (way == FlowWay::None || line.length() <= 0) return {};
    const double length = std::min(arrowLength(lineWidth), 0.4 * line.length());
    const QPointF along = (line.p2() - line.p1()) / line.length() * (way == FlowWay::Against ? -1 : 1);
    const QPointF across(-along.y(), along.x());
    const QPointF middle = line.center(), tip = middle + along * (length / 2), back = middle - along * (length / 2);
    const double half = arrowHalfWidth(length);
    return QPolygonF({tip, back + across * half, back - across * half});
}

// Below this many pixels of length an arrow is not drawn: the line is then
// hardly wider than a pixel.
constexpr double kLegibleArrow = 5;

QPointF placeOf(const output::NetworkLayout::Node& n) {
    return {n.x * SchematicScene::kStepX, n.y * SchematicScene::kStepY};
}

// A node: a circle with its number inside, the number drawn only when it is legible.
class NodeItem : public QGraphicsItem {
public:
    NodeItem(int number, bool connected) : number_(QString::number(number)), connected_(connected) {
        setFlag(ItemUsesExtendedStyleOption, false);
    }
    void setLook(const QColor& fill, bool lowHead) {
        fill_ = fill;
        lowHead_ = lowHead;
        update();
    }
    QRectF boundingRect() const override {
        const double r = SchematicScene::kNodeRadius + 3;
        return {-r, -r, 2 * r, 2 * r};
    }
    void paint(QPainter* p, const QStyleOptionGraphicsItem* option, QWidget*) override {
        const double lod = option->levelOfDetailFromTransform(p->worldTransform());
        const double r = SchematicScene::kNodeRadius;
        QPen pen(connected_ ? QColor(40, 40, 40) : QColor(120, 120, 120), 0);
        if (!connected_) pen.setStyle(Qt::DashLine);
        p->setPen(pen);
        p->setBrush(fill_);
        p->drawEllipse(QPointF(0, 0), r, r);
        if (lowHead_) {
            p->setPen(QPen(kLowHead, 2.5));
            p->setBrush(Qt::NoBrush);
            p->drawEllipse(QPointF(0, 0), r + 1.5, r + 1.5);
        }
        if (lod * r >= 6) {  // the number is legible from about 6 pixels of radius
            QFont f = p->font();
            f.setPixelSize(number_.size() > 3 ? 5 : 7);
            p->setFont(f);
            p->setPen(Qt::black);
            p->drawText(QRectF(-r, -r, 2 * r, 2 * r), Qt::AlignCenter, number_);
        }
    }

private:
    QString number_;
    bool connected_;
    QColor fill_ = Qt::white;
    bool lowHead_ = false;
};

// A section: its line and, when the scene shows them and the arrow is legible,
// the arrow of the water's way in the line's colour.
class SectionItem : public QGraphicsLineItem {
public:
    SectionItem(const QLineF& line, FlowWay way) : QGraphicsLineItem(line), way_(way) {}
    QPolygonF arrow() const { return arrowOn(line(), way_, pen().widthF()); }
    // The line's box widened by the arrow: cheaper than the stroked outline the
    // line item takes its bounds from, which the index asks for on every item.
    QRectF boundingRect() const override {
        const double w = pen().widthF();
        const double margin = way_ == FlowWay::None ? w / 2 : std::max(w / 2, arrowHalfWidth(arrowLength(w)) + 1);
        return QRectF(line().p1(), line().p2()).normalized().adjusted(-margin, -margin, margin, margin);
    }
    void paint(QPainter* p, const QStyleOptionGraphicsItem* option, QWidget* widget) override {
        QGraphicsLineItem::paint(p, option, widget);
        if (way_ == FlowWay::None || !static_cast<const SchematicScene*>(scene())->flowArrowsShown()) return;
        const double lod = option->levelOfDetailFromTransform(p->worldTransform());
        if (lod * arrowLength(pen().widthF()) < kLegibleArrow) return;
        const QPolygonF a = arrow();
        if (a.isEmpty()) return;
        p->setPen(QPen(pen().color().darker(150), 0));
        p->setBrush(pen().color());
        p->drawPolygon(a);
    }

private:
    FlowWay way_;
};

}  // namespace

SchematicScene::SchematicScene(QObject* parent) : QGraphicsScene(parent) {
    setItemIndexMethod(QGraphicsScene::BspTreeIndex);
}

int SchematicScene::kindOf(const QGraphicsItem* item) { return item ? item->data(kKindKey).toInt() : 0; }
int SchematicScene::indexOf(const QGraphicsItem* item) { return item ? item->data(kIndexKey).toInt() : -1; }

QColor SchematicScene::colourAt(double t) {
    // Blue, cyan, green, yellow, red.
    static const QColor stops[] = {QColor(40, 70, 200), QColor(0, 170, 210), QColor(40, 170, 60),
                                   QColor(235, 200, 0), QColor(215, 40, 30)};
    t = std::clamp(t, 0.0, 1.0) * 4;
    const int i = std::min(3, int(t));
    const double f = t - i;
    const QColor &a = stops[i], &b = stops[i + 1];
    return QColor(int(a.red() + (b.red() - a.red()) * f), int(a.green() + (b.green() - a.green()) * f),
                  int(a.blue() + (b.blue() - a.blue()) * f));
}

void SchematicScene::build(const output::SchematicData& data, int indicator) {
    clear();
    data_ = data;
    nodes_.clear();
    sections_.clear();
    const auto& layout = data_.layout;
    // Items are added in bulk with the index off, then indexed once.
    setItemIndexMethod(QGraphicsScene::NoIndex);
    sections_.reserve(layout.edges.size());
    for (size_t i = 0; i < layout.edges.size(); ++i) {
        const auto& e = layout.edges[i];
        auto* line = new SectionItem(QLineF(placeOf(layout.nodes[size_t(e.from)]), placeOf(layout.nodes[size_t(e.to)])),
                                     i < data_.flowWays.size() ? data_.flowWays[i] : FlowWay::None);
        line->setData(kKindKey, kSectionKind);
        line->setData(kIndexKey, int(i));
        line->setZValue(0);
        addItem(line);
        sections_.push_back(line);
    }
    nodes_.reserve(layout.nodes.size());
    for (size_t v = 0; v < layout.nodes.size(); ++v) {
        const auto& n = layout.nodes[v];
        auto* item = new NodeItem(n.number, n.connected);
        item->setPos(placeOf(n));
        item->setData(kKindKey, kNodeKind);
        item->setData(kIndexKey, int(v));
        item->setZValue(1);
        addItem(item);
        nodes_.push_back(item);
    }
    // Captions over the parts not reached from the start node.
    if (layout.startFound) {
        for (const auto& n : layout.nodes)
            if (!n.connected && n.y == 0) {
                auto* caption = addSimpleText(QStringLiteral("Не связано с начальным узлом"));
                caption->setBrush(kLowHead);
                caption->setPos(placeOf(n) + QPointF(-kStepX / 2, -kStepY * 0.6));
                caption->setZValue(2);
            }
    }
    setItemIndexMethod(QGraphicsScene::BspTreeIndex);
    const QRectF bounds = itemsBoundingRect();
    setSceneRect(bounds.adjusted(-kStepX, -kStepY, kStepX, kStepY));
    colourBy(indicator);
}

void SchematicScene::colourBy(int indicator) {
    const auto& layout = data_.layout;
    std::vector<double> values;
    bool ofNodes = false;
    if (indicator >= 0 && size_t(indicator) < data_.indicators.size()) {
        values = data_.valuesOf(data_.indicators[size_t(indicator)]);
        ofNodes = data_.indicators[size_t(indicator)].ofNodes;
    }
    low_ = high_ = std::nan("");
    for (double v : values)
        if (!std::isnan(v)) {
            low_ = std::isnan(low_) ? v : std::min(low_, v);
            high_ = std::isnan(high_) ? v : std::max(high_, v);
        }
    auto colour = [&](size_t i) {
        if (i >= values.size() || std::isnan(values[i])) return kNoValue;
        return colourAt(high_ > low_ ? (values[i] - low_) / (high_ - low_) : 0.5);
    };
    for (size_t i = 0; i < sections_.size(); ++i) {
        const auto& e = layout.edges[i];
        QPen pen(ofNodes || values.empty() ? QColor(90, 90, 90) : colour(i));
        pen.setWidthF(ofNodes ? 1.5 : 3);
        pen.setCapStyle(Qt::RoundCap);
        if (!e.connected || !e.tree) pen.setStyle(Qt::DashLine);
        static_cast<QGraphicsLineItem*>(sections_[i])->setPen(pen);
    }
    nodeFills_.assign(nodes_.size(), QColor(Qt::white));
    for (size_t v = 0; v < nodes_.size(); ++v) {
        if (ofNodes) nodeFills_[v] = colour(v);
        static_cast<NodeItem*>(nodes_[v])->setLook(nodeFills_[v], v < data_.lowHead.size() && data_.lowHead[v]);
    }
}

void SchematicScene::setFlowArrowsShown(bool shown) {
    if (shown == flowArrowsShown_) return;
    flowArrowsShown_ = shown;
    update();
}

QPolygonF SchematicScene::flowArrow(int section) const {
    if (!flowArrowsShown_ || section < 0 || size_t(section) >= sections_.size()) return {};
    return static_cast<const SectionItem*>(sections_[size_t(section)])->arrow();
}

QString SchematicScene::numberText(double v) const {
    return std::isnan(v) ? QStringLiteral("—") : locale_.toString(v, 'f', decimals_);
}

QString SchematicScene::nodeText(int node) const {
    const auto& n = data_.layout.nodes[size_t(node)];
    QString text = QStringLiteral("Узел %1").arg(n.number);
    if (!n.connected) text += QStringLiteral("\nНе связан с начальным узлом");
    for (int k = 0; k < data_.nodeColumns.size(); ++k)
        text += QStringLiteral("\n%1: %2").arg(data_.nodeCaptions[k], numberText(data_.nodeValues[size_t(k)][size_t(node)]));
    if (size_t(node) < data_.lowHead.size() && data_.lowHead[size_t(node)])
        text += QStringLiteral("\nРасполагаемый напор меньше 0,1 м.");
    return text;
}

QString SchematicScene::sectionText(int section) const {
    const auto& e = data_.layout.edges[size_t(section)];
    QString text = QStringLiteral("Участок %1 - %2")
                       .arg(data_.layout.nodes[size_t(e.from)].number)
                       .arg(data_.layout.nodes[size_t(e.to)].number);
    if (data_.againstEntry(size_t(section)))
        text += QStringLiteral("\nВода течет от узла %1 к узлу %2.")
                    .arg(data_.layout.nodes[size_t(e.to)].number)
                    .arg(data_.layout.nodes[size_t(e.from)].number);
    for (int c = 0; c < data_.columns.size(); ++c)
        if (data_.columnShown[size_t(c)])
            text += QStringLiteral("\n%1: %2").arg(data_.columnCaptions[c], numberText(data_.values[size_t(c)][size_t(section)]));
    return text;
}

bool SchematicScene::writeSvg(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QTextStream out(&f);
    const QRectF r = sceneRect();
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"%3 %4 %1 %2\">\n")
               .arg(r.width())
               .arg(r.height())
               .arg(r.left())
               .arg(r.top())
        << "<rect x=\"" << r.left() << "\" y=\"" << r.top() << "\" width=\"" << r.width() << "\" height=\""
        << r.height() << "\" fill=\"white\"/>\n";
    for (QGraphicsItem* item : sections_) {
        const auto* line = static_cast<const QGraphicsLineItem*>(item);
        const QLineF l = line->line();
        out << QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\"%7/>\n")
                   .arg(l.x1())
                   .arg(l.y1())
                   .arg(l.x2())
                   .arg(l.y2())
                   .arg(line->pen().color().name())
                   .arg(line->pen().widthF())
                   .arg(line->pen().style() == Qt::DashLine ? QStringLiteral(" stroke-dasharray=\"6 4\"") : QString());
    }
    for (size_t i = 0; i < sections_.size(); ++i) {
        const QPolygonF a = flowArrow(int(i));
        if (a.isEmpty()) continue;
        QString points;
        for (const QPointF& p : a) points += QStringLiteral("%1,%2 ").arg(p.x()).arg(p.y());
        const QColor colour = static_cast<const QGraphicsLineItem*>(sections_[i])->pen().color();
        out << QStringLiteral("<polygon points=\"%1\" fill=\"%2\" stroke=\"%3\" stroke-width=\"0.5\"/>\n")
                   .arg(points.trimmed(), colour.name(), colour.darker(150).name());
    }
    for (size_t v = 0; v < nodes_.size(); ++v) {
        const QPointF p = nodes_[v]->pos();
        out << QStringLiteral("<g><circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>")
                   .arg(p.x())
                   .arg(p.y())
                   .arg(kNodeRadius)
                   .arg(nodeFills_[v].name())
                   .arg(data_.lowHead.size() > v && data_.lowHead[v] ? kLowHead.name() : QStringLiteral("#282828"))
                   .arg(data_.lowHead.size() > v && data_.lowHead[v] ? 2.5 : 1)
            << QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"7\" text-anchor=\"middle\" dominant-baseline=\"central\" "
                              "font-family=\"sans-serif\">%3</text></g>\n")
                   .arg(p.x())
                   .arg(p.y())
                   .arg(data_.layout.nodes[v].number);
    }
    for (QGraphicsItem* item : items())
        if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            out << QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"12\" fill=\"%3\" font-family=\"sans-serif\">%4</text>\n")
                       .arg(t->pos().x())
                       .arg(t->pos().y() + 12)
                       .arg(kLowHead.name())
                       .arg(t->text().toHtmlEscaped());
    out << "</svg>\n";
    out.flush();
    return f.error() == QFile::NoError;
}

}  // namespace volm::ui
