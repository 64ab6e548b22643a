#include "store/controls_pause.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/table.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace volm;

namespace {

struct Recorder : TableObserver {
    QStringList log;
    void tableReset() override { log << "reset"; }
    void currentChanged(int r) override { log << QStringLiteral("current %1").arg(r); }
    void rowChanged(int r) override { log << QStringLiteral("changed %1").arg(r); }
    const Table* t = nullptr;  // when set, each notice also logs the rows the cursor holds
    QString rows() const { return t ? QStringLiteral(" of %1").arg(t->rowCount()) : QString(); }
    void rowAboutToBeInserted(int r) override { log << QStringLiteral("inserting %1").arg(r) + rows(); }
    void rowInserted(int r) override { log << QStringLiteral("inserted %1").arg(r) + rows(); }
    void rowAboutToBeRemoved(int r) override { log << QStringLiteral("removing %1").arg(r) + rows(); }
    void rowRemoved(int r) override { log << QStringLiteral("removed %1").arg(r) + rows(); }
};

struct TableTest : ::testing::Test {
    QTemporaryDir dir;
    Database db;
    void SetUp() override {
        QString p = dir.filePath("t.mdb");
        Database::create(p);
        db.open(p);
        db.exec("CREATE TABLE УзлыТС (Nуз smallint, ГеодВыс float)");
        for (auto [n, h] : {std::pair{3, 10.5}, {1, 12.0}, {2, 11.0}})
            db.exec(QStringLiteral("INSERT INTO УзлыТС VALUES (%1, %2)").arg(n).arg(h));
    }
    static QList<int> nodes(Table& t) {
        QList<int> out;
        for (t.first(); !t.eof(); t.next()) out << t.value("Nуз").toInt();
        return out;
    }
};

struct KindCase {
    const char* decl;
    FieldKind kind;
    int size;
};
class FieldKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(FieldKindTest, KindAndSizeFollowTheDeclaredType) {
    QTemporaryDir dir;
    Database::create(dir.filePath("k.mdb"));
    Database db;
    db.open(dir.filePath("k.mdb"));
    db.exec(QStringLiteral("CREATE TABLE k (f %1)").arg(GetParam().decl));
    Table t(db, "k");
    t.open();
    ASSERT_EQ(t.fieldCount(), 1);
    EXPECT_EQ(t.fields()[0].kind, GetParam().kind);
    EXPECT_EQ(t.fields()[0].size, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Declared, FieldKindTest,
    ::testing::Values(KindCase{"smallint", FieldKind::SmallInt, 0}, KindCase{"integer", FieldKind::Integer, 0},
                      KindCase{"byte", FieldKind::Byte, 0}, KindCase{"float", FieldKind::Float, 0},
                      KindCase{"bit", FieldKind::Bool, 0}, KindCase{"text(51)", FieldKind::Text, 51},
                      KindCase{"text", FieldKind::Text, 255}));

TEST_F(TableTest, WalksInSortOrderWithDelphiLikeEnds) {
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    t.open();
    EXPECT_EQ(nodes(t), (QList<int>{1, 2, 3}));
    t.last();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), 3);
    t.first();
    t.moveBy(1);
    EXPECT_EQ(t.recNo(), 2);
    t.moveBy(5);
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), 3);
    // Changing the sort keeps the current row.
    t.first();
    t.next();  // node 2
    t.setSort("ГеодВыс DESC");
    EXPECT_EQ(t.value("Nуз").toInt(), 2);
    EXPECT_EQ(nodes(t), (QList<int>{1, 2, 3}));
    t.setSort("ГеодВыс ASC");
    EXPECT_EQ(nodes(t), (QList<int>{3, 2, 1}));
}

TEST_F(TableTest, EditPostCancelAndRequery) {
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    t.open();
    t.setValue("ГеодВыс", "99,5");  // typed text with a comma
    EXPECT_EQ(t.state(), Table::State::Edit);
    EXPECT_TRUE(t.modified());
    t.post();
    t.next();
    t.setValue("ГеодВыс", 1.0);
    t.cancel();
    EXPECT_DOUBLE_EQ(t.value("ГеодВыс").toDouble(), 11.0);

    db.exec("UPDATE УзлыТС SET ГеодВыс=Null WHERE Nуз=3");
    db.exec("INSERT INTO УзлыТС VALUES (0, 1)");
    t.requery();
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(nodes(t), (QList<int>{0, 1, 2, 3}));
    t.locate(t.rowidAt(1));
    EXPECT_DOUBLE_EQ(t.value("ГеодВыс").toDouble(), 99.5);
    t.last();
    EXPECT_TRUE(t.isNull("ГеодВыс"));
}

TEST_F(TableTest, KeylessRowsAreAddressedOneByOne) {
    db.exec("INSERT INTO УзлыТС VALUES (1, 12)");  // an exact duplicate of another row
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    t.open();
    t.setValue("ГеодВыс", 50.0);
    t.post();
    auto q = db.query("SELECT ГеодВыс FROM УзлыТС WHERE Nуз=1 ORDER BY ГеодВыс");
    ASSERT_EQ(q->recordCount(), 2);
    EXPECT_DOUBLE_EQ(q->value("ГеодВыс").toDouble(), 12.0);
    q->next();
    EXPECT_DOUBLE_EQ(q->value("ГеодВыс").toDouble(), 50.0);
    t.first();
    t.remove();
    EXPECT_EQ(db.query("SELECT count(*) AS n FROM УзлыТС WHERE Nуз=1")->value("n").toInt(), 1);
}

TEST_F(TableTest, InsertAppendAndAfterInsert) {
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    t.open();
    t.afterInsert = [](Table& tt) { tt.setValue("Nуз", 7); };
    t.append();
    EXPECT_EQ(t.state(), Table::State::Insert);
    EXPECT_EQ(t.recNo(), -1);
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_EQ(t.rowCount(), 4);
    t.setValue("ГеодВыс", 5.5);
    t.post();
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_NE(t.rowid(), 0);
    // A cancelled insert leaves nothing behind.
    t.first();
    t.insert();
    t.cancel();
    EXPECT_EQ(t.rowCount(), 4);
    auto q = db.query("SELECT ГеодВыс FROM УзлыТС WHERE Nуз=7");
    ASSERT_EQ(q->recordCount(), 1);
    EXPECT_DOUBLE_EQ(q->value("ГеодВыс").toDouble(), 5.5);
}

TEST_F(TableTest, RefusingBeforeEventsLeaveRowAndTableUnchanged) {
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    t.open();
    t.beforeDelete = [](Table&) { throw Abort(); };
    t.beforeInsert = [](Table&) { throw Abort(); };
    EXPECT_THROW(t.remove(), Abort);
    EXPECT_THROW(t.append(), Abort);
    EXPECT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.state(), Table::State::Browse);

    t.beforePost = [](Table&) { throw Abort(); };
    t.setValue("ГеодВыс", 77.0);
    EXPECT_THROW(t.post(), Abort);
    EXPECT_EQ(t.state(), Table::State::Edit);  // the row stays in editing
    t.cancel();
    EXPECT_EQ(db.query("SELECT count(*) AS n FROM УзлыТС WHERE ГеодВыс=77")->value("n").toInt(), 0);
    EXPECT_EQ(db.query("SELECT count(*) AS n FROM УзлыТС")->value("n").toInt(), 3);
}

TEST_F(TableTest, ValuesAreCheckedAgainstTheFieldKind) {
    Table t(db, "УзлыТС");
    t.open();
    EXPECT_THROW(t.setValue("Nуз", 40000), DatabaseError);
    EXPECT_THROW(t.setValue("Nуз", "12a"), DatabaseError);
    EXPECT_THROW(t.setValue("ГеодВыс", "abc"), DatabaseError);
    EXPECT_THROW(t.value("Нет"), DatabaseError);
    t.setValue("ГеодВыс", "");
    EXPECT_TRUE(t.isNull("ГеодВыс"));
    t.cancel();
    auto q = db.query("SELECT * FROM УзлыТС");
    EXPECT_THROW(q->setValue("Nуз", 1), DatabaseError);  // read-only
}

TEST_F(TableTest, APostedRowTakesItsPlaceInTheSortOrderAndStaysCurrent) {
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    t.open();
    Recorder r;
    t.addObserver(&r);
    t.last();
    t.append();  // shown after the last row while it is typed
    t.setValue("Nуз", 0);
    t.post();
    EXPECT_EQ(nodes(t), (QList<int>{0, 1, 2, 3}));
    t.locate(t.rowidAt(0));
    EXPECT_EQ(t.value("Nуз").toInt(), 0);

    // Posting straight after the append: the new row is current in its place.
    t.append();
    t.setValue("Nуз", 2);
    t.setValue("ГеодВыс", 9.0);
    r.log.clear();
    t.post();
    EXPECT_EQ(t.currentRow(), 3);  // 0, 1, 2, the new 2, 3
    EXPECT_DOUBLE_EQ(t.value("ГеодВыс").toDouble(), 9.0);
    EXPECT_TRUE(r.log.contains("reset"));
    EXPECT_DOUBLE_EQ(t.valueAt(4, 1).toDouble(), 10.5);  // node 3 last

    // An edited sort field moves its row the same way; a move asked for goes to
    // the row it named, wherever that row went.
    t.first();  // node 0
    t.setValue("Nуз", 5);
    const qint64 node1 = t.rowidAt(1);
    t.setCurrentRow(1);  // leaving the row posts it
    EXPECT_EQ(t.rowid(), node1);
    EXPECT_EQ(nodes(t), (QList<int>{1, 2, 2, 3, 5}));
    t.removeObserver(&r);
}

// The new row's place, the event's defaults, and a row re-read by its key.
TEST_F(TableTest, NewRowsFollowTheStoredOneAndRowsAreReReadByKey) {
    Table t(db, "УзлыТС");
    t.open();
    t.afterInsert = [](Table& tt) { tt.setValue("ГеодВыс", 1.0); };
    t.last();
    t.append();
    // What the event filled in is no change: left untouched, the row goes.
    EXPECT_FALSE(t.modified());
    t.first();
    EXPECT_EQ(t.rowCount(), 3);
    // Appending while a typed new row is at the end: it is stored first and the
    // next one comes after it, never above it.
    t.append();
    t.setValue("Nуз", 4);
    t.append();
    EXPECT_EQ(t.currentRow(), 4);
    t.setValue("Nуз", 5);
    t.post();
    EXPECT_EQ(nodes(t), (QList<int>{3, 1, 2, 4, 5}));

    // Only what changed is written; the row is then as the file holds it.
    t.first();  // node 3
    const qint64 key = t.rowid();
    db.exec("UPDATE УзлыТС SET ГеодВыс = 99 WHERE Nуз = 3");
    t.setValue("Nуз", 30);
    EXPECT_EQ(t.changedFields(), std::vector<int>{0});
    t.post();
    EXPECT_DOUBLE_EQ(t.value("ГеодВыс").toDouble(), 99.0);
    EXPECT_DOUBLE_EQ(db.query("SELECT ГеодВыс FROM УзлыТС WHERE Nуз = 30")->value("ГеодВыс").toDouble(), 99.0);
    EXPECT_EQ(t.value("Nуз").toInt(), 30);
    // A row gone from the file leaves the cursor.
    db.exec("DELETE FROM УзлыТС WHERE Nуз = 30");
    EXPECT_FALSE(t.refreshRow(key));
    EXPECT_EQ(nodes(t), (QList<int>{1, 2, 4, 5}));
}

struct TypedNumber {
    const char* typed;
    const char* field;
    QVariant value;  // null: refused
};

class TypedNumbers : public TableTest, public ::testing::WithParamInterface<TypedNumber> {};

TEST_P(TypedNumbers, CommaAndPointAreDecimalSeparatorsAndBlanksAreDropped) {
    Table t(db, "УзлыТС");
    t.open();
    const TypedNumber& c = GetParam();
    const QString typed = QString::fromUtf8(c.typed);
    if (c.value.isNull()) {
        try {
            t.setValue(c.field, typed);
            FAIL() << "accepted " << c.typed;
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Значение \"%1\" недопустимо для поля \"%2\".").arg(typed, c.field));
        }
        return;
    }
    t.setValue(c.field, typed);
    EXPECT_EQ(t.value(c.field), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedNumbers,
    ::testing::Values(TypedNumber{"0,35", "ГеодВыс", 0.35}, TypedNumber{"98,5", "ГеодВыс", 98.5},
                      TypedNumber{"0.35", "ГеодВыс", 0.35}, TypedNumber{" 1 234,5 ", "ГеодВыс", 1234.5},
                      TypedNumber{"1\u00a0234,5", "ГеодВыс", 1234.5}, TypedNumber{"-1,5e2", "ГеодВыс", -150.0},
                      TypedNumber{"1,234.5", "ГеодВыс", QVariant()}, TypedNumber{"1.234,5", "ГеодВыс", QVariant()},
                      TypedNumber{"1,2,3", "ГеодВыс", QVariant()}, TypedNumber{"abc", "ГеодВыс", QVariant()},
                      TypedNumber{"inf", "ГеодВыс", QVariant()}, TypedNumber{"12 000", "Nуз", 12000},
                      TypedNumber{"0,35", "Nуз", QVariant()}, TypedNumber{"1,0", "Nуз", QVariant()}));

// A cursor nobody observes reads its rows when they are first asked for, in
// the order set by then; one a view observes reads them on open and requery,
// where the command that opened it hears of a failure. A failed read leaves
// the rows to be read again.
TEST_F(TableTest, RowsAreReadWhenFirstAskedForUnlessAViewObserves) {
    auto add = [&](int n) { db.exec(QStringLiteral("INSERT INTO УзлыТС VALUES (%1, 1)").arg(n)); };
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    t.open();
    EXPECT_FALSE(t.rowsRead());
    add(4);
    t.setSort("Nуз DESC");
    EXPECT_FALSE(t.rowsRead());
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_TRUE(t.rowsRead());
    EXPECT_EQ(nodes(t), (QList<int>{4, 3, 2, 1}));
    t.requery();
    add(5);
    EXPECT_EQ(t.rowCount(), 5);

    Table shown(db, "УзлыТС");
    Recorder r;
    shown.addObserver(&r);
    shown.open();
    EXPECT_TRUE(shown.rowsRead());
    add(6);
    EXPECT_EQ(shown.rowCount(), 5);
    shown.requery();
    EXPECT_EQ(shown.rowCount(), 6);
    db.exec("ALTER TABLE УзлыТС RENAME TO Узлы");
    EXPECT_THROW(shown.requery(), DatabaseError);
    EXPECT_EQ(shown.rowCount(), 6);
    shown.removeObserver(&r);

    t.requery();
    EXPECT_THROW(t.isEmpty(), DatabaseError);
    EXPECT_FALSE(t.rowsRead());
    db.exec("ALTER TABLE Узлы RENAME TO УзлыТС");
    EXPECT_EQ(t.rowCount(), 6);
    EXPECT_EQ(t.value("Nуз").toInt(), 6);
}

TEST_F(TableTest, ObserversFollowAndSuspensionNests) {
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    Recorder r;
    t.addObserver(&r);
    t.open();
    t.next();
    t.append();
    t.cancel();
    EXPECT_EQ(r.log, (QStringList{"reset", "current 1", "inserting 3", "inserted 3", "current 3", "removing 3",
                                  "removed 3", "current 2"}));

    // Before a change the cursor still holds the rows as they were; after it, as they are.
    r.log.clear();
    r.t = &t;
    t.first();
    t.insert();
    t.cancel();
    t.remove();
    EXPECT_EQ(r.log, (QStringList{"current 0", "inserting 0 of 3", "inserted 0 of 4", "current 0", "removing 0 of 4",
                                  "removed 0 of 3", "current 0", "removing 0 of 3", "removed 0 of 2", "current 0"}));
    r.t = nullptr;

    r.log.clear();
    t.disableControls();
    t.disableControls();
    t.first();
    t.setValue("ГеодВыс", 1.0);
    t.post();
    t.enableControls();
    EXPECT_TRUE(r.log.isEmpty());
    t.enableControls();
    EXPECT_EQ(r.log, QStringList{"reset"});
    t.removeObserver(&r);
}

TEST_F(TableTest, ControlsPauseResumesOnlyTheCursorStillHeld) {
    auto held = std::make_unique<Table>(db, "УзлыТС");
    held->open();
    {
        ControlsPause pause(held.get());
        EXPECT_TRUE(held->controlsDisabled());
    }
    EXPECT_FALSE(held->controlsDisabled());

    // A full resume undoes suspensions a stopped command left behind.
    {
        ControlsPause pause(held, true);
        held->disableControls();
        held->disableControls();
    }
    EXPECT_FALSE(held->controlsDisabled());

    // A cursor replaced meanwhile is not the guard's to resume.
    Table* before = held.get();
    {
        ControlsPause pause(held, true);
        held = std::make_unique<Table>(db, "УзлыТС");
        held->open();
        held->disableControls();
    }
    EXPECT_TRUE(held->controlsDisabled());
    EXPECT_NE(held.get(), before);
}

}  // namespace
