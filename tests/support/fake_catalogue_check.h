#pragma once
// Test stand-ins for what the store asks of the layers above it: a catalogue
// check that runs the test's own functions, and an editor host whose editors
// the test scripts.
#include "store/catalogue_check.h"
#include "store/editor_host.h"

#include <functional>

namespace volm::test {

struct FakeCatalogueCheck : CatalogueCheck {
    std::function<bool(App&)> onCheck;   // unset: the check passes
    std::function<void(App&)> onRebuild;
    bool check(App& app) override { return onCheck ? onCheck(app) : true; }
    void rebuild(App& app) override {
        if (onRebuild) onRebuild(app);
    }
};

struct FakeEditorHost : EditorHost {
    std::function<void()> onFlush;
    bool headerEditing = false;
    bool sectionEditing = false;
    std::optional<HeaderTexts> typed;  // the name and node edits; nothing: no edits
    void flushEditors() override {
        if (onFlush) onFlush();
    }
    bool headerGridEditing() const override { return headerEditing; }
    bool sectionGridEditing() const override { return sectionEditing; }
    std::optional<HeaderTexts> typedHeader() const override { return typed; }
};

}  // namespace volm::test
