// The calculation's three steps on their own: compute works on the calculation
// in memory and leaves the file as it was; storing is all or nothing.
#include "calc/calculation.h"
#include "store/database.h"
#include "store/errors.h"
#include "tests/calc/calc_harness.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace volm::test {
namespace {

// A two-pipe tree: 1 - 2, 2 - 3, 2 - 4.
Net smallNet() {
    Net n;
    n.sections = {{1, 2}, {2, 3}, {2, 4}};
    return n;
}

class ThreeSteps : public CalcHarness {
protected:
    calc::CalculationInput read() {
        return calc::readCalculation(app->dm.acGR, app->dm.acSpr, {QStringLiteral("id ASC"), QLocale::c()});
    }
    static calc::ComputeOptions options(const QString& supply = QStringLiteral("1"),
                                        const QString& avail = QStringLiteral("1")) {
        calc::ComputeOptions o;
        o.supplyNodeText = supply;
        o.availNodeText = avail;
        return o;
    }
    QByteArray fileBytes() const {
        QFile f(calc);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Each case: the node texts, the fault compute stops at (empty: none), and the
// node columns it keeps for storing.
struct HeadNodeCase {
    const char* supply;
    const char* avail;
    const char* error;
    std::vector<const char*> stored;
};

TEST_F(ThreeSteps, ComputeTouchesNoFileAndKeepsTheGivenHeadNodesForStoring) {
    open(smallNet());
    const HeadNodeCase cases[] = {
        {"1", "1", "", {"NузПНапПод", "NузРНап"}},
        {"", "1", "Поле \"ПНапНаУзПод задан для узла:\" должно быть заполнено.", {}},
        // The supply node is kept although the available-head one is missing.
        {"1", "", "Поле \"РНапНаУз задан для узла:\" должно быть заполнено.", {"NузПНапПод"}},
    };
    const QByteArray before = fileBytes();
    for (const HeadNodeCase& c : cases) {
        SCOPED_TRACE(std::string(c.supply) + " / " + c.avail);
        const calc::CalculationResult d = calc::compute(read(), options(QString::fromUtf8(c.supply), QString::fromUtf8(c.avail)));
        EXPECT_EQ(d.error, QString::fromUtf8(c.error));
        std::vector<QString> stored;
        for (const auto& [column, value] : d.givenHeadNodes) stored.push_back(column);
        std::vector<QString> expected;
        for (const char* column : c.stored) expected.push_back(QString::fromUtf8(column));
        EXPECT_EQ(stored, expected);
        EXPECT_EQ(fileBytes(), before) << "compute wrote to the file";
    }
}

// The file holds, after storing, the figures compute held in memory.
TEST_F(ThreeSteps, StoredResultsAreWhatComputeHeld) {
    open(smallNet());
    const calc::CalculationResult d = calc::compute(read(), options());
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    calc::storeResults(app->dm.acGR, d);
    const int col = d.sections.need(QStringLiteral("ПНапКонПод"));
    for (int r = 0; r < d.sections.rowCount(); ++r)
        EXPECT_EQ(sectionValue(d.startOf[size_t(r)], d.endOf[size_t(r)], QStringLiteral("ПНапКонПод")),
                  d.sections.get(r, col));
    EXPECT_EQ(fileValue(QStringLiteral("SELECT count(*) FROM КонМаг")).toInt(), int(d.endResults.size()));
}

// Storing that fails part-way (here at the end results, after the sections
// were written) leaves every table as it was.
TEST_F(ThreeSteps, StoringIsAllOrNothing) {
    open(smallNet());
    const calc::CalculationResult d = calc::compute(read(), options());
    ASSERT_TRUE(d.ok()) << d.error.toStdString();
    app->dm.acGR.prepare(QStringLiteral("ALTER TABLE \"КонМаг\" RENAME TO \"КонМаг2\""))->run();
    const QByteArray before = fileBytes();
    EXPECT_THROW(calc::storeResults(app->dm.acGR, d), DatabaseError);
    EXPECT_TRUE(std::isnan(sectionValue(2, 3, QStringLiteral("ПНапКонПод"))));
    EXPECT_EQ(fileValue(QStringLiteral("SELECT count(*) FROM МагистралиТС")).toInt(), 0);
    EXPECT_EQ(fileBytes(), before);
}

// Storing names the tables it wrote, so that only those are read again: a run
// stopped at its first check writes none, a successful one all of them.
TEST_F(ThreeSteps, StoringNamesTheTablesItWrote) {
    open(smallNet());
    struct Case {
        const char* supply;
        std::vector<bool> written;  // НазвРасч, Заг, Табл, МагистралиТС, КонМаг, СписокРасчУчастков
    };
    const Case cases[] = {
        {"", {false, false, false, false, false, false}},
        {"1", {true, true, true, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.supply);
        const calc::StoredTables t =
            calc::storeResults(app->dm.acGR, calc::compute(read(), options(QString::fromUtf8(c.supply))));
        EXPECT_EQ((std::vector<bool>{t.name, t.header, t.sections, t.mains, t.endResults, t.worklist}), c.written);
    }
}

// One input read serves several computations: each one works on its own copy,
// a changed copy (a trial value) changes only its own result, and the input
// read stays as it was.
TEST_F(ThreeSteps, CopiesOfOneInputComputeApart) {
    open(smallNet());
    const calc::CalculationInput input = read();
    const int loss = input.sections.need(QStringLiteral("ПотУчП"));
    const double before = input.sections.get(0, loss);
    calc::CalculationInput trial = input;
    trial.sections.values[size_t(loss)] = before + 4;
    const calc::CalculationResult changed = calc::compute(std::move(trial), options());
    const calc::CalculationResult plain = calc::compute(input, options());
    const calc::CalculationResult again = calc::compute(input, options());
    ASSERT_TRUE(changed.ok() && plain.ok() && again.ok()) << changed.error.toStdString() << plain.error.toStdString();
    EXPECT_EQ(input.sections.get(0, loss), before);
    EXPECT_TRUE(std::equal(plain.sections.values.begin(), plain.sections.values.end(), again.sections.values.begin(),
                           again.sections.values.end(),
                           [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); }));
    const int head = plain.sections.need(QStringLiteral("ПНапКонПод"));
    EXPECT_DOUBLE_EQ(changed.sections.get(0, head), plain.sections.get(0, head) - 4);
}

}  // namespace
}  // namespace volm::test
