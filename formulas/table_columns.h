#pragma once
// The column lists of Заг, Табл and КонМаг: the target list the catalogue and the
// network type call for, and the current list of the table as it is. Both are
// written by the same rules, so an unchanged table gives an identical text.
#include "formulas/catalogue.h"
#include "store/table.h"
#include <QString>
#include <vector>

namespace volm {

struct ColumnSpec {
    QString name;
    FieldKind kind = FieldKind::Float;
    int size = 0;             // text size
    bool primaryKey = false;  // written " PRIMARY KEY" after the type
};
using ColumnList = std::vector<ColumnSpec>;

// "(" + "[name] type" joined by ", " + ")".
QString columnListText(const ColumnList& columns);
// The type as written in a column list: "float", "smallint", "integer", "bit",
// "text(n)", with " PRIMARY KEY" for the key.
QString columnTypeText(const ColumnSpec& column);

ColumnList targetHeaderColumns(const Catalogue& catalogue, bool twoPipe);
ColumnList targetSectionColumns(const Catalogue& catalogue, bool twoPipe);
ColumnList targetMainEndColumns(bool twoPipe);

// The current lists from a table's fields: every Заг field as "float"; Табл
// fields by their kind, "id" with " PRIMARY KEY"; КонМаг fields "smallint" or "float".
ColumnList currentHeaderColumns(const std::vector<Field>& fields);
ColumnList currentSectionColumns(const std::vector<Field>& fields);
ColumnList currentMainEndColumns(const std::vector<Field>& fields);

}  // namespace volm
