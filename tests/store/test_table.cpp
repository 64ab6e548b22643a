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
    void rowInserted(int r) override { log << QStringLiteral("inserted %1").arg(r); }
    void rowRemoved(int r) override { log << QStringLiteral("removed %1").arg(r); }
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

TEST_F(TableTest, ObserversFollowAndSuspensionNests) {
    Table t(db, "УзлыТС");
    t.setSort("Nуз ASC");
    Recorder r;
    t.addObserver(&r);
    t.open();
    t.next();
    t.append();
    t.cancel();
    EXPECT_EQ(r.log, (QStringList{"reset", "current 1", "inserted 3", "current 3", "removed 3", "current 2"}));

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

}  // namespace
