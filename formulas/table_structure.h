#pragma once
// NastroitStrukturuTablic: the columns of Заг, Табл and КонМаг follow the
// catalogue and the network type; the main window's column visibility and the
// caption tables ВКолЗаг and ВКолТабл of the scratch database follow them too.
#include "formulas/catalogue.h"
#include <QString>
#include <QVariant>
#include <vector>

namespace volm {

class App;
class Table;

// One shown column of a grid: its caption (the indicator's full name, Null allowed).
struct ShownColumn {
    QString field;
    QVariant caption;
};

// The shown columns of the header grid, in column order: the fields whose
// indicator (predefined first, then user) is entered by the user.
std::vector<ShownColumn> headerShownColumns(const std::vector<QString>& fields, const Catalogue& catalogue);
// The shown columns of the section grid: НачУзел, КонУзел, the user-entered
// indicators between ГеодВысКон and Примечание, then Примечание.
std::vector<ShownColumn> sectionShownColumns(const std::vector<QString>& fields, const Catalogue& catalogue);

void NastroitStrukturuTablic(App& app);

}  // namespace volm
