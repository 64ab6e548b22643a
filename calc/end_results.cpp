// Results at the end nodes: the losses and heads at the end node of every main (КонМаг), after
// the head changes given at that node; the last block of the calculation text.
#include "calc/run_data.h"
#include "calc/stages.h"
#include "calc/text_bytes.h"

#include <numeric>

namespace volm::calc {

void stageEndResults(RunData& d) {
    const ValueTable& s = d.sections;
    const bool two = d.twoPipe();
    const int potKonPod = s.need(QStringLiteral("ПотНОтИКонПод")), pKonPod = s.need(QStringLiteral("ПНапКонПод"));
    const int potKonObr = two ? s.need(QStringLiteral("ПотНОтИКонОбр")) : -1;
    const int pKonObr = two ? s.need(QStringLiteral("ПНапКонОбр")) : -1;

    for (EndResult& e : d.endResults) {
        const int r = d.mains[size_t(e.idm - 1)].rows.front();
        const int b = d.endOf[size_t(r)];
        const double dSup = d.deltaSup(b);
        e.potPod = s.get(r, potKonPod) - dSup;
        e.pNapPod = s.get(r, pKonPod) + dSup;
        if (two) {
            const double dRet = d.deltaRet(b);
            e.potObr = s.get(r, potKonObr) - dRet;
            e.pNapObr = s.get(r, pKonObr) - dRet;
            e.rNap = e.pNapPod - e.pNapObr;
        }
    }
    d.progress.clear();

    CalcText* t = d.txt();
    if (!t) return;
    t->emptyLine();
    t->line(QStringLiteral("Расчет напоров в конечных узлах теплосети:"));
    t->line(QStringLiteral("Потери напора от источника в подающем трубопроводе, м. (ПотНОтИПод)"));
    t->line(QStringLiteral("Полный напор в подающем трубопроводе, м. (ПНапПод)"));
    if (two) {
        t->line(QStringLiteral("Потери напора от источника в обратном трубопроводе, м. (ПотНОтИОбр)"));
        t->line(QStringLiteral("Полный напор в обратном трубопроводе, м. (ПНапОбр)"));
        t->line(QStringLiteral("Располагаемый напор, м. (РНап)"));
    }
    // КонМаг by main number.
    std::iota(d.endOrder.begin(), d.endOrder.end(), 0);
    for (const EndResult& e : d.endResults) {
        t->emptyLine();
        t->putBytes(VOLM_CP("Магистраль ")).node(e.idm).putBytes(": ");
        d.putMainChain(*t, e.idm);
        t->end();
        t->putBytes(VOLM_CP("ПотНОтИПод = ")).num(e.potPod).putBytes(VOLM_CP("  ПНапПод = ")).num(e.pNapPod).end();
        if (two) {
            t->putBytes(VOLM_CP("ПотНОтИОбр = ")).num(e.potObr).putBytes(VOLM_CP("  ПНапОбр = ")).num(e.pNapObr);
            t->putBytes(VOLM_CP("  РНап = ")).num(e.rNap).end();
        }
    }
}

}  // namespace volm::calc
