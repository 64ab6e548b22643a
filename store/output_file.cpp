#include "store/output_file.h"

#include "store/app.h"
#include "store/errors.h"
#include "store/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QTemporaryFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace volm {

namespace {

struct Noun {
    const char* subject;  // "Отчет в него не записывается."
    const char* object;   // "Нельзя сохранить отчет в папку ..."
};

Noun noun(OutputKind kind) {
    switch (kind) {
    case OutputKind::Text:
        return {"Текст расчета", "текст расчета"};
    case OutputKind::Workbook:
        return {"Книга Excel", "книгу Excel"};
    case OutputKind::Report:
        return {"Отчет", "отчет"};
    case OutputKind::Chart:
        return {"График", "график"};
    case OutputKind::Schematic:
        return {"Схема сети", "схему сети"};
    }
    return {"Файл", "файл"};
}

QString subject(OutputKind kind) { return QString::fromUtf8(noun(kind).subject); }
QString object(OutputKind kind) { return QString::fromUtf8(noun(kind).object); }
// The object at the start of a sentence.
QString objectFirst(OutputKind kind) {
    QString s = object(kind);
    s[0] = s[0].toUpper();
    return s;
}

bool statOf(const QString& path, struct stat& st) {
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

// The canonical form of a path, through every link; for a file that does not
// exist yet, its folder's canonical form and its own name.
QString canonical(const QString& path) {
    const QFileInfo fi(path);
    if (fi.exists()) return fi.canonicalFilePath();
    const QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? fi.absoluteFilePath() : dir + QLatin1Char('/') + fi.fileName();
}

// The same file: by identity when both exist, else by their canonical paths.
bool sameTarget(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    if (QFileInfo::exists(a) && QFileInfo::exists(b)) return sameFile(a, b);
    return canonical(a) == canonical(b);
}

// The bytes the tests let the outputs still write; negative: no limit.
std::atomic<qint64> spaceLeft{-1};
std::atomic<int> spaceError{ENOSPC};

// Takes n bytes of the test limit; false (errno set) when they do not fit.
bool takeSpace(qint64 n) {
    qint64 left = spaceLeft.load();
    if (left < 0) return true;
    if (n > left) {
        spaceLeft = 0;
        errno = spaceError.load();
        return false;
    }
    spaceLeft = left - n;
    return true;
}

QString cannotWrite(const QString& destination, int err) {
    return QStringLiteral("Не удается записать файл \"") + destination + QStringLiteral("\": ") +
           systemErrorText(err);
}

// The output's new file, written through its descriptor; remembers the first
// failure (errno) of a write, which the writing libraries do not all report.
class OutputDevice : public QIODevice {
public:
    OutputDevice(const QString& path, const QString& destination) : destination_(destination) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd_ < 0) throw FileError(cannotWrite(destination_, errno));
        QIODevice::open(QIODevice::WriteOnly);
    }
    ~OutputDevice() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool isSequential() const override { return true; }

    // Flushes the file to the disk and closes it. Throws FileError.
    void finish(const QString& path) {
        if (!failure_ && ::fsync(fd_) != 0) failure_ = errno;
        if (::close(fd_) != 0 && !failure_) failure_ = errno;
        fd_ = -1;
        // A library that wrote by name has written past the space the tests allow.
        struct stat st {};
        if (!failure_ && statOf(path, st) && !takeSpace(qint64(st.st_size) - written_)) failure_ = errno;
        if (failure_) throw FileError(cannotWrite(destination_, failure_));
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        if (failure_) return -1;
        qint64 done = 0;
        while (done < len) {
            if (!takeSpace(len - done)) {
                failure_ = errno;
                return -1;
            }
            const ssize_t n = ::write(fd_, data + done, size_t(len - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                failure_ = n < 0 ? errno : ENOSPC;
                return -1;
            }
            done += n;
        }
        written_ += done;
        return done;
    }

private:
    QString destination_;
    int fd_ = -1;
    int failure_ = 0;
    qint64 written_ = 0;
};

}  // namespace

ProtectedFiles protectedFiles(const App& app) {
    auto absolute = [](const QString& path) { return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath(); };
    return {app.programDir(), absolute(app.dm.acGR.path()), absolute(app.dm.acSpr.path())};
}

QString proposedOutputName(const QString& calculationFile, const QString& extension) {
    if (calculationFile.isEmpty()) return {};
    const QFileInfo info(calculationFile);
    return info.dir().filePath(info.completeBaseName() + extension);
}

QString outputDestination(const QString& name) {
    QFileInfo fi(name);
    // Follow the chain of links by hand: the last one may point to a file that
    // does not exist yet.
    for (int hops = 0; fi.isSymLink() && hops < 40; ++hops) {
        const QString next = fi.symLinkTarget();
        if (next.isEmpty()) return {};
        fi = QFileInfo(next);
    }
    if (fi.isSymLink()) return {};
    return fi.exists() ? fi.canonicalFilePath() : canonical(fi.absoluteFilePath());
}

bool looksLikeDatabase(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(32);
    return head.startsWith(QByteArrayLiteral("SQLite format 3\0")) || head.mid(4, 15) == "Standard Jet DB" ||
           head.mid(4, 15) == "Standard ACE DB";
}

QString refusedOutputTarget(const ProtectedFiles& files, OutputKind kind, const QString& name,
                            const QString& destination) {
    if (name.isEmpty()) return subject(kind) + QStringLiteral(" не записывается: не указано имя файла.");
    if (destination.isEmpty())
        return QStringLiteral("Не удается определить файл, на который указывает ссылка ") + name + QLatin1Char('.');
    const QFileInfo fi(destination);
    // Room for the scratch file's name too: "~$", the name, ".XXXXXX".
    if (QFile::encodeName(fi.fileName()).size() + 9 > NAME_MAX ||
        QFile::encodeName(destination).size() + 9 >= PATH_MAX)
        return QStringLiteral("Имя файла ") + name + QStringLiteral(" слишком длинное. ") + subject(kind) +
               QStringLiteral(" в него не записывается.");
    if (sameTarget(destination, files.calculation))
        return objectFirst(kind) + QStringLiteral(" нельзя записать в файл расчета ") + files.calculation +
               QLatin1Char('.');
    if (sameTarget(destination, files.reference))
        return objectFirst(kind) + QStringLiteral(" нельзя записать в файл справочников ") + files.reference +
               QLatin1Char('.');
    if (!files.programDir.isEmpty() && inProgramFolder(files.programDir, destination))
        return QStringLiteral("Нельзя сохранить ") + object(kind) +
               QStringLiteral(" в папку, в которую установлена программа.");
    if (fi.exists() && !fi.isFile())
        return QStringLiteral("Файл ") + name + QStringLiteral(" не является обычным файлом. ") + subject(kind) +
               QStringLiteral(" в него не записывается.");
    if (fi.exists() && looksLikeDatabase(destination))
        return QStringLiteral("Файл ") + name + QStringLiteral(" является базой данных. ") + subject(kind) +
               QStringLiteral(" в него не записывается.");
    const QFileInfo folder(fi.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Файл ") + name + QStringLiteral(" не может быть создан: папка ") + fi.absolutePath() +
               QStringLiteral(" не найдена.");
    if (::access(QFile::encodeName(fi.absolutePath()).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("Нет права записи в папку ") + fi.absolutePath() + QStringLiteral(". ") +
               subject(kind) + QStringLiteral(" не записывается.");
    return {};
}

QString refusedSharedTarget(OutputKind kindA, OutputKind kindB, const QString& a, const QString& b) {
    if (!sameTarget(a, b)) return {};
    return objectFirst(kindA) + QStringLiteral(" и ") + object(kindB) + QStringLiteral(" нельзя записать в один файл ") +
           a + QLatin1Char('.');
}

QString newEmptyFile(const QString& pattern) {
    QTemporaryFile f(pattern);
    f.setAutoRemove(false);
    if (!f.open())
        throw FileError(QStringLiteral("Не удается создать временный файл в папке ") +
                        QFileInfo(pattern).absolutePath() + QStringLiteral(". ") + systemErrorText(errno));
    return f.fileName();
}

QString scratchBeside(const QString& destination) {
    const QFileInfo t(destination);
    return newEmptyFile(t.absolutePath() + QStringLiteral("/~$") + t.fileName() + QStringLiteral(".XXXXXX"));
}

void commitOutput(const QString& scratch, const QString& destination) {
    try {
        // A file written by name (the text) is flushed here.
        const int fd = ::open(QFile::encodeName(scratch).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            const int err = errno;
            if (fd >= 0) ::close(fd);
            throw FileError(cannotWrite(destination, err));
        }
        ::close(fd);
        // The output keeps the permissions of the file it replaces (a new one
        // gets the usual ones rather than the scratch file's private ones).
        const QFileInfo old(destination);
        QFile::setPermissions(scratch, old.exists() ? old.permissions()
                                                    : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
        replaceFile(scratch, destination);
    } catch (...) {
        QFile::remove(scratch);
        throw;
    }
}

void writeOutputFile(const QString& destination,
                     const std::function<void(QIODevice& device, const QString& path)>& write) {
    const QString scratch = scratchBeside(destination);
    try {
        OutputDevice device(scratch, destination);
        write(device, scratch);
        device.finish(scratch);
    } catch (...) {
        QFile::remove(scratch);
        throw;
    }
    commitOutput(scratch, destination);
}

void limitOutputSpaceForTests(qint64 bytes, int err) {
    spaceError = err;
    spaceLeft = bytes;
}

}  // namespace volm
