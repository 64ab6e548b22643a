// SohranitDannie: the commit of the main window's pending edits.
#include "store/errors.h"
#include "store/records.h"
#include "store/startup.h"

#include <optional>

namespace volm {

namespace {

// A node edit's text as a 16-bit node number; nothing for any other text.
// A number that does not fit 16 bits is not a node number and is not stored
// (it would otherwise land in the file as some other number).
std::optional<qint16> nodeNumber(const QString& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok || n < -32768 || n > 32767) return std::nullopt;
    return qint16(n);
}

void storeNode(App& app, Table& name, const QString& text, const QString& column) {
    const auto n = nodeNumber(text);
    if (!n) return;
    const QVariant stored = name.value(column);
    if (!stored.isNull() && stored.toLongLong() == *n) return;
    UstanovitRasVip(app, false);
    name.first();
    name.edit();
    name.setValue(column, int(*n));
    name.post();
}

}  // namespace

void SohranitDannie(App& app) {
    DataModule& dm = app.dm;
    EditorHost& editors = app.editors();
    const bool headerEditing = editors.headerGridEditing();
    const bool sectionEditing = editors.sectionGridEditing();
    editors.flushEditors();

    if (Table* zag = dm.atZag.get(); zag && zag->isOpen() && (headerEditing || zag->modified())) {
        zag->edit();
        zag->post();
    }
    if (Table* tabl = dm.atTabl.get(); tabl && tabl->isOpen() && (sectionEditing || tabl->modified())) {
        UstanovitRasVip(app, false);
        if (tabl->currentRow() >= 0) tabl->edit();  // a row being inserted stays so
        ZapisatUchastok(app);
    }
    Table* name = dm.atNazvRasch.get();
    const std::optional<HeaderTexts> typed = editors.typedHeader();
    if (!name || !name->isOpen() || !typed) return;
    name->first();
    name->edit();
    // An empty name is no name: Null, as a fresh file has it.
    name->setValue(QStringLiteral("НазвРасч"), typed->calcName.isEmpty() ? QVariant() : QVariant(typed->calcName));
    name->post();
    storeNode(app, *name, typed->supplyNode, QStringLiteral("NузПНапПод"));
    storeNode(app, *name, typed->availNode, QStringLiteral("NузРНап"));
}

}  // namespace volm
