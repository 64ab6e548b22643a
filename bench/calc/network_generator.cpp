#include "bench/calc/network_generator.h"

#include "bench/support/bench_support.h"
#include "store/database.h"

#include <cmath>
#include <random>
#include <vector>

namespace volm::bench {

namespace {

// Nominal diameters of the reference book, with their inner diameters in mm.
struct Pipe {
    int nominal;
    double inner;
};
constexpr Pipe kPipes[] = {{32, 32},   {40, 39},   {50, 51},   {65, 70},   {80, 81},   {100, 100}, {125, 125},
                           {150, 150}, {200, 207}, {250, 259}, {300, 311}, {350, 363}, {400, 412}, {500, 516},
                           {600, 614}, {700, 704}, {800, 802}, {900, 900}, {1000, 998}, {1200, 1198}, {1400, 1396}};

// The smallest pipe that carries the flow (t/h) at no more than 1 m/s.
int nominalFor(double flow) {
    for (const Pipe& p : kPipes) {
        const double area = 3.14159265 * std::pow(p.inner / 1000, 2) / 4;
        if (flow / 3.6 / 970 / area <= 1.0) return p.nominal;
    }
    return 1400;
}

}  // namespace

GeneratedNetwork generateNetwork(const QString& path, int sections, unsigned seed, bool twoPipe) {
    std::mt19937 rng(seed);
    const int nodes = sections + 1;
    // Node k (2 ... nodes) is the end of section k - 1 and hangs on an earlier node.
    std::vector<int> parent(size_t(nodes) + 1, 0);
    std::vector<int> children(size_t(nodes) + 1, 0);
    for (int k = 2; k <= nodes; ++k) {
        parent[size_t(k)] = std::uniform_int_distribution<int>(1, k - 1)(rng);
        ++children[size_t(parent[size_t(k)])];
    }
    std::vector<double> endFlow(size_t(nodes) + 1, 0), carried(size_t(nodes) + 1, 0);
    std::uniform_real_distribution<double> flowDist(2, 25);
    int ends = 0;
    for (int k = 2; k <= nodes; ++k)
        if (children[size_t(k)] == 0) {
            endFlow[size_t(k)] = std::round(flowDist(rng) * 10) / 10;
            ++ends;
        }
    for (int k = nodes; k >= 2; --k) {
        carried[size_t(k)] += endFlow[size_t(k)];
        carried[size_t(parent[size_t(k)])] += carried[size_t(k)];
    }

    Database db;
    db.open(path);
    db.begin();
    db.exec(QStringLiteral("UPDATE НазвРасч SET НазвРасч='Сеть для замера скорости', ТипСети=%1, РасчРасх=True, "
                           "NНачУз=1, NузПНапПод=1, NузРНап=1")
                .arg(twoPipe ? 1 : 0));
    db.exec(QStringLiteral("UPDATE Заг SET ЭквШер=0.5, ПНапНаУзПод=250, РНапНаУз=150, МинТВоды=70, МаксТВоды=95"));
    {
        auto st = db.prepare(QStringLiteral("INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (?, ?)"));
        std::uniform_real_distribution<double> height(80, 140);
        for (int k = 1; k <= nodes; ++k) {
            st->bind(1, qint64(k));
            st->bind(2, std::round(height(rng) * 10) / 10);
            st->run();
        }
    }
    {
        auto st = db.prepare(QStringLiteral(
            "INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, ДлНаУчПод, Ду, КоэфМП) VALUES (?, ?, ?, ?, ?, ?, ?)"));
        std::uniform_int_distribution<int> length(20, 200);
        for (int k = 2; k <= nodes; ++k) {
            st->bind(1, qint64(k - 1));
            st->bind(2, qint64(parent[size_t(k)]));
            st->bind(3, qint64(k));
            if (endFlow[size_t(k)] > 0)
                st->bind(4, endFlow[size_t(k)]);
            else
                st->bindNull(4);
            st->bind(5, double(length(rng)));
            st->bind(6, qint64(nominalFor(carried[size_t(k)])));
            st->bind(7, children[size_t(k)] == 0 ? 0.2 : 0.3);
            st->run();
        }
    }
    {
        // A booster pump on the supply pipeline every 2000 nodes.
        auto st = db.prepare(QStringLiteral("INSERT INTO ИзмПНапВУзлахТС (Nуз, ТрПр, ИзмПНап) VALUES (?, 0, 15)"));
        for (int k = 2000; k <= nodes; k += 2000) {
            st->bind(1, qint64(k));
            st->run();
        }
    }
    // The consumers' required heads, where the template has the balancing indicators.
    for (const Database::ColumnInfo& c : db.columns(QStringLiteral("Табл")))
        if (c.name == QStringLiteral("ТребРНап"))
            db.exec(QStringLiteral("UPDATE Табл SET ТребРНап = 15 WHERE КонУзел NOT IN (SELECT НачУзел FROM Табл)"));
    db.commit();
    return {sections, ends};
}

bool makeNetworkFile(const QString& binDir, const QString& path, int sections) {
    if (!copyFile(QDir(binDir).filePath(QStringLiteral("GidrRas.mdb")), path)) return false;
    generateNetwork(path, sections);
    return true;
}

}  // namespace volm::bench
