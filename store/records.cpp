#include "store/records.h"

#include "store/app.h"
#include "store/command.h"
#include "store/controls_pause.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/section_store.h"
#include "store/sql_names.h"

namespace volm {

void UstanovitRasVip(App& app, bool value) {
    if (value == app.RasVip) return;
    app.RasVip = value;
    Table* t = app.dm.atNazvRasch.get();
    if (!t || !t->isOpen()) return;
    t->first();
    t->edit();
    t->setValue(QStringLiteral("РасчетВыполнен"), value);
    t->post();
}

QString sqlValueText(const Field& field, const QVariant& value) {
    if (value.isNull()) return QStringLiteral("Null");
    switch (field.kind) {
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::Byte:
        return QString::number(value.toLongLong());
    case FieldKind::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldKind::Float:
        return formatChisel(value.toDouble());
    case FieldKind::Text:
    case FieldKind::Unknown:
        break;
    }
    if (field.kind == FieldKind::Unknown) {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return QString::number(value.toLongLong());
        case QMetaType::Double:
            return formatChisel(value.toDouble());
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        default:
            break;
        }
    }
    QString s = value.toString();
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

std::vector<BoundStatement> updateStatements(const Table& t, const std::vector<int>& fields) {
    const QString head = QStringLiteral("UPDATE ") + quoteIdentifier(t.tableName()) + QStringLiteral(" SET ");
    const QVariant id = t.value(QStringLiteral("id"));
    std::vector<BoundStatement> out;
    BoundStatement cur;
    QStringList pairs;
    auto flush = [&] {
        cur.sql = head + pairs.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + quoteIdentifier(QStringLiteral("id")) +
                  QStringLiteral(" = ?") + QString::number(pairs.size() + 1);
        cur.values.push_back(id);
        out.push_back(std::move(cur));
        cur = {};
        pairs.clear();
    };
    for (int f : fields) {
        const Field& fd = t.fields()[size_t(f)];
        pairs << quoteIdentifier(fd.name) + QStringLiteral(" = ?") + QString::number(pairs.size() + 1);
        cur.values.push_back(t.value(f));
        if (pairs.size() == 10) flush();
    }
    if (!pairs.isEmpty()) flush();
    return out;
}

void storeRow(const Table& t, const std::vector<int>& fields, bool insertKey) {
    Database& db = t.database();
    Transaction tx(db);
    if (insertKey) {
        auto st = db.prepare(QStringLiteral("INSERT INTO ") + quoteIdentifier(t.tableName()) + QStringLiteral(" (") +
                             quoteIdentifier(QStringLiteral("id")) + QStringLiteral(") VALUES (?1)"));
        st->bind(1, t.value(QStringLiteral("id")));
        st->run();
    }
    for (const BoundStatement& b : updateStatements(t, fields)) {
        auto st = db.prepare(b.sql);
        for (size_t k = 0; k < b.values.size(); ++k) st->bind(int(k + 1), b.values[k]);
        st->run();
    }
    tx.commit();
}

int rowWithId(const Table& t, qint64 id) {
    const int idField = t.fieldIndex(QStringLiteral("id"));
    if (idField < 0) return -1;
    for (int r = 0; r < t.rowCount(); ++r) {
        const QVariant v = t.valueAt(r, idField);
        if (!v.isNull() && v.toLongLong() == id) return r;
    }
    return -1;
}

void ZapisatUchastok(App& app) {
    Table* t = app.dm.atTabl.get();
    if (!t || !t->isOpen()) return;
    if (t->recordCount() == 0 && t->state() != Table::State::Insert) return;
    app.editors().flushEditors();
    // A new row nothing was typed into is no section of the person's: it goes.
    if (t->state() == Table::State::Insert && !t->modified()) {
        t->cancel();
        return;
    }

    // A row whose key could not be generated is refused rather than stored
    // under key 0: every section keeps a positive key of its own.
    const QVariant idValue = t->value(QStringLiteral("id"));
    if (idValue.isNull())
        throw DatabaseError(QStringLiteral("Поле id участка не заполнено: участок не может быть сохранен."));

    // A new row is written whole; of a row read from the file only what was
    // changed, so that a value another writer stored meanwhile stays.
    const bool inserting = t->state() == Table::State::Insert;
    std::vector<int> fields;
    if (inserting) {
        for (int i = 1; i < t->fieldCount(); ++i) fields.push_back(i);
    } else {
        for (int i : t->changedFields())
            if (i > 0) fields.push_back(i);
    }
    if (inserting || !fields.empty()) storeRow(*t, fields, inserting);
    // The cursor shows the row as the file holds it, browsing on it; should it
    // be gone (a statement of another command removed it), it leaves the cursor.
    t->acceptStored(fields);
}

void OchistitTablicu(Table& t) {
    ControlsPause pause(&t);
    t.first();
    while (!t.isEmpty()) t.remove();
}

ListMatch NaitiVSpiske(const QStringList& items, const QString& text) {
    const QString wanted = text.toUpper();
    for (int i = 0; i < items.size(); ++i)
        if (items[i].toUpper() == wanted) return {i, items[i]};
    return {};
}

qint64 nextSectionKey(const std::vector<qint64>& sortedKeys) {
    if (sortedKeys.empty()) return 1;
    if (sortedKeys.back() < kMaxSectionKey) return sortedKeys.back() + 1;
    qint64 i = 1;
    for (qint64 key : sortedKeys) {
        if (i > kMaxSectionKey) return 0;
        if (i < key) return i;
        ++i;
    }
    return 0;
}

void newSectionRow(App& app, Table& sections) {
    runReported(app.person(), [&](ErrorContext& ctx) {
        // What a second cursor on the file would show, read without reading
        // the rows: the end node of the last row in the grid's order, and the
        // keys in use.
        ctx = QStringLiteral("Ошибка при генерации значений номеров начального и конечного узла участка.");
        Database& db = app.dm.acGR;
        auto last = db.query(QStringLiteral("SELECT КонУзел FROM (SELECT КонУзел, row_number() OVER (ORDER BY %1) AS n "
                                            "FROM Табл) ORDER BY n DESC LIMIT 1")
                                 .arg(sortTerms(sections.sort(), sections.fields())));
        last->open();
        qint64 a = 0;
        if (!last->isEmpty() && !last->valueAt(0, 0).isNull()) a = last->valueAt(0, 0).toLongLong();
        sections.setValue(QStringLiteral("НачУзел"), a);
        if (a < 32767) sections.setValue(QStringLiteral("КонУзел"), a + 1);

        ctx = QStringLiteral("Ошибка при генерации значения ключевого поля.");
        std::vector<qint64> used;
        auto highest = db.query(QStringLiteral("SELECT max(id) FROM Табл"));
        highest->open();
        const QVariant top = highest->valueAt(0, 0);
        if (!top.isNull() && top.toLongLong() < kMaxSectionKey) {
            used.push_back(top.toLongLong());  // the next key follows the highest
        } else if (!top.isNull()) {
            auto keys = db.query(QStringLiteral("SELECT id FROM Табл WHERE id IS NOT NULL ORDER BY id"));
            keys->open();
            used.reserve(size_t(keys->rowCount()));
            for (int r = 0; r < keys->rowCount(); ++r) used.push_back(keys->valueAt(r, 0).toLongLong());
        }
        const qint64 key = nextSectionKey(used);
        if (key != 0)
            sections.setValue(QStringLiteral("id"), key);
        else
            app.person().message(QStringLiteral("Невозможно сгенерировать значение ключевого поля."));
    });
}

namespace {

void refuse(Table&) { throw Abort(); }

// The required fields of a user indicator, with their captions in the
// formulas window: an empty one is refused in the window's own words, naming
// the field, and the row stays in editing.
void refuseEmptyIndicatorFields(App& app, Table& t) {
    static const char* const required[][2] = {
        {"НаимПокСокр", "Сокр. наименование показателя"},
        {"Табл", "Табличный (Т) или заголовочный (З)"},
        {"ВводПольз", "Вводится пользователем"},
        {"ВывВОтчТабл", "Выводить в отчет"},
    };
    for (const auto& [field, caption] : required) {
        const int f = t.fieldIndex(QString::fromUtf8(field));
        if (f < 0) continue;
        const QVariant v = t.value(f);
        if (!v.isNull() && !(v.typeId() == QMetaType::QString && v.toString().isEmpty())) continue;
        const QVariant shortName = t.value(QStringLiteral("НаимПокСокр"));
        app.person().message(QStringLiteral("Показатели расчета:\rСокр. наименование показателя: \"") +
                             (shortName.isNull() ? QString() : shortName.toString()) + QStringLiteral("\":\r\rПоле \"") +
                             QString::fromUtf8(caption) + QStringLiteral("\" должно быть заполнено."));
        throw Abort();
    }
}

void guardDelete(const std::unique_ptr<Table>& t) {
    if (t) t->beforeDelete = refuse;
}

}  // namespace

void attachCalculationEvents(App& app) {
    DataModule& dm = app.dm;
    if (dm.atZag) {
        dm.atZag->beforeInsert = refuse;
        dm.atZag->beforeDelete = refuse;
        dm.atZag->beforePost = [&app](Table&) { UstanovitRasVip(app, false); };
    }
    if (dm.atFlyPredoprPok) {
        dm.atFlyPredoprPok->beforeInsert = refuse;
        dm.atFlyPredoprPok->beforeDelete = refuse;
    }
    guardDelete(dm.atFormuli);
    guardDelete(dm.atTabl);
    guardDelete(dm.atUzliTS);
    guardDelete(dm.atIzmPNapVUzlahTS);
    if (dm.atUzliTS) {
        dm.atUzliTS->beforePost = [&app](Table& t) {
            const QVariant n = t.value(QStringLiteral("Nуз"));
            if (n.isNull()) {
                // A node is known by its number: a row without one is no node.
                app.person().message(QStringLiteral("Поле \"Номер узла\" должно быть заполнено."));
                throw Abort();
            }
            if (n.toLongLong() < 0) {
                app.person().message(
                    QStringLiteral("Параметр \"Номер узла\" должен быть целым числом из диапазона [0...32767]."));
                throw Abort();
            }
        };
    }
    if (dm.atFormuli) dm.atFormuli->beforePost = [&app](Table& t) { refuseEmptyIndicatorFields(app, t); };
    if (dm.atTabl) {
        dm.atTabl->afterInsert = [&app](Table& t) { newSectionRow(app, t); };
        dm.atTabl->beforePost = [&app](Table& t) { storeSectionOnPost(app, t); };
    }
}

void attachReferenceEvents(App& app) {
    guardDelete(app.dm.atDiamTrPr);
    guardDelete(app.dm.atPlVodiOtT);
    guardDelete(app.dm.atPoprKoefKUdPot);
}

}  // namespace volm
