// Clearing old results: every value the run computes is set to Null before anything is
// computed, so that a run that stops part-way leaves no stale result.
#include "calc/run_data.h"
#include "calc/stages.h"

namespace volm::calc {

std::vector<QString> clearedSectionColumns(const CalculationInput& d) {
    std::vector<QString> names;
    for (const char* name : {"ГеодВысНач", "ГеодВысКон", "ДлНачПод", "ДлКонПод", "ТВодыНачПод", "ТВодыКонПод",
                             "ПотНОтИНачПод", "ПотНОтИКонПод", "ПНапНачПод", "ПНапКонПод"})
        names.push_back(QString::fromUtf8(name));
    if (d.twoPipe())
        for (const char* name : {"ДлНачОбр", "ДлКонОбр", "ТВодыНачОбр", "ТВодыКонОбр", "ПотНОтИНачОбр", "ПотНОтИКонОбр",
                                 "ПНапНачОбр", "ПНапКонОбр", "РНапНач", "РНапКон"})
            names.push_back(QString::fromUtf8(name));
    for (const Indicator& i : d.catalogue.user)
        if (i.table && !i.userEntered) names.push_back(i.shortName);
    return names;
}

void stageClearResults(RunData& d) {
    d.progress.stage(QStringLiteral("Подготовка к расчету."));
    const bool two = d.twoPipe();

    ValueTable& h = d.header;
    std::vector<int> headerCols;
    for (const char* name : {"МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод"}) headerCols.push_back(h.need(QString::fromUtf8(name)));
    if (two)
        for (const char* name : {"МаксДлОбр", "МаксСумДлПодОбр"}) headerCols.push_back(h.need(QString::fromUtf8(name)));
    for (const Indicator& i : d.catalogue.user)
        if (!i.table && !i.userEntered) headerCols.push_back(h.need(i.shortName));
    if (d.headerRead)
        for (int c : headerCols) h.set(0, c, kNull);

    ValueTable& s = d.sections;
    // In the order the columns are looked up, so that a missing one is named
    // as before: the supply results, the entered-or-computed return values,
    // the return results, the user's table indicators.
    const std::vector<QString> always = clearedSectionColumns(d);
    std::vector<QString> names(always.begin(), always.begin() + 10);
    if (two) {
        if (!d.retFlowEntered) names.push_back(QStringLiteral("РасхОбр"));
        if (!d.retLenEntered) names.push_back(QStringLiteral("ДлНаУчОбр"));
    }
    names.insert(names.end(), always.begin() + 10, always.end());
    std::vector<int> cols;
    for (const QString& name : names) cols.push_back(s.need(name));
    const int n = s.rowCount();
    for (int r = 0; r < n; ++r)
        for (int c : cols) s.set(r, c, kNull);
    d.progress.clear();
}

}  // namespace volm::calc
