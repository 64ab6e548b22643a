#include "formulas/priorities.h"

#include "formulas/formula_text.h"
#include "formulas/reference_check.h"

#include <functional>

namespace volm {

void Dependencies::add(const QString& indicator, const QString& dependsOn) {
    for (const auto& p : pairs_)
        if (p.first == indicator && p.second == dependsOn) return;
    pairs_.emplace_back(indicator, dependsOn);
}

bool Dependencies::has(const QString& indicator) const {
    for (const auto& p : pairs_)
        if (p.first == indicator) return true;
    return false;
}

std::vector<QString> Dependencies::of(const QString& indicator) const {
    std::vector<QString> out;
    for (const auto& p : pairs_)
        if (p.first == indicator) out.push_back(p.second);
    return out;
}

namespace {

void collect(Dependencies& deps, const QString& name, const QString& storedFormula) {
    for (const QString& d : SobratZavisimosti(formulaText(storedFormula))) deps.add(name, d);
}

// Adds a computed indicator: -1 when it waits for others, else the next rank.
void addComputed(std::vector<PriorityRow>& rows, const Dependencies& deps, const QString& name, int& counter) {
    rows.push_back({name, deps.has(name) ? -1 : counter++});
}

bool placedInRows(const std::vector<PriorityRow>& rows, const QString& name) {
    for (const auto& r : rows)
        if (r.name == name && r.priority > -1) return true;
    return false;
}

// The placement passes and the final verdict.
Placement place(std::vector<PriorityRow> rows, const Dependencies& deps, int counter,
                const std::function<bool(const QString&, const std::vector<PriorityRow>&)>& satisfied,
                const QString& orderMessage) {
    auto waiting = [&] {
        for (const auto& r : rows)
            if (r.priority == -1) return true;
        return false;
    };
    bool placedAny = true;
    while (waiting() && placedAny) {
        placedAny = false;
        for (auto& row : rows) {
            if (row.priority != -1) continue;
            bool all = true;
            for (const QString& d : deps.of(row.name)) {
                if (!satisfied(d, rows)) {
                    all = false;
                    break;
                }
            }
            if (all) {
                row.priority = counter++;
                placedAny = true;
            }
        }
    }
    const bool unplaced = waiting();
    Placement p;
    p.rows = std::move(rows);
    if (unplaced) {
        QString list;
        for (const auto& r : p.rows) {
            if (r.priority >= 0) continue;
            if (!list.isEmpty()) list += QStringLiteral(", ");
            list += r.name;
        }
        p.error = QStringLiteral("Ошибка в формулах показателей. Показатели, которые не могут быть вычислены:\r") +
                  list + QStringLiteral(".");
    } else {
        for (const auto& r : p.rows)
            if (r.priority < 0) p.error = orderMessage;
    }
    return p;
}

}  // namespace

Placement placeHeader(const Catalogue& catalogue, bool twoPipe) {
    Dependencies deps;
    for (const auto& i : catalogue.user)
        if (!i.table && !i.userEntered) collect(deps, i.shortName, i.formula);

    std::vector<PriorityRow> rows;
    QStringList fixed = {QStringLiteral("МаксГеодВысТС"), QStringLiteral("МинГеодВысТС"),
                         QStringLiteral("ПНапНаУзПод"),   QStringLiteral("МаксДлПод"),
                         QStringLiteral("МаксТВоды"),     QStringLiteral("МинТВоды")};
    if (twoPipe) fixed << QStringLiteral("РНапНаУз") << QStringLiteral("МаксДлОбр") << QStringLiteral("МаксСумДлПодОбр");
    for (const QString& f : fixed) rows.push_back({f, 0});

    int counter = 1;
    for (const auto& i : catalogue.user) {
        if (i.table) continue;
        if (i.userEntered) rows.push_back({i.shortName, 0});
        else addComputed(rows, deps, i.shortName, counter);
    }
    auto satisfied = [](const QString& name, const std::vector<PriorityRow>& current) {
        return placedInRows(current, name);
    };
    return place(std::move(rows), deps, counter, satisfied,
                 QStringLiteral("Невозможно определить последовательность расчета показателей заголовочной части "
                                "расчета."));
}

Placement placeTable(const Catalogue& catalogue, bool twoPipe) {
    const QString supplyEnd = QStringLiteral("ПотНОтИКонПод"), returnEnd = QStringLiteral("ПотНОтИКонОбр");
    auto predefinedFormula = [&](const QString& name) {
        const Indicator* p = catalogue.findPredefined(name);
        return p ? p->formula : QString();
    };
    Dependencies deps;
    collect(deps, supplyEnd, predefinedFormula(supplyEnd));
    if (twoPipe) collect(deps, returnEnd, predefinedFormula(returnEnd));
    for (const auto& i : catalogue.user)
        if (i.table && !i.userEntered) collect(deps, i.shortName, i.formula);

    std::vector<PriorityRow> rows;
    QStringList fixed = {QStringLiteral("ГеодВысНач"),  QStringLiteral("ГеодВысКон"), QStringLiteral("ПотНОтИНачПод"),
                         QStringLiteral("РасхПод"),     QStringLiteral("ДлНаУчПод"),  QStringLiteral("ДлНачПод"),
                         QStringLiteral("ДлКонПод"),    QStringLiteral("ТВодыНачПод"), QStringLiteral("ТВодыКонПод")};
    if (twoPipe)
        fixed << QStringLiteral("ПотНОтИНачОбр") << QStringLiteral("РасхОбр") << QStringLiteral("ДлНаУчОбр")
              << QStringLiteral("ДлНачОбр") << QStringLiteral("ДлКонОбр") << QStringLiteral("ТВодыНачОбр")
              << QStringLiteral("ТВодыКонОбр");
    for (const QString& f : fixed) rows.push_back({f, 0});

    int counter = 1;
    // In the alphabetical order of the short names: ПотНОтИКонОбр first.
    if (twoPipe) addComputed(rows, deps, returnEnd, counter);
    addComputed(rows, deps, supplyEnd, counter);
    for (const auto& i : catalogue.user) {
        if (!i.table) continue;
        if (i.userEntered) rows.push_back({i.shortName, 0});
        else addComputed(rows, deps, i.shortName, counter);
    }

    auto satisfied = [&](const QString& name, const std::vector<PriorityRow>& current) {
        // Set by the program: the end-section mark before every formula, the
        // heads before the formulas computed after them (the check lets no
        // other formula reference them).
        if (isHeadIndicator(name) || isEndSectionMark(name)) return true;
        const Indicator* found = catalogue.find(name);
        if (!found) return false;
        if (!found->table) return true;  // header values are all computed first
        return placedInRows(current, name);
    };
    return place(std::move(rows), deps, counter, satisfied,
                 QStringLiteral("Невозможно определить последовательность расчета показателей табличной части "
                                "расчета."));
}

}  // namespace volm
