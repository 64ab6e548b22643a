#include "formulas/formula_seams.h"

#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/app.h"

namespace volm {

void installFormulaSeams(App& app) {
    app.checkFormulas = [](App& a) { return ProveritFormuli(a); };
    app.rebuildTables = [](App& a) { NastroitStrukturuTablic(a); };
}

}  // namespace volm
