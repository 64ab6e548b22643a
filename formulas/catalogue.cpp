#include "formulas/catalogue.h"

#include "formulas/formula_text.h"
#include "store/collation.h"
#include "store/database.h"
#include "store/formula_columns.h"

namespace volm {

namespace {

QString text(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

std::vector<Indicator> read(Database& gr, const QString& sql, bool predefined, bool afterHeads = false) {
    std::vector<Indicator> out;
    auto st = gr.prepare(sql);
    while (st->step()) {
        Indicator i;
        i.fullName = st->column(0);
        if (!i.fullName.isNull()) i.fullName = i.fullName.toString();
        i.shortName = text(st->column(1));
        i.table = st->column(2).toBool();
        i.userEntered = st->column(3).toBool();
        i.formula = text(st->column(4));
        i.inReport = st->column(5).toBool();
        if (predefined) {
            i.onePipe = st->column(6).toBool();
            i.twoPipe = st->column(7).toBool();
        } else if (afterHeads) {
            i.afterHeads = st->column(6).toBool();
        }
        out.push_back(std::move(i));
    }
    return out;
}

const Indicator* findIn(const std::vector<Indicator>& list, const QString& shortName) {
    for (const auto& i : list)
        if (i.shortName == shortName) return &i;
    return nullptr;
}

}  // namespace

const Indicator* Catalogue::findUser(const QString& shortName) const { return findIn(user, shortName); }
const Indicator* Catalogue::findPredefined(const QString& shortName) const { return findIn(predefined, shortName); }
const Indicator* Catalogue::find(const QString& shortName) const {
    if (const Indicator* i = findUser(shortName)) return i;
    return findPredefined(shortName);
}

Catalogue Catalogue::load(Database& gr) {
    Catalogue c;
    // Ties keep the file order, as the sorted cursors show them.
    const bool afterHeads = hasAfterHeadsColumn(gr);
    c.user = read(gr,
                  QStringLiteral("SELECT [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], [ВывВОтчТабл]") +
                      (afterHeads ? QStringLiteral(", [ПослеНапоров]") : QString()) +
                      QStringLiteral(" FROM [Формулы] ORDER BY [Nпп], rowid"),
                  false, afterHeads);
    c.predefined = read(gr,
                        QStringLiteral("SELECT [НаимПок], [НаимПокСокр], [Табл], [ВводПольз], [Формула], "
                                       "[ВывВОтчТабл], [ИспПриРасч1трТС], [ИспПриРасч2трТС] "
                                       "FROM [ФлыПредопрПок] ORDER BY ") +
                            alphabeticalTerm(QStringLiteral("[НаимПокСокр]")) + QStringLiteral(", rowid"),
                        true);
    return c;
}

LoadedIndicator ZagruzitPokazatel(const Catalogue& catalogue, const QString& shortName,
                                  const QVariant& supplyHeadNode, const QVariant& availableHeadNode) {
    LoadedIndicator out;
    const Indicator* i = catalogue.find(shortName);
    if (!i) return out;
    if (!i->fullName.isNull()) out.fullName = i->fullName.toString();
    out.formula = i->formula;
    auto node = [](const QVariant& v) { return v.isNull() ? QString() : QString::number(v.toLongLong()); };
    if (shortName == QStringLiteral("ПНапНаУзПод"))
        out.fullName = QStringLiteral("Полный напор на узле ") + node(supplyHeadNode) +
                       QStringLiteral(" в подающем трубопроводе, м.");
    else if (shortName == QStringLiteral("РНапНаУз"))
        out.fullName = QStringLiteral("Располагаемый напор на узле ") + node(availableHeadNode) + QStringLiteral(", м.");
    out.formula = formulaText(out.formula);
    return out;
}

}  // namespace volm
