#include "commands/text_saving.h"

#include "store/app.h"
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/scratch_lock.h"
#include "store/startup.h"
#include "store/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace volm::calc {

QString textFileName(const QString& chosen) {
    if (chosen.size() < 4 || chosen.right(4).toUpper() != QStringLiteral(".TXT")) return chosen + QStringLiteral(".txt");
    return chosen;
}

namespace {

// A new empty file of the pattern's folder, left in place.
QString freshFile(const QString& pattern) {
    QTemporaryFile f(pattern);
    f.setAutoRemove(false);
    if (!f.open())
        throw FileError(QStringLiteral("Не удается создать временный файл в папке ") +
                        QFileInfo(pattern).absolutePath() + QStringLiteral(". ") + f.errorString());
    return f.fileName();
}

}  // namespace

QString textScratchPath(const App& app, const QString& target) {
    if (!target.isEmpty()) {
        const QFileInfo t(target);
        return freshFile(t.absolutePath() + QStringLiteral("/~$") + t.fileName() + QStringLiteral(".XXXXXX"));
    }
    if (app.scratchLock && app.scratchLock->holdsFile()) return app.workPath(kCalcText);
    return freshFile(app.workPath(QStringLiteral("~$XXXXXX.tx_")));
}

void moveCalcText(const QString& tempPath, const QString& target) {
    // The text keeps the permissions of the file it replaces (a new one gets
    // the usual ones rather than the temporary file's private ones).
    const QFileInfo old(target);
    QFile::setPermissions(tempPath, old.exists() ? old.permissions()
                                                 : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                       QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // One rename over the old file: a failed move leaves the old file as it was.
    replaceFile(tempPath, target);
}

QString offerCalcTextSave(App& app, const QString& tempPath) {
    Person& person = app.person();
    QString f = person.saveFileName(QStringLiteral("Сохранить текст расчета как..."),
                                    QStringLiteral("Текстовый документ (*.txt)|*.txt"),
                                    calculationDialogFolder(app));
    if (f.isEmpty()) return {};
    f = textFileName(f);
    if (inProgramFolder(app.programDir(), f)) {
        person.message(QStringLiteral("Нельзя сохранить текст расчета в папку, в которую установлена программа."));
        return {};
    }
    if (QFileInfo::exists(f) &&
        !person.ask(QStringLiteral("Файл \"") + f + QStringLiteral("\" уже существует. Заменить его?")))
        return {};
    moveCalcText(tempPath, f);
    return f;
}

}  // namespace volm::calc
