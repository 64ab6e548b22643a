#include "output/chart_data.h"

#include "output/flow_direction.h"

#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"

#include <QSet>
#include <cmath>
#include <limits>

namespace volm {

namespace {

constexpr double kNullValue = std::numeric_limits<double>::quiet_NaN();

// Lowest and highest value drawn; Null values do not count.
struct Extent {
    bool any = false;
    double min = 0, max = 0;
    void widen(double v) {
        if (std::isnan(v)) return;
        if (!any) {
            min = max = v;
            any = true;
        } else {
            if (v < min) min = v;
            if (v > max) max = v;
        }
    }
};

class Walk {
public:
    Walk(Chart& chart, bool twoPipe) : chart_(chart), twoPipe_(twoPipe) {}
    void ground(double x, double y, const QString& label) { add(chart_.ground, x, y, label); }
    void sup(double x, double y, const QString& label = {}) { add(chart_.sup, x, y, label); }
    void ret(double x, double y) {
        if (twoPipe_) add(chart_.ret, x, y, {});
    }
    Extent extent;

private:
    void add(ChartSeries& s, double x, double y, const QString& label) {
        s.points.push_back(ChartPoint{x, y, label});
        extent.widen(y);
    }
    Chart& chart_;
    bool twoPipe_;
};

QString node(int n) { return QString::number(n); }

QString missingSection(const ChartMain& main, const MainRow& row) {
    return QStringLiteral("Участок %1 - %2 магистрали %3 не найден в таблице расчета. График построен не полностью.")
        .arg(row.startNode)
        .arg(row.endNode)
        .arg(main.idm);
}

}  // namespace

QString chartValueFormat(int precision) {
    QString f = QStringLiteral("0");
    if (precision > 0) f += QLatin1Char('.') + QString(precision, QLatin1Char('0'));
    return f;
}

std::vector<ChartPoint> Chart::nodeLabels() const {
    std::vector<ChartPoint> labels;
    for (const ChartSeries* s : {&ground, &ret, &sup})
        for (const ChartPoint& p : s->points)
            if (!p.label.isEmpty()) labels.push_back(p);
    return labels;
}

QString Chart::markText(double value) const {
    if (std::isnan(value)) return {};
    QString t = QString::number(value, 'f', decimals);
    // A value that rounds to zero is shown without a sign.
    bool allZero = true;
    for (QChar c : t)
        if (c.isDigit() && c != QLatin1Char('0')) allZero = false;
    if (allZero && t.startsWith(QLatin1Char('-'))) t.remove(0, 1);
    if (decimalSeparator != QLatin1Char('.')) t.replace(QLatin1Char('.'), decimalSeparator);
    return t;
}

Chart buildChart(const ChartSource& source, const ChartMain& main, const ChartRequest& request) {
    Chart chart;
    chart.title = main.text;
    chart.decimals = source.precision;
    chart.decimalSeparator = source.decimalSeparator;
    chart.valueFormat = chartValueFormat(source.precision);
    chart.ground.title = QStringLiteral("ГеодВыс");
    chart.ret.title = QStringLiteral("Обр");
    chart.sup.title = QStringLiteral("Под");
    chart.ground.rgb = kChartWhite;
    chart.ret.rgb = request.blackAndWhite ? kChartBlack : kChartBlue;
    chart.sup.rgb = request.blackAndWhite ? kChartBlack : kChartRed;
    const bool piezo = request.kind == ChartKind::Piezometric;
    chart.leftTitle = piezo ? QStringLiteral("Высота, напор, м.") : QStringLiteral("Температура воды в трубопроводе, град. С");

    // The row of the main that starts at the chosen start node.
    size_t at = 0;
    while (at < main.rows.size() && node(main.rows[at].startNode) != request.startNode) ++at;
    if (at == main.rows.size()) {
        chart.error = QStringLiteral("Начальный узел \"%1\" не найден в магистрали %2.").arg(request.startNode).arg(main.idm);
        return chart;
    }
    const ChartSection* first = source.section(main.rows[at].startNode, main.rows[at].endNode);
    if (!first) {
        chart.error = missingSection(main, main.rows[at]);
        return chart;
    }

    Walk walk(chart, source.twoPipe);
    double x = request.byLength ? first->lenStart : 0;
    const double x0 = x;
    walk.extent.widen(piezo ? first->groundStart : first->tSupStart);

    const MainRow* last = nullptr;
    const ChartSection* lastSection = nullptr;
    for (; at < main.rows.size(); ++at) {
        const MainRow& row = main.rows[at];
        const ChartSection* s = source.section(row.startNode, row.endNode);
        if (!s) {
            chart.error = missingSection(main, row);
            break;
        }
        if (piezo) {
            walk.ground(x, s->groundStart, node(row.startNode));
            walk.ret(x, s->retStart);
            walk.sup(x, s->supStart);
        } else {
            walk.sup(x, s->tSupStart, node(row.startNode));
            walk.ret(x, s->tRetStart);
        }
        x += request.byLength ? s->len : 1;
        if (piezo) {
            walk.ret(x, s->retEnd);
            walk.sup(x, s->supEnd);
        }
        last = &row;
        lastSection = s;
        if (node(row.endNode) == request.endNode) break;
    }
    if (chart.error.isEmpty() && (!last || node(last->endNode) != request.endNode))
        chart.error = QStringLiteral("Конечный узел \"%1\" не найден в магистрали %2 после начального узла %3. "
                                     "График построен не полностью.")
                          .arg(request.endNode)
                          .arg(main.idm)
                          .arg(request.startNode);

    if (chart.error.isEmpty()) {
        // Closing points at the end node.
        if (!piezo) {
            walk.sup(x, lastSection->tSupEnd, node(last->endNode));
            walk.ret(x, lastSection->tRetEnd);
        } else {
            walk.ground(x, lastSection->groundEnd, node(last->endNode));
            if (last->number != 1) {
                // The heads just after the end node: the start of the main's next section.
                const MainRow& next = main.rows[at + 1 < main.rows.size() ? at + 1 : at];
                const ChartSection* n = at + 1 < main.rows.size() ? source.section(next.startNode, next.endNode) : nullptr;
                if (n) {
                    walk.ret(x, n->retStart);
                    walk.sup(x, n->supStart);
                } else {
                    chart.error = at + 1 < main.rows.size()
                                      ? missingSection(main, next)
                                      : QStringLiteral("Магистраль %1 обрывается на узле %2. График построен не полностью.")
                                            .arg(main.idm)
                                            .arg(last->endNode);
                }
            } else {
                auto it = source.ends.find(last->endNode);
                if (it != source.ends.end()) {
                    walk.ret(x, it->second.ret);
                    walk.sup(x, it->second.sup);
                } else {
                    chart.error = QStringLiteral("Результаты в конечном узле %1 магистрали %2 не найдены. "
                                                 "График построен не полностью.")
                                      .arg(last->endNode)
                                      .arg(main.idm);
                }
            }
        }
    }

    // Axis ranges around what was drawn.
    const double dx = (x - x0) / 200;
    chart.xMin = x0 - dx;
    chart.xMax = x + dx;
    if (!(chart.xMax > chart.xMin)) {  // nothing along the axis: keep a visible range
        chart.xMin = x0 - 1;
        chart.xMax = x0 + 1;
    }
    if (walk.extent.any) {
        const double mn = walk.extent.min, mx = walk.extent.max;
        if (mn == mx) {
            chart.yMin = mn - 5;
            chart.yMax = mx + 5;
        } else {
            chart.yMin = mn - (mx - mn) / 10;
            chart.yMax = mx + (mx - mn) / 10;
        }
    }
    return chart;
}

std::vector<MainRow> readMainRows(Database& calculation) {
    std::vector<MainRow> rows;
    auto st = calculation.prepare(QStringLiteral(
        "SELECT id_m, NппУчВМ, НачУзел, КонУзел FROM МагистралиТС ORDER BY id_m ASC, NппУчВМ DESC"));
    while (st->step()) {
        MainRow r;
        r.idm = st->column(0).toInt();
        r.number = st->column(1).toInt();
        r.startNode = st->column(2).toInt();
        r.endNode = st->column(3).toInt();
        rows.push_back(r);
    }
    return rows;
}

ChartSource readChartSource(Database& calculation, int precision, QChar decimalSeparator) {
    ChartSource source;
    source.precision = precision;
    source.decimalSeparator = decimalSeparator;
    {
        auto st = calculation.prepare(QStringLiteral("SELECT ТипСети FROM НазвРасч"));
        if (st->step()) source.twoPipe = st->column(0).toInt() == 1;
        while (st->step()) {
        }
    }
    auto number = [](const QVariant& v) { return v.isNull() ? kNullValue : v.toDouble(); };
    {
        // A one-pipe calculation has no return columns: they read as Null.
        QSet<QString> present;
        for (const Database::ColumnInfo& c : calculation.columns(QStringLiteral("Табл"))) present.insert(c.name);
        // A section the water runs against keeps its values in the water's
        // direction, as the mains take it.
        QString sql = QStringLiteral("SELECT НачУзел, КонУзел, ") +
                      (present.contains(QStringLiteral("РасхПод")) ? QStringLiteral("РасхПод") : QStringLiteral("NULL"));
        for (const char* column : {"ДлНачПод", "ДлНаУчПод", "ГеодВысНач", "ГеодВысКон", "ПНапНачПод", "ПНапКонПод",
                                   "ПНапНачОбр", "ПНапКонОбр", "ТВодыНачПод", "ТВодыКонПод", "ТВодыНачОбр",
                                   "ТВодыКонОбр"}) {
            const QString name = QString::fromUtf8(column);
            sql += QStringLiteral(", ") + (present.contains(name) ? name : QStringLiteral("NULL"));
        }
        auto st = calculation.prepare(sql + QStringLiteral(" FROM Табл"));
        while (st->step()) {
            if (st->column(0).isNull() || st->column(1).isNull()) continue;
            ChartSection s;
            double* fields[] = {&s.lenStart, &s.len, &s.groundStart, &s.groundEnd, &s.supStart, &s.supEnd,
                                &s.retStart, &s.retEnd, &s.tSupStart, &s.tSupEnd, &s.tRetStart, &s.tRetEnd};
            for (int i = 0; i < 12; ++i) *fields[i] = number(st->column(i + 3));
            const bool turned = runsAgainstEntry(st->column(2));
            const int a = st->column(turned ? 1 : 0).toInt(), b = st->column(turned ? 0 : 1).toInt();
            // The first row of a pair counts, as a search of the table finds it.
            source.sections.emplace(ChartSource::sectionKey(a, b), s);
        }
    }
    {
        const bool withReturn = [&] {
            for (const Database::ColumnInfo& c : calculation.columns(QStringLiteral("КонМаг")))
                if (c.name == QStringLiteral("ПНапОбр")) return true;
            return false;
        }();
        auto st = calculation.prepare(withReturn ? QStringLiteral("SELECT КонУзел, ПНапПод, ПНапОбр FROM КонМаг")
                                                 : QStringLiteral("SELECT КонУзел, ПНапПод, NULL FROM КонМаг"));
        while (st->step()) {
            if (st->column(0).isNull()) continue;
            source.ends.emplace(st->column(0).toInt(), ChartEnd{number(st->column(1)), number(st->column(2))});
        }
    }
    return source;
}

ChartSource readChartSource(App& app) {
    return readChartSource(app.dm.acGR, reportPrecision(app), app.SistRazdelitel);
}

}  // namespace volm
