// A cursor over a table large enough that its rows are made on a second thread
// while SQLite reads on: every value in its place and of its field's kind, in
// the cursor's order, on open, after a requery and for a query cursor.
#include "store/database.h"
#include "store/errors.h"
#include "store/table.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace volm;

namespace {

constexpr int kRows = 6000;  // far more values than one chunk of a read

// The row with key k as stored: a mix of kinds, Nulls and texts, and values
// stored in a type other than the field's (an integer in a float field, a real
// in an integer field, a text in a number field).
struct Expected {
    QVariant id, small, real, flag, note, mixed;
};

Expected expected(int k) {
    Expected e;
    e.id = k;
    e.small = k % 7 == 0 ? QVariant() : QVariant(k % 300 - 150);
    e.real = k % 11 == 0 ? QVariant() : (k % 5 == 0 ? QVariant(double(k)) : QVariant(k / 8.0));
    e.flag = k % 13 == 0 ? QVariant() : QVariant(k % 2 == 0);
    e.note = k % 3 == 0 ? QVariant(QStringLiteral("участок %1").arg(k)) : QVariant();
    // int field holding reals (rounded) and texts (kept as text)
    e.mixed = k % 4 == 0 ? QVariant(QStringLiteral("т%1").arg(k)) : QVariant(int(std::lround(k + 0.25)));
    return e;
}

struct LargeTable : ::testing::Test {
    QTemporaryDir dir;
    Database db;
    void SetUp() override {
        const QString p = dir.filePath("big.mdb");
        Database::create(p);
        db.open(p);
        db.exec("CREATE TABLE big (id integer PRIMARY KEY, small smallint, real float, flag bit, note text(50), "
                "mixed integer)");
        db.begin();
        auto st = db.prepare("INSERT INTO big VALUES (?, ?, ?, ?, ?, ?)");
        for (int k = 1; k <= kRows; ++k) {
            const Expected e = expected(k);
            st->bind(1, qint64(k));
            st->bind(2, e.small);
            if (k % 5 == 0 && !e.real.isNull())
                st->bind(3, qint64(k));  // an integer in a float field
            else
                st->bind(3, e.real);
            if (e.flag.isNull())
                st->bindNull(4);
            else
                st->bind(4, qint64(e.flag.toBool() ? -1 : 0));
            st->bind(5, e.note);
            if (k % 4 == 0)
                st->bind(6, e.mixed.toString());
            else
                st->bind(6, k + 0.25);  // a real in an integer field
            st->run();
        }
        db.commit();
    }

    static void expectRows(const Table& t, bool keyed) {
        ASSERT_EQ(t.rowCount(), kRows);
        for (int r = 0; r < kRows; ++r) {
            const int k = keyed ? r + 1 : kRows - r;
            const Expected e = expected(k);
            if (keyed) {
                ASSERT_EQ(t.rowidAt(r), k);
            }
            const QVariant values[] = {e.id, e.small, e.real, e.flag, e.note, e.mixed};
            for (int f = 0; f < 6; ++f) {
                const QVariant v = t.valueAt(r, f);
                ASSERT_EQ(v.isNull(), values[f].isNull()) << "row " << k << " field " << f;
                if (v.isNull()) continue;
                ASSERT_EQ(v.typeId(), values[f].typeId()) << "row " << k << " field " << f;
                ASSERT_EQ(v, values[f]) << "row " << k << " field " << f;
            }
        }
    }
};

TEST_F(LargeTable, EveryValueInItsPlaceOnOpenAndRequery) {
    Table t(db, "big");
    t.setSort("id ASC");
    t.open();
    expectRows(t, true);

    db.exec("UPDATE big SET real = 1.5 WHERE id = 4321");
    db.exec("DELETE FROM big WHERE id = 6000");
    t.requery();
    ASSERT_EQ(t.rowCount(), kRows - 1);
    EXPECT_EQ(t.valueAt(4320, 2), QVariant(1.5));
    EXPECT_EQ(t.rowidAt(kRows - 2), kRows - 1);
    db.exec("INSERT INTO big (id, real) VALUES (6000, 0.5)");
    t.requery();
    ASSERT_EQ(t.rowCount(), kRows);
    EXPECT_EQ(t.valueAt(kRows - 1, 2), QVariant(0.5));
    EXPECT_TRUE(t.valueAt(kRows - 1, 1).isNull());
}

TEST_F(LargeTable, QueryCursorNumbersItsRows) {
    auto q = Table::forQuery(db, "SELECT * FROM big ORDER BY id DESC");
    q->open();
    expectRows(*q, false);
    for (int r : {0, 1, kRows / 2, kRows - 1}) EXPECT_EQ(q->rowidAt(r), r + 1);
}

TEST_F(LargeTable, AReadThatFailsPartWayLeavesTheRowsAsTheyWere) {
    // The last column fails (integer overflow) on the row whose real is -1.
    auto q = Table::forQuery(db, "SELECT *, abs(CASE WHEN real = -1 THEN -9223372036854775807 - 1 ELSE 1 END) "
                                 "FROM big ORDER BY id");
    q->open();
    q->moveBy(10);
    db.exec("UPDATE big SET real = -1 WHERE id = 5000");
    EXPECT_THROW(q->requery(), DatabaseError);
    expectRows(*q, true);
    EXPECT_EQ(q->recNo(), 11);
    db.exec("UPDATE big SET real = 5000 WHERE id = 5000");
    q->requery();
    expectRows(*q, true);
}

}  // namespace
