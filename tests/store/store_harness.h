#pragma once
// A started program over a temporary program folder, for the store's tests.
#include "store/app.h"
#include "store/startup.h"
#include "tests/support/fake_catalogue_check.h"
#include "tests/support/fake_person.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <memory>

namespace volm::test {

struct StoreHarness : ::testing::Test {
    FakePerson person;
    FakeEditorHost editors;  // no edits typed unless a test types them
    ProgramFolder folder{ProgramFolder::Source::Fixtures};
    std::unique_ptr<App> app;
    QString calc;  // the calculation file named in the settings
    int opened = 0;  // App::calculationOpened notices

    void SetUp() override {
        app = std::make_unique<App>(folder.path(), person);
        app->setEditorHost(&editors);
        QObject::connect(app.get(), &App::calculationOpened, [this] { ++opened; });
    }

    // Names a fresh calculation in the settings and starts the program.
    void startWithCalculation(const QStringList& statements = {}) {
        calc = folder.newCalculation(QStringLiteral("calc.mdb"));
        if (!statements.isEmpty()) execOn(calc, statements);
        folder.setSetting(QStringLiteral("ФайлГР"), calc);
        ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
        ASSERT_TRUE(app->dm.acGR.isOpen());
    }

    // One value read straight from a file.
    static QVariant fileValue(const QString& path, const QString& sql) {
        Database db;
        db.open(path);
        auto q = db.query(sql);
        q->first();
        return q->value(0);
    }
};

}  // namespace volm::test
