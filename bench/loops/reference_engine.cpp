#include "bench/loops/reference_engine.h"

#include "store/database.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <cmath>
#include <vector>

namespace volm::bench {

namespace {

constexpr double kEngineDensity = 971.77;  // the one density of scripts/epanet_network.js, kg/m³

struct Section {
    int from = 0, to = 0;
    double flow = 0, lossAtStart = 0, lossAtEnd = 0;  // stored in the water's direction
};

}  // namespace

EngineFigure timeReferenceEngine(const QString& path, const QString& endsFrom, const QString& work) {
    EngineFigure figure;
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty()) {
        figure.skipped = QStringLiteral("node not found");
        return figure;
    }
    QProcess check;
    check.setStandardErrorFile(QProcess::nullDevice());
    check.start(node, {QStringLiteral("-e"), QStringLiteral("require('epanet-js')")});
    check.waitForFinished(-1);
    if (check.exitStatus() != QProcess::NormalExit || check.exitCode() != 0) {
        figure.skipped = QStringLiteral("epanet-js not found through NODE_PATH");
        return figure;
    }

    QHash<int, int> index;  // node number -> the engine's node, the source first
    std::vector<double> demand;
    auto nodeOf = [&](int n) {
        auto it = index.find(n);
        if (it == index.end()) {
            it = index.insert(n, int(index.size()));
            demand.push_back(0);
        }
        return *it;
    };
    Database db;
    db.open(path);
    {
        auto source = db.prepare(QStringLiteral("SELECT NНачУз FROM НазвРасч"));
        source->step();
        nodeOf(source->column(0).toInt());
    }
    auto kq = db.prepare(QStringLiteral("SELECT ЭквШер FROM Заг"));
    kq->step();
    const double roughness = kq->column(0).toDouble() / 1000;

    QString text;
    QTextStream out(&text);
    out.setRealNumberPrecision(17);
    std::vector<Section> sections;
    auto st = db.prepare(QStringLiteral(
        "SELECT НачУзел, КонУзел, ДлНаУчПод, КоэфМП, Двн, ПлПод, РасхПод, ПотНОтИНачПод, ПотНОтИКонПод FROM Табл ORDER BY id"));
    while (st->step()) {
        Section s{nodeOf(st->column(0).toInt()), nodeOf(st->column(1).toInt()), st->column(6).toDouble(),
                  st->column(7).toDouble(), st->column(8).toDouble()};
        // Loss = 0.00688·kэ^0.25·G²·l·(1 + α) / (9.81·ρ²·d^5.25): at the engine's density the length grows by (ρ₀/ρ)².
        const double density = st->column(5).toDouble();
        const double length =
            st->column(2).toDouble() * (1 + st->column(3).toDouble()) * std::pow(kEngineDensity / density, 2);
        out << "pipe " << s.from << ' ' << s.to << ' ' << length << ' ' << st->column(4).toDouble() / 1000 << ' '
            << roughness << '\n';
        sections.push_back(s);
    }
    {
        Database ends;
        ends.open(endsFrom);
        auto e = ends.prepare(QStringLiteral(
            "SELECT КонУзел, РасхПод FROM Табл WHERE КонУзел NOT IN (SELECT НачУзел FROM Табл)"));
        while (e->step()) demand[size_t(nodeOf(e->column(0).toInt()))] += e->column(1).toDouble();
    }
    for (size_t v = 1; v < demand.size(); ++v)
        if (demand[v] > 0) out << "demand " << v << ' ' << demand[v] << '\n';
    out.flush();
    text.prepend(QStringLiteral("nodes %1 source 0\n").arg(index.size()));
    const QString file = work + QStringLiteral("/engine-network.txt");
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly)) {
            figure.skipped = QStringLiteral("cannot write ") + file;
            return figure;
        }
        f.write(text.toUtf8());
    }

    QProcess p;
    p.start(node, {QStringLiteral(VOLM_SOURCE_DIR "/scripts/epanet_time.js"), file, QStringLiteral("5")});
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        figure.skipped = QStringLiteral("the engine failed: ") + QString::fromUtf8(p.readAllStandardError());
        return figure;
    }
    std::vector<double> loss(demand.size(), 0);
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> w = line.split(' ');
        if (w.size() < 2) continue;
        if (w[0] == "seconds") figure.seconds = w[1].toDouble();
        if (w.size() < 3) continue;
        const size_t i = size_t(w[1].toLongLong());
        if (w[0] == "flow" && i < sections.size())
            figure.flowDiff = std::max(figure.flowDiff, std::abs(std::abs(w[2].toDouble()) - std::abs(sections[i].flow)));
        else if (w[0] == "loss" && i < loss.size())
            loss[i] = w[2].toDouble();
    }
    for (const Section& s : sections) {
        const double a = loss[size_t(s.from)], b = loss[size_t(s.to)];
        const double asEntered = std::max(std::abs(a - s.lossAtStart), std::abs(b - s.lossAtEnd));
        const double turned = std::max(std::abs(b - s.lossAtStart), std::abs(a - s.lossAtEnd));
        figure.lossDiff = std::max(figure.lossDiff, std::min(asEntered, turned));
    }
    figure.ran = true;
    return figure;
}

}  // namespace volm::bench
