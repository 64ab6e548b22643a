// The section table's parts: every part within the page with its titles on one
// line, as few parts as that allows, of even size.
#include "output/report_parts.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace volm::report {
namespace {

std::vector<TableColumn> columnsOf(const QStringList& names, int valueChars = 6) {
    std::vector<TableColumn> out;
    for (const QString& n : names) out.push_back({n, valueChars});
    return out;
}

const std::vector<TableColumn> kFixed = columnsOf({"Участок", "НачУзел", "КонУзел"}, 7);
const TableColumn kNotes{QStringLiteral("Примечание"), 10};

double partWidth(const std::vector<TableColumn>& columns, int from, int to, bool notes) {
    double w = 0;
    for (const TableColumn& c : kFixed) w += columnWidthPt(c);
    for (int i = from; i < to; ++i) w += columnWidthPt(columns[size_t(i)]);
    return w + (notes ? columnWidthPt(kNotes) : 0);
}

// The marked columns of the two-pipe example, in its order.
const QStringList kTwoPipe = {
    "ГеодВысНач", "ГеодВысКон", "РасхПод", "РасхОбр", "ДлНаУчПод", "ДлНаУчОбр", "ДлНачПод", "ДлНачОбр",
    "ДлКонПод", "ДлКонОбр", "ТВодыНачПод", "ТВодыНачОбр", "ТВодыКонПод", "ТВодыКонОбр", "Ду", "КоэфМП",
    "Двн", "ТСрПод", "ПлПод", "УдПотПод", "ПотНаУчПод", "СкорПод", "ПотНОтИНачПод", "ПотНОтИНачОбр",
    "ПотНОтИКонПод", "ПотНОтИКонОбр", "ПНапНачПод", "ПНапНачОбр", "ПНапКонПод", "ПНапКонОбр", "РНапНач", "РНапКон"};

struct Case {
    const char* name;
    QStringList names;
    int valueChars;
    bool notes;
    int maxPerPart;
    std::vector<int> bounds;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Parts : public ::testing::TestWithParam<Case> {};

TEST_P(Parts, FitThePageEvenly) {
    const Case& c = GetParam();
    const std::vector<TableColumn> columns = columnsOf(c.names, c.valueChars);
    const std::vector<int> bounds = tableParts(columns, kFixed, c.notes ? &kNotes : nullptr, kLandscapeTablePt, c.maxPerPart);
    EXPECT_EQ(bounds, c.bounds);
    for (size_t k = 0; k + 1 < bounds.size(); ++k) {
        EXPECT_LE(bounds[k + 1] - bounds[k], c.maxPerPart);
        if (bounds[k + 1] - bounds[k] > 1)  // a single column is never cut
            EXPECT_LE(partWidth(columns, bounds[k], bounds[k + 1], c.notes && k + 2 == bounds.size()), kLandscapeTablePt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Parts,
    ::testing::Values(Case{"None", {}, 6, false, 16, {0, 0}},
                      Case{"FewInOnePart", {"Ду", "РасхПод", "СкорПод"}, 6, true, 16, {0, 3}},
                      Case{"AtMostPerPart", kTwoPipe.mid(0, 10), 4, false, 4, {0, 3, 6, 10}},
                      Case{"EvenByCount", kTwoPipe.mid(0, 10), 4, false, 6, {0, 5, 10}},
                      Case{"TwoPipeExample", kTwoPipe, 7, true, 16, {0, 11, 22, 32}},
                      Case{"NotesTakeTheirRoom", kTwoPipe.mid(20, 12), 7, true, 16, {0, 6, 12}},
                      Case{"NotesFitAfterAll", kTwoPipe.mid(22, 10), 7, true, 16, {0, 10}},
                      Case{"WideValues", kTwoPipe.mid(0, 8), 20, false, 16, {0, 4, 8}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace volm::report
