#include "formulas/catalogue_check.h"

#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/app.h"

namespace volm {

bool FormulaCatalogueCheck::check(App& app) { return ProveritFormuli(app); }

void FormulaCatalogueCheck::rebuild(App& app) { NastroitStrukturuTablic(app); }

void useFormulaCheck(App& app) {
    static FormulaCatalogueCheck check;
    app.setCatalogueCheck(&check);
}

}  // namespace volm
