#include "store/file_ops.h"

#include "store/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace volm {

namespace {

QString systemError(int err) { return systemErrorText(err); }

}  // namespace

QString systemErrorText(int err) {
    if (err == ENOSPC || err == EDQUOT) return QStringLiteral("Недостаточно места на диске.");
    return QString::fromLocal8Bit(std::strerror(err));
}

QString applyNameRule(const QString& name) {
    if (name.size() < 4 || name.right(4).toUpper() != QLatin1String(".MDB")) return name + QStringLiteral(".mdb");
    return name;
}

QString folderOf(const QString& path) { return path.left(path.lastIndexOf(QLatin1Char('/')) + 1); }

bool inProgramFolder(const QString& programDir, const QString& fileName) {
    const QString slashed = programDir.endsWith(QLatin1Char('/')) ? programDir : programDir + QLatin1Char('/');
    if (folderOf(fileName) == slashed) return true;
    const QString path = QDir(programDir).absoluteFilePath(fileName);
    const QString a = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    const QString b = QFileInfo(programDir).canonicalFilePath();
    if (!a.isEmpty() && a == b) return true;
    // A hard link elsewhere to one of the folder's files is that file.
    struct stat st {};
    if (b.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_nlink < 2)
        return false;
    const QDir folder(b);
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (sameFile(path, folder.filePath(entry))) return true;
    return false;
}

void blockCopy(const QString& from, const QString& to, const std::function<void(qint64)>& onBlock) {
    QFile src(from);
    if (!src.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Не удается открыть файл ") + from + QStringLiteral(": ") + src.errorString());
    QFile dst(to);
    if (!dst.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw FileError(QStringLiteral("Не удается создать файл ") + to + QStringLiteral(": ") + dst.errorString());
    for (;;) {
        const QByteArray block = src.read(kCopyBlock);
        if (block.isEmpty()) {
            if (src.error() != QFileDevice::NoError)
                throw FileError(QStringLiteral("Ошибка чтения файла ") + from + QStringLiteral(": ") + src.errorString());
            break;
        }
        if (dst.write(block) != block.size())
            throw FileError(QStringLiteral("Ошибка записи файла ") + to + QStringLiteral(": ") + dst.errorString());
        if (onBlock) onBlock(block.size());
    }
    if (!dst.flush())
        throw FileError(QStringLiteral("Ошибка записи файла ") + to + QStringLiteral(": ") + dst.errorString());
    dst.close();
    src.close();
}

void replaceFile(const QString& from, const QString& to) {
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (std::rename(src.constData(), dst.constData()) == 0) return;
    const int err = errno;
    if (err == EXDEV) {
        // Another file system: write a copy beside the target, then rename it over.
        QFile in(from);
        QSaveFile out(to);
        int cause = 0;  // errno of the first failure, before anything else runs
        bool ok = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly);
        if (!ok) cause = errno;
        while (ok) {
            const QByteArray block = in.read(kCopyBlock);
            if (block.isEmpty()) {
                ok = in.error() == QFileDevice::NoError;
                if (!ok) cause = errno;
                break;
            }
            ok = out.write(block) == block.size();
            if (!ok) cause = errno;
        }
        if (ok) {
            ok = out.commit();
            if (!ok) cause = errno;
        }
        if (ok) {
            QFile::remove(from);
            return;
        }
        // The reason is taken before the cancel, which has words of its own.
        const QString reason = cause ? systemErrorText(cause)
                               : in.error() != QFileDevice::NoError ? in.errorString()
                                                                    : out.errorString();
        out.cancelWriting();
        throw FileError(QStringLiteral("Не удалось заменить файл ") + to + QStringLiteral(" файлом ") + from +
                        QStringLiteral(": ") + reason);
    }
    throw FileError(QStringLiteral("Не удалось заменить файл ") + to + QStringLiteral(" файлом ") + from +
                    QStringLiteral(": ") + systemError(err));
}

bool sameFile(const QString& a, const QString& b) {
    struct stat sa {}, sb {};
    if (a.isEmpty() || b.isEmpty() || ::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace volm
