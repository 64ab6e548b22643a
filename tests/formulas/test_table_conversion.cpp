// A rebuild over columns declared with other types (a table re-created by
// another tool): the values are kept in the expected type, or the rebuild
// stops naming the column and the first row, and the file stays as it was.
#include "tests/formulas/catalogue_fixtures.h"

#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/errors.h"

#include <gtest/gtest.h>
#include <QFile>

using namespace volm;
using namespace volm::test;

namespace {

struct TableConversion : FormulaHarness {
    // A fresh calculation with two sections (the earlier one, if any, dropped).
    void begin() {
        app = std::make_unique<App>(folder.path(), person);
        if (!calc.isEmpty()) QFile::remove(calc);
        start(1, {userIndicator(QStringLiteral("Ду"), true, true)});
        exec({"INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, Ду, Примечание) VALUES (7, 1, 2, 100.5, 200, 'первый')",
              "INSERT INTO Табл (id, НачУзел, КонУзел, РасхПод, Ду) VALUES (3, 2, 3, 40, 150)"});
    }
    // Табл made again with the declared types another tool would give it.
    void redeclare(const QStringList& extra = {}) {
        QStringList defs;
        for (const QString& c : columns(QStringLiteral("Табл"))) {
            QString type = QStringLiteral("REAL");
            if (c == QStringLiteral("id")) type = QStringLiteral("INTEGER PRIMARY KEY");
            else if (c == QStringLiteral("НачУзел") || c == QStringLiteral("КонУзел")) type = QStringLiteral("INT");
            else if (c == QStringLiteral("Ду")) type = QStringLiteral("integer");
            else if (c == QStringLiteral("Примечание") || c == QStringLiteral("Заполн_Уч")) type = QStringLiteral("TEXT");
            defs << QStringLiteral("[%1] %2").arg(c, type);
        }
        QStringList statements{QStringLiteral("ALTER TABLE Табл RENAME TO Старая"),
                               QStringLiteral("CREATE TABLE Табл (") + defs.join(QStringLiteral(", ")) + QLatin1Char(')'),
                               QStringLiteral("INSERT INTO Табл SELECT * FROM Старая"), QStringLiteral("DROP TABLE Старая")};
        exec(statements + extra);
        // The program opens the file anew and sees the new declarations.
        app->dm.atTabl->close();
        app->dm.atTabl->open();
    }
    QString declared(const QString& column) {
        return rows(QStringLiteral("SELECT type FROM pragma_table_info('Табл') WHERE name = '%1'").arg(column)).value(0);
    }
    void rebuild() {
        ASSERT_TRUE(ProveritFormuli(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
        NastroitStrukturuTablic(*app);
    }
};

TEST_F(TableConversion, OtherDeclaredTypesKeepEveryValue) {
    begin();
    redeclare();
    rebuild();
    EXPECT_EQ(declared(QStringLiteral("НачУзел")), QStringLiteral("smallint"));
    EXPECT_EQ(declared(QStringLiteral("Ду")), QStringLiteral("float"));
    EXPECT_EQ(rows(QStringLiteral("SELECT id, НачУзел, КонУзел, РасхПод, Ду, typeof(Ду), Примечание FROM Табл ORDER BY id")),
              QStringList({"3|2|3|40|150|real|∅", "7|1|2|100.5|200|real|первый"}));
    EXPECT_EQ(app->dm.atTabl->rowCount(), 2);
}

// A value the expected type cannot hold: the message names the column and the
// first such row (in file order), and nothing of the file changes, the header
// table rebuilt before it included.
TEST_F(TableConversion, AnUnconvertibleValueStopsTheRebuildAndChangesNothing) {
    struct Case {
        const char* what;
        const char* update;
        const char* column;
        const char* row;
    } cases[] = {
        {"text in a number column", "UPDATE Табл SET Ду = 'двести' WHERE id = 3", "\"Ду\"", "строке 1"},
        {"a fraction in a node column", "UPDATE Табл SET НачУзел = 2.5 WHERE id = 7", "\"НачУзел\"", "строке 2"},
        {"a node number out of range", "UPDATE Табл SET КонУзел = 70000 WHERE id = 7", "\"КонУзел\"", "строке 2"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        begin();
        redeclare({QString::fromUtf8(k.update),
                   QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (4, 'Новый', 'Нов', False, True, Null, True)")});
        const QStringList zag = columns(QStringLiteral("Заг"));
        const QStringList types = rows(QStringLiteral("SELECT name, type FROM pragma_table_info('Табл')"));
        const QStringList data = rows(QStringLiteral("SELECT * FROM Табл ORDER BY rowid"));
        ASSERT_TRUE(ProveritFormuli(*app));
        try {
            NastroitStrukturuTablic(*app);
            ADD_FAILURE() << "the rebuild went through";
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(k.column))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(k.row))) << e.message().toStdString();
        }
        EXPECT_EQ(columns(QStringLiteral("Заг")), zag);
        EXPECT_EQ(rows(QStringLiteral("SELECT name, type FROM pragma_table_info('Табл')")), types);
        EXPECT_EQ(rows(QStringLiteral("SELECT * FROM Табл ORDER BY rowid")), data);
        EXPECT_FALSE(app->dm.acGR.inTransaction());
        EXPECT_FALSE(app->dm.acGR.hasTable(QStringLiteral("Табл~$")));
    }
}

}  // namespace
