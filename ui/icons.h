#pragma once
// The toolbar's images, drawn at start-up (no image files to ship).
#include <QIcon>

namespace volm::ui {

enum class IconId {
    NewCalc,
    OpenCalc,
    SaveCalc,
    SaveCalcAs,
    SelectAll,
    DeleteRecords,
    DeleteAll,
    InitialData,
    RepeatedData,
    Run,
    Report,
    Excel,
    Chart,
    SortBySections,
    SortByCounter,
    Help,
    About,
};

QIcon icon(IconId id);

}  // namespace volm::ui
