#include "commands/text_saving.h"

#include "store/app.h"
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/output_file.h"
#include "store/scratch_lock.h"
#include "store/startup.h"
#include "store/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace volm::calc {

QString textFileName(const QString& chosen) {
    if (chosen.size() < 4 || chosen.right(4).toUpper() != QStringLiteral(".TXT")) return chosen + QStringLiteral(".txt");
    return chosen;
}

QString textScratchPath(const App& app, const QString& target) {
    if (!target.isEmpty()) return scratchBeside(target);
    if (app.scratchLock && app.scratchLock->holdsFile()) return app.workPath(kCalcText);
    return newEmptyFile(app.workPath(QStringLiteral("~$XXXXXX.tx_")));
}

void moveCalcText(const QString& tempPath, const QString& target) { commitOutput(tempPath, target); }

QString offerCalcTextSave(App& app, const QString& tempPath) {
    Person& person = app.person();
    // The calculation's name with ".txt", in the folder the file dialogs open
    // (not the program folder, where the text may not go).
    const QString folder = calculationDialogFolder(app);
    const QString proposed =
        QDir(folder).filePath(QFileInfo(proposedOutputName(app.dm.acGR.path(), QStringLiteral(".txt"))).fileName());
    QString f = person.saveFileName(QStringLiteral("Сохранить текст расчета как..."),
                                    QStringLiteral("Текстовый документ (*.txt)|*.txt"),
                                    app.dm.acGR.path().isEmpty() ? folder : proposed);
    if (f.isEmpty()) return {};
    // A bare name is taken in the program folder, the current one of the window.
    f = QDir(app.programDir()).absoluteFilePath(textFileName(f));
    const QString destination = outputDestination(f);
    if (const QString why = refusedOutputTarget(protectedFiles(app), OutputKind::Text, f, destination);
        !why.isEmpty()) {
        person.message(why);
        return {};
    }
    if (QFileInfo::exists(f) &&
        !person.ask(QStringLiteral("Файл \"") + f + QStringLiteral("\" уже существует. Заменить его?")))
        return {};
    moveCalcText(tempPath, destination);
    return f;
}

}  // namespace volm::calc
