// Checks of the computed regime. Every rule walks the sections once and keeps
// only its violations, so a network of tens of thousands of sections costs a
// few passes over the values already in memory.
#include "calc/regime_checks.h"

#include "calc/saturation.h"
#include "formulas/reference_data.h"
#include "store/database.h"

#include <QSet>
#include <QStringList>
#include <cmath>
#include <tuple>

namespace volm::calc {

namespace {

constexpr double kG = 9.81;            // m/s2, as in the head-loss formulas
constexpr double kAtmosphere = 0.101325;  // MPa: heads are gauge, saturation pressure absolute

const QString kCrLf = QStringLiteral("\r\n");

// The places where one rule is broken: sections or nodes in the order met, the
// worst value (by its key: the largest for "больше", the smallest for "меньше")
// and where it is.
class Violations {
public:
    Violations(bool nodes, bool greater) : nodes_(nodes), greater_(greater) {}

    void section(int a, int b, double v, double key) { add({a, b}, v, key); }
    void section(int a, int b, double v) { add({a, b}, v, v); }
    void node(int n, double v) {
        if (firstTime(n)) places_.push_back({n, 0});
        note({n, 0}, v, v);
    }
    bool empty() const { return places_.empty(); }

    // "Участки 3 - 4, 4 - 6: text (макс. 4,12 на участке 4 - 6)"; word precedes the
    // worst value ("макс. " or "мин. " when null).
    QString line(const QString& text, QChar dec, QString word = QString()) const {
        QStringList names;
        const int shown = std::min<int>(int(places_.size()), kMaxPlaces);
        for (int i = 0; i < shown; ++i) names << placeName(places_[size_t(i)]);
        const bool many = places_.size() > 1;
        QString head = nodes_ ? (many ? QStringLiteral("Узлы ") : QStringLiteral("Узел "))
                              : (many ? QStringLiteral("Участки ") : QStringLiteral("Участок "));
        head += names.join(QStringLiteral(", "));
        if (int(places_.size()) > shown) head += QStringLiteral(" и еще ") + QString::number(int(places_.size()) - shown);
        const QString where = nodes_ ? QStringLiteral(" в узле ") + QString::number(worstAt_.first)
                                     : QStringLiteral(" на участке ") + placeName(worstAt_);
        if (word.isNull()) word = greater_ ? QStringLiteral("макс. ") : QStringLiteral("мин. ");
        return head + QStringLiteral(": ") + text + QStringLiteral(" (") + word + warningNumber(worst_, dec) + where +
               QLatin1Char(')');
    }

private:
    QString placeName(const std::pair<int, int>& p) const {
        return nodes_ ? QString::number(p.first)
                      : QString::number(p.first) + QStringLiteral(" - ") + QString::number(p.second);
    }
    void add(std::pair<int, int> at, double v, double key) {
        places_.push_back(at);
        note(at, v, key);
    }
    void note(std::pair<int, int> at, double v, double key) {
        if (!hasWorst_ || (greater_ ? key > worstKey_ : key < worstKey_)) {
            hasWorst_ = true;
            worstKey_ = key;
            worst_ = v;
            worstAt_ = at;
        }
    }

    // Node numbers are small integers: a flag per possible number, others in a set.
    bool firstTime(int n) {
        constexpr int kLow = -32768, kSpan = 65536;
        if (n >= kLow && n < kLow + kSpan) {
            if (seenDense_.empty()) seenDense_.assign(size_t(kSpan), 0);
            char& f = seenDense_[size_t(n - kLow)];
            if (f) return false;
            f = 1;
            return true;
        }
        if (seenOther_.contains(n)) return false;
        seenOther_.insert(n);
        return true;
    }

    bool nodes_, greater_;
    std::vector<std::pair<int, int>> places_;
    std::vector<char> seenDense_;
    QSet<int> seenOther_;
    bool hasWorst_ = false;
    double worstKey_ = 0, worst_ = 0;
    std::pair<int, int> worstAt_{0, 0};
};

struct Checker {
    const RegimeInput& in;
    QChar dec;
    RegimeWarnings out;
    std::vector<RegimeMark> pending{};  // cells of the rule being checked

    void mark(int row, int col) {
        if (in.wantMarks && col >= 0) pending.push_back({row, row < 0 ? in.header->names[size_t(col)] : s().names[size_t(col)], 0});
    }
    // The marks of the rule just checked go with its line, if it gave one.
    void keepMarks(bool lineAdded) {
        if (lineAdded)
            for (RegimeMark& m : pending) {
                m.line = int(out.lines.size()) - 1;
                out.marks.push_back(std::move(m));
            }
        pending.clear();
    }

    const ValueTable& s() const { return *in.sections; }
    int rows() const { return in.sections ? s().rowCount() : 0; }
    int a(int r) const { return (*in.startOf)[size_t(r)]; }
    int b(int r) const { return (*in.endOf)[size_t(r)]; }
    double headerValue(const QString& name) const {
        if (!in.header || in.header->rowCount() == 0) return kNull;
        const int c = in.header->col(name);
        return c < 0 ? kNull : in.header->get(0, c);
    }

    void report(const Violations& v, const QString& text, const QString& word = QString()) {
        if (!v.empty()) out.lines.push_back(v.line(text, dec, word));
        keepMarks(!v.empty());
    }

    // A table indicator against a limit; Null values are not checked. A flow
    // is signed in the section's entered direction: its size is checked.
    void sectionRule(int col, bool greater, double limit, const QString& text) {
        Violations v(false, greater);
        const int n = rows();
        const QString& name = s().names[size_t(col)];
        const bool flow = name == QStringLiteral("РасхПод") || name == QStringLiteral("РасхОбр");
        for (int r = 0; r < n; ++r) {
            const double x = s().get(r, col);
            const double size = flow ? std::abs(x) : x;
            if (greater ? size > limit : size < limit) {  // NaN compares false
                v.section(a(r), b(r), x, size);
                mark(r, col);
            }
        }
        report(v, text);
    }

    void enteredData() {
        const double tMin = headerValue(QStringLiteral("МинТВоды")), tMax = headerValue(QStringLiteral("МаксТВоды"));
        if (tMin >= tMax) {
            out.lines.push_back(QStringLiteral("Показатели МинТВоды, МаксТВоды: Минимальная температура воды в теплосети "
                                               "не ниже максимальной (МинТВоды = ") +
                                warningNumber(tMin, dec) + QStringLiteral(", МаксТВоды = ") + warningNumber(tMax, dec) +
                                QLatin1Char(')'));
            mark(-1, in.header->col(QStringLiteral("МинТВоды")));
            mark(-1, in.header->col(QStringLiteral("МаксТВоды")));
            keepMarks(true);
        }
        if (!in.sections) return;
        if (const int c = s().col(QStringLiteral("КоэфМП")); c >= 0) {
            // The value furthest outside 0..1 is the one shown.
            Violations v(false, true);
            for (int r = 0; r < rows(); ++r) {
                const double x = s().get(r, c);
                if (x < 0 || x > 1) {
                    v.section(a(r), b(r), x, x < 0 ? 1 - x : x);
                    mark(r, c);
                }
            }
            report(v, QStringLiteral("Доля местных потерь напора (КоэфМП) вне пределов от 0 до 1"), QStringLiteral(""));
        }
        const int lp = s().col(QStringLiteral("ДлНаУчПод"));
        const int lo = in.twoPipe ? s().col(QStringLiteral("ДлНаУчОбр")) : -1;
        if (lp >= 0) {
            Violations v(false, true);
            for (int r = 0; r < rows(); ++r) {
                double x = s().get(r, lp);
                int at = lp;
                if (lo >= 0) {
                    const double y = s().get(r, lo);
                    if (y > x || isNull(x)) {
                        x = y;
                        at = lo;
                    }
                }
                if (x > kMaxSectionLength) {
                    v.section(a(r), b(r), x);
                    mark(r, at);
                }
            }
            report(v, QStringLiteral("Длина участка больше ") + warningNumber(kMaxSectionLength / 1000, dec) +
                        QStringLiteral(" км"));
        }
    }

    // The two ends of every section as nodes: full head, ground height, temperature.
    struct End {
        int head, ground, temp;
    };

    void pressureRule(const QString& pipe, const End& start, const End& end, bool greater, double limit,
                      const QString& word) {
        Violations v(true, greater);
        const int n = rows();
        for (int r = 0; r < n; ++r) {
            const double p1 = s().get(r, start.head) - s().get(r, start.ground);
            const double p2 = s().get(r, end.head) - s().get(r, end.ground);
            if (greater ? p1 > limit : p1 < limit) {
                v.node(a(r), p1);
                mark(r, start.head);
            }
            if (greater ? p2 > limit : p2 < limit) {
                v.node(b(r), p2);
                mark(r, end.head);
            }
        }
        report(v, QStringLiteral("Давление в ") + pipe + QStringLiteral(" трубопроводе ") + word + QLatin1Char(' ') +
                    warningNumber(limit, dec) + QStringLiteral(" м"));
    }

    double boilingHead(double tC) const {
        if (isNull(tC)) return kNull;
        const double psat = saturationPressureMPa(tC + 273.15);
        if (isNull(psat)) return kNull;
        std::optional<double> rho;
        if (in.density) rho = in.density(int(std::lround(tC)));
        const double density = rho && *rho > 0 ? *rho : 1000.0;
        return (psat - kAtmosphere) * 1e6 / (density * kG);
    }

    // The supply water is taken at the source's supply temperature МаксТВоды
    // everywhere: the temperatures along a main fall to the mean of the two
    // limits at its end, which would put the boiling point some 30 °C too low
    // at the far nodes of a 130/70 network. Without МаксТВоды the temperatures
    // at the nodes are used.
    void boilingRule(const End& start, const End& end, double margin) {
        Violations v(true, false);
        const double sourceTemp = headerValue(QStringLiteral("МаксТВоды"));
        const double sourceHead = isNull(sourceTemp) ? kNull : boilingHead(sourceTemp);
        auto sat = [&](int r, int tempCol) {
            return !isNull(sourceTemp) ? sourceHead : tempCol >= 0 ? boilingHead(s().get(r, tempCol)) : kNull;
        };
        const int n = rows();
        for (int r = 0; r < n; ++r) {
            const double m1 = s().get(r, start.head) - s().get(r, start.ground) - sat(r, start.temp);
            const double m2 = s().get(r, end.head) - s().get(r, end.ground) - sat(r, end.temp);
            if (m1 < margin) {
                v.node(a(r), m1);
                mark(r, start.head);
            }
            if (m2 < margin) {
                v.node(b(r), m2);
                mark(r, end.head);
            }
        }
        report(v, QStringLiteral("Запас до вскипания воды в подающем трубопроводе меньше ") + warningNumber(margin, dec) +
                    QStringLiteral(" м"));
    }

    void heads(const HeadLimits& l) {
        if (!in.sections) return;
        auto col = [&](const char* name) { return s().col(QString::fromUtf8(name)); };
        const End supStart{col("ПНапНачПод"), col("ГеодВысНач"), col("ТВодыНачПод")};
        const End supEnd{col("ПНапКонПод"), col("ГеодВысКон"), col("ТВодыКонПод")};
        const End retStart{col("ПНапНачОбр"), col("ГеодВысНач"), -1};
        const End retEnd{col("ПНапКонОбр"), col("ГеодВысКон"), -1};
        const bool sup = supStart.head >= 0 && supEnd.head >= 0 && supStart.ground >= 0 && supEnd.ground >= 0;
        const bool ret = in.twoPipe && retStart.head >= 0 && retEnd.head >= 0 && sup;
        const QString supply = QStringLiteral("подающем"), back = QStringLiteral("обратном");
        if (l.minPressureOn) {
            if (sup) pressureRule(supply, supStart, supEnd, false, l.minPressure, QStringLiteral("меньше"));
            if (ret) pressureRule(back, retStart, retEnd, false, l.minPressure, QStringLiteral("меньше"));
        }
        if (l.maxPressureOn) {
            if (sup) pressureRule(supply, supStart, supEnd, true, l.maxPressure, QStringLiteral("больше"));
            if (ret) pressureRule(back, retStart, retEnd, true, l.maxPressure, QStringLiteral("больше"));
        }
        if (l.boilingOn && sup) boilingRule(supStart, supEnd, l.boilingMargin);
        if (l.endAvailableOn && in.twoPipe && in.endResults) {
            Violations v(true, false);
            for (const EndResult& e : *in.endResults)
                if (e.rNap < l.endAvailable) v.node(e.endNode, e.rNap);
            if (in.wantMarks && !v.empty()) {
                QSet<int> ends;
                for (const EndResult& e : *in.endResults)
                    if (e.rNap < l.endAvailable) ends.insert(e.endNode);
                const int c = s().col(QStringLiteral("РНапКон"));
                for (int r = 0; r < rows(); ++r)
                    if (ends.contains(b(r))) mark(r, c);
            }
            report(v, QStringLiteral("Располагаемый напор на конечном узле магистрали меньше ") +
                        warningNumber(l.endAvailable, dec) + QStringLiteral(" м"));
        }
        consumersShortOfHead();
    }

    // The consumers (end sections, КонУч = 1) whose available head does not
    // exceed the required one (ИзбНап <= 0): no orifice can help them.
    void consumersShortOfHead() {
        const int mark = s().col(QStringLiteral("КонУч")), excess = s().col(QStringLiteral("ИзбНап"));
        if (mark < 0 || excess < 0) return;
        Violations v(true, false);
        for (int r = 0; r < rows(); ++r) {
            const double x = s().get(r, excess);
            if (s().get(r, mark) == 1 && !isNull(x) && x <= 0) {
                v.node(b(r), x);
                this->mark(r, excess);
            }
        }
        report(v, QStringLiteral("Располагаемый напор у потребителя не превышает требуемого, "
                                 "избыточный напор (ИзбНап) не больше 0 м"));
    }

    void userRules(const std::vector<RegimeRule>& rules) {
        for (const RegimeRule& rule : rules) {
            if (in.header && in.header->rowCount() > 0) {
                if (const int c = in.header->col(rule.indicator); c >= 0) {
                    const double x = in.header->get(0, c);
                    if (rule.greater ? x > rule.limit : x < rule.limit) {
                        out.lines.push_back(QStringLiteral("Показатель ") + rule.indicator + QStringLiteral(": ") +
                                            rule.text + QStringLiteral(" (значение ") + warningNumber(x, dec) +
                                            QLatin1Char(')'));
                        mark(-1, c);
                        keepMarks(true);
                    }
                    continue;
                }
            }
            if (in.sections)
                if (const int c = s().col(rule.indicator); c >= 0) sectionRule(c, rule.greater, rule.limit, rule.text);
        }
    }
};

std::optional<double> numberOf(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    bool ok = false;
    const double x = v.toDouble(&ok);
    return ok ? std::optional<double>(x) : std::nullopt;
}

}  // namespace

QString warningNumber(double v, QChar decimal) {
    if (isNull(v)) return QStringLiteral("-");
    QString t = QString::number(v, 'f', 2);
    if (t.contains(QLatin1Char('.'))) {
        while (t.endsWith(QLatin1Char('0'))) t.chop(1);
        if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    }
    if (t == QStringLiteral("-0")) t = QStringLiteral("0");
    t.replace(QLatin1Char('.'), decimal);
    return t;
}

QString RegimeWarnings::block() const {
    if (lines.empty()) return {};
    QString b = QStringLiteral("Предупреждения (") + QString::number(count()) + QStringLiteral("):");
    for (const QString& l : lines) b += kCrLf + l;
    return b;
}

RegimeWarnings checkRegime(const RegimeInput& in, const RegimeSettings& settings, QChar decimal) {
    Checker c{in, decimal, {}};
    c.enteredData();
    c.heads(settings.limits);
    c.userRules(settings.rules);
    return std::move(c.out);
}

RegimeWarnings checkRegime(const RunData& d, const RegimeSettings& settings) {
    RegimeInput in;
    in.header = d.headerRead ? &d.header : nullptr;
    in.sections = &d.sections;
    // The sections named as entered, also those computed the other way.
    std::vector<int> startOf = d.startOf, endOf = d.endOf;
    for (int r = 0; r < int(d.reversed.size()); ++r) std::tie(startOf[size_t(r)], endOf[size_t(r)]) = d.enteredEnds(r);
    in.startOf = &startOf;
    in.endOf = &endOf;
    in.endResults = d.endResultsBuilt ? &d.endResults : nullptr;
    in.twoPipe = d.twoPipe();
    if (d.reference) {
        const ReferenceData* ref = d.reference.get();
        in.density = [ref](int t) { return ref->densityByTemperature(t); };
    }
    return checkRegime(in, settings, d.decimal);
}

QString unknownIndicatorMessage(Database& db, const QString& shortName) {
    const QString name = shortName.trimmed();
    if (name.isEmpty()) return {};
    for (const char* table : {"Формулы", "ФлыПредопрПок"}) {
        auto st = db.prepare(QStringLiteral("SELECT 1 FROM \"%1\" WHERE \"НаимПокСокр\" = ?").arg(QString::fromUtf8(table)));
        st->bind(1, name);
        if (st->step()) return {};
    }
    return QStringLiteral("Показатель \"") + name +
           QStringLiteral("\" отсутствует в списке показателей расчета. Правило не будет проверяться.");
}

RegimeSettings readRegimeSettings(Database& db) {
    RegimeSettings s;
    if (db.hasTable(QStringLiteral("ПроверкиРежима"))) {
        auto st = db.prepare(QStringLiteral(
            "SELECT \"Показатель\", \"Условие\", \"Предел\", \"Предупреждение\" FROM \"ПроверкиРежима\" "
            "ORDER BY \"Nпп\", rowid"));
        while (st->step()) {
            RegimeRule r;
            r.indicator = st->column(0).toString().trimmed();
            const QString cond = st->column(1).toString().trimmed().toLower();
            const std::optional<double> limit = numberOf(st->column(2));
            r.text = st->column(3).toString();
            if (r.indicator.isEmpty() || !limit) continue;
            if (cond == QStringLiteral("больше")) r.greater = true;
            else if (cond == QStringLiteral("меньше")) r.greater = false;
            else continue;
            r.limit = *limit;
            s.rules.push_back(r);
        }
    }
    if (db.hasTable(QStringLiteral("ПределыНапоров"))) {
        auto st = db.prepare(QStringLiteral(
            "SELECT \"МинНапор\", \"ПровМинНапор\", \"МаксНапор\", \"ПровМаксНапор\", \"ЗапасВскип\", \"ПровВскип\", "
            "\"ТребРНап\", \"ПровТребРНап\" FROM \"ПределыНапоров\" LIMIT 1"));
        if (st->step()) {
            HeadLimits& l = s.limits;
            auto num = [&](int i, double& to) {
                if (auto v = numberOf(st->column(i))) to = *v;
            };
            auto flag = [&](int i, bool& to) {
                if (!st->column(i).isNull()) to = st->column(i).toBool();
            };
            num(0, l.minPressure);
            flag(1, l.minPressureOn);
            num(2, l.maxPressure);
            flag(3, l.maxPressureOn);
            num(4, l.boilingMargin);
            flag(5, l.boilingOn);
            num(6, l.endAvailable);
            flag(7, l.endAvailableOn);
        }
    }
    return s;
}

}  // namespace volm::calc
