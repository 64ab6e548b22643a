#pragma once
// What the core asks of the window that edits the calculation: its grids' cell
// editors may hold typed text not yet in the cursors, and the edits above the
// grids hold the calculation name and the head nodes as typed. The main window
// implements it; without a window (the runner, most tests) nothing is pending.
#include <QString>
#include <optional>

namespace volm {

// The calculation name and the two head nodes, as texts.
struct HeaderTexts {
    QString calcName;
    QString supplyNode;  // NузПНапПод
    QString availNode;   // NузРНап
};

class EditorHost {
public:
    virtual ~EditorHost() = default;
    // The grids hand pending cell texts to their cursors.
    virtual void flushEditors() {}
    // The header grid or the section grid is editing a cell in place.
    virtual bool headerGridEditing() const { return false; }
    virtual bool sectionGridEditing() const { return false; }
    // The name and node edits as typed; nothing when no one types them (the
    // stored values stay as they are).
    virtual std::optional<HeaderTexts> typedHeader() const { return std::nullopt; }
};

}  // namespace volm
