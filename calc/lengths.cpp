// Lengths: the pipeline lengths from the source to both ends of every
// section, walked along the mains from the source outwards, then the length of
// every main (КонМаг) and the longest of them.
#include "calc/run_data.h"
#include "calc/stages.h"
#include "calc/text_bytes.h"

namespace volm::calc {

void stageSectionEndLengths(RunData& d) {
    d.progress.stage(QStringLiteral("Расчет показателей ДлНачПод, ДлКонПод, ДлНачОбр, ДлКонОбр."));
    ValueTable& s = d.sections;
    const bool two = d.twoPipe();
    const int lenPod = s.need(QStringLiteral("ДлНаУчПод"));
    const int nachPod = s.need(QStringLiteral("ДлНачПод"));
    const int konPod = s.need(QStringLiteral("ДлКонПод"));
    const int lenObr = two ? s.need(QStringLiteral("ДлНаУчОбр")) : -1;
    const int nachObr = two ? s.need(QStringLiteral("ДлНачОбр")) : -1;
    const int konObr = two ? s.need(QStringLiteral("ДлКонОбр")) : -1;
    CalcText* t = d.txt();

    d.clearWorklist();
    for (const Main& main : d.mains) {
        for (size_t k = main.rows.size(); k-- > 0;) {
            const int r = main.rows[k];
            if (d.done[size_t(r)]) continue;
            const int a = d.startOf[size_t(r)];
            double u = 0, v = 0;
            if (a != d.startNode) {
                const int up = d.sectionEndingAt(a);
                u = s.get(up, konPod);
                if (two) v = s.get(up, konObr);
            }
            if (!d.putFinite(s, r, nachPod, u) || !d.putFinite(s, r, konPod, u + s.get(r, lenPod))) return;
            if (two && (!d.putFinite(s, r, nachObr, v) || !d.putFinite(s, r, konObr, v + s.get(r, lenObr)))) return;
            if (t) {
                t->putBytes(VOLM_CP("Участок ")).node(a).putBytes(" - ").node(d.endOf[size_t(r)]).putBytes(":").end();
                t->putBytes(VOLM_CP("ДлНачПод = ")).num(s.get(r, nachPod));
                t->putBytes(VOLM_CP("  ДлНаУчПод = ")).num(s.get(r, lenPod));
                t->putBytes(VOLM_CP("  ДлКонПод = ")).num(s.get(r, konPod)).end();
                if (two) {
                    t->putBytes(VOLM_CP("ДлНачОбр = ")).num(s.get(r, nachObr));
                    t->putBytes(VOLM_CP("  ДлНаУчОбр = ")).num(s.get(r, lenObr));
                    t->putBytes(VOLM_CP("  ДлКонОбр = ")).num(s.get(r, konObr)).end();
                }
                t->end();
            }
            d.markDone(r);
        }
    }
    d.progress.clear();
}

void stageMainLengths(RunData& d) {
    d.progress.stage(QStringLiteral("Расчет показателей МаксДлПод, МаксДлОбр, МаксСумДлПодОбр."));
    ValueTable& s = d.sections;
    const bool two = d.twoPipe();
    const int konPod = s.need(QStringLiteral("ДлКонПод"));
    const int konObr = two ? s.need(QStringLiteral("ДлКонОбр")) : -1;

    d.endResults.clear();
    d.endResultsBuilt = true;
    for (int m = 1; m <= int(d.mains.size()); ++m) {
        const int r = d.mains[size_t(m - 1)].rows.front();
        EndResult e;
        e.idm = m;
        e.endNode = d.endOf[size_t(r)];
        e.dlPod = s.get(r, konPod);
        if (two) {
            e.dlObr = s.get(r, konObr);
            e.dlSum = s.get(r, konPod) + s.get(r, konObr);
            if (!std::isfinite(e.dlSum)) {
                d.failAt(r, QStringLiteral("Магистраль ") + QString::number(m) +
                                QStringLiteral(": значение ДлМагСум не является конечным числом."));
                return;
            }
        }
        d.endResults.push_back(e);
    }
    d.endOrder.resize(d.endResults.size());
    for (size_t i = 0; i < d.endOrder.size(); ++i) d.endOrder[i] = int(i);

    // The maxima, each found on its own; a later row replaces one only when greater.
    ValueTable& h = d.header;
    const int maxPod = h.need(QStringLiteral("МаксДлПод"));
    const int maxObr = two ? h.need(QStringLiteral("МаксДлОбр")) : -1;
    const int maxSum = two ? h.need(QStringLiteral("МаксСумДлПодОбр")) : -1;
    if (!d.endResults.empty()) {
        double mp = d.endResults.front().dlPod, mo = d.endResults.front().dlObr, ms = d.endResults.front().dlSum;
        for (const EndResult& e : d.endResults) {
            if (e.dlPod > mp) mp = e.dlPod;
            if (two && e.dlObr > mo) mo = e.dlObr;
            if (two && e.dlSum > ms) ms = e.dlSum;
        }
        if (!d.putFinite(h, 0, maxPod, mp)) return;
        if (two && (!d.putFinite(h, 0, maxObr, mo) || !d.putFinite(h, 0, maxSum, ms))) return;
    }

    if (CalcText* t = d.txt()) {
        t->emptyLine();
        t->line(QStringLiteral("Магистрали теплосети"));
        t->line(QStringLiteral("Расчет показателей:"));
        t->line(QStringLiteral("Длина подающего трубопровода магистрали, м. (ДлМагПод)"));
        if (two) {
            t->line(QStringLiteral("Длина обратного трубопровода магистрали, м. (ДлМагОбр)"));
            t->line(QStringLiteral("Суммарная длина подающего и обратного трубопроводов магистрали, м. (ДлМагСум)"));
        }
        t->emptyLine();
        for (const EndResult& e : d.endResults) {
            t->putBytes(VOLM_CP("Магистраль ")).node(e.idm).putBytes(": ");
            d.putMainChain(*t, e.idm);
            t->end();
            t->putBytes(VOLM_CP("ДлМагПод = ")).num(e.dlPod);
            if (two) {
                t->putBytes(VOLM_CP("  ДлМагОбр = ")).num(e.dlObr);
                t->putBytes(VOLM_CP("  ДлМагСум = ")).num(e.dlSum);
            }
            t->end();
            t->emptyLine();
        }
    }
    d.progress.clear();
}

}  // namespace volm::calc
