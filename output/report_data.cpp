// Gathering the report data from the open calculation.
#include "output/report_data.h"

#include "calc/calc_text.h"
#include "output/flow_direction.h"
#include "output/output_lookup.h"
#include "output/regime_warnings.h"
#include "store/app.h"
#include "store/database.h"
#include "store/errors.h"

#include <cmath>
#include <map>
#include <set>

namespace volm::report {

int Dataset::index(const QString& name) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return int(i);
    return -1;
}

QVariant Dataset::value(int row, const QString& name) const {
    const int f = index(name);
    if (f < 0 || row < 0 || row >= int(rows.size())) return {};
    return rows[size_t(row)][size_t(f)];
}

Dataset Dataset::fromTable(const Table& t) {
    Dataset d;
    d.fields = t.fields();
    const int n = t.rowCount(), m = t.fieldCount();
    d.rows.reserve(size_t(n));
    for (int r = 0; r < n; ++r) {
        std::vector<QVariant> row;
        row.reserve(size_t(m));
        for (int f = 0; f < m; ++f) row.push_back(t.valueAt(r, f));
        d.rows.push_back(std::move(row));
    }
    return d;
}

void appendValue(std::string& out, const QVariant& v, FieldKind kind, int precision, QChar separator) {
    if (v.isNull()) return;
    const bool number = kind == FieldKind::Float ||
                        (kind == FieldKind::Unknown && v.typeId() == QMetaType::Double);
    if (number) {
        const double x = v.toDouble();
        if (!std::isfinite(x)) return;
        if (separator.unicode() < 0x80) {
            calc::appendFixed(out, x, precision, separator);  // digits, sign and separator are ASCII
        } else {
            out += calc::fixedNumber(x, precision, separator).toStdString();
        }
        return;
    }
    switch (kind) {
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::Byte:
        out += std::to_string(v.toLongLong());
        return;
    case FieldKind::Bool:
        out += v.toBool() ? "1" : "0";
        return;
    default:
        out += v.toString().toStdString();
    }
}

std::string valueText(const QVariant& v, FieldKind kind, int precision, QChar separator) {
    std::string s;
    appendValue(s, v, kind, precision, separator);
    return s;
}

QString networkTypeGenitive(int networkType) {
    return networkType == 1 ? QStringLiteral("двухтрубной") : QStringLiteral("однотрубной");
}

namespace {

Table& need(const std::unique_ptr<Table>& t, const char* name) {
    if (!t || !t->isOpen()) throw DatabaseError(QStringLiteral("Таблица \"%1\" не открыта.").arg(QString::fromUtf8(name)));
    return *t;
}

std::vector<MarkedColumn> marked(const std::vector<OutputColumn>& columns) {
    std::vector<MarkedColumn> out;
    out.reserve(columns.size());
    for (const OutputColumn& c : columns) out.push_back({c.shortName, c.caption, c.title});
    return out;
}

// The path of every main, "1 - 2 - 8", from its sections numbered down to 1.
std::map<qint64, QString> mainPaths(Database& gr) {
    std::map<qint64, QString> paths;
    auto st = gr.prepare(QStringLiteral(
        "SELECT id_m, NппУчВМ, НачУзел, КонУзел FROM МагистралиТС ORDER BY id_m ASC, NппУчВМ DESC"));
    const QString dash = QStringLiteral(" - ");
    while (st->step()) {
        const qint64 id = st->column(0).toLongLong();
        QString& p = paths[id];
        if (!p.isEmpty() && !p.endsWith(dash)) continue;  // ended already at the section numbered 1
        p += QString::number(st->column(2).toLongLong()) + dash;
        if (st->column(1).toLongLong() <= 1) {
            p += QString::number(st->column(3).toLongLong());
        }
    }
    for (auto& [id, p] : paths)
        if (p.endsWith(dash)) p.chop(dash.size());
    return paths;
}

// End nodes of the mains, then the section ends, whose available head is below 0.1 m.
std::vector<int> lowHeads(const ReportData& d) {
    constexpr double kLimit = 0.1;
    std::vector<int> nodes;
    std::set<int> seen;
    auto add = [&](const QVariant& node, const QVariant& head) {
        if (node.isNull() || head.isNull() || head.toDouble() >= kLimit) return;
        if (seen.insert(node.toInt()).second) nodes.push_back(node.toInt());
    };
    const int mEnd = d.konMag.index(QStringLiteral("КонУзел")), mHead = d.konMag.index(QStringLiteral("РНап"));
    if (mEnd >= 0 && mHead >= 0)
        for (const auto& r : d.konMag.rows) add(r[size_t(mEnd)], r[size_t(mHead)]);
    const int s = d.tabl.index(QStringLiteral("НачУзел")), e = d.tabl.index(QStringLiteral("КонУзел"));
    const int hs = d.tabl.index(QStringLiteral("РНапНач")), he = d.tabl.index(QStringLiteral("РНапКон"));
    const int flow = d.tabl.index(QStringLiteral("РасхПод"));
    if (s >= 0 && e >= 0 && hs >= 0 && he >= 0)
        for (const auto& r : d.tabl.rows) {
            // A section the water runs against keeps its heads in the water's direction.
            const bool turned = flow >= 0 && runsAgainstEntry(r[size_t(flow)]);
            add(r[size_t(turned ? e : s)], r[size_t(hs)]);
            add(r[size_t(turned ? s : e)], r[size_t(he)]);
        }
    return nodes;
}

}  // namespace

ReportData gatherReportData(App& app) {
    DataModule& dm = app.dm;
    ReportData d;
    d.date = QDate::currentDate();
    d.separator = app.SistRazdelitel;

    Table& nazv = need(dm.atNazvRasch, "НазвРасч");
    d.nazvRas = Dataset::fromTable(nazv);
    d.networkType = d.nazvRas.value(0, QStringLiteral("ТипСети")).toInt();
    d.nastr = Dataset::fromTable(need(dm.atNastr, "Настройки"));
    d.precision = std::clamp(d.nastr.value(0, QStringLiteral("ТочностьЧиселВОтч")).toInt(), 0, 7);

    // A stop may come between the steps (the person's events are let through).
    Person& person = app.person();
    d.zag = Dataset::fromTable(need(dm.atZag, "Заг"));
    person.processEvents();
    d.tabl = Dataset::fromTable(need(dm.atTabl, "Табл"));
    person.processEvents();
    Table& konMag = need(dm.atKonMag, "КонМаг");
    konMag.setSort(QStringLiteral("id_m ASC"));
    d.konMag = Dataset::fromTable(konMag);
    d.rashPod = Dataset::fromTable(need(dm.aqRashPod, "ФлыПредопрПок"));
    d.rashObr = Dataset::fromTable(need(dm.aqRashObr, "ФлыПредопрПок"));

    const OutputColumns columns = outputColumns(dm.acGR);
    d.headerColumns = marked(columns.header);
    d.sectionColumns = marked(columns.sections);

    person.processEvents();
    const auto paths = mainPaths(dm.acGR);
    person.processEvents();
    const int id = d.konMag.index(QStringLiteral("id_m"));
    for (const auto& r : d.konMag.rows) {
        const auto it = id >= 0 ? paths.find(r[size_t(id)].toLongLong()) : paths.end();
        d.mainPaths.push_back(it == paths.end() ? QString() : it->second);
    }
    if (d.twoPipe()) d.lowHeadNodes = lowHeads(d);
    d.warnings = storedRegimeWarnings(app);
    return d;
}

}  // namespace volm::report
