// The reference-book editors' core: the three descriptions, the delete
// statements with bound values, the landing row, the questions, the caption.
#include "store/errors.h"
#include "store/reference_books.h"
#include "store/table.h"
#include "tests/store/shipped_harness.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace volm;
using namespace volm::test;

namespace {

struct ReferenceBooks : ShippedHarness {
    QString spr() const { return folder.file(QStringLiteral("Spr.mdb")); }
    int count(const QString& table) const {
        return value(spr(), QStringLiteral("SELECT count(*) FROM ") + table).toInt();
    }
    // Replaces the rows of a table of the reference book and re-reads its cursor.
    void rows(const ReferenceBook& book, const QStringList& values) {
        QStringList sql{QStringLiteral("DELETE FROM ") + book.table};
        for (const QString& v : values) sql << QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(book.table, v);
        execOn(spr(), sql);
        Table* t = referenceCursor(*app, book);
        t->setSort(book.sort);
        t->requery();
    }
};

struct StatementCase {
    const ReferenceBook* book;
    const char* sql;
};

class DeleteStatements : public ::testing::TestWithParam<StatementCase> {};

TEST_P(DeleteStatements, BindTheKeyValues) {
    EXPECT_EQ(referenceDeleteSql(*GetParam().book), QString::fromUtf8(GetParam().sql));
}

INSTANTIATE_TEST_SUITE_P(
    Books, DeleteStatements,
    ::testing::Values(StatementCase{&correctionBook(),
                                    "DELETE FROM [ПопрКоэфКУдПот] WHERE [УслДиамТрПр] IS ?1 AND [ЭквШер] IS ?2"},
                      StatementCase{&diameterBook(), "DELETE FROM [ДиамТрПр] WHERE [УслДиамТрПр] IS ?1"},
                      StatementCase{&densityBook(), "DELETE FROM [ПлВодыОтТ] WHERE [Т] IS ?1"}));

TEST(ReferenceBookDescriptions, TablesSortsAndColumns) {
    EXPECT_EQ(correctionBook().sort, QStringLiteral("ЭквШер ASC, УслДиамТрПр ASC"));
    EXPECT_EQ(diameterBook().sort, QStringLiteral("УслДиамТрПр ASC"));
    EXPECT_EQ(densityBook().sort, QStringLiteral("Т ASC"));
    ASSERT_EQ(correctionBook().columns.size(), 3u);
    EXPECT_EQ(correctionBook().columns[1].title, QStringLiteral("Эквивалентная шероховатость, мм."));
    EXPECT_EQ(correctionBook().columns[1].width, 200);
    EXPECT_EQ(diameterBook().columns[1].title, QStringLiteral("Внутренний диаметр трубопровода, мм."));
    EXPECT_EQ(densityBook().columns[1].title, QStringLiteral("Плотность, кг./м3"));
}

TEST_F(ReferenceBooks, DeletingOneRoughnessRowOfADiameterLeavesTheOthers) {
    start();
    const ReferenceBook& b = correctionBook();
    rows(b, {"50, 0.1, 1.1", "50, 0.2, 1.2", "80, 0.1, 1.3"});
    Table& t = *referenceCursor(*app, b);
    // Sorted by roughness, then diameter: (50,0.1), (80,0.1), (50,0.2).
    person.answers = {true};
    ASSERT_TRUE(deleteSelectedReferenceRows(*app, b, {0}));
    EXPECT_EQ(count(b.table), 2);
    EXPECT_EQ(value(spr(), "SELECT count(*) FROM ПопрКоэфКУдПот WHERE УслДиамТрПр=50 AND ЭквШер=0.1").toInt(), 0);
    EXPECT_EQ(t.rowCount(), 2);
}

TEST_F(ReferenceBooks, AValueThatPrintsShorterThanItIsStillFindsItsRow) {
    start();
    const ReferenceBook& b = correctionBook();
    // 0.1 + 0.2 is 0.30000000000000004: fifteen significant digits print "0.3".
    rows(b, {"50, 0.1 + 0.2, 1.1", "50, 0.3, 1.2", "65, Null, 1.5"});
    person.answers = {true};
    Table& t = *referenceCursor(*app, b);
    ASSERT_EQ(t.rowCount(), 3);
    // Null sorts first: (65,Null), (50,0.3), (50,0.30000000000000004).
    ASSERT_TRUE(deleteSelectedReferenceRows(*app, b, {0, 2}));
    EXPECT_EQ(count(b.table), 1);
    EXPECT_DOUBLE_EQ(value(spr(), "SELECT Коэф FROM ПопрКоэфКУдПот").toDouble(), 1.2);
}

struct LandingCase {
    const char* name;
    std::vector<int> selected;
    int remaining;
    int landingTemperature;  // Т of the row the cursor lands on
};

class Landing : public ReferenceBooks, public ::testing::WithParamInterface<LandingCase> {};

TEST_P(Landing, CursorGoesToTheRowAfterTheDeletedOnes) {
    start();
    const ReferenceBook& b = densityBook();
    rows(b, {"10, 999.7", "20, 998.2", "30, 995.7", "40, 992.2", "50, 988.0"});
    person.answers = {true};
    ASSERT_TRUE(deleteSelectedReferenceRows(*app, b, GetParam().selected));
    Table& t = *referenceCursor(*app, b);
    EXPECT_EQ(t.rowCount(), GetParam().remaining);
    EXPECT_EQ(t.value(QStringLiteral("Т")).toInt(), GetParam().landingTemperature);
    EXPECT_FALSE(t.controlsDisabled());
}

INSTANTIATE_TEST_SUITE_P(Rows, Landing,
                         ::testing::Values(LandingCase{"Middle", {1, 2}, 3, 40}, LandingCase{"Last", {4}, 4, 40},
                                           LandingCase{"First", {0}, 4, 20}, LandingCase{"All", {0, 1, 2, 3, 4}, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReferenceBooks, QuestionsAndRefusals) {
    start();
    const ReferenceBook& b = diameterBook();
    const int before = count(b.table);
    EXPECT_FALSE(deleteSelectedReferenceRows(*app, b, {}));
    EXPECT_EQ(person.messages, QStringList{"Выделите хотя бы одну запись."});
    EXPECT_FALSE(deleteSelectedReferenceRows(*app, b, {0}));  // answered No
    EXPECT_FALSE(deleteAllReferenceRows(*app, b));             // answered No
    EXPECT_EQ(person.questions, (QStringList{"Удалить выделенные записи?", "Удалить все записи?"}));
    EXPECT_EQ(count(b.table), before);
    person.answers = {true};
    EXPECT_TRUE(deleteAllReferenceRows(*app, b));
    EXPECT_EQ(count(b.table), 0);
    EXPECT_TRUE(referenceCursor(*app, b)->isEmpty());
}

TEST_F(ReferenceBooks, AllowingEditingClearsTheCalculationDoneFlagOnlyOnYes) {
    start({"UPDATE НазвРасч SET РасчетВыполнен=True"});
    app->RasVip = true;
    EXPECT_FALSE(allowReferenceEditing(*app));
    EXPECT_TRUE(calcValue("SELECT РасчетВыполнен FROM НазвРасч").toBool());
    person.answers = {true};
    EXPECT_TRUE(allowReferenceEditing(*app));
    EXPECT_FALSE(calcValue("SELECT РасчетВыполнен FROM НазвРасч").toBool());
    EXPECT_EQ(person.questions.first(),
              QStringLiteral("Изменение данных этого справочника может привести к изменениям в расчете. "
                             "Разрешить редактирование?"));
}

// A book that cannot be written (installed for all users: the program folder
// is not the work folder) is refused before the question, with the reason and
// the command that makes a writable copy; the calculation keeps its flag.
TEST_F(ReferenceBooks, ABookThatCannotBeWrittenIsRefusedWithTheWayToACopy) {
    QTemporaryDir home;
    calc = folder.newCalculation(QStringLiteral("calc.mdb"));
    execOn(calc, {"UPDATE НазвРасч SET РасчетВыполнен=True"});
    folder.setSetting(QStringLiteral("ФайлГР"), calc);
    app->setWorkDir(home.path());
    ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
    person.clear();
    person.answers = {true};
    ASSERT_TRUE(referenceBookReadOnly(*app));
    EXPECT_FALSE(allowReferenceEditing(*app));
    EXPECT_TRUE(person.questions.isEmpty());
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].startsWith(QStringLiteral("Файл справочников ") + QFileInfo(spr()).absoluteFilePath() +
                                              QStringLiteral(" доступен только для чтения")))
        << person.messages[0].toStdString();
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("Сохранить справочники как...")));
    EXPECT_TRUE(calcValue("SELECT РасчетВыполнен FROM НазвРасч").toBool());
}

// A key already in a book: the row is refused with the program's Russian
// sentence naming the value, never the engine's text.
struct DuplicateCase {
    const char* name;
    const ReferenceBook* book;
    QStringList rows;
    QStringList typed;  // field=value of the new row
    const char* message;
};

class DuplicateKey : public ReferenceBooks, public ::testing::WithParamInterface<DuplicateCase> {};

TEST_P(DuplicateKey, IsNamedByItsValue) {
    const DuplicateCase& c = GetParam();
    start();
    rows(*c.book, c.rows);
    Table& t = *referenceCursor(*app, *c.book);
    t.append();
    for (const QString& ft : c.typed) t.setValue(ft.section(QLatin1Char('='), 0, 0), ft.section(QLatin1Char('='), 1));
    try {
        t.post();
        FAIL() << "stored";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
    }
    t.cancel();
    EXPECT_EQ(count(c.book->table), c.rows.size());
}

INSTANTIATE_TEST_SUITE_P(
    Books, DuplicateKey,
    ::testing::Values(
        DuplicateCase{"Density", &densityBook(), {"20, 998.2", "40, 992.2"}, {"Т=20", "Плотность=999"},
                      "Запись не сохранена: в таблице \"ПлВодыОтТ\" уже есть запись со значением Т = 20."},
        DuplicateCase{"Diameter", &diameterBook(), {"100, 107, 108, 4"}, {"УслДиамТрПр=100", "ВнутрДиамТрПр=100"},
                      "Запись не сохранена: в таблице \"ДиамТрПр\" уже есть запись со значением УслДиамТрПр = 100."},
        DuplicateCase{"Correction", &correctionBook(), {"50, 0.5, 1.1"}, {"УслДиамТрПр=50", "ЭквШер=0,5", "Коэф=2"},
                      "Запись не сохранена: в таблице \"ПопрКоэфКУдПот\" уже есть запись со значениями "
                      "УслДиамТрПр = 50, ЭквШер = 0.5."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReferenceBooks, CaptionNamesTheReferenceBookFile) {
    start();
    app->dm.atNastr->first();
    const QString path = app->dm.atNastr->value(QStringLiteral("ФайлСпр")).toString();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(referenceCaption(*app, diameterBook()), path + QStringLiteral(" - Диаметры трубопровода"));
    app->dm.atNastr->edit();
    app->dm.atNastr->setValue(QStringLiteral("ФайлСпр"), QVariant());
    app->dm.atNastr->post();
    EXPECT_EQ(referenceCaption(*app, densityBook()), QStringLiteral("Плотность воды при различной температуре"));
}

TEST_F(ReferenceBooks, EditorsNeedTheCalculationOpen) {
    start();
    EXPECT_TRUE(referenceEditorAvailable(*app, correctionBook()));
    app->dm.closeCalculation();
    EXPECT_FALSE(referenceEditorAvailable(*app, correctionBook()));
}

}  // namespace
