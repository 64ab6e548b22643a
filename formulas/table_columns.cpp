#include "formulas/table_columns.h"

#include "store/sql_names.h"

namespace volm {

namespace {

ColumnSpec flt(const QString& name) { return {name, FieldKind::Float, 0, false}; }
ColumnSpec flt(const char* name) { return flt(QString::fromUtf8(name)); }

void addUser(ColumnList& out, const Catalogue& catalogue, bool table) {
    for (const Indicator& i : catalogue.user)
        if (i.table == table) out.push_back(flt(i.shortName));
}

}  // namespace

QString columnTypeText(const ColumnSpec& c) {
    QString t;
    switch (c.kind) {
    case FieldKind::SmallInt: t = QStringLiteral("smallint"); break;
    case FieldKind::Integer: t = QStringLiteral("integer"); break;
    case FieldKind::Byte: t = QStringLiteral("byte"); break;
    case FieldKind::Bool: t = QStringLiteral("bit"); break;
    case FieldKind::Text: t = QStringLiteral("text(%1)").arg(c.size); break;
    case FieldKind::Float: t = QStringLiteral("float"); break;
    case FieldKind::Unknown: t = QStringLiteral("unknown"); break;
    }
    if (c.primaryKey) t += QStringLiteral(" PRIMARY KEY");
    return t;
}

QString columnListText(const ColumnList& columns) {
    QString s = QStringLiteral("(");
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) s += QStringLiteral(", ");
        s += quoteIdentifier(columns[i].name) + QLatin1Char(' ') + columnTypeText(columns[i]);
    }
    return s + QStringLiteral(")");
}

ColumnList targetHeaderColumns(const Catalogue& catalogue, bool twoPipe) {
    ColumnList out;
    addUser(out, catalogue, false);
    out.push_back(flt("ПНапНаУзПод"));
    if (twoPipe) out.push_back(flt("РНапНаУз"));
    for (const char* n : {"МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод"}) out.push_back(flt(n));
    if (twoPipe)
        for (const char* n : {"МаксДлОбр", "МаксСумДлПодОбр"}) out.push_back(flt(n));
    for (const char* n : {"МинТВоды", "МаксТВоды"}) out.push_back(flt(n));
    return out;
}

ColumnList targetSectionColumns(const Catalogue& catalogue, bool twoPipe) {
    ColumnList out;
    out.push_back({QStringLiteral("id"), FieldKind::Integer, 0, true});
    out.push_back({QStringLiteral("НачУзел"), FieldKind::SmallInt, 0, false});
    out.push_back({QStringLiteral("КонУзел"), FieldKind::SmallInt, 0, false});
    out.push_back(flt("ГеодВысНач"));
    out.push_back(flt("ГеодВысКон"));
    // Supply and, for a two-pipe network, return pipeline, pair by pair.
    for (const char* base : {"Расх", "ДлНаУч", "ДлНач", "ДлКон", "ТВодыНач", "ТВодыКон"}) {
        out.push_back(flt(QString::fromUtf8(base) + QStringLiteral("Под")));
        if (twoPipe) out.push_back(flt(QString::fromUtf8(base) + QStringLiteral("Обр")));
    }
    addUser(out, catalogue, true);
    for (const char* base : {"ПотНОтИНач", "ПотНОтИКон", "ПНапНач"}) {
        out.push_back(flt(QString::fromUtf8(base) + QStringLiteral("Под")));
        if (twoPipe) out.push_back(flt(QString::fromUtf8(base) + QStringLiteral("Обр")));
    }
    out.push_back(flt("ПНапКонПод"));
    if (twoPipe)
        for (const char* n : {"ПНапКонОбр", "РНапНач", "РНапКон"}) out.push_back(flt(n));
    // The end-section mark, in files whose catalogue has it.
    if (catalogue.findPredefined(QStringLiteral("КонУч"))) out.push_back(flt("КонУч"));
    out.push_back({QStringLiteral("Примечание"), FieldKind::Text, 255, false});
    out.push_back({QStringLiteral("Заполн_Уч"), FieldKind::Text, 1, false});
    return out;
}

ColumnList targetMainEndColumns(bool twoPipe) {
    ColumnList out;
    out.push_back({QStringLiteral("id_m"), FieldKind::SmallInt, 0, false});
    out.push_back({QStringLiteral("КонУзел"), FieldKind::SmallInt, 0, false});
    for (const char* n : {"ДлМагПод", "ПотНОтИПод", "ПНапПод"}) out.push_back(flt(n));
    if (twoPipe)
        for (const char* n : {"ДлМагОбр", "ДлМагСум", "ПотНОтИОбр", "ПНапОбр", "РНап"}) out.push_back(flt(n));
    return out;
}

ColumnList currentHeaderColumns(const std::vector<Field>& fields) {
    ColumnList out;
    for (const Field& f : fields) out.push_back(flt(f.name));
    return out;
}

ColumnList currentSectionColumns(const std::vector<Field>& fields) {
    ColumnList out;
    for (const Field& f : fields)
        out.push_back({f.name, f.kind, f.kind == FieldKind::Text ? f.size : 0, f.name == QLatin1String("id")});
    return out;
}

ColumnList currentMainEndColumns(const std::vector<Field>& fields) {
    ColumnList out;
    for (const Field& f : fields)
        out.push_back({f.name, f.kind == FieldKind::SmallInt ? FieldKind::SmallInt : FieldKind::Float, 0, false});
    return out;
}

}  // namespace volm
