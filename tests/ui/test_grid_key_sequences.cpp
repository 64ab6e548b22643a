// Seeded random sequences of key strokes and clicks on the main window's
// section grid (numbers typed into cells, Enter, Tab, Shift+Tab, the vertical
// keys, Escape, Insert, Ctrl+C and Ctrl+V of a cell, Delete, Ctrl+click, the
// sort buttons and "Удалить записи"), each checked against a plain list of the
// sections that does the same edits: after every step the file holds exactly
// what the list holds, and every new row gets the key and nodes the list gives.
#include "tests/ui/grid_typing_fixture.h"
#include "ui/grid_clipboard.h"

#include <QClipboard>
#include <QRandomGenerator>
#include <map>
#include <set>

using volm::Database;
using volm::Table;
using volm::test::Typing;

namespace {

constexpr int kSections = 4;

// The sections as the person's edits leave them: key -> column -> value (only
// the columns the sequences reach: the nodes up to the supply length).
using Values = std::map<int, QVariant>;
using Sections = std::map<qint64, Values>;

struct PlainList {
    Sections file;
    bool bySections = false;
    // The row being typed into, not yet in the file.
    bool pending = false;
    qint64 pendingKey = 0;   // its key (a new row's generated key)
    bool pendingNew = false;
    Values pendingValues;    // typed values (and a new row's generated nodes)
    bool typedIntoPending = false;
    bool editing = false;    // a cell's editor is open
    QString text;            // what it holds
    std::set<qint64> selected;
    QString clipboard;
};

QVariant numberValue(const QString& text, bool whole) {
    QString t = text;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    if (whole) {
        const int n = t.toInt(&ok);
        return ok && n <= 32767 ? QVariant(n) : QVariant();
    }
    const double d = t.toDouble(&ok);
    return ok ? QVariant(d) : QVariant();
}

class Sequence {
public:
    Sequence(Typing& t, quint32 seed) : t_(t), rnd_(seed) {
        first_ = t.column("НачУзел");
        last_ = t.column("ДлНаУчПод");
        startCol_ = t.column("НачУзел");
        endCol_ = t.column("КонУзел");
        idField_ = sections().fieldIndex(QStringLiteral("id"));
    }

    Table& sections() { return t_.sections(); }
    volm::ui::DataGridModel& model() { return *t_.w->glavnModel; }

    // Back to four sections, ordered by the counter, nothing selected.
    void reset() {
        while (t_.grid()->isEditingCell()) t_.press(Qt::Key_Escape);
        if (sections().editing()) t_.press(Qt::Key_Escape);
        if (t_.w->miSortPoNU->isChecked()) t_.clickTool(t_.w->miSortPoVnutrSc);
        Database& db = t_.app().dm.acGR;
        db.exec(QStringLiteral("DELETE FROM Табл"));
        for (int i = 1; i <= kSections; ++i)
            db.exec(QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (%1, %2, %3, %4)")
                        .arg(i)
                        .arg(i - 1)
                        .arg(i)
                        .arg(i * 10));
        sections().requery();
        t_.grid()->clearSelection();
        t_.click(0, "НачУзел");
        list_ = PlainList{};
        list_.file = readFile();
    }

    // The file's sections in the columns the list keeps.
    Sections readFile() {
        Sections out;
        Table file(t_.app().dm.acGR, QStringLiteral("Табл"));
        file.open();
        for (int r = 0; r < file.rowCount(); ++r) {
            Values v;
            for (int c = first_; c <= last_; ++c) {
                const QVariant x = file.valueAt(r, model().fieldAt(c));
                if (!x.isNull()) v[c] = x;
            }
            out[file.valueAt(r, idField_).toLongLong()] = v;
        }
        return out;
    }

    QString describe(const Sections& s) {
        QStringList rows;
        for (const auto& [id, v] : s) {
            QStringList cells;
            for (const auto& [c, x] : v) cells << QStringLiteral("%1=%2").arg(model().fieldNameAt(c), x.toString());
            rows << QStringLiteral("%1{%2}").arg(id).arg(cells.join(QLatin1Char(' ')));
        }
        return rows.join(QStringLiteral("; "));
    }

    bool sameAsFile(QString& why) {
        const Sections f = readFile();
        bool same = f.size() == list_.file.size();
        for (auto it = f.begin(); same && it != f.end(); ++it) {
            auto o = list_.file.find(it->first);
            if (o == list_.file.end()) {
                same = false;
                break;
            }
            for (int c = first_; c <= last_; ++c) {
                const QVariant a = it->second.count(c) ? it->second.at(c) : QVariant();
                const QVariant b = o->second.count(c) ? o->second.at(c) : QVariant();
                if (a.isNull() != b.isNull() || (!a.isNull() && std::abs(a.toDouble() - b.toDouble()) > 1e-9)) same = false;
            }
        }
        if (!same) why = QStringLiteral("file: %1\nlist: %2").arg(describe(f), describe(list_.file));
        return same;
    }

    // Runs the steps; false with the reason and the steps so far.
    bool run(int steps, QString& why) {
        for (int i = 0; i < steps; ++i) {
            const QString step = nextStep();
            log_ << step;
            if (!failure_.isEmpty() || !sameAsFile(failure_)) {
                why = failure_ + QStringLiteral("\nsteps: ") + log_.join(QStringLiteral(", "));
                return false;
            }
        }
        return true;
    }

private:
    // --- the plain list's own rules ------------------------------------------

    // Rows in the order the grid shows the file's sections.
    std::vector<qint64> order() const {
        std::vector<qint64> keys;
        for (const auto& [id, v] : list_.file) keys.push_back(id);
        if (list_.bySections) {
            auto node = [&](qint64 id, int c) {
                const Values& v = list_.file.at(id);
                return v.count(c) ? v.at(c).toInt() : -1;
            };
            std::stable_sort(keys.begin(), keys.end(), [&](qint64 a, qint64 b) {
                if (node(a, startCol_) != node(b, startCol_)) return node(a, startCol_) < node(b, startCol_);
                return node(a, endCol_) < node(b, endCol_);
            });
        }
        return keys;
    }

    // The key and nodes a new row gets from the file as it is.
    Values newRowValues(qint64& key) const {
        key = list_.file.empty() ? 1 : list_.file.rbegin()->first + 1;
        int a = 0;
        const std::vector<qint64> keys = order();
        if (!keys.empty()) {
            const Values& lastRow = list_.file.at(keys.back());
            if (lastRow.count(endCol_)) a = lastRow.at(endCol_).toInt();
        }
        return {{startCol_, a}, {endCol_, a + 1}};
    }

    void commitText() {
        if (!list_.editing) return;
        list_.editing = false;
        const QVariant v = numberValue(list_.text, isNode(curColumn_));
        if (!list_.pending) startPending(curKey_);
        // A number typed over the same number changes nothing.
        const QVariant now = valueOf(list_.pendingKey, curColumn_);
        if (now.isNull() == v.isNull() && (v.isNull() || now.toDouble() == v.toDouble())) return;
        list_.pendingValues[curColumn_] = v;
        list_.typedIntoPending = true;
    }

    void startPending(qint64 key) {
        list_.pending = true;
        list_.pendingKey = key;
        list_.pendingNew = false;
        list_.pendingValues.clear();
        list_.typedIntoPending = false;
    }

    // The row being typed into is left: stored when something was typed, else dropped.
    void leavePending() {
        if (!list_.pending) return;
        if (list_.typedIntoPending) {
            Values& v = list_.file[list_.pendingKey];
            for (const auto& [c, x] : list_.pendingValues) {
                if (x.isNull()) v.erase(c);
                else v[c] = x;
            }
        }
        list_.pending = false;
    }

    // A new row is expected: the grid must show it with the key and nodes the list gives.
    void expectNewRow() {
        qint64 key = 0;
        const Values v = newRowValues(key);
        if (sections().state() != Table::State::Insert) {
            failure_ = QStringLiteral("no new row");
            return;
        }
        const qint64 shownKey = sections().value(QStringLiteral("id")).toLongLong();
        const int a = sections().value(QStringLiteral("НачУзел")).toInt();
        if (shownKey != key || a != v.at(startCol_).toInt())
            failure_ = QStringLiteral("new row %1 from %2, the list expects %3 from %4")
                           .arg(shownKey)
                           .arg(a)
                           .arg(key)
                           .arg(v.at(startCol_).toInt());
        startPending(key);
        list_.pendingNew = true;
        list_.pendingValues = v;
    }

    bool isNode(int c) const { return c == startCol_ || c == endCol_; }

    // The key of the grid's current row: 0 for a new row, -1 for the blank row.
    qint64 keyAt(int row) {
        if (model().isBlankRow(row)) return -1;
        const qint64 k = sections().rowidAt(row);
        return k;
    }

    void readCurrent() {
        const QModelIndex i = t_.grid()->currentIndex();
        curRow_ = i.row();
        curColumn_ = i.column();
        curKey_ = keyAt(curRow_);
    }

    // The value a cell of the row with this key shows: typed, or from the file.
    QVariant valueOf(qint64 key, int c) const {
        if (list_.pending && list_.pendingKey == key && list_.pendingValues.count(c)) return list_.pendingValues.at(c);
        if (list_.file.count(key) && list_.file.at(key).count(c)) return list_.file.at(key).at(c);
        return {};
    }

    QString displayOf(qint64 key, int c) const {
        const QVariant v = valueOf(key, c);
        if (v.isNull()) return {};
        if (isNode(c)) return QString::number(v.toInt());
        return QLocale(QLocale::Russian, QLocale::Russia).toString(v.toDouble(), 'g', 15);
    }

    // --- the steps ------------------------------------------------------------

    QString nextStep() {
        readCurrent();
        const int rows = model().rowCount();
        if (curKey_ == 0 && !(list_.pending && list_.pendingNew)) {
            failure_ = QStringLiteral("a new row the list does not have");
            return QStringLiteral("?");
        }
        const bool onNewRow = list_.pending && list_.pendingNew;
        const qint64 rowKey = onNewRow && curKey_ == 0 ? list_.pendingKey : curKey_;
        const int pick = int(rnd_.bounded(100));

        if (list_.editing) {
            // Go on typing, or leave the cell.
            if (pick < 35) return typeDigits();
            const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Up,
                                    Qt::Key_Down,   Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Escape};
            Qt::Key key = keys[rnd_.bounded(8)];
            if (key == Qt::Key_Tab && curColumn_ >= last_) key = Qt::Key_Backtab;
            if (key == Qt::Key_Backtab && curColumn_ <= first_) key = Qt::Key_Tab;
            if (key == Qt::Key_Escape) {
                list_.editing = false;
                t_.press(key);
                return QStringLiteral("Esc");
            }
            commitText();
            return move(key, rows);
        }
        if (pick < 40) {
            // A number typed over the cell.
            if (curKey_ == -1) {  // the blank row: the first key stroke makes a new row
                list_.editing = true;
                list_.text.clear();
                const QString s = typeDigits();
                expectNewRow();
                return s;
            }
            if (!list_.pending || list_.pendingKey != rowKey) {
                leavePending();
                startPending(rowKey);
            }
            list_.editing = true;
            list_.text.clear();
            return typeDigits();
        }
        if (pick < 60) {
            const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Up, Qt::Key_Down,
                                    Qt::Key_PageUp, Qt::Key_PageDown};
            Qt::Key key = keys[rnd_.bounded(7)];
            if (key == Qt::Key_Tab && curColumn_ >= last_) key = Qt::Key_Backtab;
            if (key == Qt::Key_Backtab && curColumn_ <= first_) key = Qt::Key_Tab;
            return move(key, rows);
        }
        if (pick < 64) {
            t_.press(Qt::Key_Escape);
            if (list_.pending) list_.pending = false;  // the row's changes are undone, a new row goes
            return QStringLiteral("Esc");
        }
        if (pick < 68) {
            leavePending();
            t_.press(Qt::Key_Insert);
            expectNewRow();
            return QStringLiteral("Insert");
        }
        if (pick < 72) {
            if (!list_.selected.empty() || curKey_ == -1) return QStringLiteral("-");
            list_.clipboard = displayOf(rowKey, curColumn_);
            t_.press(Qt::Key_C, Qt::ControlModifier);
            if (QApplication::clipboard()->text() != list_.clipboard + (list_.clipboard.isEmpty() ? "" : "\n") &&
                !list_.clipboard.isEmpty())
                failure_ = QStringLiteral("copied \"%1\", the list has \"%2\"").arg(QApplication::clipboard()->text(), list_.clipboard);
            return QStringLiteral("Ctrl+C");
        }
        if (pick < 77) return paste(rowKey);
        if (pick < 80) {
            // Delete clears the current cell (not the nodes) or the selected rows'
            // cells; on a new row nothing was typed into it does nothing.
            const bool untouchedNew = list_.pending && list_.pendingNew && !list_.typedIntoPending;
            if (untouchedNew && list_.selected.empty()) {
                t_.press(Qt::Key_Delete);
                return QStringLiteral("Delete");
            }
            leavePending();
            t_.press(Qt::Key_Delete);
            if (list_.selected.empty()) {
                if (!isNode(curColumn_) && list_.file.count(rowKey)) list_.file[rowKey].erase(curColumn_);
            } else {
                for (qint64 k : list_.selected)
                    for (int c = first_; c <= last_; ++c)
                        if (!isNode(c) && list_.file.count(k)) list_.file[k].erase(c);
            }
            return QStringLiteral("Delete");
        }
        if (pick < 90) {
            // Ctrl+click on a stored row marks it or unmarks it.
            std::vector<int> stored;
            for (int r = 0; r < rows; ++r)
                if (keyAt(r) > 0) stored.push_back(r);
            if (stored.empty()) return QStringLiteral("-");
            const int r = stored[rnd_.bounded(int(stored.size()))];
            const qint64 k = keyAt(r);
            if (k != rowKey) leavePending();
            const QModelIndex i = model().index(r, curColumn_);
            t_.grid()->scrollTo(i);
            QTest::mouseClick(t_.grid()->viewport(), Qt::LeftButton, Qt::ControlModifier, t_.grid()->visualRect(i).center());
            QCoreApplication::processEvents();
            if (!list_.selected.erase(k)) list_.selected.insert(k);
            return QStringLiteral("Ctrl+click %1").arg(k);
        }
        if (pick < 95) {
            leavePending();
            list_.bySections = !list_.bySections;
            t_.clickTool(list_.bySections ? t_.w->miSortPoNU : t_.w->miSortPoVnutrSc);
            return list_.bySections ? QStringLiteral("sort 1-2") : QStringLiteral("sort id");
        }
        leavePending();
        t_.f.person.clear();
        t_.f.person.answers = {true};
        t_.clickTool(t_.w->miDelRec);
        if (list_.selected.empty()) {
            if (t_.f.person.messages != QStringList{QStringLiteral("Выделите хотя бы одну запись.")})
                failure_ = QStringLiteral("no selection, yet: ") + t_.f.person.messages.join('|');
        } else {
            for (qint64 k : list_.selected) list_.file.erase(k);
            list_.selected.clear();
        }
        t_.f.person.clear();
        return QStringLiteral("Удалить записи");
    }

    // A number typed over the cell, or one digit more in the open editor.
    QString typeDigits() {
        QString s;
        if (!list_.editing || list_.text.isEmpty()) {
            s = QString::number(rnd_.bounded(isNode(curColumn_) ? 300 : 1000));
            if (!isNode(curColumn_) && rnd_.bounded(2)) s += QLatin1Char(',') + QString::number(rnd_.bounded(10));
        } else if (list_.text.size() < 4) {
            s = QString::number(rnd_.bounded(10));
        }
        list_.text += s;
        t_.type(s);
        return QStringLiteral("\"%1\"").arg(s);
    }

    // A key that moves out of the cell (an open editor's text is in the row already).
    QString move(Qt::Key key, int rows) {
        static const std::map<int, QString> names = {{Qt::Key_Return, "Enter"}, {Qt::Key_Tab, "Tab"},
                                                     {Qt::Key_Backtab, "Shift+Tab"}, {Qt::Key_Up, "Up"},
                                                     {Qt::Key_Down, "Down"}, {Qt::Key_PageUp, "PgUp"},
                                                     {Qt::Key_PageDown, "PgDn"}};
        const bool lastRow = curRow_ == rows - 1;
        const bool untouchedNew = list_.pending && list_.pendingNew && !list_.typedIntoPending;
        bool newRow = false;
        if (key == Qt::Key_Return || key == Qt::Key_Down) {
            if (lastRow) {
                // Below the last row: a new row, unless the last row is a new row still untouched.
                newRow = !untouchedNew;
                if (newRow) leavePending();
            } else {
                leavePending();
                list_.selected.clear();
            }
        } else if (key == Qt::Key_Up) {
            leavePending();  // on the first row too: the row is stored, the cursor stays
            if (curRow_ > 0) list_.selected.clear();
        } else if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            if (key == Qt::Key_PageUp ? curRow_ > 0 : !lastRow) {
                leavePending();
                list_.selected.clear();
            }
        }
        t_.press(key);
        if (newRow) expectNewRow();
        return names.at(key);
    }

    QString paste(qint64 rowKey) {
        if (list_.clipboard.isEmpty()) return QStringLiteral("-");
        const bool untouchedNew = list_.pending && list_.pendingNew && !list_.typedIntoPending;
        leavePending();
        QApplication::clipboard()->setText(list_.clipboard + QLatin1Char('\n'));
        t_.f.person.clear();
        t_.press(Qt::Key_V, Qt::ControlModifier);
        const QVariant v = numberValue(list_.clipboard, isNode(curColumn_));
        if (v.isNull()) {
            if (t_.f.person.messages.size() != 1) failure_ = QStringLiteral("a refused paste said nothing");
        } else if (untouchedNew || rowKey == -1) {
            qint64 key = 0;
            Values nv = newRowValues(key);
            nv[curColumn_] = v;
            list_.file[key] = nv;
        } else {
            list_.file[rowKey][curColumn_] = v;
        }
        t_.f.person.clear();
        return QStringLiteral("Ctrl+V \"%1\"").arg(list_.clipboard);
    }

    Typing& t_;
    QRandomGenerator rnd_;
    PlainList list_;
    QStringList log_;
    QString failure_;
    int first_ = 0, last_ = 0, startCol_ = 0, endCol_ = 0, idField_ = 0;
    int curRow_ = 0, curColumn_ = 0;
    qint64 curKey_ = 0;
};

}  // namespace

class TestGridKeySequences : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileHoldsWhatThePlainListHolds_data();
    void fileHoldsWhatThePlainListHolds();
};

void TestGridKeySequences::fileHoldsWhatThePlainListHolds_data() {
    QTest::addColumn<quint32>("firstSeed");
    QTest::addColumn<int>("sequences");
    QTest::addColumn<int>("steps");
    // GRID_SEED=n runs the one sequence of that seed (a failure names its seed).
    if (qEnvironmentVariableIsSet("GRID_SEED")) {
        QTest::newRow("one seed") << quint32(qEnvironmentVariableIntValue("GRID_SEED")) << 1 << 40;
        return;
    }
    for (quint32 first : {1u, 101u, 201u})
        QTest::newRow(qPrintable(QStringLiteral("seeds %1-%2").arg(first).arg(first + 99))) << first << 100 << 40;
}

void TestGridKeySequences::fileHoldsWhatThePlainListHolds() {
    QFETCH(quint32, firstSeed);
    QFETCH(int, sequences);
    QFETCH(int, steps);
    Typing t(0);
    QVERIFY(t.ok);
    for (quint32 seed = firstSeed; seed < firstSeed + quint32(sequences); ++seed) {
        Sequence s(t, seed);
        s.reset();
        QString why;
        if (!s.run(steps, why)) QFAIL(qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(why)));
    }
}

QTEST_MAIN(TestGridKeySequences)
#include "test_grid_key_sequences.moc"
