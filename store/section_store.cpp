#include "store/section_store.h"

#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/records.h"

namespace volm {

void storeSectionOnPost(App& app, Table& sections) {
    UstanovitRasVip(app, false);
    if (sections.state() == Table::State::Insert) return;

    // Only the fields the person changed are written: a value another writer
    // stored in the row meanwhile stays. The repeated-data mark Заполн_Уч is
    // written only by its own dialog.
    std::vector<int> fields;
    for (int i : sections.changedFields())
        if (i > 0 && sections.fields()[size_t(i)].name != QStringLiteral("Заполн_Уч")) fields.push_back(i);
    if (!fields.empty()) storeRow(sections, fields, false);

    // The values are in the file: the cursor shows the row as read back,
    // browsing on it; a move that led here goes on from that row.
    sections.acceptStored(fields);
}

}  // namespace volm
