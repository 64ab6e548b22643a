// libFuzzer target: any text as a formula. The check's reference scan, the
// comment removal, the prepared evaluator and the literal reduction must neither
// crash nor hang, and the two evaluators must agree on the value or the message.
#include "formulas/catalogue.h"
#include "formulas/evaluator.h"
#include "formulas/formula_text.h"
#include "tests/formulas/literal_evaluator.h"
#include "formulas/reference_check.h"
#include "formulas/reference_data.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace volm;

namespace {

const ReferenceData& reference() {
    static const ReferenceData ref = [] {
        ReferenceData r;
        r.locale = QLocale(QLocale::Russian, QLocale::Russia);
        r.diameters = {{100, 107}, {100, 999}, {150, 160}, {200, 207}, {300, std::nan("")}};
        r.densities = {{60, 983.2}, {70, 977.76}, {80, 971.79}};
        r.corrections = {{100, 0.5, 1.0}, {100, 1.0, 1.19}};
        r.index();
        return r;
    }();
    return ref;
}

const Catalogue& catalogue() {
    static const Catalogue c = [] {
        Catalogue c;
        Indicator a;
        a.shortName = QStringLiteral("A");
        a.table = true;
        Indicator b;
        b.shortName = QStringLiteral("B");
        Indicator p;
        p.shortName = QStringLiteral("РасхПод");
        p.table = true;
        Indicator r = p;
        r.shortName = QStringLiteral("РасхОбр");
        r.onePipe = false;
        c.user = {a, b};
        c.predefined = {p, r};
        return c;
    }();
    return c;
}

const char* const kNames[] = {"A", "B", "C", "N"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the values; the rest is the formula.
    const uint8_t pick = data[0];
    static const double pool[] = {0, 1, -1, 2, 0.5, 100, 1e300, 70};
    double values[4] = {pool[pick & 7], pool[(pick >> 3) & 7], 0.0, std::nan("")};
    if (pick & 0x40) values[0] = std::nan("");
    const QString formula = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const QString plain = UdalitKommentarii(formula);
    (void)ProveritSsylki(QStringLiteral("Показатели расчета:"), QStringLiteral("X"), plain, pick & 0x80, catalogue(),
                         pick & 0x20);
    (void)SobratZavisimosti(plain);

    auto resolve = [](const QString& n) {
        for (int i = 0; i < 4; ++i)
            if (n == QLatin1String(kNames[i])) return i;
        return -1;
    };
    auto lookup = [&](const QString& n) -> std::optional<double> {
        const int i = resolve(n);
        if (i < 0) return std::nullopt;
        return values[i];
    };
    const SectionNodes section{1, 2};
    const SectionNodes* s = (pick & 0x10) ? &section : nullptr;

    bool okA = false, okB = false;
    double a = 0, b = 0;
    QString ea, eb;
    try {
        PreparedFormula f(QStringLiteral("X"), formula, resolve);
        a = f.evaluate(values, s, reference());
        okA = true;
    } catch (const FormulaError& e) {
        ea = e.text();
    }
    try {
        b = vichislitFormuluLiteral(QStringLiteral("X"), formula, s, lookup, reference());
        okB = true;
    } catch (const FormulaError& e) {
        eb = e.text();
    }
    const bool same = okA == okB && (okA ? std::memcmp(&a, &b, sizeof a) == 0 : ea == eb);
    if (!same || (okA && !std::isfinite(a))) {
        std::fprintf(stderr, "mismatch on \"%s\": %s / %s\n", formula.toUtf8().constData(),
                     okA ? "value" : ea.toUtf8().constData(), okB ? "value" : eb.toUtf8().constData());
        std::abort();
    }
    return 0;
}
