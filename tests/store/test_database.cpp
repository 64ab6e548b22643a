#include "store/database.h"
#include "store/errors.h"
#include "store/table.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

struct TranslateCase {
    const char* jet;
    const char* sqlite;
};

class TranslateTest : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(TranslateTest, DoubleQuotedLiteralsBecomeSingleQuoted) {
    EXPECT_EQ(Database::translate(QString::fromUtf8(GetParam().jet)), QString::fromUtf8(GetParam().sqlite));
}

INSTANTIATE_TEST_SUITE_P(Dialect, TranslateTest,
    ::testing::Values(
        TranslateCase{"select НаимПок from ФлыПредопрПок where НаимПокСокр=\"РасхПод\";",
                      "select НаимПок from ФлыПредопрПок where НаимПокСокр='РасхПод';"},
        TranslateCase{"UPDATE Табл SET Примечание='O''Brien \"x\"' WHERE id=1",
                      "UPDATE Табл SET Примечание='O''Brien \"x\"' WHERE id=1"},
        TranslateCase{"INSERT INTO t VALUES(\"it's\")", "INSERT INTO t VALUES('it''s')"},
        TranslateCase{"SELECT [a\"b] FROM [Заг]", "SELECT [a\"b] FROM [Заг]"},
        TranslateCase{"INSERT INTO t VALUES(\"say \"\"hi\"\"\")", "INSERT INTO t VALUES('say \"hi\"')"}));

TEST_F(DatabaseTest, TheSystemsDialectIsUnderstood) {
    QString p = makeDb("d.mdb", {
        "CREATE TABLE [Табл] (id integer PRIMARY KEY, НачУзел smallint, Длина float, Флаг bit, Имя text(20))",
        "INSERT INTO Табл (id, НачУзел, Длина, Флаг, Имя) VALUES (1, 5, 12.75, True, \"узел\")",
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

}  // namespace
