#include "calc/text_saving.h"

#include "store/app.h"
#include "store/errors.h"
#include "store/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace volm::calc {

QString textFileName(const QString& chosen) {
    if (chosen.size() < 4 || chosen.right(4).toUpper() != QStringLiteral(".TXT")) return chosen + QStringLiteral(".txt");
    return chosen;
}

bool inProgramFolder(const QString& fileName, const App& app) {
    const qsizetype cut = fileName.lastIndexOf(QLatin1Char('/'));
    const QString folder = fileName.left(cut + 1);
    if (folder == app.programDirSlash()) return true;
    // The same folder spelt otherwise. A relative name is taken from the
    // current directory, which the program keeps at its own folder.
    const QString dir = QFileInfo(QDir(app.programDir()).absoluteFilePath(fileName)).absolutePath();
    const QString a = QFileInfo(dir).canonicalFilePath();
    const QString b = QFileInfo(app.programDir()).canonicalFilePath();
    return !a.isEmpty() && a == b;
}

void moveCalcText(const QString& tempPath, const QString& target) {
    // One rename over the old file: a failed move leaves the old file as it was.
    replaceFile(tempPath, target);
}

QString offerCalcTextSave(App& app, const QString& tempPath) {
    Person& person = app.person();
    QString f = person.saveFileName(QStringLiteral("Сохранить текст расчета как..."),
                                    QStringLiteral("Текстовый документ (*.txt)|*.txt"), QString());
    if (f.isEmpty()) return {};
    f = textFileName(f);
    if (inProgramFolder(f, app)) {
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
