// The data grid: the model over a table cursor (checked by QAbstractItemModelTester
// through every kind of cursor change), display and typed texts, editing and
// posting on leaving a row, appending, the refused deletion, and the section
// table's store on post with its landing rows.
#include "store/database.h"
#include "store/errors.h"
#include "store/records.h"
#include "store/section_store.h"
#include "tests/support/fake_person.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/data_grid_delegate.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using volm::Database;
using volm::Table;
using volm::ui::ColumnLook;
using volm::ui::DataGridModel;
using volm::ui::DataGridView;

namespace {

// A small table of every field kind, rows (id, n, x, b, t).
struct PlainTable {
    QTemporaryDir dir;
    Database db;
    std::unique_ptr<Table> t;

    explicit PlainTable(int rows = 5) {
        const QString path = dir.filePath(QStringLiteral("grid.mdb"));
        Database::create(path);
        db.open(path);
        db.exec(QStringLiteral("CREATE TABLE Т ([id] integer PRIMARY KEY, [n] smallint, [x] float, [b] bit, [t] text(20))"));
        db.begin();
        for (int i = 1; i <= rows; ++i)
            db.exec(QStringLiteral("INSERT INTO Т (id, n, x, b, t) VALUES (%1, %2, %3.5, %4, 'строка %1')")
                        .arg(i)
                        .arg(i * 10)
                        .arg(i)
                        .arg(i % 2 ? QStringLiteral("True") : QStringLiteral("False")));
        db.commit();
        t = std::make_unique<Table>(db, QStringLiteral("Т"));
        t->setSort(QStringLiteral("id ASC"));
        t->open();
    }

    QVariant stored(int id, const char* field) {
        auto q = db.query(QStringLiteral("SELECT %1 FROM Т WHERE id=%2").arg(QString::fromUtf8(field)).arg(id));
        q->open();
        return q->isEmpty() ? QVariant() : q->valueAt(0, 0);
    }
};

// Leaves the editor with its text moved into the row, the cell staying current
// (as a command ending the editing does; Enter moves down).
constexpr Qt::Key kCommitInPlace = Qt::Key_unknown;

// Opens the editor of a cell, types the text and presses a key in it.
void typeInto(DataGridView& view, const QModelIndex& index, const QString& text, Qt::Key leave) {
    view.setCurrentIndex(index);
    view.edit(index);
    auto* delegate = qobject_cast<volm::ui::DataGridDelegate*>(view.itemDelegate());
    QVERIFY(delegate);
    QWidget* editor = delegate->currentEditor();
    QVERIFY(editor);
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) line = editor->findChild<QLineEdit*>();
    QVERIFY(line);
    line->setText(text);
    if (leave == kCommitInPlace) {
        view.endEditing();
        return;
    }
    QTest::keyClick(editor, leave);
    QCoreApplication::processEvents();  // Enter commits through a queued call
}

}  // namespace

class TestDataGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void modelFollowsEveryCursorChange();
    void displayTexts_data();
    void displayTexts();
    void typedTexts_data();
    void typedTexts();
    void leavingRowPosts();
    void escapeCancelsRow();
    void failureWithoutPersonIsLogged();
    void typingStartsRowEdit();
    void appendBelowLastRowAndInsert();
    void ownDeletionRefusedSilently();
    void severalRowsSelectable();
    void selectionApartFromCurrentRow_data();
    void selectionApartFromCurrentRow();
    void columnsFollowVisibilityAndLooks();
    void largeTableEditsWithoutReload();
    void sectionDownStoresAndLandsBelow();
    void sectionUpOnFirstRowStays();
    void sectionClickLandsOnClickedRow();
    void sectionAppendedRowPostedByCursor();
    void nodeCellTypingReplacesTheNumber();
    void nodeCellPickListOpens();
    void numbersReadWhateverTheLocale_data();
    void numbersReadWhateverTheLocale();
    void rowAddedUnderASortShowsInOrder();
};

void TestDataGrid::modelFollowsEveryCursorChange() {
    PlainTable p;
    DataGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setTable(p.t.get());
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.columnCount(), 5);

    p.t->last();
    p.t->append();
    QCOMPARE(model.rowCount(), 6);
    p.t->setValue(QStringLiteral("id"), 6);
    p.t->setValue(QStringLiteral("t"), QStringLiteral("новая"));
    p.t->post();
    QCOMPARE(model.displayText(5, 4), QStringLiteral("новая"));

    p.t->first();
    p.t->insert();  // before the first row
    QCOMPARE(model.rowCount(), 7);
    QCOMPARE(model.displayText(1, 0), QStringLiteral("1"));
    p.t->cancel();
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.displayText(0, 0), QStringLiteral("1"));

    p.t->moveBy(2);
    p.t->remove();
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.displayText(2, 0), QStringLiteral("4"));

    p.t->setSort(QStringLiteral("id DESC"));
    QCOMPARE(model.displayText(0, 0), QStringLiteral("6"));
    p.t->requery();
    p.t->setFieldVisible(QStringLiteral("x"), false);
    QCOMPARE(model.columnCount(), 4);
    p.t->disableControls();
    p.db.exec(QStringLiteral("DELETE FROM Т WHERE id > 3"));
    p.t->requery();
    p.t->enableControls();
    QCOMPARE(model.rowCount(), 2);
    p.t->close();
    QCOMPARE(model.rowCount(), 0);
    p.t->open();
    QCOMPARE(model.rowCount(), 2);
    p.t.reset();  // the cursor goes away under the model
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.table());
}

void TestDataGrid::displayTexts_data() {
    QTest::addColumn<QString>("trueText");
    QTest::addColumn<QString>("falseText");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Да") << QString() << QString() << 0 << QStringLiteral("Да");
    QTest::newRow("Нет") << QString() << QString() << 1 << QStringLiteral("Нет");
    QTest::newRow("Т") << QStringLiteral("Т") << QStringLiteral("З") << 0 << QStringLiteral("Т");
    QTest::newRow("З") << QStringLiteral("Т") << QStringLiteral("З") << 1 << QStringLiteral("З");
    QTest::newRow("Обр.") << QStringLiteral("Обр.") << QStringLiteral("Под.") << 0 << QStringLiteral("Обр.");
    QTest::newRow("Под.") << QStringLiteral("Обр.") << QStringLiteral("Под.") << 1 << QStringLiteral("Под.");
}

void TestDataGrid::displayTexts() {
    QFETCH(QString, trueText);
    QFETCH(QString, falseText);
    QFETCH(int, row);
    QFETCH(QString, shown);
    PlainTable p;
    DataGridModel model;
    model.setTable(p.t.get());
    if (!trueText.isEmpty()) {
        ColumnLook s;
        s.trueText = trueText;
        s.falseText = falseText;
        model.setColumnLook(QStringLiteral("b"), s);
    }
    QCOMPARE(model.data(model.index(row, 3)).toString(), shown);
    // Numbers in the person's locale, whole numbers plain, Null empty.
    model.setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("1,5"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("10"));
    p.db.exec(QStringLiteral("UPDATE Т SET x = Null, n = 12345 WHERE id = 1"));
    p.t->requery();
    QCOMPARE(model.data(model.index(0, 2)).toString(), QString());
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("12345"));
}

void TestDataGrid::typedTexts_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("refused");
    QTest::newRow("display text of true") << 3 << QStringLiteral("обр.") << QVariant(true) << false;
    QTest::newRow("display text of false") << 3 << QStringLiteral("Под.") << QVariant(false) << false;
    QTest::newRow("other text refused") << 3 << QStringLiteral("абв") << QVariant(true) << true;
    QTest::newRow("decimal comma") << 2 << QStringLiteral("2,25") << QVariant(2.25) << false;
    QTest::newRow("decimal point") << 2 << QStringLiteral("3.75") << QVariant(3.75) << false;
    QTest::newRow("empty is Null") << 2 << QString() << QVariant() << false;
    QTest::newRow("not a number") << 2 << QStringLiteral("1x") << QVariant(1.5) << true;
    QTest::newRow("out of smallint") << 1 << QStringLiteral("40000") << QVariant(10) << true;
    QTest::newRow("text") << 4 << QStringLiteral("O'Brien") << QVariant(QStringLiteral("O'Brien")) << false;
}

void TestDataGrid::typedTexts() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(bool, refused);
    PlainTable p;
    volm::test::FakePerson person;
    DataGridModel model;
    model.setPerson(&person);
    model.setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    model.setTable(p.t.get());
    ColumnLook pipe;
    pipe.trueText = QStringLiteral("Обр.");
    pipe.falseText = QStringLiteral("Под.");
    model.setColumnLook(QStringLiteral("b"), pipe);

    QCOMPARE(model.setData(model.index(0, column), typed), !refused);
    QCOMPARE(person.messages.size(), refused ? 1 : 0);
    QVERIFY(model.postRow());
    const QVariant v = p.stored(1, QStringList{"id", "n", "x", "b", "t"}[column].toUtf8().constData());
    if (stored.isNull()) QVERIFY(v.isNull());
    else if (stored.typeId() == QMetaType::Bool) QCOMPARE(v.toBool(), stored.toBool());
    else if (stored.typeId() == QMetaType::Double) QCOMPARE(v.toDouble(), stored.toDouble());
    else QCOMPARE(v.toString(), stored.toString());
}

void TestDataGrid::leavingRowPosts() {
    PlainTable p;
    DataGridModel model;
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.resize(600, 300);
    view.show();
    typeInto(view, model.index(1, 4), QStringLiteral("изменено"), kCommitInPlace);
    QCOMPARE(p.t->state(), Table::State::Edit);
    QCOMPARE(p.stored(2, "t").toString(), QStringLiteral("строка 2"));  // not yet posted
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(p.t->currentRow(), 2);
    QCOMPARE(view.currentIndex().row(), 2);
    QCOMPARE(p.t->state(), Table::State::Browse);
    QCOMPARE(p.stored(2, "t").toString(), QStringLiteral("изменено"));

    // The cursor moved by a command: the view follows.
    p.t->first();
    QCOMPARE(view.currentIndex().row(), 0);

    // A row that refuses to be left keeps the cursor and says why once, also
    // when the click that tried to leave it lands on another row.
    volm::test::FakePerson person;
    model.setPerson(&person);
    p.t->beforePost = [&person](Table&) {
        person.message(QStringLiteral("отказ"));
        throw volm::Abort();
    };
    typeInto(view, model.index(0, 4), QStringLiteral("снова"), kCommitInPlace);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(model.index(3, 1)).center());
    QCOMPARE(person.messages, QStringList{QStringLiteral("отказ")});
    QCOMPARE(p.t->currentRow(), 0);
    QCOMPARE(view.currentIndex().row(), 0);
    QCOMPARE(p.t->state(), Table::State::Edit);
}

// A grid given no person still runs: a refused record operation is written to
// the log in its own words, the row stays in edit, the next try can succeed.
void TestDataGrid::failureWithoutPersonIsLogged() {
    PlainTable p;
    DataGridModel model;
    model.setTable(p.t.get());
    QVERIFY(model.setData(model.index(0, 4), QStringLiteral("изменено")));
    p.t->beforePost = [](Table&) { throw volm::DatabaseError(QStringLiteral("запись занята")); };
    QTest::ignoreMessage(QtWarningMsg, "запись занята");
    QVERIFY(!model.postRow());
    QCOMPARE(p.t->state(), Table::State::Edit);
    p.t->beforePost = {};
    QVERIFY(model.postRow());
    QCOMPARE(p.stored(1, "t").toString(), QStringLiteral("изменено"));
}

void TestDataGrid::escapeCancelsRow() {
    PlainTable p;
    DataGridModel model;
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.show();
    typeInto(view, model.index(0, 1), QStringLiteral("99"), kCommitInPlace);
    QCOMPARE(model.displayText(0, 1), QStringLiteral("99"));
    QTest::keyClick(&view, Qt::Key_Escape);
    QCOMPARE(p.t->state(), Table::State::Browse);
    QCOMPARE(model.displayText(0, 1), QStringLiteral("10"));
    QCOMPARE(p.stored(1, "n").toInt(), 10);
}

void TestDataGrid::typingStartsRowEdit() {
    PlainTable p;
    DataGridModel model;
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.show();
    view.setCurrentIndex(model.index(1, 1));
    view.edit(model.index(1, 1));
    auto* editor = view.findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(p.t->state(), Table::State::Browse);
    QTest::keyClicks(editor, QStringLiteral("5"));
    QCOMPARE(p.t->state(), Table::State::Edit);
    QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("I"));
}

void TestDataGrid::appendBelowLastRowAndInsert() {
    PlainTable p(3);
    DataGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.show();
    view.setCurrentIndex(model.index(2, 0));
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(p.t->state(), Table::State::Insert);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(view.currentIndex().row(), 3);
    // An untouched new row does not make another one.
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(model.rowCount(), 4);
    typeInto(view, model.index(3, 0), QStringLiteral("4"), kCommitInPlace);
    QTest::keyClick(&view, Qt::Key_Down);  // posts row 4 and starts row 5
    QCOMPARE(p.stored(4, "id").toInt(), 4);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(p.t->state(), Table::State::Insert);
    QTest::keyClick(&view, Qt::Key_Escape);
    QCOMPARE(model.rowCount(), 4);

    // Insert: a new row before the current one.
    view.setCurrentIndex(model.index(1, 0));
    QTest::keyClick(&view, Qt::Key_Insert);
    QCOMPARE(p.t->state(), Table::State::Insert);
    QCOMPARE(p.t->currentRow(), 1);
    QCOMPARE(view.currentIndex().row(), 1);
    QCOMPARE(model.displayText(2, 0), QStringLiteral("2"));
}

void TestDataGrid::ownDeletionRefusedSilently() {
    PlainTable p;
    volm::test::FakePerson person;
    p.t->beforeDelete = [](Table&) { throw volm::Abort(); };
    DataGridModel model;
    model.setPerson(&person);
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.show();
    view.setCurrentIndex(model.index(2, 0));
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Delete);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(p.stored(3, "id").toInt(), 3);
    QVERIFY(person.messages.isEmpty());
}

void TestDataGrid::severalRowsSelectable() {
    PlainTable p(10);
    DataGridModel model;
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.show();
    view.setCurrentIndex(model.index(2, 0));
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view.selectedRowNumbers(), (QList<int>{2, 3}));
    QCOMPARE(p.t->currentRow(), 3);
    view.selectAllRows();
    QCOMPARE(view.selectedRowNumbers().size(), 10);
    QCOMPARE(p.t->currentRow(), 3);
}

// The rows the person selects, apart from the current row: a script of clicks and
// keys ("click 3", "ctrl+click 1", "shift+click 4", "mark 2" and "ctrl+mark 2" on
// the row's indicator, "Down", "shift+Down",
// "ctrl+Down", "Right", "ctrl+End", "cursor 2" for a move made by the program)
// and the rows selected
// and the current row after it.
void TestDataGrid::selectionApartFromCurrentRow_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("current");

    QTest::newRow("opened") << "" << QList<int>{} << 0;
    QTest::newRow("a click") << "click 3" << QList<int>{} << 3;
    QTest::newRow("arrow keys") << "click 1; Down; Down; Up" << QList<int>{} << 2;
    QTest::newRow("a move by the program") << "cursor 4" << QList<int>{} << 4;
    QTest::newRow("ctrl+click marks") << "ctrl+click 1; ctrl+click 3" << QList<int>{1, 3} << 3;
    QTest::newRow("ctrl+click unmarks") << "ctrl+click 1; ctrl+click 3; ctrl+click 1" << QList<int>{3} << 1;
    QTest::newRow("shift+click from the clicked row") << "click 1; shift+click 4" << QList<int>{1, 2, 3, 4} << 4;
    QTest::newRow("shift+arrows") << "click 2; shift+Down; shift+Down" << QList<int>{2, 3, 4} << 4;
    QTest::newRow("shift+arrows back") << "click 2; shift+Down; shift+Down; shift+Up" << QList<int>{2, 3} << 3;
    QTest::newRow("a plain click clears") << "ctrl+click 1; ctrl+click 3; click 5" << QList<int>{} << 5;
    QTest::newRow("a plain arrow clears") << "click 2; shift+Down; Down" << QList<int>{} << 4;
    QTest::newRow("ctrl+arrow keeps") << "ctrl+click 1; ctrl+Down" << QList<int>{1} << 2;
    QTest::newRow("a move along the row keeps") << "ctrl+click 1; ctrl+click 2; Right; Left" << QList<int>{1, 2} << 2;
    QTest::newRow("ctrl+end clears") << "ctrl+click 1; ctrl+End" << QList<int>{} << 7;
    QTest::newRow("a move by the program keeps") << "ctrl+click 1; ctrl+click 2; cursor 6" << QList<int>{1, 2} << 6;
    QTest::newRow("the indicator marks its row") << "click 1; mark 3" << QList<int>{3} << 3;
    QTest::newRow("another indicator marks its row alone") << "mark 1; mark 3" << QList<int>{3} << 3;
    QTest::newRow("ctrl+indicator adds") << "mark 1; ctrl+mark 3" << QList<int>{1, 3} << 3;
    QTest::newRow("ctrl+indicator unmarks") << "mark 1; ctrl+mark 3; ctrl+mark 1" << QList<int>{3} << 1;
    QTest::newRow("shift+indicator extends") << "mark 1; shift+mark 4" << QList<int>{1, 2, 3, 4} << 4;
    QTest::newRow("a cell click after the indicator clears") << "mark 1; click 5" << QList<int>{} << 5;
}

void TestDataGrid::selectionApartFromCurrentRow() {
    QFETCH(QString, script);
    QFETCH(QList<int>, selected);
    QFETCH(int, current);
    PlainTable p(8);
    DataGridModel model;
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.resize(500, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFocus();
    for (const QString& step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList words = step.trimmed().split(QLatin1Char(' '));
        const QString action = words.value(0);
        const int row = words.value(1).toInt();
        Qt::KeyboardModifiers mods;
        if (action.startsWith(QLatin1String("ctrl+"))) mods = Qt::ControlModifier;
        if (action.startsWith(QLatin1String("shift+"))) mods = Qt::ShiftModifier;
        const QString what = action.mid(action.indexOf(QLatin1Char('+')) + 1);
        if (what == QLatin1String("click")) {
            QTest::mouseClick(view.viewport(), Qt::LeftButton, mods, view.visualRect(model.index(row, 1)).center());
        } else if (what == QLatin1String("mark")) {
            QHeaderView* indicators = view.verticalHeader();
            QTest::mouseClick(indicators->viewport(), Qt::LeftButton, mods,
                              QPoint(indicators->width() / 2, indicators->sectionViewportPosition(row) + indicators->sectionSize(row) / 2));
        } else if (what == QLatin1String("cursor")) {
            p.t->setCurrentRow(row);
        } else {
            static const QHash<QString, Qt::Key> keys = {{"Down", Qt::Key_Down},
                                                         {"Up", Qt::Key_Up},
                                                         {"Right", Qt::Key_Right},
                                                         {"Left", Qt::Key_Left},
                                                         {"End", Qt::Key_End}};
            QVERIFY2(keys.contains(what), qPrintable(what));
            QTest::keyClick(&view, keys.value(what), mods);
        }
    }
    QCOMPARE(view.selectedRowNumbers(), selected);
    QCOMPARE(view.currentIndex().row(), current);
    QCOMPARE(p.t->currentRow(), current);
}

void TestDataGrid::columnsFollowVisibilityAndLooks() {
    PlainTable p;
    DataGridModel model;
    DataGridView view;
    view.setDefaultColumnWidth(104);
    view.setGridModel(&model);
    model.setTable(p.t.get());
    ColumnLook note;
    note.title = QStringLiteral("Текст");
    note.width = 200;
    note.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    note.readOnly = true;
    model.setColumnLook(QStringLiteral("t"), note);
    QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Текст"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("n"));
    QCOMPARE(view.columnWidth(4), 200);
    QCOMPARE(view.columnWidth(1), 104);
    QVERIFY(!(model.flags(model.index(0, 4)) & Qt::ItemIsEditable));
    QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    p.t->setFieldVisible(QStringLiteral("id"), false);
    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.fieldNameAt(0), QStringLiteral("n"));
    QCOMPARE(view.columnWidth(3), 200);
    // A fixed list of fields ignores the visibility marks.
    DataGridModel narrow;
    narrow.setFields({QStringLiteral("t"), QStringLiteral("id")});
    narrow.setTable(p.t.get());
    QCOMPARE(narrow.columnCount(), 2);
    QCOMPARE(narrow.fieldNameAt(1), QStringLiteral("id"));
    // The current row is marked in the row titles.
    p.t->moveBy(1);
    QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("▶"));
    p.t->edit();
    QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("I"));
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QString());
}

void TestDataGrid::largeTableEditsWithoutReload() {
    PlainTable p(30000);
    DataGridModel model;
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.resize(600, 400);
    view.show();
    QCOMPARE(model.rowCount(), 30000);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    view.setCurrentIndex(model.index(29999, 4));
    QCOMPARE(p.t->currentRow(), 29999);
    QVERIFY(model.setData(model.index(29999, 4), QStringLiteral("последняя")));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes[0][0].toModelIndex().row(), 29999);
    QCOMPARE(changes[0][1].toModelIndex().row(), 29999);
    QVERIFY(model.postRow());
    // A requery of the same shape repaints; it does not reset the views.
    p.t->requery();
    QCOMPARE(resets.size(), 0);
    QCOMPARE(model.displayText(29999, 4), QStringLiteral("последняя"));
}

// --- the section table with its store on post ----------------------------------

namespace {

struct SectionGrid {
    volm::test::DialogsFixture f;
    DataGridModel model;
    DataGridView view;
    bool ok = false;

    SectionGrid() {
        ok = f.start();
        if (!ok) return;
        volm::App& app = *f.app;
        app.dm.acGR.begin();
        for (int i = 1; i <= 6; ++i)
            app.dm.acGR.exec(QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод) VALUES (%1, %2, %3, 100)")
                                 .arg(i)
                                 .arg(i - 1)
                                 .arg(i));
        app.dm.acGR.commit();
        app.dm.atTabl->requery();
        model.setPerson(&f.person);
        view.setGridModel(&model);
        model.setTable(app.dm.atTabl.get());
        view.resize(900, 300);
        view.show();
    }
    int column(const char* field) const { return model.columnOf(QString::fromUtf8(field)); }
    double storedLength(int id) {
        auto q = f.app->dm.acGR.query(QStringLiteral("SELECT ДлНаУчПод FROM Табл WHERE id=%1").arg(id));
        q->open();
        return q->valueAt(0, 0).toDouble();
    }
};

}  // namespace

void TestDataGrid::sectionDownStoresAndLandsBelow() {
    SectionGrid g;
    QVERIFY(g.ok);
    Table& t = *g.f.app->dm.atTabl;
    typeInto(g.view, g.model.index(1, g.column("ДлНаУчПод")), QStringLiteral("250"), Qt::Key_Down);
    QCOMPARE(g.storedLength(2), 250.0);
    QCOMPARE(t.state(), Table::State::Browse);
    QCOMPARE(t.currentRow(), 2);
    QCOMPARE(g.view.currentIndex().row(), 2);
    QVERIFY(!g.view.isEditingCell());
    QVERIFY(g.f.person.messages.isEmpty());
}

void TestDataGrid::sectionUpOnFirstRowStays() {
    SectionGrid g;
    QVERIFY(g.ok);
    Table& t = *g.f.app->dm.atTabl;
    typeInto(g.view, g.model.index(0, g.column("ДлНаУчПод")), QStringLiteral("75"), kCommitInPlace);
    QTest::keyClick(&g.view, Qt::Key_Up);
    QCOMPARE(g.storedLength(1), 75.0);
    QCOMPARE(t.currentRow(), 0);
    QCOMPARE(g.view.currentIndex().row(), 0);
    QCOMPARE(t.state(), Table::State::Browse);
}

void TestDataGrid::sectionClickLandsOnClickedRow() {
    SectionGrid g;
    QVERIFY(g.ok);
    Table& t = *g.f.app->dm.atTabl;
    const int c = g.column("ДлНаУчПод");
    QTest::keyClick(&g.view, Qt::Key_Down);  // the last key: Down
    typeInto(g.view, g.model.index(0, c), QStringLiteral("80"), kCommitInPlace);
    const QRect cell = g.view.visualRect(g.model.index(4, c));
    QTest::mouseClick(g.view.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(g.storedLength(1), 80.0);
    QCOMPARE(t.currentRow(), 4);
    QCOMPARE(g.view.currentIndex().row(), 4);
}

void TestDataGrid::sectionAppendedRowPostedByCursor() {
    SectionGrid g;
    QVERIFY(g.ok);
    volm::App& app = *g.f.app;
    Table& t = *app.dm.atTabl;
    g.view.setCurrentIndex(g.model.index(5, 0));
    QTest::keyClick(&g.view, Qt::Key_Down);
    QCOMPARE(t.state(), Table::State::Insert);
    QCOMPARE(g.model.rowCount(), 7);
    // The new section starts where the last one ended and gets the next key.
    QCOMPARE(g.model.displayText(6, g.column("НачУзел")), QStringLiteral("6"));
    QCOMPARE(g.model.displayText(6, g.column("КонУзел")), QStringLiteral("7"));
    QCOMPARE(t.value(QStringLiteral("id")).toInt(), 7);
    typeInto(g.view, g.model.index(6, g.column("ДлНаУчПод")), QStringLiteral("33"), Qt::Key_Up);
    QCOMPARE(g.storedLength(7), 33.0);
    QCOMPARE(t.state(), Table::State::Browse);
    QCOMPARE(t.recordCount(), 7);
}

namespace {

// The section grid with the node columns' pick lists, as the main window sets them.
void addNodePickLists(SectionGrid& g) {
    for (const char* field : {"НачУзел", "КонУзел"}) {
        ColumnLook look;
        look.pickList = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        g.model.setColumnLook(QString::fromUtf8(field), look);
    }
}

QComboBox* openCombo(DataGridView& view) {
    auto* delegate = qobject_cast<volm::ui::DataGridDelegate*>(view.itemDelegate());
    return delegate ? qobject_cast<QComboBox*>(delegate->currentEditor()) : nullptr;
}

}  // namespace

void TestDataGrid::nodeCellTypingReplacesTheNumber() {
    SectionGrid g;
    QVERIFY(g.ok);
    addNodePickLists(g);
    Table& t = *g.f.app->dm.atTabl;
    g.view.setFocus();
    // A digit typed over the cell: the editor opens with it in place of the number.
    g.view.setCurrentIndex(g.model.index(1, g.column("НачУзел")));  // 1 -> 2
    QTest::keyClick(&g.view, Qt::Key_7);
    QVERIFY(openCombo(g.view));
    QCOMPARE(openCombo(g.view)->currentText(), QStringLiteral("7"));
    QTest::keyClick(openCombo(g.view), Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(g.model.displayText(1, g.column("НачУзел")), QStringLiteral("7"));
    // F2, then digits: the same.
    g.view.setCurrentIndex(g.model.index(1, g.column("КонУзел")));
    QTest::keyClick(&g.view, Qt::Key_F2);
    QVERIFY(openCombo(g.view));
    QTest::keyClicks(openCombo(g.view), QStringLiteral("15"));
    QTest::keyClick(openCombo(g.view), Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(g.model.displayText(1, g.column("КонУзел")), QStringLiteral("15"));
    QVERIFY(g.model.postRow());
    auto q = g.f.app->dm.acGR.query(QStringLiteral("SELECT НачУзел, КонУзел FROM Табл WHERE id=2"));
    q->open();
    QCOMPARE(q->valueAt(0, 0).toInt(), 7);
    QCOMPARE(q->valueAt(0, 1).toInt(), 15);
    QCOMPARE(t.state(), Table::State::Browse);
    QVERIFY(g.f.person.messages.isEmpty());
}

void TestDataGrid::nodeCellPickListOpens() {
    SectionGrid g;
    QVERIFY(g.ok);
    addNodePickLists(g);
    const QModelIndex cell = g.model.index(2, g.column("КонУзел"));
    g.view.setCurrentIndex(cell);
    g.view.edit(cell);
    QComboBox* combo = openCombo(g.view);
    QVERIFY(combo);
    QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(combo->view()->isVisible());
    combo->hidePopup();
    QTRY_VERIFY(!combo->view()->isVisible());
    // A click on the arrow of the drop-down.
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 4, combo->height() / 2));
    QTRY_VERIFY(combo->view()->isVisible());
    combo->hidePopup();
}

void TestDataGrid::numbersReadWhateverTheLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");  // null: refused, the old value kept
    const std::pair<const char*, QLocale> locales[] = {{"C", QLocale::c()},
                                                       {"en_US", QLocale(QLocale::English, QLocale::UnitedStates)},
                                                       {"ru_RU", QLocale(QLocale::Russian, QLocale::Russia)}};
    for (const auto& [name, locale] : locales) {
        const std::tuple<const char*, int, const char*, QVariant> cases[] = {
            {"0,35", 2, "0,35", QVariant(0.35)},        {"98,5", 2, "98,5", QVariant(98.5)},
            {"0.35", 2, "0.35", QVariant(0.35)},        {"spaces", 2, "1 234,5", QVariant(1234.5)},
            {"thousands", 2, "1,234.5", QVariant()},    {"letters", 2, "12a", QVariant()},
            {"whole 0,35", 1, "0,35", QVariant()},
        };
        for (const auto& [label, column, typed, stored] : cases)
            QTest::newRow(QStringLiteral("%1 %2").arg(QString::fromUtf8(name), QString::fromUtf8(label)).toUtf8().constData())
                << QLocale(locale) << column << QString::fromUtf8(typed) << stored;
    }
}

void TestDataGrid::numbersReadWhateverTheLocale() {
    QFETCH(QLocale, locale);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    PlainTable p;
    volm::test::FakePerson person;
    DataGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPerson(&person);
    model.setLocale(locale);
    model.setTable(p.t.get());
    const char* field = column == 1 ? "n" : "x";
    const QVariant before = p.stored(1, field);
    QCOMPARE(model.setData(model.index(0, column), typed), !stored.isNull());
    if (stored.isNull()) {
        QCOMPARE(person.messages,
                 QStringList{QStringLiteral("Значение \"%1\" недопустимо для поля \"%2\".").arg(typed, field)});
        QCOMPARE(model.data(model.index(0, column)).toString(), model.displayText(0, column));
        QVERIFY(model.postRow());
        QCOMPARE(p.stored(1, field), before);
        return;
    }
    QVERIFY(person.messages.isEmpty());
    QVERIFY(model.postRow());
    QCOMPARE(p.stored(1, field).toDouble(), stored.toDouble());
}

void TestDataGrid::rowAddedUnderASortShowsInOrder() {
    PlainTable p;
    p.t->setSort(QStringLiteral("n ASC"));
    DataGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    DataGridView view;
    view.setGridModel(&model);
    model.setTable(p.t.get());
    view.resize(600, 300);
    view.show();
    view.setCurrentIndex(model.index(4, 1));
    QTest::keyClick(&view, Qt::Key_Down);  // a new row after the last
    QCOMPARE(p.t->state(), Table::State::Insert);
    QCOMPARE(model.rowCount(), 6);
    typeInto(view, model.index(5, 0), QStringLiteral("6"), kCommitInPlace);
    typeInto(view, model.index(5, 1), QStringLiteral("15"), kCommitInPlace);
    QVERIFY(model.postRow());
    QStringList shown;
    for (int r = 0; r < model.rowCount(); ++r) shown << model.displayText(r, 1);
    QCOMPARE(shown, (QStringList{"10", "15", "20", "30", "40", "50"}));
    QCOMPARE(p.t->currentRow(), 1);
    QCOMPARE(view.currentIndex().row(), 1);
    QCOMPARE(model.displayText(view.currentIndex().row(), 0), QStringLiteral("6"));
}

QTEST_MAIN(TestDataGrid)
#include "test_data_grid.moc"
