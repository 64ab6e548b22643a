#include "store/file_commands.h"

#include "store/command.h"
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/records.h"
#include "store/scratch_lock.h"
#include "store/startup.h"
#include "store/user_folders.h"

#include <QFile>
#include <QFileInfo>

namespace volm {

namespace {

const QString kCompactContext = QStringLiteral("Ошибка при выполнении сжатия.");
const QString kSaveContext = QStringLiteral("Ошибка при сохранении данных.");

QString replaceQuestion(const QString& name) {
    return QStringLiteral("Файл \"") + name + QStringLiteral("\" уже существует. Заменить его?");
}

// "The file exists": a file, not a folder that happens to carry the name.
bool fileExists(const QString& name) { return QFileInfo(name).isFile(); }

// A text column of the settings row; empty when null.
QString setting(App& app, const QString& column) {
    const QVariant v = goToSettingsRow(app).value(column);
    return v.isNull() ? QString() : v.toString();
}

// SohranitDannie with the section table's display updates suspended, fully
// resumed however it ends.
void commitEdits(App& app) {
    Table* sections = app.dm.atTabl.get();
    if (sections) sections->disableControls();
    Finally resume([&] {
        if (sections && app.dm.atTabl.get() == sections)
            while (sections->controlsDisabled()) sections->enableControls();
    });
    SohranitDannie(app);
}

// Before a file is written over: if it is the open calculation file or the open
// reference book, close them (OtkritFaili opens them again afterwards), so that
// no connection reads a file that changes under it.
void releaseIfOpen(App& app, const QString& target) {
    if (sameFile(target, app.dm.acGR.path()) || sameFile(target, app.dm.acSpr.path())) closeFiles(app);
}

// "Сжать расчет" and "Сжать справочники".
void compactFile(App& app, bool reference) {
    Database& connection = reference ? app.dm.acSpr : app.dm.acGR;
    if (!connection.isOpen()) return;
    Person& person = app.person();
    runReported(person, [&](ErrorContext& ctx) {
        ctx = kCompactContext;
        if (!person.ask(QStringLiteral("Перед выполнением операции сжатия рекомендуется создать резервную копию "
                                       "сжимаемой базы. Выполнить сжатие?")))
            return;
        app.enterProgramDir();
        const QString compactTarget = app.workPath(kCompactTarget);
        if (QFileInfo::exists(compactTarget) && !removeUnlessLocked(compactTarget)) {
            person.message(QStringLiteral("Файл ") + compactTarget +
                           QStringLiteral(" не может быть удален. Возможно он занят другим приложением. "
                                          "Сжатие не выполнено."));
            return;
        }
        if (reference)
            app.dm.closeReference();
        else
            app.dm.closeCalculation();
        const QString path = setting(app, reference ? QStringLiteral("ФайлСпр") : QStringLiteral("ФайлГР"));
        try {
            Database::compact(path, compactTarget);
            // The compacted copy takes the original's place in one rename; if
            // that fails the original is still there, whole.
            replaceFile(compactTarget, path);
        } catch (...) {
            // The original is whole (the compaction only reads it and the rename
            // either happened or did not): drop the copy and open the file again
            // rather than leave the program without its calculation.
            QFile::remove(compactTarget);
            try {
                OtkritFaili(app);
            } catch (...) {
            }
            throw;
        }
        OtkritFaili(app);
        person.message(QStringLiteral("Сжатие выполнено."));
    });
}

}  // namespace

bool inProgramFolder(const App& app, const QString& name) { return folderOf(name) == app.programDirSlash(); }

// --- Calculation files -------------------------------------------------------

void saveCalculation(App& app) {
    runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = kSaveContext;
        commitEdits(app);
    });
}

void newCalculation(App& app) {
    Person& person = app.person();
    runReported(person, [&](ErrorContext& ctx) {
        ctx = kSaveContext;
        commitEdits(app);

        ctx = QStringLiteral("Ошибка при открытии диалога записи файла.");
        QString name = person.saveFileName(QStringLiteral("Создать новый расчет"), kDatabaseFilter,
                                           calculationDialogFolder(app));
        if (name.isEmpty()) return;

        ctx = QStringLiteral("Ошибка при проверке имени сохраняемого файла.");
        name = applyNameRule(name);

        ctx = QStringLiteral("Ошибка при создании файла гидравлического расчета.");
        if (inProgramFolder(app, name)) {
            person.message(QStringLiteral("Нельзя создать файл гидравлического расчета в папке, в которую "
                                          "установлена программа. Выберите другую папку."));
            return;
        }
        if (fileExists(name) && !person.ask(replaceQuestion(name))) return;
        QFile templ(app.programDirSlash() + kTemplateFile);
        if (!templ.open(QIODevice::ReadOnly))
            throw FileError(QStringLiteral("Не удается открыть файл ") + templ.fileName() + QStringLiteral(": ") +
                            templ.errorString());
        if (templ.size() > kCopyBlock) {
            person.message(QStringLiteral("Слишком большой размер файла GidrRas.mdb. Для исправления данной "
                                          "ошибки требуется переустановка программы."));
            return;
        }
        const QByteArray content = templ.readAll();
        if (templ.error() != QFileDevice::NoError)
            throw FileError(QStringLiteral("Ошибка чтения файла ") + templ.fileName() + QStringLiteral(": ") +
                            templ.errorString());
        releaseIfOpen(app, name);
        QFile out(name);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw FileError(QStringLiteral("Не удается создать файл ") + name + QStringLiteral(": ") + out.errorString());
        if (out.write(content) != content.size() || !out.flush())
            throw FileError(QStringLiteral("Ошибка записи файла ") + name + QStringLiteral(": ") + out.errorString());
        out.close();

        ctx = QStringLiteral("Ошибка при открытии созданного файла гидравлического расчета.");
        writeSetting(app, QStringLiteral("ФайлГР"), name);
        OtkritFaili(app);
    });
}

// The steps of "Открыть расчет" after its dialog, for a chosen name.
static void openChosenCalculation(App& app, QString name, ErrorContext& ctx) {
    Person& person = app.person();
    ctx = QStringLiteral("Ошибка при проверке имени открываемого файла.");
    name = applyNameRule(name);

    ctx = QStringLiteral("Ошибка при записи имени файла гидравлического расчета в базу данных настроек.");
    if (!fileExists(name)) {
        person.message(QStringLiteral("Файл ") + name + QStringLiteral(" не существует."));
        return;
    }
    if (inProgramFolder(app, name)) {
        person.message(QStringLiteral("Нельзя открыть файл гидравлического расчета из папки, в которую "
                                      "установлена программа. Выберите другую папку."));
        return;
    }
    writeSetting(app, QStringLiteral("ФайлГР"), name);

    ctx = QStringLiteral("Ошибка при открытии файла гидравлического расчета.");
    OtkritFaili(app);
}

void openCalculation(App& app) {
    Person& person = app.person();
    runReported(person, [&](ErrorContext& ctx) {
        ctx = kSaveContext;
        commitEdits(app);

        ctx = QStringLiteral("Ошибка при открытии диалога открытия файла.");
        QString name = person.openFileName(QStringLiteral("Открыть расчет"), kDatabaseFilter,
                                           calculationDialogFolder(app));
        if (name.isEmpty()) return;
        openChosenCalculation(app, name, ctx);
    });
}

void openCalculationFile(App& app, const QString& name) {
    runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = kSaveContext;
        commitEdits(app);
        openChosenCalculation(app, name, ctx);
    });
}

void saveCalculationAs(App& app) {
    if (!app.dm.acGR.isOpen()) return;
    Person& person = app.person();
    runReported(person, [&](ErrorContext& ctx) {
        ctx = kSaveContext;
        commitEdits(app);

        ctx = QStringLiteral("Ошибка при открытии диалога записи файла.");
        const QString current = setting(app, QStringLiteral("ФайлГР"));
        QString name =
            person.saveFileName(QStringLiteral("Сохранить расчет как..."), kDatabaseFilter, calculationDialogFolder(app));
        if (name.isEmpty()) return;

        ctx = QStringLiteral("Ошибка при проверке имени сохраняемого файла.");
        name = applyNameRule(name);

        ctx = QStringLiteral("Ошибка при создании файла гидравлического расчета.");
        if (inProgramFolder(app, name)) {
            person.message(QStringLiteral("Нельзя создать файл гидравлического расчета в папке, в которую "
                                          "установлена программа. Выберите другую папку."));
            return;
        }
        // The open file under any other spelling is the same file: copying it
        // onto itself would empty it.
        if (name.compare(current, Qt::CaseInsensitive) == 0 || sameFile(name, app.dm.acGR.path())) {
            person.message(QStringLiteral("Для сохранения файла гидравлического расчета под тем же именем "
                                          "выберите команду Файл \\ Сохранить."));
            return;
        }
        if (fileExists(name) && !person.ask(replaceQuestion(name))) return;
        const QString source = app.dm.acGR.path();
        if (sameFile(name, app.dm.acSpr.path())) closeFiles(app);
        blockCopy(source, name);

        ctx = QStringLiteral("Ошибка при открытии созданного файла гидравлического расчета.");
        writeSetting(app, QStringLiteral("ФайлГР"), name);
        OtkritFaili(app);
    });
}

void compactCalculation(App& app) { compactFile(app, false); }

// --- Reference books ---------------------------------------------------------

void openReferenceBook(App& app) {
    Person& person = app.person();
    runReported(person, [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при открытии диалога открытия файла.");
        QString name = person.openFileName(QStringLiteral("Открыть справочники"), kDatabaseFilter,
                                           folderOf(setting(app, QStringLiteral("ФайлСпр"))));
        if (name.isEmpty()) return;

        ctx = QStringLiteral("Ошибка при проверке имени открываемого файла.");
        name = applyNameRule(name);

        ctx = QStringLiteral("Ошибка при записи имени файла со справочниками в базу данных настроек.");
        if (!fileExists(name)) {
            person.message(QStringLiteral("Файл ") + name + QStringLiteral(" не существует."));
            return;
        }
        if (inProgramFolder(app, name) && QFileInfo(name).fileName().toUpper() != QLatin1String("SPR.MDB")) {
            person.message(QStringLiteral("Из папки, в которую установлена программа, можно открыть только файл "
                                          "справочников Spr.mdb."));
            return;
        }
        UstanovitRasVip(app, false);
        writeSetting(app, QStringLiteral("ФайлСпр"), name);

        ctx = QStringLiteral("Ошибка при открытии файла со справочниками.");
        OtkritFaili(app);
    });
}

void saveReferenceBookAs(App& app) {
    if (!app.dm.acSpr.isOpen()) return;
    Person& person = app.person();
    runReported(person, [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при открытии диалога записи файла.");
        const QString current = setting(app, QStringLiteral("ФайлСпр"));
        // A program folder the program cannot write to holds a read-only book:
        // its copy goes to the user's data folder unless the person chooses otherwise.
        const bool bookInProgram = inProgramFolder(app, QFileInfo(app.dm.acSpr.path()).absoluteFilePath());
        const bool readOnlyBook = app.workDirMoved() && bookInProgram;
        const QString writableCopies = app.workDir() + QLatin1Char('/');
        QString name = person.saveFileName(QStringLiteral("Сохранить справочники как..."), kDatabaseFilter,
                                           readOnlyBook ? writableCopies : folderOf(current));
        if (name.isEmpty()) return;

        ctx = QStringLiteral("Ошибка при проверке имени сохраняемого файла.");
        name = applyNameRule(name);

        ctx = QStringLiteral("Ошибка при создании файла справочников.");
        app.enterProgramDir();
        const bool sameBook = name.compare(current, Qt::CaseInsensitive) == 0 || sameFile(name, app.dm.acSpr.path());
        if (sameBook && readOnlyBook) {
            person.message(QStringLiteral("Файл справочников ") + app.dm.acSpr.path() +
                           QStringLiteral(" доступен только для чтения. Сохраните изменяемую копию справочников "
                                          "в другой папке, например в ") +
                           writableCopies + QLatin1Char('.'));
            return;
        }
        if (inProgramFolder(app, name)) {
            QString text = QStringLiteral("Нельзя создать файл справочников в папке, в которую установлена "
                                          "программа. Выберите другую папку.");
            if (app.workDirMoved())
                text += QStringLiteral(" Изменяемую копию справочников можно сохранить в папке ") + writableCopies +
                        QLatin1Char('.');
            person.message(text);
            return;
        }
        app.enterProgramDir();
        if (sameBook) {
            person.message(QStringLiteral("После завершения редактирования база данных справочников сохраняется "
                                          "автоматически. Команда Файл \\ Сохранить справочники как... "
                                          "используется только для сохранения базы данных справочников под другим "
                                          "именем."));
            return;
        }
        if (fileExists(name) && !person.ask(replaceQuestion(name))) return;
        const QString source = app.dm.acSpr.path();
        if (sameFile(name, app.dm.acGR.path())) closeFiles(app);
        blockCopy(source, name);

        ctx = QStringLiteral("Ошибка при открытии созданного файла справочников.");
        writeSetting(app, QStringLiteral("ФайлСпр"), name);
        OtkritFaili(app);
    });
}

void compactReferenceBook(App& app) { compactFile(app, true); }

}  // namespace volm
