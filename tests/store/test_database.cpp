#include "store/database.h"
#include "store/errors.h"
#include "store/sql_names.h"
#include "store/table.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace volm;

namespace {

struct DatabaseTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString makeDb(const QString& name, const QStringList& statements) {
        Database::create(path(name));
        Database db;
        db.open(path(name));
        for (const QString& s : statements) db.exec(s);
        return path(name);
    }
};

TEST_F(DatabaseTest, OpeningAMissingFileFailsAndCreatesNothing) {
    Database db;
    EXPECT_THROW(db.open(path("нет.mdb")), DatabaseError);
    EXPECT_FALSE(QFile::exists(path("нет.mdb")));
    EXPECT_FALSE(db.isOpen());
}

TEST_F(DatabaseTest, FilesThatAreNotWholeDatabasesAreRefusedUnchanged) {
    QFile text(path("text.mdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(5000, 'x'));
    text.close();

    // A real database cut short in the middle of its pages.
    QStringList fill{"CREATE TABLE t (a text(200))"};
    for (int i = 0; i < 200; ++i) fill << QStringLiteral("INSERT INTO t VALUES ('%1')").arg(QString(150, QChar('a' + i % 26)));
    QString whole = makeDb("whole.mdb", fill);
    QFile src(whole);
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    QByteArray bytes = src.readAll();
    QFile cut(path("cut.mdb"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();

    for (const QString& name : {QStringLiteral("text.mdb"), QStringLiteral("cut.mdb")}) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray before = f.readAll();
        f.close();
        Database db;
        try {
            db.open(path(name));
            auto t = db.query("SELECT * FROM t");
            FAIL() << "opened " << name.toStdString();
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.className(), "EDatabaseError");
            EXPECT_FALSE(e.message().isEmpty());
        }
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before) << name.toStdString();
    }
}

// Bytes of a file, and a copy of it with some bytes overwritten.
QByteArray fileBytes(const QString& p) {
    QFile f(p);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& p, const QByteArray& bytes) {
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Either check refuses a file cut short and a damaged schema at once; a page
// damaged inside a table is refused at once by the check of every page, and
// by the cheaper check only when the table is read, then with the same words.
TEST_F(DatabaseTest, BothChecksRefuseWhatTheyPromise) {
    QStringList fill{"CREATE TABLE t (a text(200))"};
    for (int i = 0; i < 200; ++i) fill << QStringLiteral("INSERT INTO t VALUES ('%1')").arg(QString(150, QChar('a' + i % 26)));
    const QByteArray whole = fileBytes(makeDb("whole.mdb", fill));
    qint64 root = 0, pageSize = 0;
    {
        Database db;
        db.open(path("whole.mdb"));
        auto st = db.prepare("SELECT rootpage FROM sqlite_master WHERE name = 't'");
        ASSERT_TRUE(st->step());
        root = st->column(0).toLongLong();
        st = db.prepare("PRAGMA page_size");
        ASSERT_TRUE(st->step());
        pageSize = st->column(0).toLongLong();
    }
    ASSERT_GT(root, 1);
    QByteArray cut = whole.left(whole.size() / 2);
    QByteArray schema = whole;
    schema.replace(100, 8, QByteArray(8, '\xff'));  // the page holding the schema
    QByteArray table = whole;
    table.replace(int((root - 1) * pageSize), 8, QByteArray(8, '\xff'));  // the table's first page
    const QString damaged = QStringLiteral("Файл базы данных поврежден.");

    for (FileCheck check : {FileCheck::EveryPage, FileCheck::HeaderAndSchema}) {
        for (const auto& [name, bytes] : {std::pair{"cut.mdb", cut}, {"schema.mdb", schema}, {"table.mdb", table}}) {
            const std::string what = std::string(name) + (check == FileCheck::EveryPage ? " every page" : " header");
            writeBytes(path(name), bytes);
            Database db;
            const bool opensNow = check == FileCheck::HeaderAndSchema && QByteArray(name) == "table.mdb";
            try {
                db.open(path(name), check);
                EXPECT_TRUE(opensNow) << what;
                Table t(db, "t");
                t.open();
                EXPECT_THROW(t.rowCount(), DatabaseError) << what;
            } catch (const DatabaseError& e) {
                EXPECT_FALSE(opensNow) << what;
                EXPECT_EQ(e.message(), damaged) << what;
            }
            EXPECT_EQ(fileBytes(path(name)), bytes) << what;
        }
        Database db;
        db.open(path("whole.mdb"), check);
        EXPECT_EQ(db.query("SELECT * FROM t")->rowCount(), 200);
    }
}

// One dialect for statements, cursors and prepared statements alike: a
// double-quoted word is a name, never a literal.
TEST_F(DatabaseTest, DoubleQuotesNameAColumnEverywhere) {
    QString p = makeDb("q.mdb", {"CREATE TABLE t (Имя text(20), Прим text(20))",
                                 "INSERT INTO t VALUES ('узел', 'O''Brien \"x\"')"});
    Database db;
    db.open(p);
    EXPECT_EQ(db.query("SELECT \"Имя\" FROM t")->value("Имя").toString(), "узел");
    auto st = db.prepare("SELECT \"Имя\", [Прим] FROM \"t\"");
    ASSERT_TRUE(st->step());
    EXPECT_EQ(st->column(0).toString(), "узел");
    EXPECT_EQ(st->column(1).toString(), "O'Brien \"x\"");
    db.exec("UPDATE t SET \"Прим\" = \"Имя\"");
    EXPECT_EQ(db.query("SELECT Прим FROM t")->value("Прим").toString(), "узел");
}

TEST_F(DatabaseTest, TheSystemsDialectIsUnderstood) {
    QString p = makeDb("d.mdb", {
        "CREATE TABLE [Табл] (id integer PRIMARY KEY, НачУзел smallint, Длина float, Флаг bit, Имя text(20))",
        "INSERT INTO Табл (id, НачУзел, Длина, Флаг, Имя) VALUES (1, 5, 12.75, True, 'узел')",
        "INSERT INTO Табл (id, НачУзел, Длина, Флаг, Имя) VALUES (2, Null, Null, False, 'O''Brien')",
    });
    Database db;
    db.open(p);
    auto t = db.query("SELECT * FROM Табл ORDER BY id");
    ASSERT_EQ(t->recordCount(), 2);
    EXPECT_EQ(t->value("НачУзел").toInt(), 5);
    EXPECT_DOUBLE_EQ(t->value("Длина").toDouble(), 12.75);
    EXPECT_EQ(t->value("Флаг").toBool(), true);
    EXPECT_EQ(t->value("Имя").toString(), "узел");
    t->next();
    EXPECT_TRUE(t->isNull("НачУзел"));
    EXPECT_EQ(t->value("Флаг").toBool(), false);
    EXPECT_EQ(t->value("Имя").toString(), "O'Brien");
    EXPECT_THROW(db.exec("SELEKT nothing"), DatabaseError);
    EXPECT_THROW(db.exec("INSERT INTO Нет VALUES (1)"), DatabaseError);
}

TEST_F(DatabaseTest, CompactWritesAWholeCopyAndLeavesTheSourceAlone) {
    QString p = makeDb("src.mdb", {"CREATE TABLE t (a integer)", "INSERT INTO t VALUES (7)"});
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray before = f.readAll();
    f.close();

    Database::compact(p, path("~$$.mdb"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    Database copy;
    copy.open(path("~$$.mdb"));
    EXPECT_EQ(copy.query("SELECT a FROM t")->value("a").toInt(), 7);

    EXPECT_THROW(Database::compact(p, path("~$$.mdb")), DatabaseError);  // target exists
    EXPECT_THROW(Database::create(p), DatabaseError);                    // file exists
}

TEST_F(DatabaseTest, ACommittedFileIsWholeOnDiskWhileStillOpen) {
    QString p = makeDb("open.mdb", {"CREATE TABLE t (a integer)"});
    Database db;
    db.open(p);
    db.begin();
    for (int i = 0; i < 100; ++i) db.exec(QStringLiteral("INSERT INTO t VALUES (%1)").arg(i));
    db.commit();
    ASSERT_TRUE(QFile::copy(p, path("copy.mdb")));
    Database copy;
    copy.open(path("copy.mdb"));
    EXPECT_EQ(copy.query("SELECT count(*) AS n FROM t")->value("n").toInt(), 100);
}

TEST_F(DatabaseTest, RollbackUndoesTheWholeTransaction) {
    QString p = makeDb("tx.mdb", {"CREATE TABLE t (a integer)", "INSERT INTO t VALUES (1)"});
    Database db;
    db.open(p);
    db.begin();
    db.exec("DELETE FROM t");
    db.begin();  // nested: counted, the outer one decides
    db.exec("INSERT INTO t VALUES (2)");
    db.commit();
    EXPECT_TRUE(db.inTransaction());
    db.rollback();
    auto t = db.query("SELECT a FROM t");
    ASSERT_EQ(t->recordCount(), 1);
    EXPECT_EQ(t->value("a").toInt(), 1);
}

TEST_F(DatabaseTest, AnInnerRollbackUndoesTheWholeAndTheOuterCommitSaysSo) {
    QString p = makeDb("inner.mdb", {"CREATE TABLE t (a integer)", "INSERT INTO t VALUES (1)"});
    Database db;
    db.open(p);
    db.begin();
    db.exec("INSERT INTO t VALUES (2)");
    {
        Transaction inner(db);
        db.exec("INSERT INTO t VALUES (3)");
    }  // left without commit
    db.exec("INSERT INTO t VALUES (4)");
    EXPECT_THROW(db.commit(), DatabaseError);
    EXPECT_FALSE(db.inTransaction());
    EXPECT_TRUE(sqlite3_get_autocommit(db.handle()));
    EXPECT_EQ(db.query("SELECT count(*) AS n FROM t")->value("n").toInt(), 1);

    // The next transaction starts afresh and commits.
    Transaction next(db);
    db.exec("INSERT INTO t VALUES (5)");
    next.commit();
    EXPECT_EQ(db.query("SELECT count(*) AS n FROM t")->value("n").toInt(), 2);
}

TEST_F(DatabaseTest, ARefusedCommitLeavesNoTransactionOpen) {
    // A deferred foreign key makes the engine refuse the COMMIT itself.
    QString p = makeDb("refused.mdb", {"CREATE TABLE parent (id integer PRIMARY KEY)",
                                       "CREATE TABLE child (p integer REFERENCES parent(id) DEFERRABLE INITIALLY DEFERRED)"});
    Database db;
    db.open(p);
    db.exec("PRAGMA foreign_keys=ON");
    {
        Transaction tx(db);
        db.exec("INSERT INTO child VALUES (5)");
        EXPECT_THROW(tx.commit(), DatabaseError);
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_TRUE(sqlite3_get_autocommit(db.handle()));
    EXPECT_EQ(db.query("SELECT count(*) AS n FROM child")->value("n").toInt(), 0);
    Transaction again(db);
    db.exec("INSERT INTO parent VALUES (1)");
    again.commit();
    Database other;
    other.open(p);
    EXPECT_EQ(other.query("SELECT count(*) AS n FROM parent")->value("n").toInt(), 1);
}

TEST_F(DatabaseTest, AGuardRollsBackUnlessCommitted) {
    QString p = makeDb("guard.mdb", {"CREATE TABLE t (a integer)"});
    Database db;
    db.open(p);
    try {
        Transaction tx(db);
        db.exec("INSERT INTO t VALUES (1)");
        throw DatabaseError("stop");
    } catch (const DatabaseError&) {
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(db.query("SELECT count(*) AS n FROM t")->value("n").toInt(), 0);
}

// --- Names in built statements ---------------------------------------------------

// The engine's refusals of a row in the program's words.
struct RefusalCase {
    const char* label;
    const char* statement;
    const char* message;
};

class Refusal : public DatabaseTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, IsSaidInTheProgramsWords) {
    Database db;
    db.open(makeDb("refusals.mdb", {"CREATE TABLE [Узлы] ([Nуз] smallint PRIMARY KEY, [Высота] float NOT NULL, "
                                    "[Доля] float CHECK ([Доля] <= 1))",
                                    "INSERT INTO [Узлы] VALUES (1, 100, 0.5)"}));
    try {
        db.exec(QString::fromUtf8(GetParam().statement));
        FAIL() << "accepted";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(GetParam().message))) << e.message().toStdString();
        EXPECT_FALSE(e.message().contains("constraint failed")) << e.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Constraints, Refusal,
    ::testing::Values(RefusalCase{"Unique", "INSERT INTO [Узлы] VALUES (1, 90, 0.1)",
                                  "В таблице \"Узлы\" уже есть запись с тем же значением поля \"Nуз\"."},
                      RefusalCase{"NotNull", "INSERT INTO [Узлы] VALUES (2, NULL, 0.1)",
                                  "Поле \"Высота\" таблицы \"Узлы\" должно быть заполнено."},
                      RefusalCase{"Check", "UPDATE [Узлы] SET [Доля] = 2",
                                  "Значение не удовлетворяет условию таблицы: "}),
    [](const ::testing::TestParamInfo<RefusalCase>& i) { return std::string(i.param.label); });

// A row refused by its key names the values it was to store, yes/no ones in words.
TEST_F(DatabaseTest, ARowWithATakenKeyNamesItsValues) {
    Database db;
    db.open(makeDb("keys.mdb", {"CREATE TABLE [Изм] ([Nуз] smallint, [ТрПр] bit, [Напор] float, PRIMARY KEY ([Nуз], [ТрПр]))",
                                "INSERT INTO [Изм] VALUES (8, 1, 6)"}));
    Table t(db, QStringLiteral("Изм"));
    t.open();
    t.append();
    t.setValue(QStringLiteral("Nуз"), 8);
    t.setValue(QStringLiteral("ТрПр"), true);
    t.setValue(QStringLiteral("Напор"), 2);
    try {
        t.post();
        FAIL() << "stored";
    } catch (const DuplicateKeyError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Запись не сохранена: в таблице \"Изм\" уже есть запись со значениями "
                                              "Nуз = 8, ТрПр = Да."));
    }
}

struct NameCase {
    const char* label;
    const char* name;
    const char* quoted;
};

class QuotedName : public ::testing::TestWithParam<NameCase> {};

TEST_P(QuotedName, IsReadAsANameInEveryStatement) {
    const QString name = QString::fromUtf8(GetParam().name);
    const QString q = quoteIdentifier(name);
    EXPECT_EQ(q, QString::fromUtf8(GetParam().quoted));
    QTemporaryDir dir;
    const QString file = dir.filePath("names.mdb");
    Database::create(file);
    Database db;
    db.open(file);
    db.prepare("CREATE TABLE " + q + " (id integer PRIMARY KEY, " + q + " float)")->run();
    auto ins = db.prepare("INSERT INTO " + q + " (id, " + q + ") VALUES (?1, ?2)");
    ins->bind(1, qint64(1));
    ins->bind(2, 2.5);
    ins->run();
    auto upd = db.prepare("UPDATE " + q + " SET " + q + " = ?1 WHERE id = ?2");
    upd->bind(1, 7.25);
    upd->bind(2, qint64(1));
    upd->run();
    Table t(db, name);
    t.open();
    ASSERT_EQ(t.fieldCount(), 2);
    EXPECT_EQ(t.fields()[1].name, name);
    EXPECT_DOUBLE_EQ(t.value(1).toDouble(), 7.25);
    t.setValue(1, 9.5);
    t.post();
    t.append();
    t.setValue(0, 2);
    t.post();
    t.remove();
    t.requery();
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_DOUBLE_EQ(t.value(1).toDouble(), 9.5);
}

INSTANTIATE_TEST_SUITE_P(
    Names, QuotedName,
    ::testing::Values(NameCase{"Order", "Order", "\"Order\""}, NameCase{"Select", "Select", "\"Select\""},
                      NameCase{"Group", "Group", "\"Group\""}, NameCase{"Table", "Table", "\"Table\""},
                      NameCase{"Cyrillic", "ДлНаУчПод", "\"ДлНаУчПод\""},
                      NameCase{"DoubleQuote", "a\"b", "\"a\"\"b\""},
                      NameCase{"ClosingBracket", "x]y", "\"x]y\""}, NameCase{"Space", "a b", "\"a b\""}),
    [](const ::testing::TestParamInfo<NameCase>& i) { return std::string(i.param.label); });

}  // namespace
