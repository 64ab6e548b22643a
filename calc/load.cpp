#include "calc/load.h"

#include "calc/run_data.h"
#include "calc/stages.h"
#include "formulas/reference_data.h"
#include "store/app.h"
#include "store/errors.h"

namespace volm::calc {

namespace {

Table& cursor(const std::unique_ptr<Table>& t, const char* name) {
    if (!t || !t->isOpen())
        throw DatabaseError(QStringLiteral("Таблица \"%1\" не открыта.").arg(QString::fromUtf8(name)));
    return *t;
}

double toDouble(const QVariant& v) {
    // The kinds a cursor holds for number fields, without the general conversion.
    switch (v.typeId()) {
    case QMetaType::Double: return *static_cast<const double*>(v.constData());
    case QMetaType::Int: return *static_cast<const int*>(v.constData());
    default: break;
    }
    if (v.isNull()) return kNull;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : kNull;
}

int toNode(const QVariant& v) {
    if (v.typeId() == QMetaType::Int) return *static_cast<const int*>(v.constData());
    return v.isNull() ? kNullNode : v.toInt();
}

qint64 toKey(const QVariant& v) {
    if (v.typeId() == QMetaType::Int) return *static_cast<const int*>(v.constData());
    return v.toLongLong();
}

std::vector<Indicator> readIndicators(Table& t) {
    const int fShort = t.fieldIndex(QStringLiteral("НаимПокСокр"));
    const int fName = t.fieldIndex(QStringLiteral("НаимПок"));
    const int fFormula = t.fieldIndex(QStringLiteral("Формула"));
    const int fTable = t.fieldIndex(QStringLiteral("Табл"));
    const int fEntered = t.fieldIndex(QStringLiteral("ВводПольз"));
    if (fShort < 0 || fName < 0 || fFormula < 0 || fTable < 0 || fEntered < 0)
        throw DatabaseError(QStringLiteral("Таблица \"%1\" не содержит полей показателя.").arg(t.tableName()));
    std::vector<Indicator> out;
    out.reserve(size_t(t.rowCount()));
    for (int r = 0; r < t.rowCount(); ++r) {
        Indicator i;
        i.shortName = t.valueAt(r, fShort).toString();
        const QVariant name = t.valueAt(r, fName);
        if (!name.isNull()) i.fullName = name.toString();
        const QVariant formula = t.valueAt(r, fFormula);
        if (!formula.isNull()) i.formula = formula.toString();
        i.table = t.valueAt(r, fTable).toBool();
        i.entered = t.valueAt(r, fEntered).toBool();
        out.push_back(std::move(i));
    }
    return out;
}

std::vector<Priority> readPriorities(Database& db, const QString& table) {
    auto st = db.prepare(QStringLiteral("SELECT \"Показатель\", \"Nприоритета\" FROM \"%1\" "
                                        "ORDER BY \"Nприоритета\", rowid")
                             .arg(table));
    std::vector<Priority> out;
    while (st->step()) {
        Priority p;
        const QVariant name = st->column(0);
        p.name = name.isNull() ? QString() : name.toString();
        p.rank = st->column(1).toInt();
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace

void readRunSettings(RunData& d) {
    DataModule& dm = d.app.dm;
    Table& settings = cursor(dm.atNastr, "Настройки");
    settings.first();
    d.precision = settings.value(QStringLiteral("ТочностьЧиселВОтч")).toInt();
    d.keepText = settings.value(QStringLiteral("СохрТекстРас")).toBool();
    Table& name = cursor(dm.atNazvRasch, "НазвРасч");
    name.first();
    // Anything but 0 or 1 (text, a fraction, another number) is kept as -1,
    // which the run refuses.
    const QVariant type = name.value(QStringLiteral("ТипСети"));
    bool typeOk = false;
    const double t = type.isNull() ? -1 : type.toDouble(&typeOk);
    d.networkType = typeOk && (t == 0 || t == 1) ? int(t) : -1;
    d.computeFlows = name.value(QStringLiteral("РасчРасх")).toBool();
}

void loadCalculation(RunData& d) {
    DataModule& dm = d.app.dm;
    Database& gr = dm.acGR;

    Table& name = cursor(dm.atNazvRasch, "НазвРасч");
    name.first();
    d.calcName = name.value(QStringLiteral("НазвРасч"));
    d.startNode = toNode(name.value(QStringLiteral("NНачУз")));
    d.supplyNode = toNode(name.value(QStringLiteral("NузПНапПод")));
    d.availNode = toNode(name.value(QStringLiteral("NузРНап")));

    // Заг: the first row.
    Table& zag = cursor(dm.atZag, "Заг");
    {
        std::vector<QString> names;
        for (const Field& f : zag.fields()) names.push_back(f.name);
        d.header.setColumns(std::move(names), 1);
        if (zag.rowCount() > 0) {
            d.headerRead = true;
            d.headerRowid = zag.rowidAt(0);
            for (int c = 0; c < d.header.width; ++c) d.header.values[size_t(c)] = toDouble(zag.valueAt(0, c));
        }
    }

    // Табл: every row as the section grid orders it.
    Table& tabl = cursor(dm.atTabl, "Табл");
    {
        const int rows = tabl.recordCount();
        std::vector<QString> names;
        for (const Field& f : tabl.fields()) names.push_back(f.name);
        d.sections.setColumns(std::move(names), rows);
        d.sections.storedAsText = true;
        const int fId = tabl.fieldIndex(QStringLiteral("id"));
        const int fStart = tabl.fieldIndex(QStringLiteral("НачУзел"));
        const int fEnd = tabl.fieldIndex(QStringLiteral("КонУзел"));
        if (fId < 0 || fStart < 0 || fEnd < 0)
            throw DatabaseError(QStringLiteral("Таблица \"Табл\" не содержит полей id, НачУзел, КонУзел."));
        d.ids.resize(size_t(rows));
        d.startOf.resize(size_t(rows));
        d.endOf.resize(size_t(rows));
        std::vector<char> numeric(size_t(d.sections.width));
        for (int c = 0; c < d.sections.width; ++c) numeric[size_t(c)] = tabl.fields()[size_t(c)].kind != FieldKind::Text;
        // The columns the run sets to Null before it reads them (stage 5) are
        // not read. The catalogue is read again below, where its faults are
        // reported in their turn.
        try {
            d.userIndicators = readIndicators(cursor(dm.atFormuli, "Формулы"));
            for (const QString& name : clearedSectionColumns(d))
                if (const int c = d.sections.col(name); c >= 0) numeric[size_t(c)] = 0;
        } catch (const DatabaseError&) {
        }
        int r = 0;
        for (int row = 0; row < tabl.rowCount() && r < rows; ++row) {
            if (tabl.rowidAt(row) == 0) continue;  // a row being inserted is not stored
            double* out = d.sections.values.data() + size_t(r) * size_t(d.sections.width);
            for (int c = 0; c < d.sections.width; ++c)
                if (numeric[size_t(c)]) out[c] = toDouble(tabl.valueAt(row, c));
            d.ids[size_t(r)] = toKey(tabl.valueAt(row, fId));
            d.startOf[size_t(r)] = toNode(tabl.valueAt(row, fStart));
            d.endOf[size_t(r)] = toNode(tabl.valueAt(row, fEnd));
            ++r;
        }
    }

    // Nodes and head changes.
    d.nodes.reserve(size_t(d.sections.rowCount()) + 1);
    {
        auto st = gr.prepare(QStringLiteral("SELECT \"Nуз\", \"ГеодВыс\" FROM \"УзлыТС\" ORDER BY \"Nуз\", rowid"));
        while (st->step()) {
            const QVariant n = st->column(0);
            if (n.isNull()) continue;
            d.nodes.tryEmplace(n.toInt(), toDouble(st->column(1)));
        }
    }
    {
        auto st = gr.prepare(QStringLiteral(
            "SELECT \"Nуз\", \"ТрПр\", \"ИзмПНап\" FROM \"ИзмПНапВУзлахТС\" ORDER BY \"Nуз\", \"ТрПр\", rowid"));
        while (st->step()) {
            const QVariant n = st->column(0);
            if (n.isNull()) continue;
            const bool ret = st->column(1).toBool();
            const double change = toDouble(st->column(2));
            (ret ? d.changeRet : d.changeSup).tryEmplace(n.toInt(), isNull(change) ? 0.0 : change);
        }
    }

    d.userIndicators = readIndicators(cursor(dm.atFormuli, "Формулы"));
    d.predefined = readIndicators(cursor(dm.atFlyPredoprPok, "ФлыПредопрПок"));
    d.headerOrder = readPriorities(gr, QStringLiteral("ПриоритетыЗаг"));
    d.tableOrder = readPriorities(gr, QStringLiteral("ПриоритетыТабл"));

    d.reference = std::make_unique<ReferenceData>(ReferenceData::load(dm, d.app.locale));
}

}  // namespace volm::calc
