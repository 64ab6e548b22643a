#include "tests/formulas/formula_fixtures.h"

#include "tests/formulas/literal_evaluator.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace volm::test {

bool Outcome::operator==(const Outcome& o) const {
    if (ok != o.ok) return false;
    if (!ok) return error == o.error;
    return std::memcmp(&value, &o.value, sizeof value) == 0;
}

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    if (o.ok) return os << "value " << o.value;
    QString shown = o.error;
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return os << "error \"" << shown.toStdString() << "\"";
}

Outcome evalPrepared(const QString& formula, const NamedValues& values, const ReferenceData& ref,
                     const SectionNodes* section, const QString& shortName) {
    std::vector<QString> names;
    std::vector<double> array;
    for (const auto& [name, v] : values) {
        names.push_back(name);
        array.push_back(v);
    }
    auto resolve = [&](const QString& name) {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return int(i);
        return -1;
    };
    Outcome out;
    try {
        PreparedFormula f(shortName, formula, resolve);
        out.value = f.evaluate(array.data(), section, ref);
        out.ok = true;
    } catch (const FormulaError& e) {
        out.error = e.text();
    }
    return out;
}

Outcome evalLiteral(const QString& formula, const NamedValues& values, const ReferenceData& ref,
                    const SectionNodes* section, const QString& shortName) {
    auto lookup = [&](const QString& name) -> std::optional<double> {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
    Outcome out;
    try {
        out.value = vichislitFormuluLiteral(shortName, formula, section, lookup, ref);
        out.ok = true;
    } catch (const FormulaError& e) {
        out.error = e.text();
    }
    return out;
}

ReferenceData sampleReference(const QLocale& locale) {
    const double nul = std::nan("");
    ReferenceData r;
    r.locale = locale;
    r.diameters = {{100, 107}, {100, 999}, {150, 160}, {200, 207}, {300, nul}, {400, 160}};
    r.densities = {{60, 983.2}, {70, 977.76}, {70, 1.0}, {80, 971.79}, {90, 965.3}};
    r.corrections = {{100, 0.5, 1.0}, {100, 1.0, 1.19}, {100, 0.5, 7.0}, {200, 0.5, 1.0}};
    r.index();
    return r;
}

QString headerContext(const QString& shortName) {
    return QStringLiteral("Ошибка при расчете показателя \"") + shortName + QStringLiteral("\":\r\r");
}

}  // namespace volm::test
