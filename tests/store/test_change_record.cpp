// Steps of the person's commands taken back and made again: every command
// recorded as one step, the file's data tables (every row, every column, the
// keys, the statements that make them) as they were after undo and as they
// became after redo; a session that rebuilds tables is one step with them; a
// seeded random run of edits undone to the end leaves the file as it started.
#include "store/cell_entry.h"
#include "store/change_record.h"
#include "store/database.h"
#include "store/node_fill.h"
#include "store/record_list.h"
#include "store/records.h"
#include "tests/store/store_harness.h"
#include "tests/support/file_contents.h"

#include <QRandomGenerator>
#include <functional>

using namespace volm;
using namespace volm::test;

namespace {

struct Steps : StoreHarness {
    void SetUp() override {
        StoreHarness::SetUp();
        startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, РасхПод) VALUES (1, 0, 1, 10, 100)",
                              "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, РасхПод) VALUES (2, 1, 2, 20, 80)",
                              "INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, Примечание) VALUES (5, 2, 7, 30, 'к')",
                              "INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (0, 1.5)",
                              "INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (2, 2.5)",
                              "UPDATE НазвРасч SET РасчетВыполнен=True"});
        app->changes.attach(app->dm.acGR);
        app->RasVip = true;
    }

    QString dump() { return fileContents(app->dm.acGR); }
    bool doneFlag() { return app->dm.acGR.prepare("SELECT РасчетВыполнен FROM НазвРасч")->step() &&
                             app->dm.acGR.prepare("SELECT РасчетВыполнен FROM НазвРасч")->column(0).toInt() != 0; }
    Table& sections() { return *app->dm.atTabl; }
    int field(const char* name) { return sections().fieldIndex(QString::fromUtf8(name)); }
    std::vector<ChangeSet> taken() { return app->changes.takeSteps(); }
};

struct Command {
    const char* name;
    std::function<void(Steps&)> run;
};

void typeCell(Steps& s, int row, const char* name, const QVariant& v) {
    s.sections().setCurrentRow(row);
    s.sections().setValue(QString::fromUtf8(name), v);
    ZapisatUchastok(*s.app);
}

const Command kCommands[] = {
    {"typed cell", [](Steps& s) { typeCell(s, 1, "ДлНаУчПод", 44.5); }},
    {"typed text", [](Steps& s) { typeCell(s, 2, "Примечание", QStringLiteral("д'Артаньян")); }},
    {"new row",
     [](Steps& s) {
         s.sections().append();
         s.sections().setValue(QStringLiteral("ДлНаУчПод"), 7);
         ZapisatUchastok(*s.app);
     }},
    {"paste block",
     [](Steps& s) {
         RecordedStep step(s.app->changes, "вставка");
         EnteredRow a{0, {{s.field("РасхПод"), "125"}}}, b{-1, {{s.field("ДлНаУчПод"), "3"}}}, c{-1, {{s.field("РасхПод"), "50"}}};
         ASSERT_TRUE(enterCells(*s.app, s.sections(), {a, b, c}).done);
     }},
    {"delete records",
     [](Steps& s) {
         RecordedStep step(s.app->changes, "удаление");
         s.person.answers.push_back(true);
         ASSERT_TRUE(deleteSelectedRecords(s.person, s.sections(), s.app->dm.acGR, {0, 2}, deleteSectionStatement));
     }},
    {"delete all records",
     [](Steps& s) {
         RecordedStep step(s.app->changes, "удаление всех");
         s.person.answers.push_back(true);
         ASSERT_TRUE(deleteAllRecords(s.person, s.sections(), s.app->dm.acGR));
     }},
    {"header row",
     [](Steps& s) {
         Table& zag = *s.app->dm.atZag;
         zag.first();
         zag.setValue(QStringLiteral("ПНапНаУзПод"), 0.2);
         zag.post();
     }},
    {"node heights filled",
     [](Steps& s) {
         RecordedStep step(s.app->changes, "высоты");
         ASSERT_TRUE(AutoZapolUzlov(*s.app, {"0", "5", "7,5", true}).written);
     }},
    {"tables rebuilt inside a session",
     [](Steps& s) {
         RecordedStep step(s.app->changes, "формулы");
         Database& db = s.app->dm.acGR;
         db.exec("UPDATE Табл SET РасхПод = 5 WHERE id = 1");
         {
             RecordedRebuild rebuild(s.app->changes, {"Табл", "Заг", "КонМаг"});
             Transaction tx(db);
             db.exec("ALTER TABLE Табл DROP COLUMN Примечание");
             db.exec("ALTER TABLE Табл ADD COLUMN Новый float");
             db.exec("UPDATE Табл SET Новый = id * 2");
             db.exec("CREATE INDEX ТаблНовый ON Табл (Новый)");
             db.exec("DROP TABLE КонМаг");
             tx.commit();
         }
         db.exec("UPDATE Табл SET Новый = 7 WHERE id = 2");
         db.exec("INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (9, 4)");
     }},
    {"bulk update in a transaction",
     [](Steps& s) {
         RecordedStep step(s.app->changes, "подбор");
         Transaction tx(s.app->dm.acGR);
         s.app->dm.acGR.exec("UPDATE Табл SET РасхПод = 200 WHERE id IN (1, 5)");
         tx.commit();
     }},
};

class EveryCommand : public Steps, public ::testing::WithParamInterface<Command> {};

TEST_P(EveryCommand, UndoRestoresTheFileAndRedoMakesItAgain) {
    const QString before = dump();
    ASSERT_NO_FATAL_FAILURE(GetParam().run(*this));
    const QString after = dump();
    ASSERT_NE(before, after);
    std::vector<ChangeSet> steps = taken();
    ASSERT_EQ(steps.size(), 1u);
    app->RasVip = true;

    applyChangeSet(*app, steps[0], true);
    EXPECT_EQ(dump().toStdString(), before.toStdString());
    EXPECT_FALSE(app->RasVip);
    EXPECT_FALSE(doneFlag());
    EXPECT_TRUE(taken().empty());  // taking back is no step of its own
    applyChangeSet(*app, steps[0], false);
    EXPECT_EQ(dump().toStdString(), after.toStdString());
    applyChangeSet(*app, steps[0], true);
    EXPECT_EQ(dump().toStdString(), before.toStdString());
    // The cursor shows the file: the same keys in the same order.
    Table& t = sections();
    auto keys = app->dm.acGR.prepare("SELECT id FROM Табл ORDER BY id");
    std::vector<qint64> file, shown;
    while (keys->step()) file.push_back(keys->column(0).toLongLong());
    for (int r = 0; r < t.rowCount(); ++r) shown.push_back(t.rowidAt(r));
    EXPECT_EQ(shown, file);
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryCommand, ::testing::ValuesIn(kCommands),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (c == ' ') c = '_';
                             return n;
                         });

// Changes rolled back and a run's results are no step; a rolled-back write
// inside a step leaves only what stayed.
TEST_F(Steps, RolledBackWritesAndPausedWritesAreNoStep) {
    {
        Transaction tx(app->dm.acGR);
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 1");
    }
    {
        RecordingPause pause(app->changes);
        app->dm.acGR.exec("UPDATE Табл SET ПотНОтИНачПод = 3");
    }
    EXPECT_TRUE(taken().empty());
    {
        RecordedStep step(app->changes, "шаг");
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 2 WHERE id = 1");
        Transaction tx(app->dm.acGR);
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 3 WHERE id = 2");
    }
    std::vector<ChangeSet> steps = taken();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].text, "шаг");
    EXPECT_EQ(steps[0].order.size(), 1u);
}

// A table rebuilt with other columns under recorded steps makes them unusable.
TEST_F(Steps, ARebuiltTableDropsTheSteps) {
    app->dm.acGR.exec("UPDATE Табл SET РасхПод = 1 WHERE id = 1");
    app->dm.acGR.exec("ALTER TABLE Табл ADD COLUMN Новый float");
    bool structureChanged = false;
    EXPECT_TRUE(app->changes.takeSteps(&structureChanged).empty());
    EXPECT_TRUE(structureChanged);
}

// The steps recorded before a session that rebuilt a table still meet it once
// the session is taken back; a rebuild outside a step keeps nothing.
TEST_F(Steps, StepsBeforeARebuildInASessionStayUsable) {
    const QString first = dump();
    typeCell(*this, 0, "Примечание", QStringLiteral("до"));
    {
        RecordedRebuild rebuild(app->changes, {"Табл"});
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 1");  // the rebuild's own rows are no step
    }
    const QString typed = dump();
    {
        RecordedStep step(app->changes, "формулы");
        RecordedRebuild rebuild(app->changes, {"Табл"});
        app->dm.acGR.exec("ALTER TABLE Табл DROP COLUMN Примечание");
    }
    std::vector<ChangeSet> steps = taken();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_FALSE(steps[0].rebuildsTables());
    ASSERT_TRUE(steps[1].rebuildsTables());
    EXPECT_TRUE(applyChangeSet(*app, steps[1], true));
    EXPECT_EQ(dump().toStdString(), typed.toStdString());
    EXPECT_TRUE(applyChangeSet(*app, steps[0], true));
    app->dm.acGR.exec("UPDATE Табл SET РасхПод = 100 WHERE id = 1");
    app->dm.acGR.exec("UPDATE Табл SET РасхПод = 80 WHERE id = 2");
    app->dm.acGR.exec("UPDATE Табл SET РасхПод = NULL WHERE id = 5");
    EXPECT_EQ(dump().toStdString(), first.toStdString());
    // The kept rows go with the last step that names them.
    EXPECT_TRUE(app->dm.acGR.prepare("SELECT 1 FROM sqlite_temp_master WHERE type = 'table'")->step());
    steps.clear();
    EXPECT_FALSE(app->dm.acGR.prepare("SELECT 1 FROM sqlite_temp_master WHERE type = 'table'")->step());
}

// Rows deleted and put back as they were (a table written anew, as the formula
// check writes its priorities) are no change; a row put back otherwise is.
TEST_F(Steps, ATableWrittenAnewWithTheSameRowsIsNoChange) {
    for (const char* second : {"2.5", "3"}) {
        {
            RecordedStep step(app->changes, "формулы");
            app->dm.acGR.exec("DELETE FROM УзлыТС");
            app->dm.acGR.exec(QStringLiteral("INSERT INTO УзлыТС (Nуз, ГеодВыс) VALUES (0, 1.5), (2, %1)").arg(second));
        }
        std::vector<ChangeSet> steps = taken();
        if (QByteArray(second) == "2.5") {
            EXPECT_TRUE(steps.empty());
        } else {
            ASSERT_EQ(steps.size(), 1u);
            EXPECT_EQ(steps[0].order.size(), 2u);
        }
    }
}

// A rebuild whose tables cannot be kept drops the session and the steps
// before it, as a rebuild outside a step does; recording goes on.
TEST_F(Steps, ARebuildThatCannotBeKeptDropsTheSteps) {
    typeCell(*this, 0, "РасхПод", 1.5);
    {
        RecordedStep step(app->changes, "формулы");
        app->dm.acGR.exec("PRAGMA query_only = 1");  // nothing can be written, kept rows neither
        RecordedRebuild rebuild(app->changes, {"Табл"});
        app->dm.acGR.exec("PRAGMA query_only = 0");
        app->dm.acGR.exec("ALTER TABLE Табл ADD COLUMN Новый float");
    }
    bool structureChanged = false;
    EXPECT_TRUE(app->changes.takeSteps(&structureChanged).empty());
    EXPECT_TRUE(structureChanged);
    EXPECT_FALSE(app->changes.paused());
    app->dm.acGR.exec("UPDATE Табл SET РасхПод = 2 WHERE id = 1");
    EXPECT_EQ(taken().size(), 1u);
}

// A step split while under way: what came before the split, between and after
// are three steps, an empty one none.
TEST_F(Steps, ASplitStepIsStepsInTurn) {
    {
        RecordedStep step(app->changes, "ввод");
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 1 WHERE id = 1");
        app->changes.splitStep("высоты");
        app->dm.acGR.exec("UPDATE УзлыТС SET ГеодВыс = 3");
        app->changes.splitStep("ввод");
        app->changes.splitStep("высоты");
        app->changes.splitStep("ввод");
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 2 WHERE id = 1");
    }
    std::vector<ChangeSet> steps = taken();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].text, "ввод");
    EXPECT_EQ(steps[1].text, "высоты");
    EXPECT_EQ(steps[1].rowsOf("УзлыТС"), 2);
    EXPECT_EQ(steps[2].text, "ввод");
}

// A step forgotten while under way leaves no step; those completed before stay.
TEST_F(Steps, AForgottenStepLeavesTheEarlierOnes) {
    app->dm.acGR.exec("UPDATE Табл SET РасхПод = 1 WHERE id = 1");
    {
        RecordedStep step(app->changes, "формулы");
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 2 WHERE id = 2");
        app->changes.forgetStep();
        app->dm.acGR.exec("UPDATE Табл SET РасхПод = 3 WHERE id = 5");
    }
    std::vector<ChangeSet> steps = taken();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].tables.at(0).rows.at(0).keyBefore, 1);
    const QString schema = schemaText(app->dm.acGR);
    EXPECT_EQ(schemaText(app->dm.acGR), schema);
    app->dm.acGR.exec("ALTER TABLE Табл ADD COLUMN Новый float");
    EXPECT_NE(schemaText(app->dm.acGR), schema);
}

TEST(CountText, RussianForms) {
    const struct {
        int n;
        const char* text;
    } cases[] = {{1, "1 участка"}, {2, "2 участков"}, {5, "5 участков"}, {11, "11 участков"}, {21, "21 участка"},
                 {12, "12 участков"}, {101, "101 участка"}};
    for (const auto& c : cases)
        EXPECT_EQ(countText(c.n, "участка", "участков", "участков"), QString::fromUtf8(c.text));
}

// A seeded random run of typed cells, new rows, pastes, deletions and sessions
// that add or drop a column of the sections, each a step, undone to the end:
// the file is as it started.
TEST_F(Steps, RandomEditsUndoneToTheEndLeaveTheFileAsItStarted) {
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    QRandomGenerator rnd(seed);
    const QString first = dump();
    std::vector<ChangeSet> steps;
    int added = 0;  // columns the sessions added to the sections
    for (int i = 0; i < 40; ++i) {
        const int rows = sections().rowCount();
        const int what = rnd.bounded(5);
        if (what == 0 && rows > 0) {
            typeCell(*this, rnd.bounded(rows), "РасхПод", rnd.bounded(1000) / 10.0);
        } else if (what == 1) {
            RecordedStep step(app->changes, "вставка");
            std::vector<EnteredRow> block;
            for (int k = rnd.bounded(1, 4); k > 0; --k)
                block.push_back({rows > 0 && rnd.bounded(2) ? rnd.bounded(rows) : -1,
                                 {{field("ДлНаУчПод"), QString::number(rnd.bounded(100))}}});
            ASSERT_TRUE(enterCells(*app, sections(), block).done);
        } else if (what == 2 && rows > 0) {
            RecordedStep step(app->changes, "удаление");
            person.answers.push_back(true);
            ASSERT_TRUE(deleteSelectedRecords(person, sections(), app->dm.acGR, {rnd.bounded(rows)}, deleteSectionStatement));
        } else if (what == 3) {
            // A session that gives the sections one column more with values,
            // or takes the last one added away.
            {
                RecordedStep step(app->changes, "формулы");
                RecordedRebuild rebuild(app->changes, {"Табл"});
                if (added > 0 && rnd.bounded(2)) {
                    app->dm.acGR.exec(QStringLiteral("ALTER TABLE Табл DROP COLUMN Доп%1").arg(added--));
                } else {
                    app->dm.acGR.exec(QStringLiteral("ALTER TABLE Табл ADD COLUMN Доп%1 float").arg(++added));
                    app->dm.acGR.exec(QStringLiteral("UPDATE Табл SET Доп%1 = id * %2").arg(added).arg(rnd.bounded(9)));
                }
            }
            sections().close();
            sections().open();
        } else {
            app->dm.atZag->first();
            app->dm.atZag->setValue(QStringLiteral("ПНапНаУзПод"), rnd.bounded(10) / 10.0 + 0.1);
            app->dm.atZag->post();
        }
        for (ChangeSet& s : taken()) steps.push_back(std::move(s));
    }
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) applyChangeSet(*app, *it, true);
    EXPECT_EQ(dump().toStdString(), first.toStdString());
}

}  // namespace
