#pragma once
// The store of an edited section row on post. The columns of Табл follow the
// indicator catalogue, so an existing row is written through UPDATE statements
// (the fields the person changed, never id and Заполн_Уч, ten pairs a
// statement, one transaction) in place of the cursor's own post; a new row is
// posted by the cursor itself.
#include "store/table.h"

namespace volm {

class App;

// Before-post handler of the section cursor. For an existing row it stores the
// values, re-reads that row and leaves the cursor browsing on it;
// for a row being inserted it returns with the row still to be posted.
void storeSectionOnPost(App& app, Table& sections);

}  // namespace volm
