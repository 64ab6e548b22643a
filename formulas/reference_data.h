#pragma once
// The three reference-book tables in memory, read once per calculation run from
// the open reference-book file, so that an edit made in the reference-book
// editors is seen by the next run. Lookups return the first row, in table order,
// whose key equals the argument exactly; no interpolation, no nearest match.
#include <QLocale>
#include <optional>
#include <unordered_map>
#include <vector>

namespace volm {

struct DataModule;
class Database;

struct ReferenceData {
    // Null values are NaN.
    struct DiameterRow {
        double nominal;  // УслДиамТрПр
        double inner;    // ВнутрДиамТрПр
    };
    struct DensityRow {
        double temperature;  // Т
        double density;      // Плотность
    };
    struct CorrectionRow {
        double nominal;      // УслДиамТрПр
        double roughness;    // ЭквШер
        double coefficient;  // Коэф
    };

    // The tables in table order: ДиамТрПр, ПлВодыОтТ, ПопрКоэфКУдПот.
    std::vector<DiameterRow> diameters;
    std::vector<DensityRow> densities;
    std::vector<CorrectionRow> corrections;

    // Numbers inside the functions' messages are written in this locale.
    QLocale locale;

    // Reads the three tables: through the reference-book cursors of dm in their
    // current order when they are open, otherwise from dm.acSpr in file order.
    static ReferenceData load(const DataModule& dm, const QLocale& locale);
    // Reads the three tables of an open reference-book file in file order.
    static ReferenceData load(Database& spr, const QLocale& locale);

    // Builds the lookup indexes; call after filling the tables by hand.
    void index();

    // The result field of the first row whose key equals the argument; nullopt
    // when there is no such row or that row's result field is Null.
    std::optional<double> innerByNominal(int nominal) const;        // ДвнутрПоДу
    std::optional<double> nominalByInner(int inner) const;          // ДуПоДвнутр
    std::optional<double> densityByTemperature(int t) const;        // ПлВодыПоТ
    std::optional<double> correction(int nominal, double roughness) const;  // ПопрККУППоДуЭквШер

private:
    struct PairHash {
        size_t operator()(const std::pair<int, double>& p) const noexcept;
    };
    bool indexed_ = false;
    std::unordered_map<int, double> innerByNominal_, nominalByInner_, density_;
    std::unordered_map<std::pair<int, double>, double, PairHash> correction_;
};

}  // namespace volm
