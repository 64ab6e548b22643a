#include "store/examples.h"

#include "store/command.h"
#include "store/errors.h"
#include "store/file_commands.h"
#include "store/file_ops.h"
#include "store/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace volm {

namespace {

// The calculation's name read without touching the file (opened read-only).
QString calculationTitle(const QString& path) {
    sqlite3* db = nullptr;
    QString title;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT НазвРасч FROM НазвРасч LIMIT 1", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            title = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return title.trimmed();
}

}  // namespace

std::vector<Example> shippedExamples(const App& app) {
    std::vector<Example> out;
    const QDir dir(app.programDir() + QStringLiteral("/examples"));
    for (const QFileInfo& fi : dir.entryInfoList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name)) {
        Example e{fi.absoluteFilePath(), calculationTitle(fi.absoluteFilePath())};
        if (e.title.isEmpty()) e.title = fi.fileName();
        out.push_back(e);
    }
    return out;
}

QString freeFileName(const QString& folder, const QString& fileName) {
    const QDir dir(folder);
    if (!QFileInfo::exists(dir.filePath(fileName))) return dir.filePath(fileName);
    const QFileInfo fi(fileName);
    const QString stem = fi.completeBaseName();
    const QString suffix = fi.suffix().isEmpty() ? QString() : QLatin1Char('.') + fi.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = dir.filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

QString openExample(App& app, const QString& examplePath) {
    QString copy;
    const bool copied = runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при копировании примера расчета.");
        const QString folder = documentsFolder(app);
        if (!QDir().mkpath(folder))
            throw FileError(QStringLiteral("Не удается создать папку ") + folder + QLatin1Char('.'));
        const QString target = freeFileName(folder, QFileInfo(examplePath).fileName());
        blockCopy(examplePath, target);
        // The shipped file may be read-only; the copy is the user's to change.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        copy = target;
    });
    if (!copied) return {};
    openCalculationFile(app, copy);
    return copy;
}

}  // namespace volm
