// The main window's grids as a spreadsheet user expects them: copy and paste of
// tab-separated blocks (a refused cell keeps nothing of its paste), Delete,
// Enter and Tab, the blank row of an empty section grid, and the computed
// indicators' columns with their tints (stale results, low available heads,
// warnings of the regime checks).
#include "commands/run_command.h"
#include "formulas/catalogue_check.h"
#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/regime_tables.h"
#include "store/view_options.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/data_grid_delegate.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/grid_clipboard.h"
#include "ui/main_window.h"
#include "ui/result_columns.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QtTest>

using volm::App;
using volm::Table;
using volm::test::DialogsFixture;
using volm::ui::GridEditing;
using volm::ui::ResultColumns;
using volm::ui::TMainForm;

using volm::test::MainWindowFixture;
using Window = MainWindowFixture;

class TestGridSpreadsheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tabTextRoundTrip_data();
    void tabTextRoundTrip();
    void copyGivesSelectedRowsWithTheDecimalComma();
    void pasteFillsRightAndDownAddingRows();
    void pasteWithARefusedCellKeepsNothing();
    void pasteIntoTheBlankRowOfAnEmptyGrid();
    void deleteClearsEnteredCellsButNotNodes();
    void enterCommitsAndMovesDown();
    void tabMovesRight();
    void numbersShownWithTheReportPrecision();
    void resultColumnsReadOnlyTintedAndRemembered();
    void staleResultsGreyedWithAStatusLine();
    void lowHeadRowsAndWarningCellsTinted();
    void lowHeadFollowsTheWater();
};

void TestGridSpreadsheet::tabTextRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::newRow("lf") << "1\t2\n3\t4\n" << QList<QStringList>{{"1", "2"}, {"3", "4"}};
    QTest::newRow("crlf, no last break") << "1\t2\r\n3\t4" << QList<QStringList>{{"1", "2"}, {"3", "4"}};
    QTest::newRow("empty cells") << "\t2\t\n" << QList<QStringList>{{"", "2", ""}};
    QTest::newRow("quoted") << "\"a\tb\"\t\"c\"\"d\"\n\"e\nf\"\tg\n"
                            << QList<QStringList>{{"a\tb", "c\"d"}, {"e\nf", "g"}};
}

void TestGridSpreadsheet::tabTextRoundTrip() {
    QFETCH(QString, text);
    QFETCH(QList<QStringList>, rows);
    const std::vector<QStringList> parsed = volm::ui::parseTabText(text);
    QCOMPARE(QList<QStringList>(parsed.begin(), parsed.end()), rows);
    const std::vector<QStringList> again = volm::ui::parseTabText(volm::ui::tabText(parsed));
    QCOMPARE(QList<QStringList>(again.begin(), again.end()), rows);
}

void TestGridSpreadsheet::copyGivesSelectedRowsWithTheDecimalComma() {
    Window t(3);
    QVERIFY(t.ok);
    t.setCurrent(0, "РасхПод");
    QCOMPARE(t.editing()->copyText(), QStringLiteral("1,25\n"));
    t.w->DGGlavn->selectionModel()->select(t.w->glavnModel->index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    t.w->DGGlavn->selectionModel()->select(t.w->glavnModel->index(2, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const std::vector<QStringList> rows = volm::ui::parseTabText(t.editing()->copyText());
    QCOMPARE(int(rows.size()), 2);
    QCOMPARE(rows[0].size(), t.w->glavnModel->columnCount());
    QCOMPARE(rows[0][t.column("НачУзел")], QStringLiteral("1"));
    QCOMPARE(rows[1][t.column("РасхПод")], QStringLiteral("3,25"));
    // Ctrl+C puts it on the clipboard.
    QTest::keyClick(t.w->DGGlavn, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), t.editing()->copyText());
}

void TestGridSpreadsheet::pasteFillsRightAndDownAddingRows() {
    Window t(3);
    QVERIFY(t.ok);
    t.app().RasVip = true;
    const int c = t.column("РасхПод");
    const QByteArray first = "РасхПод";
    const QByteArray second = t.w->glavnModel->fieldNameAt(c + 1).toUtf8();
    QVERIFY(!second.isEmpty());
    t.setCurrent(1, "РасхПод");
    QApplication::clipboard()->setText(QStringLiteral("5,5\t6\r\n7\t8\r\n9\t10\r\n"));
    QTest::keyClick(t.w->DGGlavn, Qt::Key_V, Qt::ControlModifier);
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
    QCOMPARE(t.storedCount(), 4);
    QCOMPARE(t.stored(2, first).toDouble(), 5.5);
    QCOMPARE(t.stored(2, second).toDouble(), 6.0);
    QCOMPARE(t.stored(3, first).toDouble(), 7.0);
    QCOMPARE(t.stored(4, first).toDouble(), 9.0);
    QCOMPARE(t.stored(4, second).toDouble(), 10.0);
    // The new row got what a typed new row gets: the next key, starting at the last end node.
    QCOMPARE(t.stored(4, "НачУзел").toInt(), 3);
    QCOMPARE(t.stored(4, "КонУзел").toInt(), 4);
    QCOMPARE(t.stored(1, first).toDouble(), 1.25);  // above the block
    QVERIFY(!t.app().RasVip);
    QCOMPARE(t.w->glavnModel->rowCount(), 4);
    QCOMPARE(t.w->DGGlavn->currentIndex(), t.w->glavnModel->index(1, c));
}

void TestGridSpreadsheet::pasteWithARefusedCellKeepsNothing() {
    Window t(2);
    QVERIFY(t.ok);
    t.setCurrent(0, "ДлНаУчПод");
    QApplication::clipboard()->setText(QStringLiteral("11\n12\n13\n1x4\n15\n"));
    QTest::keyClick(t.w->DGGlavn, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(t.f.person.messages.size(), 1);
    const QString m = t.f.person.messages.first();
    QVERIFY2(m.contains(QStringLiteral("ничего не вставлено")), qPrintable(m));
    QVERIFY2(m.contains(QStringLiteral("Строка 4")), qPrintable(m));
    QVERIFY2(m.contains(QStringLiteral("ДлНаУчПод")), qPrintable(m));
    QVERIFY2(m.contains(QStringLiteral("\"1x4\"")), qPrintable(m));
    QCOMPARE(t.storedCount(), 2);
    QCOMPARE(t.stored(1, "ДлНаУчПод").toDouble(), 10.0);
    QCOMPARE(t.stored(2, "ДлНаУчПод").toDouble(), 20.0);
    QCOMPARE(t.w->glavnModel->rowCount(), 2);
    QCOMPARE(t.w->glavnModel->displayText(0, t.column("ДлНаУчПод")), QStringLiteral("10"));
}

void TestGridSpreadsheet::pasteIntoTheBlankRowOfAnEmptyGrid() {
    Window t(0);
    QVERIFY(t.ok);
    // One row ready for typing, marked as new.
    QCOMPARE(t.w->glavnModel->rowCount(), 1);
    QVERIFY(t.w->glavnModel->isBlankRow(0));
    QCOMPARE(t.w->glavnModel->headerData(0, Qt::Vertical).toString(), QStringLiteral("*"));
    QVERIFY(t.w->glavnModel->flags(t.w->glavnModel->index(0, t.column("ДлНаУчПод"))) & Qt::ItemIsEditable);
    t.setCurrent(0, "НачУзел");
    QApplication::clipboard()->setText(QStringLiteral("1\t2\n2\t3\n"));
    QTest::keyClick(t.w->DGGlavn, Qt::Key_V, Qt::ControlModifier);
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
    QCOMPARE(t.storedCount(), 2);
    QCOMPARE(t.stored(1, "НачУзел").toInt(), 1);
    QCOMPARE(t.stored(2, "КонУзел").toInt(), 3);
    QVERIFY(!t.w->glavnModel->isBlankRow(0));
    QCOMPARE(t.w->glavnModel->rowCount(), 2);
}

void TestGridSpreadsheet::deleteClearsEnteredCellsButNotNodes() {
    Window t(4);
    QVERIFY(t.ok);
    // The current cell alone.
    t.setCurrent(0, "ДлНаУчПод");
    QTest::keyClick(t.w->DGGlavn, Qt::Key_Delete);
    QVERIFY(t.stored(1, "ДлНаУчПод").isNull());
    QCOMPARE(t.stored(1, "РасхПод").toDouble(), 1.25);
    // A node number stays.
    t.setCurrent(0, "НачУзел");
    QTest::keyClick(t.w->DGGlavn, Qt::Key_Delete);
    QCOMPARE(t.stored(1, "НачУзел").toInt(), 0);
    // Selected rows: every entered cell but the nodes.
    t.setCurrent(1, "РасхПод");
    for (int r : {1, 2})
        t.w->DGGlavn->selectionModel()->select(t.w->glavnModel->index(r, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(t.w->DGGlavn, Qt::Key_Delete);
    for (int id : {2, 3}) {
        QVERIFY(t.stored(id, "ДлНаУчПод").isNull());
        QVERIFY(t.stored(id, "РасхПод").isNull());
        QCOMPARE(t.stored(id, "КонУзел").toInt(), id);
    }
    QCOMPARE(t.stored(4, "ДлНаУчПод").toDouble(), 40.0);
    QVERIFY(t.f.person.messages.isEmpty());
}

void TestGridSpreadsheet::enterCommitsAndMovesDown() {
    Window t(3);
    QVERIFY(t.ok);
    t.setCurrent(0, "ДлНаУчПод");
    // Typing replaces the cell's text.
    QTest::keyClick(t.w->DGGlavn, Qt::Key_7);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_7);
    QCOMPARE(editor->text(), QStringLiteral("77"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(t.stored(1, "ДлНаУчПод").toDouble(), 77.0);
    QCOMPARE(t.sections().currentRow(), 1);
    QCOMPARE(t.w->DGGlavn->currentIndex(), t.w->glavnModel->index(1, t.column("ДлНаУчПод")));
    QVERIFY(!t.w->DGGlavn->isEditingCell());
    // Enter outside the editor moves down as well.
    QTest::keyClick(t.w->DGGlavn, Qt::Key_Return);
    QCOMPARE(t.w->DGGlavn->currentIndex().row(), 2);
}

void TestGridSpreadsheet::tabMovesRight() {
    Window t(2);
    QVERIFY(t.ok);
    t.setCurrent(0, "НачУзел");
    const int c = t.w->DGGlavn->currentIndex().column();
    QTest::keyClick(t.w->DGGlavn, Qt::Key_Tab);
    QCOMPARE(t.w->DGGlavn->currentIndex(), t.w->glavnModel->index(0, c + 1));
    QTest::keyClicks(t.w->DGGlavn, QStringLiteral("9"));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(t.w->DGGlavn->currentIndex(), t.w->glavnModel->index(0, c + 2));
    QVERIFY(!t.w->DGGlavn->isEditingCell());
    QCOMPARE(t.w->glavnModel->displayText(0, c + 1), QStringLiteral("9"));
}

void TestGridSpreadsheet::numbersShownWithTheReportPrecision() {
    Window t(1);
    QVERIFY(t.ok);
    t.app().dm.acGR.exec(QStringLiteral("UPDATE Табл SET РасхПод=12.3456789 WHERE id=1"));
    t.sections().requery();
    t.app().dm.atNastr->edit();
    t.app().dm.atNastr->setValue(QStringLiteral("ТочностьЧиселВОтч"), 2);
    t.app().dm.atNastr->post();
    QTRY_COMPARE(t.w->glavnModel->displayDecimals(), 2);
    const QModelIndex cell = t.w->glavnModel->index(0, t.column("РасхПод"));
    QCOMPARE(cell.data(Qt::DisplayRole).toString(), QStringLiteral("12,35"));
    QCOMPARE(cell.data(Qt::EditRole).toString(), QStringLiteral("12,3456789"));
    QVERIFY(cell.data(Qt::ToolTipRole).toString().contains(QStringLiteral("12,3456789")));
    QCOMPARE(t.w->glavnModel->index(0, t.column("ДлНаУчПод")).data().toString(), QStringLiteral("10"));
    // A number wider than its cell loses decimals, never digits.
    const QFontMetrics fm(t.w->DGGlavn->font());
    const QString fitted = volm::ui::DataGridDelegate::fittedNumber(QStringLiteral("-123456789,12"),
                                                                    QStringLiteral("-123456789,123"), fm,
                                                                    fm.horizontalAdvance(QStringLiteral("-123456789")));
    QCOMPARE(fitted, QStringLiteral("-123456789"));
    QVERIFY(!volm::ui::DataGridDelegate::fittedNumber(QStringLiteral("-123456789,12"), QStringLiteral("-123456789,123"),
                                                       fm, fm.horizontalAdvance(QStringLiteral("-1,2e+08")))
                 .contains(QChar(0x2026)));
}

namespace {

// The two-pipe example computed, its window showing the computed columns.
struct Computed : Window {
    Computed() : Window(0, QStringLiteral("examples/two_pipe.mdb")) {
        if (!ok) return;
        ok = false;
        App& a = app();
        volm::useFormulaCheck(a);
        if (!volm::ProveritFormuli(a)) {
            qWarning("formulas: %s", qPrintable(f.person.messages.join('|')));
            return;
        }
        volm::NastroitStrukturuTablic(a);
        volm::RunOptions options;
        options.ask = false;
        options.supplyNodeText = w->edNuzPNapPod->text();
        options.availNodeText = w->edNuzRNap->text();
        const volm::RunOutcome run = volm::runCalculation(a, options);
        if (!run.success()) {
            qWarning("run: %s %s", qPrintable(run.text), qPrintable(f.person.messages.join('|')));
            return;
        }
        a.changed();
        w->miVidRaschPok->setChecked(true);
        ok = a.RasVip && w->resultColumns()->shown();
    }
};

}  // namespace

void TestGridSpreadsheet::resultColumnsReadOnlyTintedAndRemembered() {
    Computed t;
    QVERIFY(t.ok);
    QAction* view = nullptr;
    for (QAction* a : t.w->menuBar()->actions())
        if (a->text() == QStringLiteral("&Вид")) view = a;
    QVERIFY(view);
    QCOMPARE(view->menu()->actions().value(0), t.w->miVidRaschPok);
    QVERIFY(volm::showComputedIndicators(t.app()));
    const volm::ui::DataGridModel* m = t.w->glavnModel;
    const int note = t.column("Примечание");
    const int head = t.column("ПНапКонПод");
    QVERIFY(head > note);  // after the entered columns
    QVERIFY(t.column("ПотНОтИНачПод") < head);  // in the order of the table
    QVERIFY(!(m->flags(m->index(0, head)) & Qt::ItemIsEditable));
    QCOMPARE(m->index(0, head).data(Qt::BackgroundRole).value<QColor>(), ResultColumns::computedTint());
    QVERIFY(!m->index(0, note).data(Qt::BackgroundRole).isValid());
    QVERIFY(!m->headerData(head, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
    QVERIFY(!t.w->resultColumns()->caption(false, head + 1).isEmpty());
    QVERIFY(t.w->resultColumns()->caption(false, note + 1).isEmpty());
    // A typed value or a pasted one never reaches a computed column.
    const QString before = m->displayText(0, head);
    QVERIFY(!t.w->glavnModel->setData(m->index(0, head), QStringLiteral("1")));
    t.setCurrent(0, "ПНапКонПод");
    QApplication::clipboard()->setText(QStringLiteral("1\n"));
    QTest::keyClick(t.w->DGGlavn, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m->displayText(0, head), before);
    // Off again: the entered columns alone, remembered.
    t.w->miVidRaschPok->setChecked(false);
    QCOMPARE(m->columnCount(), note + 1);
    QVERIFY(!volm::showComputedIndicators(t.app()));
    // The header grid shows its computed indicators too.
    t.w->miVidRaschPok->setChecked(true);
    QVERIFY(t.w->zagModel->columnOf(QStringLiteral("МаксДлПод")) >= 0);
}

void TestGridSpreadsheet::staleResultsGreyedWithAStatusLine() {
    Computed t;
    QVERIFY(t.ok);
    auto* line = t.w->findChild<QLabel*>(QStringLiteral("lbResultsState"));
    QVERIFY(line);
    QTRY_VERIFY(line->isHidden());
    const int head = t.column("ПНапКонПод");
    t.setCurrent(0, "ДлНаУчПод");
    QTest::keyClick(t.w->DGGlavn, Qt::Key_1);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("23"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!t.app().RasVip);
    QTRY_VERIFY(line->isVisible());
    QVERIFY(!line->text().isEmpty());
    QCOMPARE(t.w->glavnModel->index(0, head).data(Qt::BackgroundRole).value<QColor>(), ResultColumns::staleTint());
    QCOMPARE(t.w->glavnModel->index(0, head).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
}

void TestGridSpreadsheet::lowHeadRowsAndWarningCellsTinted() {
    Computed t;
    QVERIFY(t.ok);
    App& a = t.app();
    // The end of the third section gets a low available head, as a run would leave it.
    const int rEnd = t.sections().fieldIndex(QStringLiteral("РНапКон"));
    QVERIFY(rEnd >= 0);
    const qint64 low = t.sections().rowidAt(2);
    a.dm.acGR.exec(QStringLiteral("UPDATE Табл SET РНапКон=0.05 WHERE id=%1").arg(low));
    // A rule on an entered indicator of every section.
    volm::ensureRegimeTables(a.dm.acGR);
    a.dm.acGR.exec(QStringLiteral("INSERT INTO ПроверкиРежима (Nпп, Показатель, Условие, Предел, Предупреждение) "
                                  "VALUES (1, 'ДлНаУчПод', 'больше', 1, 'Длинный участок')"));
    t.sections().requery();
    t.w->resultColumns()->invalidate();
    t.w->resultColumns()->apply();
    const volm::ui::DataGridModel* m = t.w->glavnModel;
    const int note = t.column("Примечание");
    const int length = t.column("ДлНаУчПод");
    int lowRow = -1;
    for (int r = 0; r < t.sections().rowCount(); ++r)
        if (t.sections().rowidAt(r) == low) lowRow = r;
    QVERIFY(lowRow >= 0);
    QCOMPARE(m->index(lowRow, note).data(Qt::BackgroundRole).value<QColor>(), ResultColumns::lowHeadTint());
    const int other = lowRow == 0 ? 1 : 0;
    const int endNode = m->displayText(lowRow, t.column("КонУзел")).toInt();
    if (m->displayText(other, t.column("КонУзел")).toInt() != endNode)
        QVERIFY(!m->index(other, note).data(Qt::BackgroundRole).isValid());
    // The warning's cells: tinted, the warning as tooltip.
    QCOMPARE(m->index(other, length).data(Qt::BackgroundRole).value<QColor>(), ResultColumns::warningTint());
    QVERIFY(m->index(other, length).data(Qt::ToolTipRole).toString().contains(QStringLiteral("Длинный участок")));
    QVERIFY(!m->index(other, note).data(Qt::ToolTipRole).toString().contains(QStringLiteral("Длинный участок")));
}

// A section stored as a looped run stores one the water runs against: entered
// from its end node to its start node, its flow negative, its heads in the
// water's direction. Its low end head is at the node the water reaches (its
// НачУзел): the section is tinted, not the one feeding its КонУзел.
void TestGridSpreadsheet::lowHeadFollowsTheWater() {
    Computed t;
    QVERIFY(t.ok);
    App& a = t.app();
    auto st = a.dm.acGR.prepare(QStringLiteral(
        "SELECT x.id, p.id FROM Табл x JOIN Табл p ON p.КонУзел = x.НачУзел ORDER BY x.id LIMIT 1"));
    QVERIFY(st->step());
    const qint64 turned = st->column(0).toLongLong(), feeding = st->column(1).toLongLong();
    st.reset();
    a.dm.acGR.exec(QStringLiteral("UPDATE Табл SET НачУзел=КонУзел, КонУзел=НачУзел, РасхПод=-РасхПод, "
                                  "РНапКон=0.05 WHERE id=%1").arg(turned));
    t.sections().requery();
    t.w->resultColumns()->invalidate();
    t.w->resultColumns()->apply();
    const volm::ui::DataGridModel* m = t.w->glavnModel;
    const int note = t.column("Примечание");
    auto rowOf = [&](qint64 id) {
        for (int r = 0; r < t.sections().rowCount(); ++r)
            if (t.sections().rowidAt(r) == id) return r;
        return -1;
    };
    QCOMPARE(m->index(rowOf(turned), note).data(Qt::BackgroundRole).value<QColor>(), ResultColumns::lowHeadTint());
    QVERIFY(!m->index(rowOf(feeding), note).data(Qt::BackgroundRole).isValid());
}

QTEST_MAIN(TestGridSpreadsheet)
#include "test_grid_spreadsheet.moc"
