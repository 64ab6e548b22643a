#include "store/scratch_lock.h"

#include "store/errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace volm {

namespace {

QByteArray nativeName(const QString& path) { return QFile::encodeName(path); }

bool pathExists(const QByteArray& name) {
    struct stat st;
    return ::lstat(name.constData(), &st) == 0;
}

bool sameFile(int fd, const QByteArray& name) {
    struct stat a, b;
    if (::fstat(fd, &a) != 0 || ::stat(name.constData(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

ScratchLock::ScratchLock(const QString& path) : path_(QFileInfo(path).absoluteFilePath()) {
    const QByteArray name = nativeName(path_);
    fd_ = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0)
        throw FileError(QStringLiteral("Не удается открыть файл ") + path_ + QStringLiteral(": ") +
                        QString::fromLocal8Bit(std::strerror(errno)));
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        release();
        throw FileError(QStringLiteral("Файл ") + path_ + QStringLiteral(" занят другой копией программы."));
    }
    // Between the creation of the file and this lock another copy may have
    // deleted it and made its own: then the lock holds nothing.
    if (!sameFile(fd_, name)) {
        release();
        throw FileError(QStringLiteral("Файл ") + path_ + QStringLiteral(" заменен другой копией программы."));
    }
}

ScratchLock::~ScratchLock() { release(); }

bool ScratchLock::holdsFile() const { return fd_ >= 0 && sameFile(fd_, nativeName(path_)); }

bool ScratchLock::removeAndRelease() {
    if (!holdsFile()) {
        release();
        return removeUnlessLocked(path_);
    }
    const QByteArray name = nativeName(path_);
    bool gone = ::unlink(name.constData()) == 0 || errno == ENOENT;
    release();
    return gone;
}

void ScratchLock::release() {
    if (fd_ >= 0) ::close(fd_);  // closing the descriptor drops the flock
    fd_ = -1;
}

bool removeUnlessLocked(const QString& path) {
    const QByteArray name = nativeName(path);
    if (!pathExists(name)) return true;
    int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;  // held by another running copy
    }
    // Unlinked while still under our probe lock, so no copy can take it between.
    bool gone = ::unlink(name.constData()) == 0 || errno == ENOENT;
    if (fd >= 0) ::close(fd);
    return gone;
}

bool isLocked(const QString& path) {
    const QByteArray name = nativeName(path);
    int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

}  // namespace volm
