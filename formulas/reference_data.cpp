#include "formulas/reference_data.h"

#include "store/sql_names.h"

#include "store/data_module.h"
#include "store/database.h"
#include "store/table.h"

#include <cmath>
#include <limits>

namespace volm {

namespace {

constexpr double kNull = std::numeric_limits<double>::quiet_NaN();

double num(const QVariant& v) {
    if (v.isNull()) return kNull;
    bool ok = false;
    double d = v.toDouble(&ok);
    return ok ? d : kNull;
}

// Rows of a table as doubles, in the cursor's order or in file order.
std::vector<std::vector<double>> readRows(Table* cursor, Database& db, const QString& table,
                                          const std::vector<QString>& fields) {
    std::vector<std::vector<double>> rows;
    if (cursor && cursor->isOpen()) {
        std::vector<int> idx;
        for (const auto& f : fields) idx.push_back(cursor->fieldIndex(f));
        for (int r = 0; r < cursor->rowCount(); ++r) {
            std::vector<double> row;
            for (int i : idx) row.push_back(i < 0 ? kNull : num(cursor->valueAt(r, i)));
            rows.push_back(std::move(row));
        }
        return rows;
    }
    QString sql = QStringLiteral("SELECT ");
    for (size_t i = 0; i < fields.size(); ++i)
        sql += (i ? QStringLiteral(", ") : QString()) + quoteIdentifier(fields[i]);
    sql += QStringLiteral(" FROM ") + quoteIdentifier(table) + QStringLiteral(" ORDER BY rowid");
    auto st = db.prepare(sql);
    while (st->step()) {
        std::vector<double> row;
        for (int i = 0; i < int(fields.size()); ++i) row.push_back(num(st->column(i)));
        rows.push_back(std::move(row));
    }
    return rows;
}

ReferenceData fill(Table* d, Table* p, Table* c, Database& db, const QLocale& locale) {
    ReferenceData r;
    r.locale = locale;
    for (auto& row : readRows(d, db, QStringLiteral("ДиамТрПр"),
                              {QStringLiteral("УслДиамТрПр"), QStringLiteral("ВнутрДиамТрПр")}))
        r.diameters.push_back({row[0], row[1]});
    for (auto& row : readRows(p, db, QStringLiteral("ПлВодыОтТ"), {QStringLiteral("Т"), QStringLiteral("Плотность")}))
        r.densities.push_back({row[0], row[1]});
    for (auto& row : readRows(c, db, QStringLiteral("ПопрКоэфКУдПот"),
                              {QStringLiteral("УслДиамТрПр"), QStringLiteral("ЭквШер"), QStringLiteral("Коэф")}))
        r.corrections.push_back({row[0], row[1], row[2]});
    r.index();
    return r;
}

bool wholeKey(double v, int& k) {
    if (!(v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())) return false;
    if (std::trunc(v) != v) return false;
    k = int(v);
    return true;
}

std::optional<double> result(double v) {
    if (std::isnan(v)) return std::nullopt;
    return v;
}

}  // namespace

size_t ReferenceData::PairHash::operator()(const std::pair<int, double>& p) const noexcept {
    return std::hash<int>()(p.first) * 1000003u ^ std::hash<double>()(p.second);
}

ReferenceData ReferenceData::load(const DataModule& dm, const QLocale& locale) {
    return fill(dm.atDiamTrPr.get(), dm.atPlVodiOtT.get(), dm.atPoprKoefKUdPot.get(),
                const_cast<Database&>(dm.acSpr), locale);
}

ReferenceData ReferenceData::load(Database& spr, const QLocale& locale) {
    return fill(nullptr, nullptr, nullptr, spr, locale);
}

void ReferenceData::index() {
    innerByNominal_.clear();
    nominalByInner_.clear();
    density_.clear();
    correction_.clear();
    int k = 0;
    for (const auto& r : diameters) {
        if (wholeKey(r.nominal, k)) innerByNominal_.try_emplace(k, r.inner);
        if (wholeKey(r.inner, k)) nominalByInner_.try_emplace(k, r.nominal);
    }
    for (const auto& r : densities)
        if (wholeKey(r.temperature, k)) density_.try_emplace(k, r.density);
    for (const auto& r : corrections) {
        if (!wholeKey(r.nominal, k) || std::isnan(r.roughness)) continue;
        // 0 and -0 are equal as numbers: one key for both.
        correction_.try_emplace({k, r.roughness == 0 ? 0.0 : r.roughness}, r.coefficient);
    }
    indexed_ = true;
}

std::optional<double> ReferenceData::innerByNominal(int nominal) const {
    if (indexed_) {
        auto it = innerByNominal_.find(nominal);
        return it == innerByNominal_.end() ? std::nullopt : result(it->second);
    }
    for (const auto& r : diameters)
        if (r.nominal == nominal) return result(r.inner);
    return std::nullopt;
}

std::optional<double> ReferenceData::nominalByInner(int inner) const {
    if (indexed_) {
        auto it = nominalByInner_.find(inner);
        return it == nominalByInner_.end() ? std::nullopt : result(it->second);
    }
    for (const auto& r : diameters)
        if (r.inner == inner) return result(r.nominal);
    return std::nullopt;
}

std::optional<double> ReferenceData::densityByTemperature(int t) const {
    if (indexed_) {
        auto it = density_.find(t);
        return it == density_.end() ? std::nullopt : result(it->second);
    }
    for (const auto& r : densities)
        if (r.temperature == t) return result(r.density);
    return std::nullopt;
}

std::optional<double> ReferenceData::correction(int nominal, double roughness) const {
    if (indexed_) {
        if (std::isnan(roughness)) return std::nullopt;
        auto it = correction_.find({nominal, roughness == 0 ? 0.0 : roughness});
        return it == correction_.end() ? std::nullopt : result(it->second);
    }
    for (const auto& r : corrections)
        if (r.nominal == nominal && r.roughness == roughness) return result(r.coefficient);
    return std::nullopt;
}

}  // namespace volm
