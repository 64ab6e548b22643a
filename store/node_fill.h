#pragma once
// Auto-fill of node heights: one geodetic height written into every node of a
// range of node numbers in УзлыТС, and, when asked, the nodes of the range that
// the table lacks added with it. The node numbers of the table are read once
// and the range is written in one ordered pass inside one transaction, so a
// whole range of 32768 numbers over a table of tens of thousands of nodes takes
// a fraction of a second.
#include <QString>
#include <functional>

namespace volm {

class App;

// The texts of the dialog's edits and its check box.
struct NodeFillInput {
    QString first;        // "Начиная с узла номер"
    QString last;         // "по узел номер"
    QString height;       // "записать геодезическую высоту"
    bool addMissing = false;  // "Добавить отсутствующие узлы"
};

// What the fill asks of its dialog while it runs.
struct NodeFillHooks {
    std::function<void(const QString&)> status;  // the dialog's status bar
    std::function<void(bool)> controlsEnabled;   // edits, check box and buttons
};

struct NodeFillResult {
    bool written = false;  // the fill ran to its end ("Данные записаны." shown)
    int updated = 0;       // existing nodes that got the height
    int inserted = 0;      // nodes added
};

// The first and last node numbers of a range must lie in 0..32767 in this order.
bool nodeRangeValid(int first, int last);

// "Записать": reads the three inputs under their error contexts (the standard
// error report shows a failure), refuses a bad range with its message, then
// writes. The status text changes a few times a second, not per node. However
// it ends, the node table's display is resumed, the status cleared and the
// controls enabled again. Rows written before a database error stay written.
NodeFillResult AutoZapolUzlov(App& app, const NodeFillInput& input, const NodeFillHooks& hooks = {});

}  // namespace volm
