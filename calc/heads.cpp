// Heads: the full supply head at the source (H0) from the head given at one
// node, the available head at the source (R0, two-pipe) from the available
// head given at one node, and from them the heads at both ends of every section.
#include "calc/run_data.h"
#include "calc/stages.h"
#include "calc/text_bytes.h"

namespace volm::calc {

namespace {

QString headError(const QString& detail) {
    return QStringLiteral("Ошибка при вычислении напоров в узлах теплосети.") + CR + detail;
}

QString onSection(const RunData& d, int r) {
    return nodeText(d.startOf[size_t(r)]) + QStringLiteral(" - ") + nodeText(d.endOf[size_t(r)]);
}

void writeLegend(CalcText& t, bool two) {
    t.emptyLine();
    t.line(QStringLiteral("Расчет показателей:"));
    t.line(QStringLiteral("Полный напор на начальном узле участка под. трубопровода, м. (ПНапНачПод)"));
    t.line(QStringLiteral("Полный напор на конечном узле участка под. трубопровода, м. (ПНапКонПод)"));
    if (two) {
        t.line(QStringLiteral("Располагаемый напор на начальном узле участка, м. (РНапНач)"));
        t.line(QStringLiteral("Полный напор на начальном узле участка обр. трубопровода, м. (ПНапНачОбр)"));
        t.line(QStringLiteral("Располагаемый напор на конечном узле участка, м. (РНапКон)"));
        t.line(QStringLiteral("Полный напор на конечном узле участка обр. трубопровода, м. (ПНапКонОбр)"));
    }
    t.emptyLine();
}

// The computed heads of a section row, stored whole or not at all: a value that
// is not a finite number stops the run and leaves the row as it was.
bool putRow(RunData& d, int r, std::initializer_list<std::pair<int, double>> values) {
    for (const auto& [c, v] : values)
        if (!std::isfinite(v)) return d.putFinite(d.sections, r, c, v);
    for (const auto& [c, v] : values) d.sections.set(r, c, v);
    return true;
}

}  // namespace

void stageHeads(RunData& d) {
    d.progress.stage(QStringLiteral("Расчет напоров в узлах теплосети."));
    ValueTable& s = d.sections;
    const ValueTable& h = d.header;
    const bool two = d.twoPipe();
    const int potNachPod = s.need(QStringLiteral("ПотНОтИНачПод")), potKonPod = s.need(QStringLiteral("ПотНОтИКонПод"));
    const int pNachPod = s.need(QStringLiteral("ПНапНачПод")), pKonPod = s.need(QStringLiteral("ПНапКонПод"));
    const int potNachObr = two ? s.need(QStringLiteral("ПотНОтИНачОбр")) : -1;
    const int potKonObr = two ? s.need(QStringLiteral("ПотНОтИКонОбр")) : -1;
    const int pNachObr = two ? s.need(QStringLiteral("ПНапНачОбр")) : -1;
    const int pKonObr = two ? s.need(QStringLiteral("ПНапКонОбр")) : -1;
    const int rNach = two ? s.need(QStringLiteral("РНапНач")) : -1;
    const int rKon = two ? s.need(QStringLiteral("РНапКон")) : -1;
    CalcText* t = d.txt();
    if (t) writeLegend(*t, two);

    auto done = [&] { d.progress.clear(); };

    // The given heads.
    const double givenSupply = h.get(0, h.need(QStringLiteral("ПНапНаУзПод")));
    if (isNull(givenSupply)) {
        d.error = QStringLiteral("Значение показателя \"ПНапНаУзПод\" должно быть заполнено.");
        return done();
    }
    double givenAvail = kNull;
    if (two) {
        givenAvail = h.get(0, h.need(QStringLiteral("РНапНаУз")));
        if (isNull(givenAvail)) {
            d.error = QStringLiteral("Значение показателя \"РНапНаУз\" должно быть заполнено.");
            return done();
        }
    }

    // H0, the full supply head at the source.
    double h0 = 0;
    {
        const int n = d.supplyNode;
        if (const int r = d.firstSectionStartingAt(n); r >= 0) {
            const double loss = s.get(r, potNachPod);
            if (isNull(loss)) {
                d.failAt(r, headError(QStringLiteral("Показатель \"ПотНОтИНачПод\" на участке ") + onSection(d, r) +
                                    QStringLiteral(" не заполнен.")));
                return done();
            }
            h0 = givenSupply + loss;
        } else {
            const int e = d.sectionEndingAt(n);
            const double loss = s.get(e, potKonPod);
            if (isNull(loss)) {
                d.failAt(e, headError(QStringLiteral("Показатель \"ПотНОтИКонПод\" на участке ") + onSection(d, e) +
                                    QStringLiteral(" не заполнен.")));
                return done();
            }
            h0 = (givenSupply - d.deltaSup(n)) + loss;
        }
    }

    // R0, the available head at the source.
    double r0 = 0;
    if (two) {
        const int m = d.availNode;
        if (const int r = d.firstSectionStartingAt(m); r >= 0) {
            const double lp = s.get(r, potNachPod), lo = s.get(r, potNachObr);
            if (isNull(lp) || isNull(lo)) {
                d.failAt(r, headError(QStringLiteral("Показатели \"ПотНОтИНачПод\", \"ПотНОтИНачОбр\" на участке ") +
                                    onSection(d, r) + QStringLiteral(" должны быть заполнены.")));
                return done();
            }
            r0 = givenAvail + lp + lo;
        } else {
            const int e = d.sectionEndingAt(m);
            const double lp = s.get(e, potKonPod), lo = s.get(e, potKonObr);
            if (isNull(lp) || isNull(lo)) {
                d.failAt(e, headError(QStringLiteral("Показатели \"ПотНОтИКонПод\", \"ПотНОтИКонОбр\" на участке ") +
                                    onSection(d, e) + QStringLiteral(" должны быть заполнены.")));
                return done();
            }
            r0 = givenAvail + lp + lo - d.deltaSup(m) - d.deltaRet(m);
        }
    }

    // Every section in the order of Табл.
    const int n = s.rowCount();
    for (int r = 0; r < n; ++r) {
        if (t) t->putBytes(VOLM_CP("Участок ")).node(d.startOf[size_t(r)]).putBytes(" - ").node(d.endOf[size_t(r)]).putBytes(":").end();
        const double lnp = s.get(r, potNachPod), lkp = s.get(r, potKonPod);
        if (isNull(lnp) || isNull(lkp)) {
            d.failAt(r, headError(QStringLiteral("Показатели \"ПотНОтИНачПод\", \"ПотНОтИКонПод\" на участке ") +
                                onSection(d, r) + QStringLiteral(" должны быть заполнены.")));
            break;
        }
        const double pn = h0 - lnp, pk = h0 - lkp;
        if (t) t->putBytes(VOLM_CP("ПНапНачПод = ")).num(pn).putBytes(VOLM_CP("  ПНапКонПод = ")).num(pk).end();
        // A row is stored whole or not at all: a fault leaves it cleared.
        if (two) {
            const double lno = s.get(r, potNachObr), lko = s.get(r, potKonObr);
            if (isNull(lno) || isNull(lko)) {
                d.failAt(r, headError(QStringLiteral("Показатели \"ПотНОтИНачОбр\", \"ПотНОтИКонОбр\" на участке ") +
                                    onSection(d, r) + QStringLiteral(" должны быть заполнены.")));
                break;
            }
            const double rn = r0 - lnp - lno;
            const double pno = pn - rn;
            const double rk = r0 - lkp - lko;
            const double pko = pk - rk;
            if (!putRow(d, r, {{pNachPod, pn}, {pKonPod, pk}, {rNach, rn}, {pNachObr, pno}, {rKon, rk}, {pKonObr, pko}}))
                break;
            if (t) {
                t->putBytes(VOLM_CP("РНапНач = ")).num(rn).putBytes(VOLM_CP("  ПНапНачОбр = ")).num(pno);
                t->putBytes(VOLM_CP("  РНапКон = ")).num(rk).putBytes(VOLM_CP("  ПНапКонОбр = ")).num(pko).end();
            }
        } else if (!putRow(d, r, {{pNachPod, pn}, {pKonPod, pk}})) {
            break;
        }
        if (t) t->emptyLine();
    }
    done();
}

}  // namespace volm::calc
