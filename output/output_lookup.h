#pragma once
// Output lookup of an indicator: which columns of the header (Заг) and of the
// section table (Табл) a report shows, with the caption and the column title it
// writes over each. The printed report and the spreadsheet export share it.
#include "store/errors.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace volm {

class Database;
struct Catalogue;

// An indicator column marked for output ("Выводить в отчет").
struct OutputColumn {
    QString shortName;  // the column name in Заг or Табл: the indicator's short name
    QString caption;    // its full name; ПНапНаУзПод and РНапНаУз name their node
    QString title;      // caption + " (" + shortName + ")"
};

struct OutputColumns {
    std::vector<OutputColumn> header;    // columns of Заг, in table order
    std::vector<OutputColumn> sections;  // indicator columns of Табл, in table order
};

// A column whose indicator is neither predefined nor a user indicator.
class OutputLookupError : public Error {
public:
    explicit OutputLookupError(QString message)
        : Error(QStringLiteral("EOutputLookupError"), std::move(message)) {}
};

struct OutputLookup {
    bool output = false;  // ВывВОтчТабл
    QString caption;      // "" when the full name is Null
};

// Looks one short name up: among the predefined indicators first, then among the
// user indicators. supplyHeadNode and availableHeadNode are НазвРасч.NузПНапПод
// and NузРНап (Null leaves the number out of the caption). Throws
// OutputLookupError when neither catalogue has the name.
OutputLookup lookUpOutput(const Catalogue& catalogue, const QString& shortName, const QVariant& supplyHeadNode,
                          const QVariant& availableHeadNode);

// The title written over an exported column.
QString outputTitle(const QString& caption, const QString& shortName);

// The columns of the open calculation file gr that are marked for output: every
// column of Заг, and the indicator columns of Табл (from the fourth to the third
// from last: after id, НачУзел, КонУзел and before Примечание, Заполн_Уч).
// Throws OutputLookupError for a column found in neither catalogue and
// DatabaseError when the file cannot be read.
OutputColumns outputColumns(Database& gr);

}  // namespace volm
