#include "store/section_store.h"

#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/records.h"

namespace volm {

int arrowLandingRow(int recNo, int recordCount, int keyCode) {
    if (keyCode == kKeyUp && recNo > 1) return recNo - 1;
    if (keyCode == kKeyDown && recNo < recordCount) return recNo + 1;
    return recNo;
}

void storeSectionOnPost(App& app, Table& sections) {
    UstanovitRasVip(app, false);
    if (sections.state() == Table::State::Insert) return;

    // The repeated-data mark Заполн_Уч is written only by its own dialog.
    std::vector<int> fields;
    for (int i = 1; i < sections.fieldCount(); ++i)
        if (sections.fields()[size_t(i)].name != QStringLiteral("Заполн_Уч")) fields.push_back(i);
    for (const QString& sql : updateStatements(sections, fields)) sections.database().exec(sql);

    if (app.sectionGridsFocused && app.sectionGridsFocused()) {
        int r = sections.recNo();
        sections.disableControls();
        Finally resume([&] { sections.enableControls(); });
        sections.cancel();
        sections.requery();
        r = arrowLandingRow(r, sections.recordCount(), app.PoslKlavisha);
        if (!sections.isEmpty()) {
            sections.first();
            sections.moveBy(r - 1);
        }
    }
    throw Abort();
}

}  // namespace volm
