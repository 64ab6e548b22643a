// Water temperatures, linear in the pipeline length.
// One-pipe: the supply water cools at one rate from the source to the end of
// the longest main. Two-pipe: every main gets its own rates; supply and return
// meet at their mean at the main's end node, and a main that branches off a
// main already done starts from the temperatures found at its branch node.
#include "calc/run_data.h"
#include "calc/stages.h"
#include "calc/text_bytes.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <string>
#include <string_view>

namespace volm::calc {

void stageTemperatureLimits(RunData& d) {
    const ValueTable& h = d.header;
    if (isNull(h.get(0, h.need(QStringLiteral("МинТВоды")))) || isNull(h.get(0, h.need(QStringLiteral("МаксТВоды")))))
        d.error = QStringLiteral("Показатели \"МинТВоды\", \"МаксТВоды\" должны быть заполнены.");
}

namespace {

void writeLegend(CalcText& t, bool two) {
    t.emptyLine();
    t.line(QStringLiteral("Расчет показателей:"));
    t.line(QStringLiteral("Температура воды в подающем трубопроводе на начальном узле участка, град. С (ТВодыНачПод)"));
    t.line(QStringLiteral("Температура воды в подающем трубопроводе на конечном узле участка, град. С (ТВодыКонПод)"));
    if (two) {
        t.line(QStringLiteral("Температура воды в обратном трубопроводе на начальном узле участка, град. С (ТВодыНачОбр)"));
        t.line(QStringLiteral("Температура воды в обратном трубопроводе на конечном узле участка, град. С (ТВодыКонОбр)"));
    }
    t.line(QStringLiteral("Показатели, используемые в расчете:"));
    t.line(QStringLiteral("Изменение температуры воды на один метр подающего трубопровода, град. С / м. (ИзмТНаМПод)"));
    t.line(QStringLiteral("Минимальная температура воды в теплосети, град. С (МинТВоды)"));
    t.line(QStringLiteral("Максимальная температура воды в теплосети, град. С (МаксТВоды)"));
    if (!two)
        t.line(QStringLiteral("Максимальная длина подающего трубопровода от начального до конечного узла теплосети, м. (МаксДлПод)"));
    t.line(QStringLiteral("Длина подающего трубопровода на начальном узле участка, м. (ДлНачПод)"));
    t.line(QStringLiteral("Длина подающего трубопровода на конечном узле участка, м. (ДлКонПод)"));
    if (two) {
        t.line(QStringLiteral("Изменение температуры воды на один метр обратного трубопровода, град. С / м. (ИзмТНаМОбр)"));
        t.line(QStringLiteral("Расчетная минимальная температура воды, град. С (РасМинТВоды)"));
        t.line(QStringLiteral("Расчетная максимальная температура воды, град. С (РасМаксТВоды)"));
        t.line(QStringLiteral("Расчетная длина подающего трубопровода, м. (РасДлТрПод)"));
        t.line(QStringLiteral("Расчетная длина обратного трубопровода, м. (РасДлТрОбр)"));
        t.line(QStringLiteral("Длина подающего трубопровода магистрали, м. (ДлМагПод)"));
        t.line(QStringLiteral("Длина обратного трубопровода магистрали, м. (ДлМагОбр)"));
        t.line(QStringLiteral("Температура воды в подающем трубопроводе на узле Х, град. С (ТВодыПодХ)"));
        t.line(QStringLiteral("Температура воды в обратном трубопроводе на узле Х, град. С (ТВодыОбрХ)"));
        t.line(QStringLiteral("Длина подающего трубопровода на узле Х, м. (ДлПодХ)"));
        t.line(QStringLiteral("Длина обратного трубопровода на узле Х, м. (ДлОбрХ)"));
        t.line(QStringLiteral("Длина обратного трубопровода на начальном узле участка, м. (ДлНачОбр)"));
        t.line(QStringLiteral("Длина обратного трубопровода на конечном узле участка, м. (ДлКонОбр)"));
    }
    t.emptyLine();
}

// The start of a temperature line up to its value, the same for every section
// of a main: head + length + tail, where the length is "(<ДлНачПод> - <ДлПодX>)"
// with a branch node and "<ДлНачПод>" without.
void linePrefix(std::string& out, std::initializer_list<std::string_view> head, const std::string& name,
                const std::string& atX, int branch, const std::string& tail) {
    out.clear();
    for (std::string_view part : head) out.append(part);
    if (branch == kNullNode) {
        out.append("<").append(name).append(">");
    } else {
        char digits[16];
        const auto r = std::to_chars(digits, digits + sizeof digits, branch);
        out.append("(<").append(name).append("> - <").append(atX).append(digits, r.ptr).append(">)");
    }
    out.append(tail);
}

}  // namespace

void stageTemperatures(RunData& d) {
    d.progress.stage(QStringLiteral("Расчет показателей ТВодыНачПод, ТВодыКонПод, ТВодыНачОбр, ТВодыКонОбр."));
    ValueTable& s = d.sections;
    ValueTable& h = d.header;
    const bool two = d.twoPipe();
    const int nachPod = s.need(QStringLiteral("ДлНачПод")), konPod = s.need(QStringLiteral("ДлКонПод"));
    const int tNachPod = s.need(QStringLiteral("ТВодыНачПод")), tKonPod = s.need(QStringLiteral("ТВодыКонПод"));
    const int nachObr = two ? s.need(QStringLiteral("ДлНачОбр")) : -1;
    const int konObr = two ? s.need(QStringLiteral("ДлКонОбр")) : -1;
    const int tNachObr = two ? s.need(QStringLiteral("ТВодыНачОбр")) : -1;
    const int tKonObr = two ? s.need(QStringLiteral("ТВодыКонОбр")) : -1;
    const double minT = h.get(0, h.need(QStringLiteral("МинТВоды")));
    const double maxT = h.get(0, h.need(QStringLiteral("МаксТВоды")));
    const double maxLen = two ? kNull : h.get(0, h.need(QStringLiteral("МаксДлПод")));
    CalcText* t = d.txt();
    if (t) writeLegend(*t, two);

    d.clearWorklist();
    // From the longest main to the shortest; equal lengths keep their order.
    std::stable_sort(d.endOrder.begin(), d.endOrder.end(), [&](int x, int y) {
        const EndResult& a = d.endResults[size_t(x)];
        const EndResult& b = d.endResults[size_t(y)];
        return two ? a.dlSum > b.dlSum : a.dlPod > b.dlPod;
    });

    std::string prefix[4];  // the starts of the temperature lines of the main
    double rateSup = 0, rateRet = 0, rasMin = 0, rasMax = 0, rasLenSup = 0, rasLenRet = 0;
    bool first = true;
    for (int idx : d.endOrder) {
        const EndResult& e = d.endResults[size_t(idx)];
        const Main& main = d.mains[size_t(e.idm - 1)];
        if (t) {
            t->putBytes(VOLM_CP("Магистраль ")).node(e.idm).putBytes(": ");
            d.putMainChain(*t, e.idm);
            t->end();
        }
        // The first row of the main, from the source, not done yet; X its start node.
        size_t k = main.rows.size();
        while (k > 0 && d.done[size_t(main.rows[k - 1])]) --k;
        if (k == 0) continue;  // cannot happen: a main's end section is done only with it
        const int x = d.startOf[size_t(main.rows[k - 1])];
        double lenSupX = 0, lenRetX = 0;
        int branch = kNullNode;

        if (!two) {
            if (first) {
                rasMin = minT;
                rasMax = maxT;
                rateSup = (maxT - minT) / maxLen;
                if (t) t->putBytes(VOLM_CP("ИзмТНаМПод = (<МаксТВоды> - <МинТВоды>) / <МаксДлПод> = ")).num(rateSup).end();
            }
        } else {
            if (x == d.startNode) {
                rasMin = minT;
                rasMax = maxT;
                rasLenSup = e.dlPod;
                rasLenRet = e.dlObr;
                if (t) {
                    t->putBytes(VOLM_CP("РасМинТВоды = <МинТВоды> = ")).num(rasMin).end();
                    t->putBytes(VOLM_CP("РасМаксТВоды = <МаксТВоды> = ")).num(rasMax).end();
                    t->putBytes(VOLM_CP("РасДлТрПод = <ДлМагПод> = ")).num(rasLenSup).end();
                    t->putBytes(VOLM_CP("РасДлТрОбр = <ДлМагОбр> = ")).num(rasLenRet).end();
                }
            } else {
                branch = x;
                const int up = d.sectionEndingAt(x);
                rasMin = s.get(up, tKonObr);
                rasMax = s.get(up, tKonPod);
                lenSupX = s.get(up, konPod);
                lenRetX = s.get(up, konObr);
                rasLenSup = e.dlPod - lenSupX;
                rasLenRet = e.dlObr - lenRetX;
                if (t) {
                    t->putBytes(VOLM_CP("РасМинТВоды = <ТВодыОбр")).node(x).putBytes("> = ").num(rasMin).end();
                    t->putBytes(VOLM_CP("РасМаксТВоды = <ТВодыПод")).node(x).putBytes("> = ").num(rasMax).end();
                    t->putBytes(VOLM_CP("РасДлТрПод = <ДлМагПод> - <ДлПод")).node(x).putBytes("> = ").num(rasLenSup).end();
                    t->putBytes(VOLM_CP("РасДлТрОбр = <ДлМагОбр> - <ДлОбр")).node(x).putBytes("> = ").num(rasLenRet).end();
                }
            }
            rateSup = (rasMax - rasMin) / 2 / rasLenSup;
            rateRet = (rasMax - rasMin) / 2 / rasLenRet;
            if (t) {
                t->putBytes(VOLM_CP("ИзмТНаМПод = (<РасМаксТВоды> - <РасМинТВоды>) / 2 / <РасДлТрПод> = ")).num(rateSup).end();
                t->putBytes(VOLM_CP("ИзмТНаМОбр = (<РасМаксТВоды> - <РасМинТВоды>) / 2 / <РасДлТрОбр> = ")).num(rateRet).end();
            }
        }
        if (t) t->emptyLine();
        first = false;

        if (t) {
            const std::string& maxName = two ? VOLM_CP("РасМаксТВоды") : VOLM_CP("МаксТВоды");
            linePrefix(prefix[0], {VOLM_CP("ТВодыНачПод = <"), maxName, "> - "}, VOLM_CP("ДлНачПод"), VOLM_CP("ДлПод"),
                       branch, VOLM_CP(" * <ИзмТНаМПод> = "));
            linePrefix(prefix[1], {VOLM_CP("ТВодыКонПод = <"), maxName, "> - "}, VOLM_CP("ДлКонПод"), VOLM_CP("ДлПод"),
                       branch, VOLM_CP(" * <ИзмТНаМПод> = "));
            if (two) {
                linePrefix(prefix[2], {VOLM_CP("ТВодыНачОбр = <РасМинТВоды> + ")}, VOLM_CP("ДлНачОбр"), VOLM_CP("ДлОбр"),
                           branch, VOLM_CP(" * <ИзмТНаМОбр> = "));
                linePrefix(prefix[3], {VOLM_CP("ТВодыКонОбр = <РасМинТВоды> + ")}, VOLM_CP("ДлКонОбр"), VOLM_CP("ДлОбр"),
                           branch, VOLM_CP(" * <ИзмТНаМОбр> = "));
            }
        }
        for (; k > 0; --k) {
            const int r = main.rows[k - 1];
            if (!d.putFinite(s, r, tNachPod, rasMax - (s.get(r, nachPod) - lenSupX) * rateSup) ||
                !d.putFinite(s, r, tKonPod, rasMax - (s.get(r, konPod) - lenSupX) * rateSup))
                return;
            if (two && (!d.putFinite(s, r, tNachObr, rasMin + (s.get(r, nachObr) - lenRetX) * rateRet) ||
                        !d.putFinite(s, r, tKonObr, rasMin + (s.get(r, konObr) - lenRetX) * rateRet)))
                return;
            if (t) {
                t->putBytes(VOLM_CP("Участок ")).node(d.startOf[size_t(r)]).putBytes(" - ").node(d.endOf[size_t(r)]).putBytes(":").end();
                t->putBytes(prefix[0]).num(s.get(r, tNachPod)).end();
                t->putBytes(prefix[1]).num(s.get(r, tKonPod)).end();
                if (two) {
                    t->putBytes(prefix[2]).num(s.get(r, tNachObr)).end();
                    t->putBytes(prefix[3]).num(s.get(r, tKonObr)).end();
                }
                t->emptyLine();
            }
            d.markDone(r);
        }
    }
    d.progress.clear();
}

}  // namespace volm::calc
