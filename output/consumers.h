#pragma once
// The consumers' table of the balancing: the end sections (КонУч = 1) with
// their end node, flow, available, required and excess heads and the
// diameter of the throttling orifice, and a note where the engineer must act.
// The report and the workbook show it alike; a calculation without the
// balancing indicators has no consumers. In a looped network a section
// arriving second at a meeting point ends a main there but feeds no consumer:
// the water leaves its end node by another section.
#include "store/table.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace volm {

struct Consumer {
    QVariant endNode;
    // РасхПод, РНапКон, ТребРНап, ИзбНап, ДШайбы, in the order of consumerColumns().
    std::vector<QVariant> values;
    QString note;  // empty when nothing is to be done beyond the orifice
};

// The value columns of the table and their titles.
const QStringList& consumerColumns();
const QStringList& consumerTitles();

// Orifices below this diameter clog up.
inline constexpr double kSmallestOrifice = 3;

// The note of one consumer: available head below the required one, or an
// orifice below 3 mm.
QString consumerNote(const QVariant& excess, const QVariant& orifice);

// The consumers among rows of a table with these fields, in row order.
// value(row, field) reads one stored value.
std::vector<Consumer> collectConsumers(const std::vector<Field>& fields, int rows,
                                       const std::function<QVariant(int row, int field)>& value);

}  // namespace volm
