// Reading the schematic's data from a calculation file.
#include "output/schematic_data.h"

#include "formulas/catalogue.h"
#include "store/database.h"

#include <cmath>
#include <limits>
#include <unordered_map>

namespace volm::output {

namespace {

constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();

// Columns shown on hovering a section even when the catalogue does not mark them.
const QStringList kMainColumns = {QStringLiteral("ДлНаУчПод"), QStringLiteral("РасхПод"), QStringLiteral("Ду"),
                                  QStringLiteral("ПотНаУчПод"), QStringLiteral("ПНапНачПод"),
                                  QStringLiteral("ПНапКонПод"), QStringLiteral("РНапНач"), QStringLiteral("РНапКон")};

double number(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return kEmpty;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : kEmpty;
}

QString captionOf(const Indicator* ind, const QString& shortName) {
    const QString full = ind ? ind->fullName.toString().trimmed() : QString();
    return full.isEmpty() ? shortName : full + QStringLiteral(" (") + shortName + QLatin1Char(')');
}

}  // namespace

std::vector<double> SchematicData::valuesOf(const SchematicIndicator& indicator) const {
    const QStringList& names = indicator.ofNodes ? nodeColumns : columns;
    const int k = int(names.indexOf(indicator.shortName));
    if (k < 0) return {};
    return indicator.ofNodes ? nodeValues[size_t(k)] : values[size_t(k)];
}

int SchematicData::defaultIndicator() const {
    for (const QString& preferred : {kNodeAvailableHead, kNodeSupplyHead})
        for (size_t i = 0; i < indicators.size(); ++i)
            if (indicators[i].ofNodes && indicators[i].shortName == preferred) return int(i);
    return indicators.empty() ? -1 : 0;
}

SchematicData loadSchematic(Database& gr) {
    SchematicData d;
    {
        auto st = gr.prepare(QStringLiteral("SELECT [РасчетВыполнен], [NНачУз] FROM [НазвРасч]"));
        if (st->step()) {
            d.resultsCurrent = st->column(0).toBool();
            d.startNode = st->column(1).toInt();
        }
        while (st->step()) {
        }
    }
    const Catalogue catalogue = Catalogue::load(gr);

    // Numeric columns of Табл; computed ones only while the results are current.
    QString select = QStringLiteral("SELECT [id], [НачУзел], [КонУзел]");
    for (const Database::ColumnInfo& c : gr.columns(QStringLiteral("Табл"))) {
        const QString type = c.declType.toLower();
        if (c.name == QLatin1String("id") || c.name == QStringLiteral("НачУзел") || c.name == QStringLiteral("КонУзел"))
            continue;
        if (!type.startsWith(QLatin1String("float")) && !type.startsWith(QLatin1String("smallint")) &&
            !type.startsWith(QLatin1String("integer")))
            continue;
        const Indicator* ind = catalogue.find(c.name);
        const bool computed = !ind || !ind->userEntered;
        if (computed && !d.resultsCurrent) continue;
        d.columns << c.name;
        d.columnCaptions << captionOf(ind, c.name);
        d.columnShown.push_back((ind && ind->inReport) || kMainColumns.contains(c.name));
        d.indicators.push_back({c.name, captionOf(ind, c.name), false, computed});
        select += QStringLiteral(", [") + c.name + QLatin1Char(']');
    }
    select += QStringLiteral(" FROM [Табл] ORDER BY [id]");

    std::vector<LayoutSection> sections;
    d.values.resize(size_t(d.columns.size()));
    {
        auto st = gr.prepare(select);
        while (st->step()) {
            d.sectionIds.push_back(st->column(0).toLongLong());
            sections.push_back({st->column(1).toInt(), st->column(2).toInt()});
            for (int c = 0; c < d.columns.size(); ++c) d.values[size_t(c)].push_back(number(st->column(3 + c)));
        }
    }
    d.layout = layOutNetwork(sections, d.startNode);
    const size_t nodeCount = d.layout.nodes.size();

    // The way of the water by the sign of each flow as the last run left it (the
    // flows are entered too: only while its results are current). A section the
    // water runs against keeps its values in the water's direction.
    d.flowWays.assign(sections.size(), FlowWay::None);
    if (const int f = int(d.columns.indexOf(QStringLiteral("РасхПод"))); f >= 0 && d.resultsCurrent)
        for (size_t i = 0; i < sections.size(); ++i) d.flowWays[i] = flowWayOf(d.values[size_t(f)][i]);
    auto waterEnd = [&](size_t i) { return d.againstEntry(i) ? d.layout.edges[i].from : d.layout.edges[i].to; };
    auto waterStart = [&](size_t i) { return d.againstEntry(i) ? d.layout.edges[i].to : d.layout.edges[i].from; };

    // Node values from the section columns: the end of a section first, a start
    // only for nodes no section ends at.
    auto nodeColumn = [&](const QString& name, const QString& caption, const QString& atEnd, const QString& atStart,
                          bool computed) {
        const int e = int(d.columns.indexOf(atEnd)), s = int(d.columns.indexOf(atStart));
        if (e < 0 || s < 0) return;
        std::vector<double> v(nodeCount, kEmpty);
        std::vector<char> set(nodeCount, 0);
        for (size_t i = 0; i < sections.size(); ++i) {
            const int to = waterEnd(i);
            if (!set[size_t(to)]) {
                v[size_t(to)] = d.values[size_t(e)][i];
                set[size_t(to)] = 1;
            }
        }
        for (size_t i = 0; i < sections.size(); ++i) {
            const int from = waterStart(i);
            if (!set[size_t(from)]) {
                v[size_t(from)] = d.values[size_t(s)][i];
                set[size_t(from)] = 1;
            }
        }
        d.nodeColumns << name;
        d.nodeCaptions << caption;
        d.nodeValues.push_back(std::move(v));
        d.indicators.push_back({name, caption, true, computed});
    };
    nodeColumn(kNodeAvailableHead, QStringLiteral("Располагаемый напор в узле, м."), QStringLiteral("РНапКон"),
               QStringLiteral("РНапНач"), true);
    nodeColumn(kNodeSupplyHead, QStringLiteral("Полный напор в узле подающего трубопровода, м."),
               QStringLiteral("ПНапКонПод"), QStringLiteral("ПНапНачПод"), true);
    // The balancing at the consumers' nodes, where the calculation has it.
    nodeColumn(kNodeOrifice, QStringLiteral("Диаметр дроссельной шайбы у потребителя, мм."), QStringLiteral("ДШайбы"),
               QStringLiteral("ДШайбы"), true);
    nodeColumn(kNodeExcessHead, QStringLiteral("Избыточный напор у потребителя, м."), QStringLiteral("ИзбНап"),
               QStringLiteral("ИзбНап"), true);

    // Heights as entered for the nodes.
    if (gr.hasTable(QStringLiteral("УзлыТС"))) {
        std::unordered_map<int, int> index;
        for (size_t v = 0; v < nodeCount; ++v) index.emplace(d.layout.nodes[v].number, int(v));
        std::vector<double> h(nodeCount, kEmpty);
        auto st = gr.prepare(QStringLiteral("SELECT [Nуз], [ГеодВыс] FROM [УзлыТС]"));
        while (st->step()) {
            auto it = index.find(st->column(0).toInt());
            if (it != index.end()) h[size_t(it->second)] = number(st->column(1));
        }
        const QString caption = QStringLiteral("Геодезическая высота узла, м.");
        d.nodeColumns << kNodeHeight;
        d.nodeCaptions << caption;
        d.nodeValues.push_back(std::move(h));
        d.indicators.push_back({kNodeHeight, caption, true, false});
    }

    d.lowHead.assign(nodeCount, 0);
    const int avail = int(d.nodeColumns.indexOf(kNodeAvailableHead));
    if (d.resultsCurrent && avail >= 0)
        for (size_t v = 0; v < nodeCount; ++v) {
            const double h = d.nodeValues[size_t(avail)][v];
            d.lowHead[v] = !std::isnan(h) && h < kLowAvailableHead;
        }
    return d;
}

}  // namespace volm::output
