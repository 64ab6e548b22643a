// The file commands for calculations and reference books: name rule, program
// folder test, refusals and questions, copies, compaction.
#include "store/errors.h"
#include "store/file_commands.h"
#include "store/file_ops.h"
#include "store/records.h"
#include "tests/store/store_harness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace volm;
using namespace volm::test;

namespace {

// --- Commands ------------------------------------------------------------------

struct FileCommands : StoreHarness {
    int lockFd = -1;
    ~FileCommands() override {
        if (lockFd >= 0) ::close(lockFd);
    }

    QString setting(const char* column) {
        app->dm.atNastr->first();
        return app->dm.atNastr->value(QString::fromUtf8(column)).toString();
    }
    // Every file of both folders with its bytes (the scratch database aside).
    QMap<QString, QByteArray> snapshot() {
        QMap<QString, QByteArray> m;
        for (const QString& dir : {folder.path(), folder.dataDir()})
            for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden))
                if (f != "~$.mdb") m[dir + "/" + f] = fileBytes(dir + "/" + f);
        return m;
    }
    void holdLock(const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        lockFd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        ASSERT_EQ(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
    }
    void copyTo(const QString& from, const QString& to) { ASSERT_TRUE(QFile::copy(from, to)); }
};

const QString kNewCalcInProgFolder = QStringLiteral(
    "Нельзя создать файл гидравлического расчета в папке, в которую установлена программа. Выберите другую папку.");
const QString kSameCalcName =
    QStringLiteral("Для сохранения файла гидравлического расчета под тем же именем выберите команду Файл \\ Сохранить.");
const QString kCompactQuestion = QStringLiteral(
    "Перед выполнением операции сжатия рекомендуется создать резервную копию сжимаемой базы. Выполнить сжатие?");

QString replaceQuestion(const QString& name) { return "Файл \"" + name + "\" уже существует. Заменить его?"; }

struct RefusalCase {
    const char* name;
    void (*command)(App&);
    std::function<void(FileCommands&)> arrange;  // files, dialog names, answers
    std::function<QStringList(FileCommands&)> messages;
    std::function<QStringList(FileCommands&)> questions = {};
};

class Refusals : public FileCommands, public ::testing::WithParamInterface<RefusalCase> {};

// A refusal, a No or a Cancel leaves files, settings and the open calculation
// as they were.
TEST_P(Refusals, ChangeNothing) {
    const RefusalCase& c = GetParam();
    startWithCalculation();
    const QString ref = folder.data("ref.mdb");
    copyTo(folder.file("Spr.mdb"), ref);
    app->dm.atNastr->first();
    app->dm.atNastr->setValue("ФайлСпр", ref);
    app->dm.atNastr->post();
    OtkritFaili(*app);
    c.arrange(*this);
    const auto before = snapshot();
    const QString calcSetting = setting("ФайлГР"), refSetting = setting("ФайлСпр");

    c.command(*app);
    EXPECT_EQ(person.messages, c.messages(*this));
    EXPECT_EQ(person.questions, c.questions ? c.questions(*this) : QStringList());
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(setting("ФайлГР"), calcSetting);
    EXPECT_EQ(setting("ФайлСпр"), refSetting);
    EXPECT_TRUE(app->dm.acGR.isOpen());
    EXPECT_EQ(app->dm.acGR.path(), calc);
    EXPECT_TRUE(app->dm.acSpr.isOpen());
}

QStringList none(FileCommands&) { return {}; }

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(
        RefusalCase{"NewCancelled", newCalculation, [](FileCommands&) {}, none},
        RefusalCase{"NewInProgramFolder", newCalculation,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.file("новый")}; },
                    [](FileCommands&) { return QStringList{kNewCalcInProgFolder}; }},
        RefusalCase{"NewOverExistingAnsweredNo", newCalculation,
                    [](FileCommands& f) {
                        f.copyTo(f.folder.file("Spr.mdb"), f.folder.data("есть.mdb"));
                        f.person.fileNames = {f.folder.data("есть")};
                        f.person.answers = {false};
                    },
                    none, [](FileCommands& f) { return QStringList{replaceQuestion(f.folder.data("есть.mdb"))}; }},
        RefusalCase{"NewWithTooLargeTemplate", newCalculation,
                    [](FileCommands& f) {
                        QFile t(f.folder.file("GidrRas.mdb"));
                        ASSERT_TRUE(t.resize(500001));
                        f.person.fileNames = {f.folder.data("новый.mdb")};
                    },
                    [](FileCommands&) {
                        return QStringList{"Слишком большой размер файла GidrRas.mdb. Для исправления данной ошибки "
                                           "требуется переустановка программы."};
                    }},
        RefusalCase{"OpenMissing", openCalculation,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.data("нет")}; },
                    [](FileCommands& f) { return QStringList{"Файл " + f.folder.data("нет.mdb") + " не существует."}; }},
        RefusalCase{"OpenAFolder", openCalculation,
                    [](FileCommands& f) {
                        ASSERT_TRUE(QDir(f.folder.dataDir()).mkdir("папка.mdb"));
                        f.person.fileNames = {f.folder.data("папка.mdb")};
                    },
                    [](FileCommands& f) {
                        return QStringList{"Файл " + f.folder.data("папка.mdb") + " не существует."};
                    }},
        RefusalCase{"OpenFromProgramFolder", openCalculation,
                    [](FileCommands& f) {
                        f.copyTo(f.calc, f.folder.file("второй.mdb"));
                        f.person.fileNames = {f.folder.file("второй.mdb")};
                    },
                    [](FileCommands&) {
                        return QStringList{"Нельзя открыть файл гидравлического расчета из папки, в которую "
                                           "установлена программа. Выберите другую папку."};
                    }},
        RefusalCase{"SaveAsInProgramFolder", saveCalculationAs,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.file("копия")}; },
                    [](FileCommands&) { return QStringList{kNewCalcInProgFolder}; }},
        RefusalCase{"SaveAsSameNameOtherCase", saveCalculationAs,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.data("CALC.MDB")}; },
                    [](FileCommands&) { return QStringList{kSameCalcName}; }},
        RefusalCase{"SaveAsSameFileOtherSpelling", saveCalculationAs,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.dataDir() + "/./calc.mdb"}; },
                    [](FileCommands&) { return QStringList{kSameCalcName}; }},
        RefusalCase{"SaveAsOverExistingAnsweredNo", saveCalculationAs,
                    [](FileCommands& f) {
                        f.copyTo(f.folder.file("Spr.mdb"), f.folder.data("есть.mdb"));
                        f.person.fileNames = {f.folder.data("есть.mdb")};
                    },
                    none, [](FileCommands& f) { return QStringList{replaceQuestion(f.folder.data("есть.mdb"))}; }},
        RefusalCase{"CompactAnsweredNo", compactCalculation, [](FileCommands&) {}, none,
                    [](FileCommands&) { return QStringList{kCompactQuestion}; }},
        RefusalCase{"CompactTargetLocked", compactCalculation,
                    [](FileCommands& f) {
                        f.holdLock(f.folder.file("~$$.mdb"));
                        f.person.answers = {true};
                    },
                    [](FileCommands& f) {
                        return QStringList{"Файл " + f.folder.path() + "/~$$.mdb не может быть удален. Возможно он "
                                           "занят другим приложением. Сжатие не выполнено."};
                    },
                    [](FileCommands&) { return QStringList{kCompactQuestion}; }},
        RefusalCase{"ReferenceOpenCancelled", openReferenceBook, [](FileCommands&) {}, none},
        RefusalCase{"ReferenceOpenMissing", openReferenceBook,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.data("нет.MDB")}; },
                    [](FileCommands& f) { return QStringList{"Файл " + f.folder.data("нет.MDB") + " не существует."}; }},
        RefusalCase{"ReferenceOpenAFolder", openReferenceBook,
                    [](FileCommands& f) {
                        ASSERT_TRUE(QDir(f.folder.dataDir()).mkdir("папка.mdb"));
                        f.person.fileNames = {f.folder.data("папка.mdb")};
                    },
                    [](FileCommands& f) {
                        return QStringList{"Файл " + f.folder.data("папка.mdb") + " не существует."};
                    }},
        RefusalCase{"ReferenceOpenOtherFileInProgramFolder", openReferenceBook,
                    [](FileCommands& f) {
                        f.copyTo(f.folder.file("Spr.mdb"), f.folder.file("Spr2.mdb"));
                        f.person.fileNames = {f.folder.file("Spr2.mdb")};
                    },
                    [](FileCommands&) {
                        return QStringList{"Из папки, в которую установлена программа, можно открыть только файл "
                                           "справочников Spr.mdb."};
                    }},
        RefusalCase{"ReferenceSaveAsInProgramFolder", saveReferenceBookAs,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.file("Spr")}; },
                    [](FileCommands&) {
                        return QStringList{"Нельзя создать файл справочников в папке, в которую установлена "
                                           "программа. Выберите другую папку."};
                    }},
        RefusalCase{"ReferenceSaveAsItself", saveReferenceBookAs,
                    [](FileCommands& f) { f.person.fileNames = {f.folder.data("REF.mdb")}; },
                    [](FileCommands&) {
                        return QStringList{
                            "После завершения редактирования база данных справочников сохраняется автоматически. "
                            "Команда Файл \\ Сохранить справочники как... используется только для сохранения базы "
                            "данных справочников под другим именем."};
                    }},
        RefusalCase{"ReferenceCompactAnsweredNo", compactReferenceBook, [](FileCommands&) {}, none,
                    [](FileCommands&) { return QStringList{kCompactQuestion}; }}),
    [](const ::testing::TestParamInfo<RefusalCase>& i) { return std::string(i.param.name); });

// A folder carrying the chosen name is no file to replace: nothing is asked, the
// file cannot be made, and the report names the step; the open files stay open.
TEST_F(FileCommands, AFolderOfTheChosenNameIsNotOfferedForReplacement) {
    startWithCalculation();
    ASSERT_TRUE(QDir(folder.dataDir()).mkdir("папка.mdb"));
    const struct {
        void (*command)(App&);
        const char* context;
    } cases[] = {{newCalculation, "Ошибка при создании файла гидравлического расчета."},
                 {saveCalculationAs, "Ошибка при создании файла гидравлического расчета."},
                 {saveReferenceBookAs, "Ошибка при создании файла справочников."}};
    for (const auto& c : cases) {
        person.clear();
        person.fileNames = {folder.data("папка")};
        person.answers = {true};
        c.command(*app);
        EXPECT_TRUE(person.questions.isEmpty()) << c.context;
        ASSERT_EQ(person.messages.size(), 1) << c.context;
        EXPECT_TRUE(person.messages[0].startsWith(QString::fromUtf8(c.context) + "\r\rКласс ошибки: \"EInOutError\"\r"))
            << person.messages[0].toStdString();
        EXPECT_EQ(setting("ФайлГР"), calc);
        EXPECT_TRUE(QFileInfo(folder.data("папка.mdb")).isDir());
        EXPECT_TRUE(app->dm.acGR.isOpen());
        EXPECT_TRUE(app->dm.acSpr.isOpen());
    }
}

TEST_F(FileCommands, NewCalculationCopiesTheTemplateAndOpensIt) {
    startWithCalculation();
    person.fileNames = {folder.data("второй")};
    newCalculation(*app);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join('\n').toStdString();
    ASSERT_EQ(person.dialogs.size(), 1u);
    EXPECT_TRUE(person.dialogs[0].save);
    EXPECT_EQ(person.dialogs[0].title, "Создать новый расчет");
    EXPECT_EQ(person.dialogs[0].filter, "База данных (*.mdb)|*.mdb");
    EXPECT_EQ(person.dialogs[0].initialDir, folder.dataDir() + "/");
    const QString made = folder.data("второй.mdb");
    EXPECT_EQ(setting("ФайлГР"), made);
    EXPECT_EQ(app->dm.acGR.path(), made);
    EXPECT_EQ(opened, 2);  // the window takes its caption from the settings then
    app.reset();
    EXPECT_EQ(fileBytes(made), fileBytes(folder.file("GidrRas.mdb")));
}

struct TemplateSizeCase {
    const char* name;
    qint64 size;
    bool copied;
};

class TemplateSize : public FileCommands, public ::testing::WithParamInterface<TemplateSizeCase> {};

TEST_P(TemplateSize, UpTo500000BytesIsCopied) {
    ASSERT_TRUE(startUp(*app));  // no calculation open
    QFile t(folder.file("GidrRas.mdb"));
    ASSERT_TRUE(t.open(QIODevice::WriteOnly | QIODevice::Truncate));
    t.write(QByteArray(GetParam().size, 'T'));
    t.close();
    person.fileNames = {folder.data("новый.mdb")};
    newCalculation(*app);
    EXPECT_EQ(QFile::exists(folder.data("новый.mdb")), GetParam().copied);
    ASSERT_EQ(person.messages.size(), 1);
    if (GetParam().copied) {
        EXPECT_EQ(fileBytes(folder.data("новый.mdb")), QByteArray(GetParam().size, 'T'));
        EXPECT_EQ(setting("ФайлГР"), folder.data("новый.mdb"));
        // The copy is no database: its opening is reported.
        EXPECT_TRUE(person.messages[0].startsWith("Ошибка при открытии созданного файла гидравлического расчета.\r"));
        EXPECT_FALSE(app->dm.acGR.isOpen());
    } else {
        EXPECT_TRUE(person.messages[0].startsWith("Слишком большой размер файла GidrRas.mdb."));
        EXPECT_TRUE(setting("ФайлГР").isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TemplateSize,
                         ::testing::Values(TemplateSizeCase{"Exactly500000", 500000, true},
                                           TemplateSizeCase{"Over500000", 500001, false}),
                         [](const ::testing::TestParamInfo<TemplateSizeCase>& i) { return std::string(i.param.name); });

// Replacing the open calculation by a new one: its connection lets go of the
// file before the template is written over it.
TEST_F(FileCommands, NewOverTheOpenCalculationStartsAfresh) {
    startWithCalculation({"INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (1, 0, 1)"});
    person.fileNames = {calc};
    person.answers = {true};
    newCalculation(*app);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join('\n').toStdString();
    EXPECT_EQ(person.questions, QStringList{replaceQuestion(calc)});
    ASSERT_TRUE(app->dm.acGR.isOpen());
    EXPECT_EQ(app->dm.atTabl->recordCount(), 0);
}

TEST_F(FileCommands, OpenCommitsEditsThenSwitches) {
    startWithCalculation();
    const QString other = folder.newCalculation("другой.mdb");
    execOn(other, {"UPDATE НазвРасч SET НазвРасч='Другой'"});
    editors.typed = HeaderTexts{"Первый", {}, {}};
    person.fileNames = {other};
    openCalculation(*app);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_EQ(person.dialogs[0].title, "Открыть расчет");
    EXPECT_FALSE(person.dialogs[0].save);
    EXPECT_EQ(setting("ФайлГР"), other);
    EXPECT_EQ(storedHeader(*app).calcName, "Другой");
    EXPECT_EQ(fileValue(calc, "SELECT НазвРасч FROM НазвРасч").toString(), "Первый");
}

TEST_F(FileCommands, SaveAsCopiesTheCommittedFileAndSwitchesToTheCopy) {
    startWithCalculation();
    editors.typed = HeaderTexts{"Копия", {}, {}};
    app->dm.atZag->setValue("ПНапНаУзПод", 42.0);
    person.fileNames = {folder.data("копия")};
    saveCalculationAs(*app);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join('\n').toStdString();
    EXPECT_EQ(person.dialogs[0].title, "Сохранить расчет как...");
    const QString copy = folder.data("копия.mdb");
    EXPECT_EQ(setting("ФайлГР"), copy);
    EXPECT_EQ(app->dm.acGR.path(), copy);
    EXPECT_EQ(fileValue(copy, "SELECT НазвРасч FROM НазвРасч").toString(), "Копия");
    EXPECT_DOUBLE_EQ(fileValue(copy, "SELECT ПНапНаУзПод FROM Заг").toDouble(), 42.0);
    EXPECT_EQ(fileValue(calc, "SELECT НазвРасч FROM НазвРасч").toString(), "Копия");
}

TEST_F(FileCommands, SaveCommitsPendingEdits) {
    startWithCalculation();
    app->dm.atZag->setValue("МинТВоды", 70.0);
    app->dm.atTabl->disableControls();
    saveCalculation(*app);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_DOUBLE_EQ(fileValue(calc, "SELECT МинТВоды FROM Заг").toDouble(), 70.0);
    EXPECT_FALSE(app->dm.atTabl->controlsDisabled());  // fully resumed
}

TEST_F(FileCommands, CompactionShrinksTheFileInPlace) {
    QStringList fill;
    for (int i = 1; i <= 1500; ++i)
        fill << QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, Примечание) VALUES (%1, %1, %2, '%3')")
                    .arg(i).arg(i + 1).arg(QString(100, 'x'));
    fill << "DELETE FROM Табл WHERE id > 3";
    startWithCalculation(fill);
    const qint64 before = QFileInfo(calc).size();
    person.answers = {true};
    compactCalculation(*app);
    EXPECT_EQ(person.messages, QStringList{"Сжатие выполнено."});
    EXPECT_LT(QFileInfo(calc).size(), before / 4);
    EXPECT_FALSE(QFile::exists(folder.file("~$$.mdb")));
    ASSERT_TRUE(app->dm.acGR.isOpen());
    EXPECT_EQ(app->dm.atTabl->recordCount(), 3);
}

// The folder of the calculation refuses the rename: the original stays whole,
// the failure is reported, and the calculation is open again.
TEST_F(FileCommands, FailedReplacementKeepsTheOriginal) {
    ASSERT_TRUE(QDir(folder.dataDir()).mkdir("locked"));
    const QString dir = folder.data("locked");
    calc = dir + "/calc.mdb";
    copyTo(folder.file("GidrRas.mdb"), calc);
    execOn(calc, {"INSERT INTO Табл (id, НачУзел, КонУзел) VALUES (1, 0, 1)"});
    folder.setSetting("ФайлГР", calc);
    ASSERT_TRUE(startUp(*app));
    const QByteArray original = fileBytes(calc);

    // Immutable for root, read-only for anyone else.
    const QByteArray native = QFile::encodeName(dir);
    int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool immutable = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                     [&] { int f = flags | FS_IMMUTABLE_FL; return ::ioctl(fd, FS_IOC_SETFLAGS, &f) == 0; }();
    bool readOnly = !immutable && ::geteuid() != 0 && ::chmod(native.constData(), 0555) == 0;
    auto restore = [&] {
        if (immutable) ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        if (readOnly) ::chmod(native.constData(), 0755);
        if (fd >= 0) ::close(fd);
        immutable = readOnly = false;
        fd = -1;
    };
    if (!immutable && !readOnly) {
        restore();
        GTEST_SKIP() << "cannot make a folder refuse a rename here";
    }
    person.answers = {true};
    compactCalculation(*app);
    restore();

    ASSERT_EQ(person.messages.size(), 1);
    EXPECT_TRUE(person.messages[0].startsWith("Ошибка при выполнении сжатия.\r\rКласс ошибки: \"EInOutError\"\r"))
        << person.messages[0].toStdString();
    EXPECT_EQ(fileBytes(calc), original);
    EXPECT_FALSE(QFile::exists(folder.file("~$$.mdb")));
    ASSERT_TRUE(app->dm.acGR.isOpen());
    EXPECT_EQ(app->dm.atTabl->recordCount(), 1);
}

TEST_F(FileCommands, ReferenceNamedSprInProgramFolderIsAcceptedInAnyCase) {
    startWithCalculation({"UPDATE НазвРасч SET РасчетВыполнен=True"});
    ASSERT_TRUE(app->RasVip);
    copyTo(folder.file("Spr.mdb"), folder.file("spr.mdb"));
    person.fileNames = {folder.file("spr.mdb")};
    openReferenceBook(*app);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join('\n').toStdString();
    EXPECT_EQ(person.dialogs[0].title, "Открыть справочники");
    EXPECT_EQ(person.dialogs[0].initialDir, "");  // "Spr.mdb" names no folder
    EXPECT_EQ(setting("ФайлСпр"), folder.file("spr.mdb"));
    EXPECT_EQ(app->dm.acSpr.path(), folder.file("spr.mdb"));
    // Lookups may give other values now: the calculation is no longer done.
    EXPECT_FALSE(app->RasVip);
    EXPECT_FALSE(fileValue(calc, "SELECT РасчетВыполнен FROM НазвРасч").toBool());
}

TEST_F(FileCommands, ReferenceOpenedWithoutCalculationIsOnlyRemembered) {
    ASSERT_TRUE(startUp(*app));
    const QString ref = folder.data("ref.mdb");
    copyTo(folder.file("Spr.mdb"), ref);
    person.fileNames = {ref};
    openReferenceBook(*app);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_EQ(setting("ФайлСпр"), ref);
    EXPECT_FALSE(app->dm.acSpr.isOpen());
}

TEST_F(FileCommands, ReferenceSaveAsCopiesAndSwitches) {
    startWithCalculation();
    person.fileNames = {folder.data("мой")};
    saveReferenceBookAs(*app);
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join('\n').toStdString();
    EXPECT_EQ(person.dialogs[0].title, "Сохранить справочники как...");
    EXPECT_EQ(setting("ФайлСпр"), folder.data("мой.mdb"));
    EXPECT_EQ(app->dm.acSpr.path(), folder.data("мой.mdb"));
    EXPECT_EQ(fileBytes(folder.data("мой.mdb")), fileBytes(folder.file("Spr.mdb")));
}

TEST_F(FileCommands, ReferenceCompactionResolvesANameWithoutFolder) {
    startWithCalculation();
    person.answers = {true};
    QDir::setCurrent(folder.dataDir());
    compactReferenceBook(*app);
    EXPECT_EQ(person.messages, QStringList{"Сжатие выполнено."});
    EXPECT_TRUE(app->dm.acSpr.isOpen());
    EXPECT_FALSE(QFile::exists(folder.data("Spr.mdb")));
    EXPECT_EQ(fileValue(folder.file("Spr.mdb"), "SELECT count(*) FROM ДиамТрПр").toInt(), 2);
}

TEST_F(FileCommands, CommandsNeedingAnOpenFileDoNothingWithoutOne) {
    ASSERT_TRUE(startUp(*app));
    for (auto command : {saveCalculationAs, compactCalculation, saveReferenceBookAs, compactReferenceBook})
        command(*app);
    EXPECT_TRUE(person.messages.isEmpty());
    EXPECT_TRUE(person.questions.isEmpty());
    EXPECT_TRUE(person.dialogs.empty());
}

}  // namespace

namespace {

// Start-up stopped at the settings file: the commands report instead of failing.
TEST_F(FileCommands, WithoutSettingsTheCommandsReport) {
    QFile::remove(folder.file("Nastr.mdb"));
    EXPECT_FALSE(startUp(*app));
    person.clear();
    person.fileNames = {folder.data("x.mdb"), folder.data("y.mdb")};
    openCalculation(*app);
    openReferenceBook(*app);
    ASSERT_EQ(person.messages.size(), 2);
    for (const QString& m : person.messages)
        EXPECT_TRUE(m.startsWith("Ошибка при открытии диалога открытия файла.\r\r")) << m.toStdString();
}

}  // namespace
