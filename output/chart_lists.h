#pragma once
// The mains of the last calculation as the chart window lists them: one item per
// main ("1.   1 - 12": number, first node, last node) with its rows from the first
// section to the last, and the start-node and end-node lists of a chosen main.
#include <QString>
#include <QStringList>
#include <vector>

namespace volm {

// One row of МагистралиТС.
struct MainRow {
    int idm = 0;         // id_m
    int number = 0;      // NппУчВМ: 1 is the main's last section
    int startNode = 0;   // НачУзел
    int endNode = 0;     // КонУзел
};

struct ChartMain {
    int idm = 0;
    QString text;                 // the item text
    std::vector<MainRow> rows;    // first section first (NппУчВМ descending)
};

struct ChartMains {
    std::vector<ChartMain> mains;
    // Mains left out of the list because their rows do not reach the section
    // numbered 1, one sentence each.
    QStringList problems;
};

// Builds the list from the rows of МагистралиТС sorted "id_m ASC, NппУчВМ DESC",
// in one pass. A main is listed once its row numbered 1 is met.
ChartMains buildMainList(const std::vector<MainRow>& sortedRows);

// The start nodes of a main: the НачУзел of its rows, first section first.
QStringList startNodeItems(const ChartMain& main);
// The end nodes reachable from a start node: the КонУзел of every row from the
// one that starts at startNode on; empty when no row starts there.
QStringList endNodeItems(const ChartMain& main, const QString& startNode);

// The item to select after a refill: the one equal to the text shown before,
// else the first (or, with lastWhenMissing, the last) item; -1 for an empty list.
int keptItem(const QStringList& items, const QString& previousText, bool lastWhenMissing);

}  // namespace volm
