#include "store/file_commands.h"

#include "store/command.h"
#include "store/controls_pause.h"
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/records.h"
#include "store/reference_books.h"
#include "store/scratch_lock.h"
#include "store/startup.h"
#include "store/user_folders.h"

#include <QFile>
#include <QFileInfo>
#include <functional>

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
    ControlsPause pause(app.dm.atTabl, true);
    SohranitDannie(app);
}

// The person's choice of a file for a command, as every file command makes it.
struct FileChoice {
    QString title;
    QString setting;         // the settings column whose file's folder the dialog starts in
    bool save = false;       // a file to write (asked before replacing); else one to open, which must exist
    QString context;         // the error context of the checks after the name rule
    QString programFolderRefusal;  // told for a name in the program folder
    // The command's own checks before and after that refusal; true: refused (the person was told).
    std::function<bool(const QString&)> refusedBefore, refusedAfter;
    QString initialDir;      // the dialog's folder when not the setting's
    QString chosen;          // a name chosen elsewhere (a recent file): no dialog, the same checks
};

// The file dialog, the name rule, the refusal of the program folder, the
// command's own checks and, for a file to write, the question before an
// existing file is replaced; each step under its error context. Empty when the
// person cancels or the name is refused.
QString chooseFile(App& app, ErrorContext& ctx, const FileChoice& c) {
    Person& person = app.person();
    QString name = c.chosen;
    if (name.isEmpty()) {
        ctx = c.save ? QStringLiteral("Ошибка при открытии диалога записи файла.")
                     : QStringLiteral("Ошибка при открытии диалога открытия файла.");
        // Calculations are chosen where the last one was, never in the program folder.
        const QString dir = !c.initialDir.isEmpty()             ? c.initialDir
                            : c.setting == QStringLiteral("ФайлГР") ? calculationDialogFolder(app)
                                                                  : folderOf(setting(app, c.setting));
        name = c.save ? person.saveFileName(c.title, kDatabaseFilter, dir) : person.openFileName(c.title, kDatabaseFilter, dir);
        if (name.isEmpty()) return {};
    }

    ctx = c.save ? QStringLiteral("Ошибка при проверке имени сохраняемого файла.")
                 : QStringLiteral("Ошибка при проверке имени открываемого файла.");
    name = applyNameRule(name);

    ctx = c.context;
    if (!c.save && !fileExists(name)) {
        person.message(QStringLiteral("Файл ") + name + QStringLiteral(" не существует."));
        return {};
    }
    if (c.refusedBefore && c.refusedBefore(name)) return {};
    if (!c.programFolderRefusal.isEmpty() && inProgramFolder(app.programDir(), name)) {
        person.message(c.programFolderRefusal);
        return {};
    }
    if (c.refusedAfter && c.refusedAfter(name)) return {};
    if (c.save && fileExists(name) && !person.ask(replaceQuestion(name))) return {};
    return name;
}

const QString kCalcInProgramFolder = QStringLiteral("Нельзя создать файл гидравлического расчета в папке, в которую "
                                                    "установлена программа. Выберите другую папку.");

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

        const QString name = chooseFile(app, ctx,
                                        {QStringLiteral("Создать новый расчет"), QStringLiteral("ФайлГР"), true,
                                         QStringLiteral("Ошибка при создании файла гидравлического расчета."),
                                         kCalcInProgramFolder});
        if (name.isEmpty()) return;
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

namespace {

// "Открыть расчет" with the dialog, or for a name chosen elsewhere.
void openCalculationNamed(App& app, const QString& chosen) {
    runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = kSaveContext;
        commitEdits(app);

        FileChoice choice{
            QStringLiteral("Открыть расчет"), QStringLiteral("ФайлГР"), false,
            QStringLiteral("Ошибка при записи имени файла гидравлического расчета в базу данных настроек."),
            QStringLiteral("Нельзя открыть файл гидравлического расчета из папки, в которую установлена программа. "
                           "Выберите другую папку.")};
        choice.chosen = chosen;
        const QString name = chooseFile(app, ctx, choice);
        if (name.isEmpty()) return;
        writeSetting(app, QStringLiteral("ФайлГР"), name);

        ctx = QStringLiteral("Ошибка при открытии файла гидравлического расчета.");
        OtkritFaili(app);
    });
}

}  // namespace

void openCalculation(App& app) { openCalculationNamed(app, QString()); }

void openCalculationFile(App& app, const QString& name) {
    if (!name.isEmpty()) openCalculationNamed(app, name);
}

void saveCalculationAs(App& app) {
    if (!app.dm.acGR.isOpen()) return;
    Person& person = app.person();
    runReported(person, [&](ErrorContext& ctx) {
        ctx = kSaveContext;
        commitEdits(app);

        FileChoice choice{QStringLiteral("Сохранить расчет как..."), QStringLiteral("ФайлГР"), true,
                          QStringLiteral("Ошибка при создании файла гидравлического расчета."), kCalcInProgramFolder};
        // The open file under any other spelling is the same file: copying it
        // onto itself would empty it.
        choice.refusedAfter = [&](const QString& name) {
            if (name.compare(setting(app, QStringLiteral("ФайлГР")), Qt::CaseInsensitive) != 0 &&
                !sameFile(name, app.dm.acGR.path()))
                return false;
            person.message(QStringLiteral("Для сохранения файла гидравлического расчета под тем же именем "
                                          "выберите команду Файл \\ Сохранить."));
            return true;
        };
        const QString name = chooseFile(app, ctx, choice);
        if (name.isEmpty()) return;
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
        FileChoice choice{QStringLiteral("Открыть справочники"), QStringLiteral("ФайлСпр"), false,
                          QStringLiteral("Ошибка при записи имени файла со справочниками в базу данных настроек.")};
        // From the program folder only its own reference book.
        choice.refusedBefore = [&](const QString& name) {
            if (!inProgramFolder(app.programDir(), name) ||
                QFileInfo(name).fileName().toUpper() == QLatin1String("SPR.MDB"))
                return false;
            person.message(QStringLiteral("Из папки, в которую установлена программа, можно открыть только файл "
                                          "справочников Spr.mdb."));
            return true;
        };
        const QString name = chooseFile(app, ctx, choice);
        if (name.isEmpty()) return;
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
        // A program folder the program cannot write to holds a read-only book:
        // its copy goes to the user's data folder unless the person chooses otherwise.
        const QString current = setting(app, QStringLiteral("ФайлСпр"));
        const bool readOnlyBook = referenceBookReadOnly(app);
        const QString writableCopies = app.workDir() + QLatin1Char('/');
        FileChoice choice{QStringLiteral("Сохранить справочники как..."), QStringLiteral("ФайлСпр"), true,
                          QStringLiteral("Ошибка при создании файла справочников."),
                          QStringLiteral("Нельзя создать файл справочников в папке, в которую установлена программа. "
                                         "Выберите другую папку.")};
        if (app.workDirMoved())
            choice.programFolderRefusal += QStringLiteral(" Изменяемую копию справочников можно сохранить в папке ") +
                                           writableCopies + QLatin1Char('.');
        if (readOnlyBook) choice.initialDir = writableCopies;
        auto sameBook = [&](const QString& name) {
            app.enterProgramDir();
            return name.compare(current, Qt::CaseInsensitive) == 0 || sameFile(name, app.dm.acSpr.path());
        };
        choice.refusedBefore = [&](const QString& name) {
            if (!readOnlyBook || !sameBook(name)) return false;
            person.message(QStringLiteral("Файл справочников ") + app.dm.acSpr.path() +
                           QStringLiteral(" доступен только для чтения. Сохраните изменяемую копию справочников "
                                          "в другой папке, например в ") +
                           writableCopies + QLatin1Char('.'));
            return true;
        };
        choice.refusedAfter = [&](const QString& name) {
            if (!sameBook(name)) return false;
            person.message(QStringLiteral("После завершения редактирования база данных справочников сохраняется "
                                          "автоматически. Команда Файл \\ Сохранить справочники как... "
                                          "используется только для сохранения базы данных справочников под другим "
                                          "именем."));
            return true;
        };
        const QString name = chooseFile(app, ctx, choice);
        if (name.isEmpty()) return;
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
