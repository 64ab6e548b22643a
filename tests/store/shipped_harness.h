#pragma once
// A started program over a program folder with the shipped template and
// reference book (the full indicator catalogue and reference tables).
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"
#include "tests/support/fake_person.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <memory>

namespace volm::test {

struct ShippedHarness : ::testing::Test {
    FakePerson person;
    ProgramFolder folder{ProgramFolder::Source::Shipped};
    std::unique_ptr<App> app;
    QString calc;

    void SetUp() override {
        ASSERT_TRUE(folder.usesShippedFiles()) << "the build's program folder is missing";
        app = std::make_unique<App>(folder.path(), person);
    }
    void TearDown() override {
        if (app) shutDown(*app);
    }

    void start(const QStringList& statements = {}) {
        calc = folder.newCalculation(QStringLiteral("calc.mdb"));
        if (!statements.isEmpty()) execOn(calc, statements);
        folder.setSetting(QStringLiteral("ФайлГР"), calc);
        ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
        ASSERT_TRUE(app->dm.acGR.isOpen());
        person.clear();
    }

    QVariant value(const QString& path, const QString& sql) const {
        Database db;
        db.open(path);
        auto q = db.query(sql);
        if (q->isEmpty()) return {};
        q->first();
        return q->value(0);
    }
    QVariant calcValue(const QString& sql) const { return value(calc, sql); }
};

}  // namespace volm::test
