#include "store/section_store.h"

#include "store/app.h"
#include "store/command.h"
#include "store/controls_pause.h"
#include "store/errors.h"
#include "store/records.h"

namespace volm {

void storeSectionOnPost(App& app, Table& sections) {
    UstanovitRasVip(app, false);
    if (sections.state() == Table::State::Insert) return;

    // The repeated-data mark Заполн_Уч is written only by its own dialog.
    std::vector<int> fields;
    for (int i = 1; i < sections.fieldCount(); ++i)
        if (sections.fields()[size_t(i)].name != QStringLiteral("Заполн_Уч")) fields.push_back(i);
    const qint64 id = sections.value(QStringLiteral("id")).toLongLong();
    storeRow(sections, fields, false);

    // The values are in the file: the cursor shows them as read back, browsing
    // on the stored row; a move that led here goes on from that row.
    ControlsPause pause(&sections);
    sections.cancel();
    sections.requery();
    const int r = rowWithId(sections, id);
    if (r >= 0) sections.setCurrentRow(r);
}

}  // namespace volm
