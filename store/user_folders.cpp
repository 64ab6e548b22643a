#include "store/user_folders.h"

#include "store/file_ops.h"
#include "store/startup.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace volm {

namespace {

QString withSlash(QString dir) {
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

}  // namespace

QString documentsFolder(const App& app) {
    QString dir = app.documentsDir;
    if (dir.isEmpty()) {
        // A desktop without a documents folder (a bare account) falls back to home,
        // so that the file dialogs never open in the program folder.
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QDir::homePath();
    }
    return withSlash(QDir::cleanPath(dir));
}

bool underProgramFolder(const App& app, const QString& path) {
    const QString program = withSlash(QDir::cleanPath(QFileInfo(app.programDir()).absoluteFilePath()));
    const QString folder = withSlash(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    return folder.startsWith(program);
}

QString calculationDialogFolder(App& app) {
    const QVariant v = goToSettingsRow(app).value(QStringLiteral("ФайлГР"));
    const QString current = v.isNull() ? QString() : v.toString();
    const QString folder = folderOf(current);
    if (!folder.isEmpty() && QFileInfo(folder).isDir() && !underProgramFolder(app, folder)) return folder;
    return documentsFolder(app);
}

}  // namespace volm
