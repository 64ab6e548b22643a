#include "ui/result_columns.h"

#include "calc/regime_checks.h"
#include "formulas/catalogue.h"
#include "formulas/reference_data.h"
#include "output/flow_direction.h"
#include "store/app.h"
#include "store/view_options.h"
#include "ui/data_grid_model.h"

#include <QColor>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace volm::ui {

namespace {

constexpr int kHeaderWidth = 111;
constexpr int kSectionWidth = 104;

QVariant firstValue(const Table* t, const QString& field) {
    if (!t || !t->isOpen() || t->isEmpty()) return {};
    const int f = t->fieldIndex(field);
    return f < 0 ? QVariant() : t->valueAt(0, f);
}

// The values of a cursor as the checks read them: doubles, NaN for Null.
void fillValues(const Table& t, calc::ValueTable& v) {
    std::vector<QString> names;
    for (const Field& f : t.fields()) names.push_back(f.name);
    v.setColumns(names, t.rowCount());
    for (int r = 0; r < t.rowCount(); ++r)
        for (int f = 0; f < t.fieldCount(); ++f) {
            if (t.fields()[size_t(f)].kind == FieldKind::Text) continue;
            const QVariant x = t.valueAt(r, f);
            bool ok = false;
            const double d = x.isNull() ? calc::kNull : x.toDouble(&ok);
            v.values[size_t(r) * size_t(v.width) + size_t(f)] = x.isNull() || !ok ? calc::kNull : d;
        }
}

}  // namespace

ResultColumns::ResultColumns(App& app, DataGridModel* header, DataGridModel* sections, QLabel* status, QObject* parent)
    : QObject(parent), app_(app), status_(status) {
    header_.model = header;
    sections_.model = sections;
    header->cellLook = [this](int row, int column, int role) { return look(header_, true, row, column, role); };
    sections->cellLook = [this](int row, int column, int role) { return look(sections_, false, row, column, role); };
    // The calculation-done flag and the precision change under many commands:
    // the grids follow them within a moment.
    timer_ = new QTimer(this);
    timer_->setInterval(300);
    connect(timer_, &QTimer::timeout, this, &ResultColumns::poll);
    timer_->start();
}

QColor ResultColumns::computedTint() { return QColor(230, 238, 250); }
QColor ResultColumns::staleTint() { return QColor(236, 236, 236); }
QColor ResultColumns::lowHeadTint() { return QColor(255, 205, 205); }
QColor ResultColumns::warningTint() { return QColor(255, 228, 160); }

void ResultColumns::loadChoice() {
    try {
        shown_ = showComputedIndicators(app_);
    } catch (...) {
        shown_ = false;
    }
}

void ResultColumns::setShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    try {
        setShowComputedIndicators(app_, shown);
    } catch (const std::exception&) {
        // The choice still holds for this session.
    }
    apply();
}

void ResultColumns::apply() {
    if (!app_.RasVip) invalidate();
    applyTo(header_, true);
    applyTo(sections_, false);
    poll();
    if (shown_ && app_.RasVip) findMarks();
}

// The entered columns of a grid's table and its computed ones, both in the
// order of the table, with the computed ones' full names.
void ResultColumns::columnsOf(const Table& t, bool header, QStringList& entered,
                              std::vector<std::pair<QString, QString>>& computed) const {
    Catalogue catalogue;
    try {
        catalogue = Catalogue::load(app_.dm.acGR);
    } catch (...) {
    }
    const QVariant supplyNode = firstValue(app_.dm.atNazvRasch.get(), QStringLiteral("NузПНапПод"));
    const QVariant availNode = firstValue(app_.dm.atNazvRasch.get(), QStringLiteral("NузРНап"));
    for (const Field& f : t.fields()) {
        if (f.visible) {
            entered << f.name;
            continue;
        }
        const Indicator* i = catalogue.findPredefined(f.name);
        if (!i) i = catalogue.findUser(f.name);
        if (!i || i->userEntered || i->table == header) continue;
        const QString full = ZagruzitPokazatel(catalogue, f.name, supplyNode, availNode).fullName;
        computed.emplace_back(f.name, full.isEmpty() ? f.name : full);
    }
}

std::vector<std::pair<QString, QString>> ResultColumns::offeredSectionColumns() const {
    QStringList entered;
    std::vector<std::pair<QString, QString>> computed;
    const Table* t = sections_.model->table();
    if (t && t->isOpen() && app_.dm.acGR.isOpen()) columnsOf(*t, false, entered, computed);
    return computed;
}

void ResultColumns::applyTo(Grid& g, bool header) {
    const Table* t = g.model->table();
    QStringList fields;
    g.fullNames.clear();
    g.entered = g.model->columnCount();
    if (shown_ && t && t->isOpen() && app_.dm.acGR.isOpen()) {
        std::vector<std::pair<QString, QString>> computed;
        columnsOf(*t, header, fields, computed);
        QStringList names;
        for (const auto& [field, fullName] : computed) {
            names << field;
            g.fullNames.insert(field, fullName);
        }
        // The section grid shows the computed columns the person chose, in the chosen order.
        if (!header) {
            ComputedColumnChoice choice;
            try {
                choice = computedColumnChoice(app_.dm.acGR);
            } catch (...) {
            }
            names = shownComputedColumns(names, choice);
        }
        g.entered = int(fields.size());
        fields << names;
    }
    if (fields != g.fields) {
        g.fields = fields;
        g.model->setFields(fields);
    }
    if (!shown_) g.entered = g.model->columnCount();
    ColumnLook look;
    look.width = header ? kHeaderWidth : kSectionWidth;
    look.alignment = Qt::AlignCenter;
    look.readOnly = true;
    for (auto it = g.fullNames.cbegin(); it != g.fullNames.cend(); ++it) {
        look.toolTip = it.value();
        g.model->setColumnLook(it.key(), look);
    }
}

QString ResultColumns::caption(bool header, int column) const {
    const Grid& g = header ? header_ : sections_;
    if (!shown_ || column <= g.entered || column > g.fields.size()) return {};
    return g.fullNames.value(g.fields[column - 1]);
}

QString ResultColumns::statusLine() const {
    if (!shown_ || !app_.dm.acGR.isOpen() || app_.RasVip) return {};
    return QStringLiteral("Рассчитанные показатели не соответствуют исходным данным: выполните расчет.");
}

QVariant ResultColumns::look(const Grid& g, bool header, int row, int column, int role) const {
    if (!shown_ || (role != Qt::BackgroundRole && role != Qt::ForegroundRole && role != Qt::ToolTipRole)) return {};
    const bool computed = column >= g.entered && column < g.fields.size();
    const bool current = app_.RasVip;
    if (!current) {
        if (!computed) return {};
        if (role == Qt::BackgroundRole) return staleTint();
        if (role == Qt::ForegroundRole) return QColor(Qt::gray);
        return {};
    }
    const QString field = g.model->fieldNameAt(column);
    QString warning;
    bool low = false;
    if (header) {
        warning = headerWarnings_.value(field);
    } else if (const Table* t = g.model->table(); t && row < t->rowCount()) {
        const int idField = t->fieldIndex(QStringLiteral("id"));
        const qint64 id = idField < 0 ? 0 : t->valueAt(row, idField).toLongLong();
        low = lowHeadIds_.contains(id);
        auto it = sectionWarnings_.constFind(id);
        if (it != sectionWarnings_.cend()) warning = it->value(field);
    }
    if (role == Qt::ToolTipRole) return warning.isEmpty() ? QVariant() : QVariant(warning);
    if (role == Qt::BackgroundRole) {
        if (!warning.isEmpty()) return warningTint();
        if (low) return lowHeadTint();
        if (computed) return computedTint();
    }
    return {};
}

// The marks of the current results: the low available heads (the nodes the
// outcome lists) and the cells of the regime warnings, by section id.
void ResultColumns::findMarks() {
    const Table* tabl = app_.dm.atTabl.get();
    const Table* zag = app_.dm.atZag.get();
    if (!tabl || !tabl->isOpen()) return;
    const QString state = app_.dm.acGR.path() + QLatin1Char('|') + QString::number(tabl->rowCount());
    if (state == marksFor_) return;
    marksFor_ = state;
    lowHeadIds_.clear();
    sectionWarnings_.clear();
    headerWarnings_.clear();

    const int idF = tabl->fieldIndex(QStringLiteral("id"));
    const int startF = tabl->fieldIndex(QStringLiteral("НачУзел")), endF = tabl->fieldIndex(QStringLiteral("КонУзел"));
    const int rStartF = tabl->fieldIndex(QStringLiteral("РНапНач")), rEndF = tabl->fieldIndex(QStringLiteral("РНапКон"));
    // A section the water runs against keeps its heads in the water's direction.
    const int flowF = tabl->fieldIndex(QStringLiteral("РасхПод"));
    auto turned = [&](int r) { return flowF >= 0 && runsAgainstEntry(tabl->valueAt(r, flowF)); };
    auto num = [](const QVariant& v, double& out) {
        bool ok = false;
        out = v.toDouble(&ok);
        return !v.isNull() && ok;
    };
    if (idF >= 0 && startF >= 0 && endF >= 0 && rStartF >= 0 && rEndF >= 0) {
        QSet<int> lowNodes;
        double x = 0;
        for (int r = 0; r < tabl->rowCount(); ++r) {
            const bool t = turned(r);
            if (num(tabl->valueAt(r, rStartF), x) && x < kLowHead) lowNodes.insert(tabl->valueAt(r, t ? endF : startF).toInt());
            if (num(tabl->valueAt(r, rEndF), x) && x < kLowHead) lowNodes.insert(tabl->valueAt(r, t ? startF : endF).toInt());
        }
        if (const Table* ends = app_.dm.atKonMag.get(); ends && ends->isOpen()) {
            const int n = ends->fieldIndex(QStringLiteral("КонУзел")), h = ends->fieldIndex(QStringLiteral("РНап"));
            for (int r = 0; n >= 0 && h >= 0 && r < ends->rowCount(); ++r)
                if (num(ends->valueAt(r, h), x) && x < kLowHead) lowNodes.insert(ends->valueAt(r, n).toInt());
        }
        for (int r = 0; r < tabl->rowCount(); ++r) {
            const QVariant end = tabl->valueAt(r, turned(r) ? startF : endF);
            if (!end.isNull() && lowNodes.contains(end.toInt())) lowHeadIds_.insert(tabl->valueAt(r, idF).toLongLong());
        }
    }

    // The checks over the values the grids show.
    try {
        calc::ValueTable header, sections;
        if (zag && zag->isOpen()) fillValues(*zag, header);
        fillValues(*tabl, sections);
        std::vector<int> startOf, endOf;
        for (int r = 0; r < tabl->rowCount(); ++r) {
            const QVariant a = startF < 0 ? QVariant() : tabl->valueAt(r, startF);
            const QVariant b = endF < 0 ? QVariant() : tabl->valueAt(r, endF);
            startOf.push_back(a.isNull() ? calc::kNullNode : a.toInt());
            endOf.push_back(b.isNull() ? calc::kNullNode : b.toInt());
        }
        std::vector<calc::EndResult> ends;
        if (const Table* k = app_.dm.atKonMag.get(); k && k->isOpen()) {
            const int n = k->fieldIndex(QStringLiteral("КонУзел")), h = k->fieldIndex(QStringLiteral("РНап"));
            for (int r = 0; n >= 0 && h >= 0 && r < k->rowCount(); ++r) {
                calc::EndResult e;
                e.endNode = k->valueAt(r, n).toInt();
                const QVariant v = k->valueAt(r, h);
                e.rNap = v.isNull() ? calc::kNull : v.toDouble();
                ends.push_back(e);
            }
        }
        calc::RegimeInput in;
        in.header = zag && zag->isOpen() && zag->rowCount() > 0 ? &header : nullptr;
        in.sections = &sections;
        in.startOf = &startOf;
        in.endOf = &endOf;
        in.endResults = &ends;
        in.twoPipe = firstValue(app_.dm.atNazvRasch.get(), QStringLiteral("ТипСети")).toInt() == 1;
        in.wantMarks = true;
        std::shared_ptr<ReferenceData> ref;
        if (app_.dm.acSpr.isOpen()) {
            ref = std::make_shared<ReferenceData>(ReferenceData::load(app_.dm.acSpr, app_.locale));
            in.density = [ref](int t) { return ref->densityByTemperature(t); };
        }
        const calc::RegimeWarnings w = calc::checkRegime(in, calc::readRegimeSettings(app_.dm.acGR), app_.SistRazdelitel);
        for (const calc::RegimeMark& m : w.marks) {
            const QString& line = w.lines[size_t(m.line)];
            if (m.row < 0) {
                QString& text = headerWarnings_[m.field];
                if (!text.contains(line)) text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + line;
            } else if (idF >= 0) {
                QString& text = sectionWarnings_[tabl->valueAt(m.row, idF).toLongLong()][m.field];
                if (!text.contains(line)) text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + line;
            }
        }
    } catch (const std::exception&) {
        // Without the checks the grids show the results untinted.
    }
    header_.model->repaintCells();
    sections_.model->repaintCells();
}

void ResultColumns::poll() {
    int decimals = -1;
    if (const Table* s = app_.dm.atNastr.get(); s && s->isOpen() && !s->isEmpty()) {
        const QVariant v = firstValue(s, QStringLiteral("ТочностьЧиселВОтч"));
        if (!v.isNull()) decimals = std::clamp(v.toInt(), 0, 7);
    }
    if (decimals != lastDecimals_) {
        lastDecimals_ = decimals;
        header_.model->setDisplayDecimals(decimals);
        sections_.model->setDisplayDecimals(decimals);
    }
    const bool current = app_.RasVip;
    if (current != lastCurrent_) {
        lastCurrent_ = current;
        if (current) {
            invalidate();
            if (shown_) findMarks();
        }
        header_.model->repaintCells();
        sections_.model->repaintCells();
    }
    if (status_) {
        const QString line = statusLine();
        if (status_->text() != line) status_->setText(line);
        status_->setVisible(!line.isEmpty());
    }
}

}  // namespace volm::ui
