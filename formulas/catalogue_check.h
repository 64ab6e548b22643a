#pragma once
// The formula layer's check and rebuild for the App: opening a calculation
// (OtkritFaili) checks its formulas (ProveritFormuli) and, when they pass,
// rebuilds its tables (NastroitStrukturuTablic). The program, the runner and
// tests hand it to the App (App::setCatalogueCheck).
#include "store/catalogue_check.h"

namespace volm {

class FormulaCatalogueCheck final : public CatalogueCheck {
public:
    bool check(App& app) override;
    void rebuild(App& app) override;
};

// Hands a FormulaCatalogueCheck (one for the whole program: it keeps nothing of
// its own) to app.
void useFormulaCheck(App& app);

}  // namespace volm
