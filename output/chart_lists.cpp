#include "output/chart_lists.h"

namespace volm {

ChartMains buildMainList(const std::vector<MainRow>& sortedRows) {
    ChartMains result;
    ChartMain current;
    bool open = false;
    auto leaveOpen = [&] {
        if (open)
            result.problems << QStringLiteral("Магистраль %1 не доходит до участка с порядковым номером 1 "
                                              "и в список не включена.")
                                   .arg(current.idm);
        open = false;
    };
    bool first = true;
    int previousIdm = 0;
    for (const MainRow& row : sortedRows) {
        if (first || row.idm != previousIdm) {
            leaveOpen();
            current = ChartMain{};
            current.idm = row.idm;
            current.text = QString::number(row.idm) + QStringLiteral(".   ") + QString::number(row.startNode) +
                           QStringLiteral(" - ");
            open = true;
        }
        first = false;
        previousIdm = row.idm;
        if (!open) continue;  // rows after the section numbered 1 of the same main
        current.rows.push_back(row);
        if (row.number == 1) {
            current.text += QString::number(row.endNode);
            result.mains.push_back(std::move(current));
            current = ChartMain{};
            open = false;
        }
    }
    leaveOpen();
    return result;
}

QStringList startNodeItems(const ChartMain& main) {
    QStringList items;
    items.reserve(qsizetype(main.rows.size()));
    for (const MainRow& row : main.rows) items << QString::number(row.startNode);
    return items;
}

QStringList endNodeItems(const ChartMain& main, const QString& startNode) {
    QStringList items;
    bool reached = false;
    for (const MainRow& row : main.rows) {
        if (!reached && QString::number(row.startNode) == startNode) reached = true;
        if (reached) items << QString::number(row.endNode);
    }
    return items;
}

int keptItem(const QStringList& items, const QString& previousText, bool lastWhenMissing) {
    if (items.isEmpty()) return -1;
    const int same = int(items.indexOf(previousText));
    if (same >= 0) return same;
    return lastWhenMissing ? int(items.size()) - 1 : 0;
}

}  // namespace volm
