// Evaluations per second of the prepared evaluator, driven as the calculation run
// drives it: the standard method's table formulas in their evaluation order, on
// every section of a large network, each result written back into the section's
// values before the next formula reads it.
//
//   volm_formulas_bench [sections] [seconds]
#include "formulas/evaluator.h"
#include "formulas/reference_data.h"

#include <QFile>
#include <QStringList>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace volm;

namespace {

struct Formula {
    const char* name;
    const char* text;
};

// ПотНОтИКонОбр and the user table formulas of the template, in evaluation order.
const Formula kFormulas[] = {
    {"Двн", "ДвнутрПоДу(<Ду>)"},
    {"ТСрПод", "Округл((<ТВодыНачПод>+<ТВодыКонПод>)/2;0)"},
    {"ПлПод", "ПлВодыПоТ(<ТСрПод>)"},
    {"ПотНОтИКонОбр",
     "<ПотНОтИНачОбр>+0,00688*Степень(<ЭквШер>/1000;0,25)*Степень(<РасхОбр>;2)*<ДлНаУчОбр>*(1+<КоэфМП>)/"
     "(9,81*Степень(ПлВодыПоТ(Округл((<ТВодыНачОбр>+<ТВодыКонОбр>)/2;0));2)*Степень(<Двн>/1000;5,25))"},
    {"УдПотПод", "0,00688*Степень(<ЭквШер>/1000;0,25)*Степень(<РасхПод>;2)/(<ПлПод>*Степень(<Двн>/1000;5,25))"},
    {"ПотНаУчПод", "<УдПотПод>*<ДлНаУчПод>*(1+<КоэфМП>)/(9,81*<ПлПод>)"},
    {"СкорПод", "<РасхПод>/3,6/<ПлПод>/(3,14159265*Степень(<Двн>/1000;2)/4)"},
    {"ПотНОтИКонПод", "<ПотНОтИНачПод>+<ПотНаУчПод>"},
};

const char* const kFields[] = {"ЭквШер",        "Ду",          "КоэфМП",       "Двн",         "ТСрПод",
                               "ПлПод",         "УдПотПод",    "ПотНаУчПод",   "СкорПод",     "РасхПод",
                               "РасхОбр",       "ДлНаУчПод",   "ДлНаУчОбр",    "ТВодыНачПод", "ТВодыКонПод",
                               "ТВодыНачОбр",   "ТВодыКонОбр", "ПотНОтИНачПод", "ПотНОтИКонПод",
                               "ПотНОтИНачОбр", "ПотНОтИКонОбр"};
constexpr int kFieldCount = int(std::size(kFields));

int fieldIndex(const QString& name) {
    for (int i = 0; i < kFieldCount; ++i)
        if (name == QString::fromUtf8(kFields[i])) return i;
    return -1;
}

std::vector<std::vector<double>> readCsv(const QString& file) {
    std::vector<std::vector<double>> rows;
    QFile f(QStringLiteral(VOLM_REFDATA_DIR "/") + file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
    f.readLine();  // header
    while (!f.atEnd()) {
        const QStringList cells = QString::fromUtf8(f.readLine()).trimmed().split(QLatin1Char(','));
        std::vector<double> row;
        for (const QString& c : cells) row.push_back(c.toDouble());
        if (!cells.isEmpty() && !cells[0].isEmpty()) rows.push_back(row);
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    const int sections = argc > 1 ? std::atoi(argv[1]) : 30000;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 2.0;

    ReferenceData ref;
    for (auto& r : readCsv(QStringLiteral("pipe_diameters.csv"))) ref.diameters.push_back({r[0], r[1]});
    for (auto& r : readCsv(QStringLiteral("water_density.csv"))) ref.densities.push_back({r[0], r[1]});
    for (auto& r : readCsv(QStringLiteral("roughness_correction.csv")))
        ref.corrections.push_back({r[0], r[1], r[2]});
    ref.index();

    std::vector<PreparedFormula> formulas;
    for (const auto& f : kFormulas)
        formulas.emplace_back(QString::fromUtf8(f.name), QString::fromUtf8(f.text), fieldIndex);
    std::vector<int> target;
    for (const auto& f : kFormulas) target.push_back(fieldIndex(QString::fromUtf8(f.name)));

    // Sections with plausible inputs.
    std::mt19937 rng(1);
    const double nominal[] = {50, 80, 100, 150, 200, 250, 300, 400};
    const double nan = std::nan("");
    std::vector<double> rows(size_t(sections) * kFieldCount, nan);
    for (int s = 0; s < sections; ++s) {
        double* v = &rows[size_t(s) * kFieldCount];
        v[fieldIndex(QStringLiteral("ЭквШер"))] = 0.5;
        v[fieldIndex(QStringLiteral("Ду"))] = nominal[rng() % 8];
        v[fieldIndex(QStringLiteral("КоэфМП"))] = 0.3;
        v[fieldIndex(QStringLiteral("РасхПод"))] = 5 + rng() % 200;
        v[fieldIndex(QStringLiteral("РасхОбр"))] = v[fieldIndex(QStringLiteral("РасхПод"))];
        v[fieldIndex(QStringLiteral("ДлНаУчПод"))] = 50 + rng() % 500;
        v[fieldIndex(QStringLiteral("ДлНаУчОбр"))] = v[fieldIndex(QStringLiteral("ДлНаУчПод"))];
        v[fieldIndex(QStringLiteral("ТВодыНачПод"))] = 95 - (rng() % 100) / 10.0;
        v[fieldIndex(QStringLiteral("ТВодыКонПод"))] = 85 - (rng() % 100) / 10.0;
        v[fieldIndex(QStringLiteral("ТВодыНачОбр"))] = 70 + (rng() % 100) / 10.0;
        v[fieldIndex(QStringLiteral("ТВодыКонОбр"))] = 75 + (rng() % 100) / 10.0;
        v[fieldIndex(QStringLiteral("ПотНОтИНачПод"))] = (rng() % 1000) / 100.0;
        v[fieldIndex(QStringLiteral("ПотНОтИНачОбр"))] = (rng() % 1000) / 100.0;
    }

    long long evaluations = 0;
    double checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        for (int s = 0; s < sections; ++s) {
            double* v = &rows[size_t(s) * kFieldCount];
            const SectionNodes section{s, s + 1};
            for (size_t i = 0; i < formulas.size(); ++i) v[target[i]] = formulas[i].evaluate(v, &section, ref);
            checksum += v[target.back()];
        }
        evaluations += (long long)sections * (long long)formulas.size();
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < seconds);

    std::printf("%lld evaluations of %zu formulas on %d sections in %.3f s\n", evaluations, formulas.size(), sections,
                elapsed);
    std::printf("evaluations per second: %.0f\n", double(evaluations) / elapsed);
    std::printf("(checksum %.6g)\n", checksum);
    return 0;
}
