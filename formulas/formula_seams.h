#pragma once
// Connects the formula check and the table rebuild to the application frame, so
// that opening a calculation (OtkritFaili) checks its formulas and, when they
// pass, rebuilds its tables.
namespace volm {

class App;

void installFormulaSeams(App& app);

}  // namespace volm
