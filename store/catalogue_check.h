#pragma once
// What opening a calculation asks of the formula layer: check the indicator
// catalogue and, when it passes, shape the calculation's tables to it. The
// program and the runner hand the formula layer's object to the App; without one
// the catalogue counts as checked and the tables stay as stored.
namespace volm {

class App;

class CatalogueCheck {
public:
    virtual ~CatalogueCheck() = default;
    // Checks the formulas, sets App::FormuliProvereny; true when they pass.
    virtual bool check(App& app) = 0;
    // Rebuilds the tables after a passed check.
    virtual void rebuild(App& app) = 0;

    void checkAndRebuild(App& app) {
        if (check(app)) rebuild(app);
    }
};

}  // namespace volm
