// Where the calculation dialogs start, and the copies of the shipped examples.
#include "store/examples.h"
#include "store/file_commands.h"
#include "store/user_folders.h"
#include "tests/store/store_harness.h"
#include "tests/support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace volm::test {
namespace {

struct UserFolders : StoreHarness {
    QTemporaryDir documents;

    void SetUp() override {
        StoreHarness::SetUp();
        app->documentsDir = documents.path();
    }
    QString docs() const { return documents.path() + QLatin1Char('/'); }
    // The start folder the three calculation dialogs were given.
    QStringList dialogFolders() {
        person.clear();
        newCalculation(*app);
        openCalculation(*app);
        saveCalculationAs(*app);
        QStringList out;
        for (const auto& d : person.dialogs) out << d.initialDir;
        return out;
    }
};

TEST_F(UserFolders, DialogsStartInTheFolderOfTheLastCalculation) {
    startWithCalculation();
    EXPECT_EQ(dialogFolders(), QStringList(3, folder.dataDir() + QLatin1Char('/')));
}

TEST_F(UserFolders, TheFirstTimeTheyStartInTheDocumentsFolder) {
    ASSERT_TRUE(startUp(*app));  // the settings name no calculation
    ASSERT_FALSE(app->dm.acGR.isOpen());
    person.clear();
    newCalculation(*app);
    openCalculation(*app);
    ASSERT_EQ(person.dialogs.size(), 2u);
    EXPECT_EQ(person.dialogs[0].initialDir, docs());
    EXPECT_EQ(person.dialogs[1].initialDir, docs());
}

// The program folder, a folder inside it and a folder that is gone all give
// the documents folder.
TEST_F(UserFolders, NeverTheProgramFolder) {
    startWithCalculation();
    QDir().mkpath(folder.file("examples"));
    for (const QString& named : {folder.file("calc.mdb"), folder.file("examples/calc.mdb"),
                                 folder.data("нет такой папки/calc.mdb")}) {
        writeSetting(*app, QStringLiteral("ФайлГР"), named);
        EXPECT_EQ(calculationDialogFolder(*app), docs()) << named.toStdString();
    }
    EXPECT_TRUE(underProgramFolder(*app, folder.file("examples/x.mdb")));
    EXPECT_FALSE(underProgramFolder(*app, folder.path() + QStringLiteral("-другая/x.mdb")));
}

// An account without a documents folder gets its home folder, not the
// current (program) folder the dialogs would fall back to.
TEST_F(UserFolders, WithoutADocumentsFolderTheHomeFolder) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    app->documentsDir.clear();
    const QString chosen = documentsFolder(*app);
    qputenv("HOME", oldHome);
    if (!oldConfig.isEmpty()) qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(chosen, QDir::cleanPath(home.path()) + QLatin1Char('/'));
}

TEST_F(UserFolders, FreeFileNames) {
    const QString dir = documents.path();
    EXPECT_EQ(freeFileName(dir, "пример.mdb"), dir + "/пример.mdb");
    QFile(dir + "/пример.mdb").open(QIODevice::WriteOnly);
    EXPECT_EQ(freeFileName(dir, "пример.mdb"), dir + "/пример (2).mdb");
    QFile(dir + "/пример (2).mdb").open(QIODevice::WriteOnly);
    EXPECT_EQ(freeFileName(dir, "пример.mdb"), dir + "/пример (3).mdb");
}

// "Открыть пример": a copy in the documents folder is opened; the shipped file
// stays as it is; a copy already there (the user's work) is kept and the next
// copy takes a free name.
TEST_F(UserFolders, AnExampleIsOpenedAsACopy) {
    startWithCalculation();
    QDir().mkpath(folder.file("examples"));
    const QString shipped = folder.file("examples/пример.mdb");
    ASSERT_TRUE(QFile::copy(calc, shipped));
    execOn(shipped, {QStringLiteral("UPDATE НазвРасч SET НазвРасч='Пример сети'")});
    QFile::setPermissions(shipped, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray original = fileBytes(shipped);

    const std::vector<Example> examples = shippedExamples(*app);
    ASSERT_EQ(examples.size(), 1u);
    EXPECT_EQ(examples[0].title, QStringLiteral("Пример сети"));

    const QString first = openExample(*app, examples[0].path);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join('\n').toStdString();
    EXPECT_EQ(first, docs() + "пример.mdb");
    EXPECT_EQ(app->dm.acGR.path(), first);
    EXPECT_TRUE(QFileInfo(first).isWritable());
    app->dm.acGR.exec(QStringLiteral("UPDATE НазвРасч SET НазвРасч='Моя работа'"));

    const QString second = openExample(*app, examples[0].path);
    EXPECT_EQ(second, docs() + "пример (2).mdb");
    EXPECT_EQ(app->dm.acGR.path(), second);
    EXPECT_EQ(fileValue(first, QStringLiteral("SELECT НазвРасч FROM НазвРасч")).toString(), "Моя работа");
    EXPECT_EQ(fileValue(second, QStringLiteral("SELECT НазвРасч FROM НазвРасч")).toString(), "Пример сети");
    app.reset();
    EXPECT_EQ(fileBytes(shipped), original);
}

TEST_F(UserFolders, OpeningANamedFileKeepsTheChecksOfOpen) {
    startWithCalculation();
    person.clear();
    openCalculationFile(*app, folder.data("нет.mdb"));
    EXPECT_EQ(person.messages, QStringList{"Файл " + folder.data("нет.mdb") + " не существует."});
    EXPECT_EQ(app->dm.acGR.path(), calc);
    QFile::copy(calc, folder.file("в программе.mdb"));
    person.clear();
    openCalculationFile(*app, folder.file("в программе"));
    EXPECT_EQ(person.messages, QStringList{"Нельзя открыть файл гидравлического расчета из папки, в которую "
                                           "установлена программа. Выберите другую папку."});
    const QString other = folder.newCalculation("другой.mdb");
    openCalculationFile(*app, other);
    EXPECT_EQ(app->dm.acGR.path(), other);
    EXPECT_TRUE(person.dialogs.empty());
}

}  // namespace
}  // namespace volm::test
