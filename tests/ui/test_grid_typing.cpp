// Typing a network into the main window's section grid as an engineer does,
// with real key strokes and clicks on the real grid: whatever is typed is what
// the file holds. The arrow keys leave a node cell with the typed number, Enter
// adds one section per row, the first key stroke in an empty grid counts, a
// refused paste adds nothing, and the selection stays on the sections chosen
// through a new order and through a row that moves.
#include "tests/ui/grid_typing_fixture.h"
#include "ui/data_grid_delegate.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QtTest>

using volm::Database;
using volm::test::MainWindowFixture;
using volm::ui::DataGridView;

using volm::test::nodesUpToTen;
using volm::test::Typing;

class TestGridTyping : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arrowKeysLeaveANodeCellWithTheTypedNumber_data();
    void arrowKeysLeaveANodeCellWithTheTypedNumber();
    void enterAddsOneSectionPerRow_data();
    void enterAddsOneSectionPerRow();
    void firstKeyStrokeInAnEmptyGridCounts_data();
    void firstKeyStrokeInAnEmptyGridCounts();
    void refusedPasteBelowTheLastRowAddsNothing();
    void selectionStaysOnTheSectionsThroughANewOrder();
    void selectionStaysOnTheSectionsWhenAnEditedRowMoves();
    void aTypedCellKeepsWhatAnotherWriterStored();
};

void TestGridTyping::arrowKeysLeaveANodeCellWithTheTypedNumber_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::newRow("start node, Up") << QByteArray("НачУзел") << "7" << int(Qt::Key_Up);
    QTest::newRow("end node, Down") << QByteArray("КонУзел") << "9" << int(Qt::Key_Down);
    QTest::newRow("end node, PgDn") << QByteArray("КонУзел") << "10" << int(Qt::Key_PageDown);
    QTest::newRow("start node, PgUp") << QByteArray("НачУзел") << "4" << int(Qt::Key_PageUp);
}

void TestGridTyping::arrowKeysLeaveANodeCellWithTheTypedNumber() {
    QFETCH(QByteArray, field);
    QFETCH(QString, typed);
    QFETCH(int, key);
    Typing t(3);
    QVERIFY(t.ok);
    t.click(1, field.constData());
    t.type(typed);
    auto* delegate = qobject_cast<volm::ui::DataGridDelegate*>(t.grid()->itemDelegate());
    QVERIFY(qobject_cast<QComboBox*>(delegate->currentEditor()));  // the node pick list
    t.press(key);
    QCOMPARE(t.stored(2, field).toInt(), typed.toInt());
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
    // Alt+Down opens the list; only then do Up and Down walk it.
    t.click(2, field.constData());
    t.press(Qt::Key_Down, Qt::AltModifier);
    QComboBox* combo = qobject_cast<QComboBox*>(delegate->currentEditor());
    QVERIFY(combo);
    QTRY_VERIFY(combo->view()->isVisible());
    const int before = combo->view()->currentIndex().row();
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QCOMPARE(combo->view()->currentIndex().row(), before + 1);
    combo->hidePopup();
}

void TestGridTyping::enterAddsOneSectionPerRow_data() {
    QTest::addColumn<bool>("bySections");
    QTest::newRow("by the internal counter") << false;
    QTest::newRow("by section numbers") << true;
}

void TestGridTyping::enterAddsOneSectionPerRow() {
    QFETCH(bool, bySections);
    Typing t(0);
    QVERIFY(t.ok);
    if (bySections) t.clickTool(t.w->miSortPoNU);
    QCOMPARE(t.w->glavnModel->rowCount(), 1);  // the "*" row
    t.click(0, "ДлНаУчПод");
    for (const char* length : {"100", "110", "120"}) {
        t.type(QString::fromLatin1(length));
        t.press(Qt::Key_Return);
    }
    QCOMPARE(t.storedKeys(), (QList<int>{1, 2, 3}));
    QCOMPARE(t.stored(1, "ДлНаУчПод").toDouble(), 100.0);
    QCOMPARE(t.stored(2, "ДлНаУчПод").toDouble(), 110.0);
    QCOMPARE(t.stored(3, "ДлНаУчПод").toDouble(), 120.0);
    // Each new section starts where the one above ends.
    QCOMPARE(t.stored(3, "НачУзел").toInt(), t.stored(2, "КонУзел").toInt());
    // The cursor waits on an untouched new row, which leaving stores nothing of.
    QCOMPARE(t.w->glavnModel->rowCount(), 4);
    QCOMPARE(t.grid()->currentIndex().row(), 3);
    t.press(Qt::Key_Up);
    QCOMPARE(t.storedCount(), 3);
    QCOMPARE(t.w->glavnModel->rowCount(), 3);
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
}

void TestGridTyping::firstKeyStrokeInAnEmptyGridCounts_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::newRow("250") << "250" << 250.0;
    QTest::newRow("100") << "100" << 100.0;
    QTest::newRow("0,35") << "0,35" << 0.35;
}

void TestGridTyping::firstKeyStrokeInAnEmptyGridCounts() {
    QFETCH(QString, typed);
    QFETCH(double, stored);
    Typing t(0);
    QVERIFY(t.ok);
    t.click(0, "ДлНаУчПод");
    t.type(typed);
    t.press(Qt::Key_Tab);
    QCOMPARE(t.w->glavnModel->displayText(0, t.column("ДлНаУчПод")), typed);
    t.press(Qt::Key_Up);  // leaves the row: it is stored
    QCOMPARE(t.storedKeys(), QList<int>{1});
    QCOMPARE(t.stored(1, "ДлНаУчПод").toDouble(), stored);
}

void TestGridTyping::refusedPasteBelowTheLastRowAddsNothing() {
    Typing t(2);
    QVERIFY(t.ok);
    t.click(1, "НачУзел");
    t.press(Qt::Key_Down);  // a new row below the last
    QCOMPARE(t.w->glavnModel->rowCount(), 3);
    QApplication::clipboard()->setText(QStringLiteral("2\t3\t\tabc\t100"));
    t.press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(t.f.person.messages.size(), 1);
    QVERIFY2(t.f.person.messages.first().contains(QStringLiteral("ничего не вставлено")),
             qPrintable(t.f.person.messages.first()));
    QCOMPARE(t.storedKeys(), (QList<int>{1, 2}));
    QCOMPARE(t.w->glavnModel->rowCount(), 2);
    // The same block without its bad cell goes into a new row, not over the last one.
    t.f.person.clear();
    t.press(Qt::Key_Down);
    QApplication::clipboard()->setText(QStringLiteral("2\t3\t\t\t100"));
    t.press(Qt::Key_V, Qt::ControlModifier);
    QVERIFY2(t.f.person.messages.isEmpty(), qPrintable(t.f.person.messages.join('|')));
    QCOMPARE(t.storedKeys(), (QList<int>{1, 2, 3}));
    QCOMPARE(t.stored(2, "НачУзел").toInt(), 1);
    QCOMPARE(t.stored(3, "НачУзел").toInt(), 2);
    QCOMPARE(t.stored(3, "КонУзел").toInt(), 3);
}

namespace {

// Eight sections whose node order is the reverse of their keys' order.
void reversedSections(Database& db) {
    nodesUpToTen(db);
    for (int id = 1; id <= 8; ++id)
        db.exec(QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (%1, %2, %3, %4)")
                    .arg(id)
                    .arg(9 - id)
                    .arg(10 - id)
                    .arg(id * 10));
}

}  // namespace

void TestGridTyping::selectionStaysOnTheSectionsThroughANewOrder() {
    Typing t(0, reversedSections);
    QVERIFY(t.ok);
    // Sections 6 and 7 (rows 5 and 6 by the counter).
    t.click(5, "ДлНаУчПод", Qt::ControlModifier);
    t.click(6, "ДлНаУчПод", Qt::ControlModifier);
    t.clickTool(t.w->miSortPoNU);
    QCOMPARE(t.w->glavnModel->displayText(0, t.column("ДлНаУчПод")), QStringLiteral("80"));
    t.f.person.answers = {true};
    t.clickTool(t.w->miDelRec);
    QCOMPARE(t.storedKeys(), (QList<int>{1, 2, 3, 4, 5, 8}));
    QCOMPARE(t.w->glavnModel->rowCount(), 6);
}

void TestGridTyping::selectionStaysOnTheSectionsWhenAnEditedRowMoves() {
    Typing t(0, reversedSections);
    QVERIFY(t.ok);
    t.clickTool(t.w->miSortPoNU);  // rows: sections 8, 7, ..., 1
    t.click(0, "НачУзел", Qt::ControlModifier);  // section 8
    t.click(1, "НачУзел", Qt::ControlModifier);  // section 7
    for (int i = 0; i < 4; ++i) t.press(Qt::Key_Down, Qt::ControlModifier);  // moves, keeping the selection
    // Section 3 (row 5, nodes 6 - 7) gets start node 0 and moves to the top
    // when the command stores it.
    t.type(QStringLiteral("0"));
    t.press(Qt::Key_Tab);
    t.f.person.answers = {true};
    t.clickTool(t.w->miDelRec);
    QCOMPARE(t.storedKeys(), (QList<int>{1, 2, 3, 4, 5, 6}));
    QCOMPARE(t.stored(3, "НачУзел").toInt(), 0);
    QCOMPARE(t.w->glavnModel->displayText(0, t.column("ДлНаУчПод")), QStringLiteral("30"));
}

void TestGridTyping::aTypedCellKeepsWhatAnotherWriterStored() {
    Typing t(3);
    QVERIFY(t.ok);
    auto otherWriter = [&](const QString& sql) {
        Database other;
        other.open(t.f.calcPath());
        other.exec(sql);
    };
    // The runner changes section 2's diameter while the window shows the old one.
    otherWriter(QStringLiteral("UPDATE Табл SET Ду = 0.325 WHERE id = 2"));
    t.click(1, "КоэфМП");
    t.type(QStringLiteral("0,5"));
    t.press(Qt::Key_Down);
    QCOMPARE(t.stored(2, "КоэфМП").toDouble(), 0.5);
    QCOMPARE(t.stored(2, "Ду").toDouble(), 0.325);
    // The grid shows the row as the file now holds it.
    QCOMPARE(t.w->glavnModel->displayText(1, t.column("Ду")), QStringLiteral("0,325"));
    // The same through a command's store (the row being edited when a sort is chosen).
    otherWriter(QStringLiteral("UPDATE Табл SET Ду = 0.4 WHERE id = 3"));
    t.click(2, "КоэфМП");
    t.type(QStringLiteral("0,7"));
    t.press(Qt::Key_Tab);
    t.clickTool(t.w->miSortPoNU);
    QCOMPARE(t.stored(3, "КоэфМП").toDouble(), 0.7);
    QCOMPARE(t.stored(3, "Ду").toDouble(), 0.4);
}

QTEST_MAIN(TestGridTyping)
#include "test_grid_typing.moc"
