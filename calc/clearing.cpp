// Stage 5: every value the run computes is set to Null before anything is
// computed, so that a run that stops part-way leaves no stale result.
#include "calc/run_data.h"
#include "calc/stages.h"

namespace volm::calc {

void stageClearResults(RunData& d) {
    d.progress.stage(QStringLiteral("Подготовка к расчету."));
    const bool two = d.twoPipe();

    ValueTable& h = d.header;
    std::vector<int> headerCols;
    for (const char* name : {"МинГеодВысТС", "МаксГеодВысТС", "МаксДлПод"}) headerCols.push_back(h.need(QString::fromUtf8(name)));
    if (two)
        for (const char* name : {"МаксДлОбр", "МаксСумДлПодОбр"}) headerCols.push_back(h.need(QString::fromUtf8(name)));
    for (const Indicator& i : d.userIndicators)
        if (!i.table && !i.entered) headerCols.push_back(h.need(i.shortName));
    if (d.headerRead)
        for (int c : headerCols) h.set(0, c, kNull);

    ValueTable& s = d.sections;
    std::vector<int> cols;
    for (const char* name : {"ГеодВысНач", "ГеодВысКон", "ДлНачПод", "ДлКонПод", "ТВодыНачПод", "ТВодыКонПод",
                             "ПотНОтИНачПод", "ПотНОтИКонПод", "ПНапНачПод", "ПНапКонПод"})
        cols.push_back(s.need(QString::fromUtf8(name)));
    if (two) {
        if (!d.retFlowEntered) cols.push_back(s.need(QStringLiteral("РасхОбр")));
        if (!d.retLenEntered) cols.push_back(s.need(QStringLiteral("ДлНаУчОбр")));
        for (const char* name : {"ДлНачОбр", "ДлКонОбр", "ТВодыНачОбр", "ТВодыКонОбр", "ПотНОтИНачОбр", "ПотНОтИКонОбр",
                                 "ПНапНачОбр", "ПНапКонОбр", "РНапНач", "РНапКон"})
            cols.push_back(s.need(QString::fromUtf8(name)));
    }
    for (const Indicator& i : d.userIndicators)
        if (i.table && !i.entered) cols.push_back(s.need(i.shortName));
    const int n = s.rowCount();
    for (int r = 0; r < n; ++r)
        for (int c : cols) s.set(r, c, kNull);
    d.progress.clear();
}

}  // namespace volm::calc
