#pragma once
// The data of the printed report: the named data connections of the open
// calculation, copied when the report starts, and what the shipped report
// definitions show besides them (the indicators marked for output, the path of
// every main, the nodes with too little available head).
#include "store/table.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <QVariant>
#include <string>
#include <vector>

namespace volm {

class App;

namespace report {

// One named connection: its fields and the rows in the order the report reads them.
struct Dataset {
    std::vector<Field> fields;
    std::vector<std::vector<QVariant>> rows;

    int index(const QString& name) const;  // -1 when there is no such field
    QVariant value(int row, const QString& name) const;
    // Reads every row of an open cursor in its current order.
    static Dataset fromTable(const Table& t);
};

// An indicator column marked for output.
struct MarkedColumn {
    QString shortName;  // the column name in Заг or Табл
    QString caption;    // the indicator's full name
    QString title;      // caption + " (" + shortName + ")"
};

struct ReportData {
    int networkType = 0;       // ТипСети: 0 one-pipe, 1 two-pipe
    int precision = 2;         // ТочностьЧиселВОтч
    QChar separator = QLatin1Char(',');
    QDate date;

    Dataset nazvRas;   // rcNazvRas: НазвРасч
    Dataset zag;       // rcZag: Заг
    Dataset tabl;      // rcTabl: Табл in the main window's order
    Dataset konMag;    // rcKonMag: КонМаг by id_m
    Dataset nastr;     // rcNastr: Настройки
    Dataset rashPod;   // rcRashPod: the full name of РасхПод
    Dataset rashObr;   // rcRashObr: the full name of РасхОбр

    std::vector<MarkedColumn> headerColumns;   // columns of Заг marked for output
    std::vector<MarkedColumn> sectionColumns;  // indicator columns of Табл marked for output
    std::vector<QString> mainPaths;            // per row of konMag: "1 - 2 - 8 - 12"
    std::vector<int> lowHeadNodes;             // available head below 0.1 m (two-pipe)
    std::vector<QString> warnings;             // of the regime checks, one line per broken rule

    bool twoPipe() const { return networkType == 1; }
};

// Gathers the report data of the open calculation (its pending edits stored
// already). КонМаг is sorted by "id_m ASC" and stays so. Throws volm::Error.
ReportData gatherReportData(App& app);

// A stored value as the report writes it, appended as UTF-8: a float with
// `precision` digits after `separator`, whole numbers plainly, texts as they are,
// nothing for Null.
void appendValue(std::string& out, const QVariant& v, FieldKind kind, int precision, QChar separator);
std::string valueText(const QVariant& v, FieldKind kind, int precision, QChar separator);

// The network type in words for titles: "однотрубной" or "двухтрубной".
QString networkTypeGenitive(int networkType);

}  // namespace report
}  // namespace volm
