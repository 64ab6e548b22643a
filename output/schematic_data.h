#pragma once
// What the schematic window draws, read from an open calculation file: the
// sections of Табл in the order of entry laid out as a tree from NНачУз, the
// numbers of Табл's columns per section, the heads and heights at the nodes,
// the indicators the drawing may be coloured by and the nodes short of head.
#include "output/flow_direction.h"
#include "output/network_layout.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace volm {
class Database;
}

namespace volm::output {

// Node values, taken from the section columns of the section ending at the node
// (or, for a node no section ends at, of a section starting there).
inline const QString kNodeAvailableHead = QStringLiteral("РНапУз");  // РНапКон / РНапНач
inline const QString kNodeSupplyHead = QStringLiteral("ПНапУзПод");  // ПНапКонПод / ПНапНачПод
inline const QString kNodeHeight = QStringLiteral("ГеодВысУз");     // ГеодВысКон / ГеодВысНач
inline const QString kNodeOrifice = QStringLiteral("ДШайбыУз");     // ДШайбы of the consumer ending there
inline const QString kNodeExcessHead = QStringLiteral("ИзбНапУз");  // ИзбНап of the consumer ending there

// Below this available head (m) a node is short of head.
constexpr double kLowAvailableHead = 0.1;

struct SchematicIndicator {
    QString shortName;     // a column of Табл, or one of the node values above
    QString caption;       // full name and short name, as offered to the person
    bool ofNodes = false;
    bool computed = false;
};

struct SchematicData {
    NetworkLayout layout;
    std::vector<qint64> sectionIds;   // Табл.id of every section (edge)
    // Per section, the way the water runs by its РасхПод (none while the
    // results are not current).
    // Against the entry it runs from the КонУзел to the НачУзел, and the
    // section's other values are in the water's direction.
    std::vector<FlowWay> flowWays;
    bool againstEntry(size_t section) const {
        return section < flowWays.size() && flowWays[section] == FlowWay::Against;
    }
    bool resultsCurrent = false;      // РасчетВыполнен
    int startNode = 0;                // NНачУз (0 when not entered)

    // Numeric columns of Табл with the catalogue's names; values[c][section],
    // NaN where empty. Computed columns are kept only while results are current.
    QStringList columns;
    QStringList columnCaptions;
    std::vector<char> columnShown;    // marked for output (or one of the main columns)
    std::vector<std::vector<double>> values;

    // Node values, nodeValues[k][node] for kNode* names in nodeColumns.
    QStringList nodeColumns;
    QStringList nodeCaptions;
    std::vector<std::vector<double>> nodeValues;

    // What "Раскрасить по" offers: computed ones only while results are current.
    std::vector<SchematicIndicator> indicators;
    // Nodes whose available head is below kLowAvailableHead (only when current).
    std::vector<char> lowHead;

    // The values of an indicator: per section, or per node for node indicators;
    // empty for an unknown name.
    std::vector<double> valuesOf(const SchematicIndicator& indicator) const;
    // The indicator offered first: the available head when current (the full
    // supply head of a one-pipe network), else the first.
    int defaultIndicator() const;
};

SchematicData loadSchematic(Database& gr);

}  // namespace volm::output
