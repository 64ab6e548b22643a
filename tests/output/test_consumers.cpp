// The consumers' table of the balancing: which consumers it lists and the
// note that tells the engineer what to do.
#include "output/consumers.h"

#include <gtest/gtest.h>
#include <cmath>

namespace volm {
namespace {

TEST(ConsumerNote, NamesTheShortHeadAndTheOrificeTooSmallToWork) {
    const QString shortOfHead = QStringLiteral("Располагаемый напор меньше требуемого: шайба не нужна, напора не хватает.");
    const QString tooSmall =
        QStringLiteral("Шайба меньше 3 мм засоряется: две шайбы последовательно или регулятор давления.");
    const struct {
        QVariant excess, orifice;
        QString note;
    } cases[] = {
        {16.0, 22.36, QString()}, {-3.0, 0.0, shortOfHead}, {0.0, 0.0, QString()},     {120.0, 2.99, tooSmall},
        {120.0, 3.0, QString()},  {QVariant(), QVariant(), QString()}, {-0.01, QVariant(), shortOfHead},
    };
    for (const auto& c : cases) EXPECT_EQ(consumerNote(c.excess, c.orifice), c.note) << c.excess.toDouble();
}

TEST(Consumers, AreTheMarkedEndSectionsOfATableWithTheBalancingColumns) {
    std::vector<Field> fields;
    for (const char* name : {"id", "КонУзел", "РасхПод", "РНапКон", "ТребРНап", "ИзбНап", "ДШайбы", "КонУч"}) {
        Field f;
        f.name = QString::fromUtf8(name);
        f.kind = FieldKind::Float;
        fields.push_back(f);
    }
    const std::vector<std::vector<QVariant>> rows = {
        {1, 2, 120.0, 20.0, QVariant(), QVariant(), QVariant(), 0.0},
        {2, 5, 20.0, 31.0, 15.0, 16.0, 22.36, 1.0},
        {3, 6, 12.0, 12.0, 15.0, -3.0, 0.0, 1.0},
    };
    auto value = [&](int r, int f) { return rows[size_t(r)][size_t(f)]; };
    const std::vector<Consumer> got = collectConsumers(fields, int(rows.size()), value);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].endNode.toInt(), 5);
    EXPECT_EQ(got[0].values, (std::vector<QVariant>{20.0, 31.0, 15.0, 16.0, 22.36}));
    EXPECT_TRUE(got[0].note.isEmpty());
    EXPECT_EQ(got[1].endNode.toInt(), 6);
    EXPECT_FALSE(got[1].note.isEmpty());

    // Without the mark (a file made before the balancing) there are none.
    fields.pop_back();
    EXPECT_TRUE(collectConsumers(fields, int(rows.size()), value).empty());
}

// A looped network: 3 is reached by 1 - 3 and 4 - 3, 6 by 6 - 4 entered
// against the water (its flow negative, the water runs 4 to 6). The sections
// arriving second at 3 and 6 end mains there but feed no consumer: the water
// leaves 3 by 3 - 5 and 6 by 6 - 7.
TEST(Consumers, LeaveOutTheSectionsArrivingSecondAtAMeetingPoint) {
    std::vector<Field> fields;
    for (const char* name : {"НачУзел", "КонУзел", "РасхПод", "РНапКон", "ТребРНап", "ИзбНап", "ДШайбы", "КонУч"}) {
        Field f;
        f.name = QString::fromUtf8(name);
        fields.push_back(f);
    }
    const QVariant none;
    const std::vector<std::vector<QVariant>> rows = {
        {1, 3, 60.0, 40.0, none, none, none, 0.0},  {3, 5, 50.0, 31.0, 15.0, 16.0, 22.36, 1.0},
        {1, 4, 30.0, 41.0, none, none, none, 0.0},  {4, 3, 10.0, 40.0, none, none, none, 1.0},
        {6, 4, -20.0, 38.0, none, none, none, 1.0}, {6, 7, 20.0, 30.0, 15.0, 15.0, 20.0, 1.0},
    };
    const std::vector<Consumer> got =
        collectConsumers(fields, int(rows.size()), [&](int r, int f) { return rows[size_t(r)][size_t(f)]; });
    std::vector<int> nodes;
    for (const Consumer& c : got) nodes.push_back(c.endNode.toInt());
    EXPECT_EQ(nodes, (std::vector<int>{5, 7}));
}

}  // namespace
}  // namespace volm
