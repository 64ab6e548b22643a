// Files from elsewhere and places the program cannot write: the engine's
// defensive settings on every connection, calculations holding triggers,
// the work folder of a program folder that is not writable, the scratch files
// of another running copy, and messages that keep their cause.
#include "store/errors.h"
#include "store/file_commands.h"
#include "store/scratch_lock.h"
#include "tests/store/store_harness.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sqlite3.h>

using namespace volm;
using namespace volm::test;

namespace {

using FileSafety = StoreHarness;

TEST_F(FileSafety, EveryConnectionIsDefensive) {
    const QString path = folder.data(QStringLiteral("any.mdb"));
    Database::create(path);
    Database db;
    db.open(path);
    auto pragma = [&](const char* name) {
        auto st = db.prepare(QString::fromUtf8(name));
        return st->step() ? st->column(0).toInt() : -1;
    };
    EXPECT_EQ(pragma("PRAGMA trusted_schema"), 0);
    db.exec(QStringLiteral("CREATE TABLE t (a)"));
    // The schema cannot be rewritten by hand, and no extension is loaded.
    db.exec(QStringLiteral("PRAGMA writable_schema = ON"));
    EXPECT_THROW(db.exec(QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE TABLE t (b)' WHERE name = 't'")),
                 DatabaseError);
    EXPECT_THROW(db.exec(QStringLiteral("SELECT load_extension('libm.so.6')")), DatabaseError);
    int on = -1;
    sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_DEFENSIVE, -1, &on);
    EXPECT_EQ(on, 1);
}

// A calculation or a settings file holding a trigger is refused before any
// write of the program could set it off.
TEST_F(FileSafety, AFileHoldingATriggerIsRefused) {
    struct Case {
        const char* table;  // watched by the trigger
        const char* role;   // what the file was to be opened as
        bool settings;
    };
    for (const Case& c : {Case{"Заг", "как расчет", false}, Case{"Настройки", "как файл настроек", true}}) {
        SCOPED_TRACE(c.role);
        SetUp();  // a program not yet started
        calc = folder.newCalculation(QStringLiteral("calc%1.mdb").arg(int(c.settings)));
        const QString file = c.settings ? folder.file(QStringLiteral("Nastr.mdb")) : calc;
        folder.setSetting(QStringLiteral("ФайлГР"), calc);
        execOn(file, {QStringLiteral("CREATE TABLE Журнал (a)"),
                      QStringLiteral("CREATE TRIGGER Следить AFTER UPDATE ON ") + QString::fromUtf8(c.table) +
                          QStringLiteral(" BEGIN INSERT INTO Журнал VALUES (1); END")});
        const QByteArray before = fileBytes(file);
        EXPECT_FALSE(startUp(*app));
        EXPECT_FALSE(app->dm.acGR.isOpen());
        ASSERT_FALSE(person.messages.isEmpty());
        EXPECT_TRUE(person.messages.last().contains(QStringLiteral("триггер \"Следить\" и не может быть открыт ") +
                                                    QString::fromUtf8(c.role)))
            << person.messages.last().toStdString();
        app.reset();
        EXPECT_EQ(fileBytes(file), before);
    }
}

// A damaged reference book is named as such, not as the calculation.
TEST_F(FileSafety, AFileThatCannotBeOpenedIsNamed) {
    calc = folder.newCalculation(QStringLiteral("calc.mdb"));
    const QString ref = folder.data(QStringLiteral("spr.mdb"));
    {
        QFile f(ref);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("SQLite format 3\0", 16) + QByteArray(3000, 'z'));
    }
    folder.setSetting(QStringLiteral("ФайлГР"), calc);
    folder.setSetting(QStringLiteral("ФайлСпр"), ref);
    EXPECT_FALSE(startUp(*app));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("Файл справочников ") + ref + QStringLiteral(": ")))
        << person.messages[0].toStdString();
}

TEST_F(FileSafety, QuotedStatementsAreCut) {
    const QString path = folder.data(QStringLiteral("any.mdb"));
    Database::create(path);
    Database db;
    db.open(path);
    QString longSql = QStringLiteral("CREATE TABLE t (");
    for (int i = 0; i < 3000; ++i) longSql += QStringLiteral("[колонка%1] float, ").arg(i);
    longSql += QStringLiteral("[колонка0] float)");
    try {
        db.exec(longSql);
        FAIL() << "accepted";
    } catch (const DatabaseError& e) {
        EXPECT_LT(e.message().size(), 500) << e.message().size();
        EXPECT_TRUE(e.message().contains(QStringLiteral("CREATE TABLE t ([колонка0] float")));
    }
}

// Another copy started from the same folder: its start-up fails on the locked
// scratch database and its shutdown leaves the first copy's text alone.
TEST_F(FileSafety, ASecondCopyLeavesTheFirstCopysScratchTextAlone) {
    startWithCalculation();
    QFile text(folder.file(QStringLiteral("~$.tx_")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("the first copy's text");
    text.close();

    FakePerson secondPerson;
    {
        App second(folder.path(), secondPerson);
        EXPECT_FALSE(startUp(second));
        shutDown(second);
    }
    EXPECT_EQ(fileBytes(folder.file(QStringLiteral("~$.tx_"))), QByteArray("the first copy's text"));
    EXPECT_TRUE(isLocked(folder.file(QStringLiteral("~$.mdb"))));
    EXPECT_TRUE(shutDown(*app));
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("~$.tx_"))));
}

// A program folder the program cannot write to: the settings are copied once
// to the work folder and used there, the scratch files live there, and the
// program folder is never written.
TEST_F(FileSafety, AWorkFolderTakesTheSettingsAndScratchFiles) {
    QTemporaryDir home;
    const QString work = home.filePath(QStringLiteral("ВОЛМ"));
    calc = folder.newCalculation(QStringLiteral("calc.mdb"));
    folder.setSetting(QStringLiteral("ФайлГР"), calc);
    const QStringList programFiles = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray settings = fileBytes(folder.file(QStringLiteral("Nastr.mdb")));

    app->setWorkDir(work);
    ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(app->dm.acGR.isOpen());
    EXPECT_TRUE(app->dm.acSpr.isOpen());  // the reference book still read from the program folder
    EXPECT_TRUE(isLocked(work + QStringLiteral("/~$.mdb")));
    writeSetting(*app, QStringLiteral("РШрифтаВТД"), 14);
    EXPECT_TRUE(shutDown(*app));
    app.reset();

    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), programFiles);
    EXPECT_EQ(fileBytes(folder.file(QStringLiteral("Nastr.mdb"))), settings);
    EXPECT_EQ(fileValue(work + QStringLiteral("/Nastr.mdb"), QStringLiteral("SELECT РШрифтаВТД FROM Настройки")).toInt(), 14);
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("Nastr.mdb")}));

    // The next start uses the copy made before.
    FakePerson again;
    App next(folder.path(), again);
    next.setWorkDir(work);
    ASSERT_TRUE(startUp(next));
    EXPECT_EQ(readFontSizes(next).data, 14);
    EXPECT_TRUE(shutDown(next));
}

TEST_F(FileSafety, AWritableProgramFolderIsItsOwnWorkFolder) {
    EXPECT_EQ(chooseWorkDir(folder.path()), folder.path());
    startWithCalculation();
    EXPECT_EQ(app->workDir(), folder.path());
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("~$.mdb"))));
}

TEST_F(FileSafety, AReadOnlyReferenceBookIsSavedToTheWorkFolder) {
    QTemporaryDir home;
    calc = folder.newCalculation(QStringLiteral("calc.mdb"));
    folder.setSetting(QStringLiteral("ФайлГР"), calc);
    app->setWorkDir(home.path());
    ASSERT_TRUE(startUp(*app));

    // The same book: where a writable copy goes.
    person.fileNames = {folder.file(QStringLiteral("Spr.mdb"))};
    saveReferenceBookAs(*app);
    ASSERT_EQ(person.dialogs.size(), 1u);
    EXPECT_EQ(person.dialogs[0].initialDir, home.path() + QLatin1Char('/'));
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(QStringLiteral("только для чтения"))) << person.messages[0].toStdString();
    EXPECT_TRUE(person.messages[0].contains(home.path())) << person.messages[0].toStdString();

    // Another name of the program folder.
    person.clear();
    person.fileNames = {folder.file(QStringLiteral("Другой.mdb"))};
    saveReferenceBookAs(*app);
    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].contains(home.path())) << person.messages[0].toStdString();
    EXPECT_TRUE(shutDown(*app));
}

TEST_F(FileSafety, ASettingsCopyThatFailsSaysSo) {
    QTemporaryDir home;
    const QString to = home.filePath(QStringLiteral("Nastr.mdb"));
    ASSERT_TRUE(QDir().mkpath(to + QStringLiteral(".part/x")));  // the place of the copy is taken
    try {
        copySettingsFile(folder.file(QStringLiteral("Nastr.mdb")), to);
        FAIL() << "copied";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Не удается скопировать файл ") +
                                           folder.file(QStringLiteral("Nastr.mdb"))))
            << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(to));
}

}  // namespace
