#pragma once
// A started program over a temporary program folder holding the shipped files,
// with a calculation described in a few lines, for the run's tests.
//
// The catalogue of a Net is deliberately simple, so that every figure can be
// checked by hand: the section losses are entered (user table indicators
// ПотУчП and ПотУчО) and the end losses are the start losses plus them.
#include "commands/run_command.h"
#include "store/app.h"
#include "tests/support/fake_person.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <ostream>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace volm::test {

inline constexpr double kNullValue = std::numeric_limits<double>::quiet_NaN();

struct Net {
    struct Section {
        int a, b;
        double length = 100;
        double lossSup = 1;
        double lossRet = 1;
        double flow = kNullValue;       // РасхПод
        double lengthRet = kNullValue;  // ДлНаУчОбр (entered only when the flag says so)
    };
    int type = 1;                  // ТипСети
    int start = 1;                 // NНачУз
    bool computeFlows = false;     // РасчРасх
    bool looped = false;           // КольцСеть (the column is added only when true)
    std::vector<std::pair<int, double>> nodes;  // Nуз, ГеодВыс (NaN: Null); empty: every node at 100
    std::vector<Section> sections;
    struct Change {
        int node;
        bool ret;
        double value;
    };
    std::vector<Change> changes;
    double headSup = 100;          // ПНапНаУзПод
    double headAvail = 50;         // РНапНаУз
    double minT = 55, maxT = 95;
    std::optional<int> supplyNode, availNode;  // NузПНапПод / NузРНап stored (default: start node)

    // The statements that turn a copy of the template into this calculation.
    QStringList statements() const;
};

class CalcHarness : public ::testing::Test {
protected:
    FakePerson person;
    ProgramFolder folder{ProgramFolder::Source::Shipped};
    std::unique_ptr<App> app;
    QString calc;

    // Writes the calculation (plus extra statements), names it in the settings
    // and starts the program; the formula check and the rebuild run as at start-up.
    void open(const Net& net, const QStringList& extra = {});
    // Opens a copy of a shipped example calculation, changed first by the statements.
    void openExample(const QString& name, const QStringList& before = {});

    // Runs without the question, with the node texts of the net (or given).
    RunOutcome run(const QString& supplyText, const QString& availText, RunOptions options = {});
    RunOutcome run() { return run(QStringLiteral("1"), QStringLiteral("1")); }

    // Values straight from the calculation file (NaN for Null).
    double sectionValue(int a, int b, const QString& column) const;
    double headerValue(const QString& column) const;
    double endValue(int idm, const QString& column) const;
    QVariant fileValue(const QString& sql) const;
    // Rows of a query as text "v1 v2 ...", one string per row.
    QStringList rows(const QString& sql) const;
};

}  // namespace volm::test

// Readable failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']'; }
QT_END_NAMESPACE
