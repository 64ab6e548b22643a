#include "output/output_lookup.h"

#include "formulas/catalogue.h"
#include "store/database.h"

namespace volm {

namespace {

QString nodeText(const QVariant& v) { return v.isNull() ? QString() : QString::number(v.toLongLong()); }

OutputColumn column(const Catalogue& catalogue, const QString& name, const QVariant& supplyNode,
                    const QVariant& availNode, bool& output) {
    const OutputLookup found = lookUpOutput(catalogue, name, supplyNode, availNode);
    output = found.output;
    return OutputColumn{name, found.caption, outputTitle(found.caption, name)};
}

}  // namespace

OutputLookup lookUpOutput(const Catalogue& catalogue, const QString& shortName, const QVariant& supplyHeadNode,
                          const QVariant& availableHeadNode) {
    const Indicator* i = catalogue.findPredefined(shortName);
    if (!i) i = catalogue.findUser(shortName);
    if (!i)
        throw OutputLookupError(QStringLiteral("Показатель \"") + shortName +
                                QStringLiteral("\" не найден ни среди предопределенных показателей, ни среди "
                                               "показателей расчетных формул."));
    OutputLookup out;
    out.output = i->inReport;
    if (!i->fullName.isNull()) out.caption = i->fullName.toString();
    if (catalogue.findPredefined(shortName)) {
        if (shortName == QStringLiteral("ПНапНаУзПод"))
            out.caption = QStringLiteral("Полный напор на узле ") + nodeText(supplyHeadNode) +
                          QStringLiteral(" в подающем трубопроводе, м.");
        else if (shortName == QStringLiteral("РНапНаУз"))
            out.caption = QStringLiteral("Располагаемый напор на узле ") + nodeText(availableHeadNode) +
                          QStringLiteral(", м.");
    }
    return out;
}

QString outputTitle(const QString& caption, const QString& shortName) {
    return caption + QStringLiteral(" (") + shortName + QLatin1Char(')');
}

OutputColumns outputColumns(Database& gr) {
    const Catalogue catalogue = Catalogue::load(gr);
    QVariant supplyNode, availNode;
    {
        auto st = gr.prepare(QStringLiteral("SELECT [NузПНапПод], [NузРНап] FROM [НазвРасч] LIMIT 1"));
        if (st->step()) {
            supplyNode = st->column(0);
            availNode = st->column(1);
        }
    }
    OutputColumns out;
    bool output = false;
    for (const Database::ColumnInfo& c : gr.columns(QStringLiteral("Заг"))) {
        OutputColumn col = column(catalogue, c.name, supplyNode, availNode, output);
        if (output) out.header.push_back(std::move(col));
    }
    const std::vector<Database::ColumnInfo> tabl = gr.columns(QStringLiteral("Табл"));
    for (int k = 3; k + 2 < int(tabl.size()); ++k) {
        OutputColumn col = column(catalogue, tabl[size_t(k)].name, supplyNode, availNode, output);
        if (output) out.sections.push_back(std::move(col));
    }
    return out;
}

}  // namespace volm
