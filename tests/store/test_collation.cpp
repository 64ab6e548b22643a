#include "store/collation.h"
#include "store/database.h"
#include "store/table.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace volm;

namespace {

struct OrderCase {
    const char* before;
    const char* after;
};

class AlphabeticalOrder : public ::testing::TestWithParam<OrderCase> {};

// Both ways round and in both encodings: before < after, after > before.
TEST_P(AlphabeticalOrder, PutsTheFirstBeforeTheSecond) {
    const QString a = QString::fromUtf8(GetParam().before), b = QString::fromUtf8(GetParam().after);
    EXPECT_LT(compareAlphabetical(a, b), 0) << GetParam().before << " / " << GetParam().after;
    EXPECT_GT(compareAlphabetical(b, a), 0);
    EXPECT_LT(compareAlphabeticalUtf8(GetParam().before, GetParam().after), 0);
    EXPECT_GT(compareAlphabeticalUtf8(GetParam().after, GetParam().before), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Dictionary, AlphabeticalOrder,
    ::testing::Values(OrderCase{"РасхОбр", "РНапКон"},      // case does not put capitals first
                      OrderCase{"РасхПод", "РНапНаУз"}, OrderCase{"абв", "Абг"}, OrderCase{"Я", "яя"},
                      OrderCase{"ёлка", "ель"},            // Ё goes with Е, not after Я
                      OrderCase{"Ёлка", "ехать"}, OrderCase{"ёж", "жук"}, OrderCase{"еж", "ёж"},  // Е before Ё only in a tie
                      OrderCase{"Юг", "я"}, OrderCase{"", "а"}, OrderCase{"ДлНаУч", "ДлНаУчОбр"},
                      OrderCase{"Z", "а"}, OrderCase{"9", "A"}));

struct SameCase {
    const char* a;
    const char* b;
};
class AlphabeticalSame : public ::testing::TestWithParam<SameCase> {};

TEST_P(AlphabeticalSame, TellsNoDifferenceByCase) {
    EXPECT_EQ(compareAlphabetical(QString::fromUtf8(GetParam().a), QString::fromUtf8(GetParam().b)), 0);
    EXPECT_EQ(compareAlphabeticalUtf8(GetParam().a, GetParam().b), 0);
}

INSTANTIATE_TEST_SUITE_P(Dictionary, AlphabeticalSame,
                         ::testing::Values(SameCase{"РНапКон", "рнапкон"}, SameCase{"ЁЛКА", "ёлка"},
                                           SameCase{"Nуз", "NУЗ"}, SameCase{"", ""}));

// A damaged UTF-8 text still has a place, and the order stays consistent.
TEST(AlphabeticalOrderUtf8, BrokenBytesCompareConsistently) {
    const std::string bad = "\xD0";
    EXPECT_EQ(compareAlphabeticalUtf8(bad, bad), 0);
    EXPECT_EQ(compareAlphabeticalUtf8(bad, "а") < 0, !(compareAlphabeticalUtf8("а", bad) < 0));
}

struct SortedCursor : ::testing::Test {
    QTemporaryDir dir;
    Database db;
    void SetUp() override {
        const QString p = dir.filePath("t.mdb");
        Database::create(p);
        db.open(p);
        db.exec("CREATE TABLE Пок (Имя text(20), N smallint)");
        int n = 0;
        for (const char* name : {"РНапКон", "ёлка", "РасхПод", "Жук", "РНапНач", "еж", "РасхОбр", "Ель", "абв"})
            db.exec(QStringLiteral("INSERT INTO Пок VALUES ('%1', %2)").arg(QString::fromUtf8(name)).arg(++n));
    }
    static QStringList names(Table& t) {
        QStringList out;
        for (t.first(); !t.eof(); t.next()) out << t.value("Имя").toString();
        return out;
    }
};

// Every text sort set on a cursor is alphabetical; numbers keep their order.
TEST_F(SortedCursor, SortsTextColumnsAlphabetically) {
    Table t(db, "Пок");
    t.setSort("Имя ASC");
    t.open();
    const QStringList ascending = {"абв", "еж", "ёлка", "Ель", "Жук", "РасхОбр", "РасхПод", "РНапКон", "РНапНач"};
    EXPECT_EQ(names(t), ascending);
    t.setSort("[Имя] DESC, N ASC");
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(names(t), descending);
    t.setSort("N DESC");
    EXPECT_EQ(names(t).first(), QStringLiteral("абв"));
}

// Every connection knows the order, also for statements the program writes itself.
TEST_F(SortedCursor, EveryConnectionKnowsTheOrder) {
    Database other;
    other.open(dir.filePath("t.mdb"));
    auto q = other.query(QStringLiteral("SELECT Имя FROM Пок ORDER BY ") + alphabeticalTerm("Имя") +
                         QStringLiteral(" LIMIT 2"));
    q->first();
    EXPECT_EQ(q->value(0).toString(), QStringLiteral("абв"));
    q->next();
    EXPECT_EQ(q->value(0).toString(), QStringLiteral("еж"));
}

}  // namespace
