#include "store/repeated_entry.h"

#include "store/app.h"
#include "store/command.h"
#include "store/controls_pause.h"
#include "store/decimal_text.h"
#include "store/records.h"
#include "store/sql_names.h"

#include <QElapsedTimer>
#include <cmath>
#include <map>
#include <optional>

namespace volm {

namespace {

const QString kMarkField = QStringLiteral("Заполн_Уч");
const QString kMarked = QStringLiteral("Д");
constexpr qint64 kStatusIntervalMs = 150;

// Shows a section's status text a few times a second rather than per section.
class Progress {
public:
    Progress(App& app, const EntryHooks& hooks) : person_(app.person()), hooks_(hooks) { clock_.start(); }
    void section(const Table& t, int row) {
        if (clock_.elapsed() - shown_ < kStatusIntervalMs) return;
        shown_ = clock_.elapsed();
        if (hooks_.status) hooks_.status(sectionStatusText(t, row));
        person_.processEvents();
    }

private:
    Person& person_;
    const EntryHooks& hooks_;
    QElapsedTimer clock_;
    qint64 shown_ = -kStatusIntervalMs;
};

// The value as the column stores it, or nothing when it does not fit (a
// fraction or an out-of-range number in a whole-number column).
std::optional<QVariant> fitField(const Field& f, const QVariant& v) {
    if (v.isNull()) return QVariant();
    auto whole = [&](double lo, double hi) -> std::optional<QVariant> {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d) || d != std::floor(d) || d < lo || d > hi) return std::nullopt;
        return QVariant(qint64(d));
    };
    switch (f.kind) {
    case FieldKind::SmallInt: return whole(-32768, 32767);
    case FieldKind::Byte: return whole(0, 255);
    case FieldKind::Integer: return whole(-2147483648.0, 2147483647.0);
    case FieldKind::Float: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d)) return std::nullopt;
        return QVariant(d);
    }
    case FieldKind::Bool: return QVariant(v.toBool());
    case FieldKind::Text:
        if (v.typeId() == QMetaType::Double) return QVariant(formatChisel(v.toDouble()));
        return QVariant(v.toString());
    case FieldKind::Unknown: break;
    }
    return v;
}

int fieldOf(const Table& t, const QString& name) {
    const int f = t.fieldIndex(name);
    if (f < 0)
        throw DatabaseError(QStringLiteral("Не найдено поле \"%1\" в таблице \"%2\".").arg(name, t.tableName()));
    return f;
}

bool isMarked(const QVariant& v) { return !v.isNull() && v.toString() == kMarked; }

// Re-reads the sections after a bulk write and comes back to the section with
// this key, or to the first one should it be gone.
void requeryAt(Table& t, qint64 rowid) {
    t.requery();
    if (rowid != 0) t.locate(rowid);
}

}  // namespace

IndicatorLists repeatedEntryLists(App& app) {
    IndicatorLists lists;
    DataModule& dm = app.dm;
    if (!dm.atFlyPredoprPok || !dm.atFormuli || !dm.atNazvRasch) return lists;
    Table& nazv = *dm.atNazvRasch;
    const int typeField = fieldOf(nazv, QStringLiteral("ТипСети"));
    const bool onePipe = nazv.rowCount() > 0 && nazv.valueAt(0, typeField).toInt() == 0;

    auto collect = [&](Table& t, bool predefined) {
        const int name = fieldOf(t, QStringLiteral("НаимПокСокр"));
        const int table = fieldOf(t, QStringLiteral("Табл"));
        const int entered = fieldOf(t, QStringLiteral("ВводПольз"));
        const int onePipeUse = predefined ? fieldOf(t, QStringLiteral("ИспПриРасч1трТС")) : -1;
        for (int r = 0; r < t.rowCount(); ++r) {
            if (!t.valueAt(r, table).toBool()) continue;
            if (predefined && onePipe && !t.valueAt(r, onePipeUse).toBool()) continue;
            const QString n = t.valueAt(r, name).toString();
            lists.sources << n;
            if (t.valueAt(r, entered).toBool()) lists.targets << n;
        }
    };
    collect(*dm.atFlyPredoprPok, true);  // the cursor keeps НаимПокСокр ASC
    collect(*dm.atFormuli, false);       // and this one Nпп ASC
    return lists;
}

void normaliseAssignments(const IndicatorLists& lists, std::vector<Assignment>& rows) {
    for (Assignment& a : rows) {
        a.target = NaitiVSpiske(lists.targets, a.target).text;
        a.source = NaitiVSpiske(lists.sources, a.source).text;
        if (!a.number.isEmpty()) a.source.clear();
    }
}

int prepareRepeatedEntry(App& app) {
    DataModule& dm = app.dm;
    if (!dm.acGR.isOpen() || !app.FormuliProvereny || !dm.atTabl || !dm.atTabl->isOpen()) return 0;
    Table& t = *dm.atTabl;
    if (t.recordCount() == 0 && t.state() != Table::State::Insert) {
        app.person().message(
            QStringLiteral("В таблице с исходными данными о участках сети должна быть хотя бы одна запись."));
        return 0;
    }
    int recNo = 0;
    const bool ok = runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при сохранении данных.");
        UstanovitRasVip(app, false);
        app.editors().flushEditors();
        if (t.editing()) ZapisatUchastok(app);
        if (t.isEmpty()) return;
        recNo = std::max(1, t.recNo());
        t.first();
    });
    return ok ? recNo : 0;
}

void returnToRecord(Table& t, int recNo) {
    if (t.isEmpty()) return;
    t.first();
    t.moveBy(recNo - 1);
}

QString sectionStatusText(const Table& sections, int row) {
    QString text = QStringLiteral("Участок ");
    const QVariant start = sections.valueAt(row, sections.fieldIndex(QStringLiteral("НачУзел")));
    const QVariant end = sections.valueAt(row, sections.fieldIndex(QStringLiteral("КонУзел")));
    if (!start.isNull()) text += QString::number(start.toLongLong());
    text += QStringLiteral(" - ");
    if (!end.isNull()) text += QString::number(end.toLongLong());
    return text;
}

int markSections(App& app, MarkOp op, const std::vector<int>& rows, bool all, const EntryHooks& hooks) {
    Table* t = app.dm.atTabl.get();
    if (!t || !t->isOpen() || t->isEmpty()) return 0;
    Person& person = app.person();
    int written = 0;
    Finally always([&] {
        if (hooks.status) hooks.status(QString());
        if (hooks.locked) hooks.locked(false);
    });
    ControlsPause pause(t);  // resumed before the status and the lock are undone
    if (hooks.locked) hooks.locked(true);
    runReported(person, [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при заполнении участков.");
        BusyGuard busy(person);
        const int mark = fieldOf(*t, kMarkField);
        const int idField = fieldOf(*t, QStringLiteral("id"));
        const qint64 current = t->rowid();

        std::vector<char> chosen(size_t(t->rowCount()), all ? 1 : 0);
        for (int r : rows)
            if (r >= 0 && r < t->rowCount()) chosen[size_t(r)] = 1;

        Database& db = app.dm.acGR;
        auto st = db.prepare(QStringLiteral("UPDATE [Табл] SET [Заполн_Уч]=?1 WHERE [id]=?2"));
        Progress progress(app, hooks);
        try {
            Transaction tx(db);  // undone before the rows are read again
            for (int r = 0; r < t->rowCount(); ++r) {
                progress.section(*t, r);
                if (!chosen[size_t(r)]) continue;
                const QVariant old = t->valueAt(r, mark);
                const bool toMark = op == MarkOp::Yes || (op == MarkOp::Toggle && old.isNull());
                if (toMark ? isMarked(old) : old.isNull()) continue;  // already so
                if (toMark)
                    st->bind(1, kMarked);
                else
                    st->bindNull(1);
                st->bind(2, t->valueAt(r, idField).toLongLong());
                st->run();
                ++written;
            }
            tx.commit();
        } catch (...) {
            requeryAt(*t, current);
            throw;
        }
        if (written > 0) requeryAt(*t, current);
    });
    return written;
}

void toggleCurrentSection(App& app) {
    Table* t = app.dm.atTabl.get();
    if (!t || !t->isOpen() || t->currentRow() < 0) return;
    markSections(app, MarkOp::Toggle, {t->currentRow()}, false);
}

namespace {

// The apply without its closing message: display, status and lock are restored
// when this returns, however it ended.
bool apply(App& app, std::vector<Assignment> rows, const EntryHooks& hooks) {
    Table* t = app.dm.atTabl.get();
    if (!t || !t->isOpen()) return false;
    Person& person = app.person();
    const IndicatorLists lists = repeatedEntryLists(app);
    normaliseAssignments(lists, rows);

    // The rows that act, with their numbers read and fitted to the target
    // column before anything is written.
    struct Step {
        QString targetName, sourceName;  // no source: the number
        double number = 0;
        int target = -1, source = -1;
        QVariant value;                  // the number as the target column stores it
    };
    std::vector<Step> steps;
    for (const Assignment& a : rows) {
        if (a.target.isEmpty() || (cleanDecimalText(a.number).isEmpty() && a.source.isEmpty())) continue;
        Step s;
        s.targetName = a.target;
        if (!cleanDecimalText(a.number).isEmpty()) {
            const std::optional<double> v = readDecimalText(a.number);
            const int target = t->fieldIndex(a.target);
            if (!v || (target >= 0 && !fitField(t->fields()[size_t(target)], *v))) {
                person.message(QStringLiteral("Показатель \"%1\": значение \"%2\" не является допустимым числом.")
                                   .arg(a.target, a.number) +
                               QStringLiteral("\rДанные не введены."));
                return false;
            }
            s.number = *v;
        } else {
            s.sourceName = a.source;
        }
        steps.push_back(s);
    }

    // Nothing to write is said as such, before the calculation is touched.
    if (steps.empty()) {
        person.message(QStringLiteral("Не заполнена ни одна строка ввода.\rДанные не введены."));
        return false;
    }
    if (const int mark = t->fieldIndex(kMarkField); mark >= 0) {
        bool anyMarked = false;
        for (int r = 0; r < t->rowCount() && !anyMarked; ++r) anyMarked = isMarked(t->valueAt(r, mark));
        if (!anyMarked) {
            person.message(QStringLiteral("Ни один участок не отмечен \"Д\".\rДанные не введены."));
            return false;
        }
    }

    bool done = false;
    Finally always([&] {
        if (hooks.status) hooks.status(QString());
        if (hooks.locked) hooks.locked(false);
    });
    ControlsPause pause(t);  // resumed before the status and the lock are undone
    if (hooks.locked) hooks.locked(true);
    runReported(person, [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при вводе повторяющихся данных.");
        BusyGuard busy(person);
        UstanovitRasVip(app, false);
        // The columns the rows name must be in the table.
        for (Step& s : steps) {
            s.target = fieldOf(*t, s.targetName);
            if (!s.sourceName.isEmpty())
                s.source = fieldOf(*t, s.sourceName);
            else
                s.value = *fitField(t->fields()[size_t(s.target)], s.number);
        }
        const int recNo = t->recNo();
        const int mark = fieldOf(*t, kMarkField);
        const int idField = fieldOf(*t, QStringLiteral("id"));

        // The columns written, each once, in the order the rows first name them.
        std::vector<int> targets;
        for (const Step& s : steps)
            if (std::find(targets.begin(), targets.end(), s.target) == targets.end()) targets.push_back(s.target);

        Database& db = app.dm.acGR;
        std::unique_ptr<Statement> st;
        if (!targets.empty()) {
            QString sql = QStringLiteral("UPDATE ") + quoteIdentifier(QStringLiteral("Табл")) + QStringLiteral(" SET ");
            for (size_t i = 0; i < targets.size(); ++i)
                sql += (i ? QStringLiteral(", ") : QString()) + quoteIdentifier(t->fields()[size_t(targets[i])].name) +
                       QStringLiteral("=?") + QString::number(i + 1);
            sql += QStringLiteral(" WHERE ") + quoteIdentifier(QStringLiteral("id")) + QStringLiteral("=?") +
                   QString::number(targets.size() + 1);
            st = db.prepare(sql);
        }

        Progress progress(app, hooks);
        std::map<int, QVariant> values;  // the section's values as the rows change them
        try {
            Transaction tx(db);  // undone before the rows are read again
            for (int r = 0; r < t->rowCount(); ++r) {
                progress.section(*t, r);
                if (!st || !isMarked(t->valueAt(r, mark))) continue;
                values.clear();
                auto valueOf = [&](int field) {
                    auto it = values.find(field);
                    return it != values.end() ? it->second : t->valueAt(r, field);
                };
                for (const Step& s : steps) {
                    if (s.source < 0) {
                        values[s.target] = s.value;
                        continue;
                    }
                    const Field& f = t->fields()[size_t(s.target)];
                    const QVariant v = valueOf(s.source);
                    const std::optional<QVariant> fitted = fitField(f, v);
                    if (!fitted)
                        throw DatabaseError(
                            QStringLiteral("Значение \"%1\" недопустимо для поля \"%2\".").arg(v.toString(), f.name));
                    values[s.target] = *fitted;
                }
                for (size_t i = 0; i < targets.size(); ++i) st->bind(int(i + 1), values[targets[i]]);
                st->bind(int(targets.size() + 1), t->valueAt(r, idField).toLongLong());
                st->run();
            }
            tx.commit();
        } catch (...) {
            t->requery();
            returnToRecord(*t, recNo);
            throw;
        }
        t->requery();
        returnToRecord(*t, recNo);
        if (hooks.status) hooks.status(QString());
        done = true;
    });
    return done;
}

}  // namespace

bool applyAssignments(App& app, std::vector<Assignment> rows, const EntryHooks& hooks) {
    const bool done = apply(app, std::move(rows), hooks);
    if (done) app.person().message(QStringLiteral("Данные введены успешно."));
    return done;
}

}  // namespace volm
