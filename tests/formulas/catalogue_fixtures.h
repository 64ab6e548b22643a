#pragma once
// A catalogue of predefined indicators as the template carries it, for the
// check and structure tests, in memory and as SQL for a calculation file.
#include "formulas/catalogue.h"
#include "tests/formulas/formula_fixtures.h"
#include "tests/support/fake_person.h"
#include "tests/support/program_folder.h"
#include "store/app.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <memory>

namespace volm::test {

// The predefined rows; the formulas of the two end-node losses are given.
std::vector<Indicator> predefinedIndicators(const QString& supplyEnd = QStringLiteral("<ПотНОтИНачПод>+1"),
                                            const QString& returnEnd = QStringLiteral("<ПотНОтИНачОбр>+1"));
Indicator userIndicator(const QString& name, bool table, bool entered, const QString& formula = QString());
Catalogue makeCatalogue(std::vector<Indicator> user, const QString& supplyEnd = QStringLiteral("<ПотНОтИНачПод>+1"),
                        const QString& returnEnd = QStringLiteral("<ПотНОтИНачОбр>+1"));

// SQL literal of a text (Null when empty).
QString sqlText(const QString& s);
// INSERT statements for Формулы rows, numbered 1, 2, ... in the given order.
QStringList userInserts(const std::vector<Indicator>& user);

// A started program with the formula check handed to it, over a calculation file of
// the given network type whose catalogue holds the predefined rows above and the
// given user rows.
struct FormulaHarness : ::testing::Test {
    FakePerson person;
    ProgramFolder folder{ProgramFolder::Source::Fixtures};
    std::unique_ptr<App> app;
    QString calc;
    bool twoPipeShaped = false;  // the last App::tablesShaped notice

    void SetUp() override;
    // Creates the calculation, runs extra statements on it, and starts the program
    // (OtkritFaili checks the formulas and rebuilds the tables).
    void start(int networkType, const std::vector<Indicator>& user, const QStringList& statements = {});

    // Statements on the open calculation file.
    void exec(const QStringList& statements);
    // Rows of a query on the open calculation (or scratch) database, each row's
    // values joined by "|" (Null shown as "∅").
    QStringList rows(const QString& sql, bool scratch = false);
    // Column names of a table of the open calculation (or scratch) database.
    QStringList columns(const QString& table, bool scratch = false);
};

}  // namespace volm::test
