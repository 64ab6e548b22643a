// The outputs' one set of target rules and their one way of writing: every
// kind refuses the same files (by any path, link or hard link), two outputs
// never share a file, and a write that fails (a full disk, a stop, a fault of
// the writer) leaves the old file and nothing beside it.
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/output_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace volm;

namespace {

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

bool hardLink(const QString& from, const QString& to) {
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

class OutputTargets : public ::testing::Test {
protected:
    QTemporaryDir prog, data;
    ProtectedFiles files;

    void SetUp() override {
        ASSERT_TRUE(prog.isValid() && data.isValid());
        files = {prog.path(), data.filePath(QStringLiteral("calc.mdb")), prog.filePath(QStringLiteral("Spr.mdb"))};
        put(files.calculation, QByteArray("SQLite format 3\0", 16) + QByteArray(100, 'c'));
        put(files.reference, QByteArray("SQLite format 3\0", 16) + QByteArray(100, 's'));
        put(prog.filePath(QStringLiteral("GidrRas.mdb")), QByteArray("SQLite format 3\0", 16));
        put(prog.filePath(QStringLiteral("notes.txt")), "notes");
    }
    QString refusal(OutputKind kind, const QString& name) const {
        return refusedOutputTarget(files, kind, name, outputDestination(name));
    }
};

// Every target that no output may take, for every kind of output: the reason
// names the file or the cause, and the same rule holds for all four kinds.
TEST_F(OutputTargets, EveryKindRefusesTheSameFiles) {
    const QString linkToCalc = data.filePath(QStringLiteral("link.pdf"));
    ASSERT_TRUE(QFile::link(files.calculation, linkToCalc));
    const QString hardToCalc = data.filePath(QStringLiteral("hard.xlsx"));
    ASSERT_TRUE(hardLink(files.calculation, hardToCalc));
    const QString hardToTemplate = data.filePath(QStringLiteral("template-copy.png"));
    ASSERT_TRUE(hardLink(prog.filePath(QStringLiteral("GidrRas.mdb")), hardToTemplate));
    const QString hardToSpr = data.filePath(QStringLiteral("spr.txt"));
    ASSERT_TRUE(hardLink(files.reference, hardToSpr));
    const QString fifo = data.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = data.filePath(QStringLiteral("s.png"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(native.size()), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, native.constData(), size_t(native.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const QString folder = data.filePath(QStringLiteral("folder.xlsx"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString otherDb = data.filePath(QStringLiteral("other.pdf"));
    put(otherDb, QByteArray("SQLite format 3\0", 16) + QByteArray(50, 'o'));
    const QString loop = data.filePath(QStringLiteral("loop.txt"));
    ASSERT_TRUE(QFile::link(loop, loop));

    struct Case {
        const char* what;
        QString name;
        const char* reason;
    };
    const Case cases[] = {
        {"no name", QString(), "не указано имя файла"},
        {"the calculation", files.calculation, "в файл расчета"},
        {"the calculation by a link", linkToCalc, "в файл расчета"},
        {"the calculation by a hard link", hardToCalc, "в файл расчета"},
        {"the reference book", files.reference, "в файл справочников"},
        {"the reference book by a hard link", hardToSpr, "в файл справочников"},
        {"the template", prog.filePath(QStringLiteral("GidrRas.mdb")), "установлена программа"},
        {"the template by a hard link", hardToTemplate, "установлена программа"},
        {"a text of the program folder", prog.filePath(QStringLiteral("notes.txt")), "установлена программа"},
        {"a new file of the program folder", prog.filePath(QStringLiteral("new.pdf")), "установлена программа"},
        {"a pipe", fifo, "не является обычным файлом"},
        {"a socket", socketPath, "не является обычным файлом"},
        {"a device", QStringLiteral("/dev/null"), "не является обычным файлом"},
        {"a folder", folder, "не является обычным файлом"},
        {"a database", otherDb, "является базой данных"},
        {"a missing folder", data.filePath(QStringLiteral("no/such/file.pdf")), "не найдена"},
        {"a link loop", loop, "не удается определить файл"},
        {"a name too long", data.filePath(QString(300, QLatin1Char('x'))), "слишком длинное"},
        {"a name too long for its scratch file", data.filePath(QString(250, QLatin1Char('x'))), "слишком длинное"},
    };
    for (const OutputKind kind :
         {OutputKind::Text, OutputKind::Workbook, OutputKind::Report, OutputKind::Chart, OutputKind::Schematic}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " / kind " + std::to_string(int(kind)));
            const QString why = refusal(kind, c.name);
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.reason), Qt::CaseInsensitive)) << why.toStdString();
        }
        EXPECT_EQ(refusal(kind, data.filePath(QStringLiteral("new.out"))), QString());
        put(data.filePath(QStringLiteral("old.out")), "old");
        EXPECT_EQ(refusal(kind, data.filePath(QStringLiteral("old.out"))), QString());
    }
    ::close(sock);
}

// Two outputs of one run may not share a file, by name, by link or by hard link.
TEST_F(OutputTargets, TwoOutputsNeverShareAFile) {
    const QString a = data.filePath(QStringLiteral("a.out"));
    const QString b = data.filePath(QStringLiteral("b.out"));
    put(a, "a");
    const QString link = data.filePath(QStringLiteral("to-a"));
    ASSERT_TRUE(QFile::link(a, link));
    const QString hard = data.filePath(QStringLiteral("hard-a"));
    ASSERT_TRUE(hardLink(a, hard));
    const QString fresh = data.filePath(QStringLiteral("fresh.out"));
    struct Case {
        QString first, second;
        bool shared;
    };
    const Case cases[] = {{a, a, true},     {a, link, true},   {a, hard, true},
                          {fresh, fresh, true}, {a, b, false}, {fresh, b, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE((c.first + QStringLiteral(" + ") + c.second).toStdString());
        const QString why = refusedSharedTarget(OutputKind::Report, OutputKind::Workbook,
                                                outputDestination(c.first), outputDestination(c.second));
        EXPECT_EQ(!why.isEmpty(), c.shared) << why.toStdString();
        if (c.shared) {
            EXPECT_TRUE(why.startsWith(QStringLiteral("Отчет и книгу Excel нельзя записать в один файл")));
        }
    }
}

// The program-folder test and the file identity see hard links.
TEST_F(OutputTargets, HardLinksAreTheFilesTheyLinkTo) {
    const QString copy = data.filePath(QStringLiteral("x.mdb"));
    ASSERT_TRUE(hardLink(prog.filePath(QStringLiteral("GidrRas.mdb")), copy));
    EXPECT_TRUE(inProgramFolder(prog.path(), copy));
    EXPECT_TRUE(sameFile(copy, prog.filePath(QStringLiteral("GidrRas.mdb"))));
    ASSERT_TRUE(QFile::copy(files.calculation, data.filePath(QStringLiteral("plain.mdb"))));
    EXPECT_FALSE(inProgramFolder(prog.path(), data.filePath(QStringLiteral("plain.mdb"))));
    EXPECT_FALSE(sameFile(files.calculation, data.filePath(QStringLiteral("plain.mdb"))));
}

// --- Writing -----------------------------------------------------------------

class OutputWriting : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void TearDown() override { limitOutputSpaceForTests(-1, 0); }
    QStringList entries() const {
        QStringList l = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        l.sort();
        return l;
    }
};

// A writer's fault, a stop, a full disk at once or part-way: the old file
// keeps its bytes, no scratch file stays, and the full disk is named in the
// program's words.
TEST_F(OutputWriting, AFailedWriteLeavesTheOldFile) {
    const QString target = dir.filePath(QStringLiteral("report.pdf"));
    const QByteArray old("the old report");
    const QByteArray fresh(200000, 'n');
    struct Case {
        const char* what;
        qint64 space;  // bytes the disk takes; negative: no limit
        int err;
        std::function<void(QIODevice&, const QString&)> write;
        const char* reason;  // part of the FileError's message; nullptr: an Abort
    };
    const auto writeAll = [&](QIODevice& d, const QString&) { d.write(fresh); };
    const auto byName = [&](QIODevice&, const QString& path) { put(path, fresh); };
    const Case cases[] = {
        {"full disk at once", 0, ENOSPC, writeAll, "Недостаточно места на диске."},
        {"full disk part-way", 150000, ENOSPC, writeAll, "Недостаточно места на диске."},
        {"quota part-way", 1000, EDQUOT, writeAll, "Недостаточно места на диске."},
        {"full disk under a library writing by name", 150000, ENOSPC, byName, "Недостаточно места на диске."},
        {"other error", 10, EIO, writeAll, "report.pdf"},
        {"a stop", -1, 0, [](QIODevice& d, const QString&) { d.write("part"); throw Abort(); }, nullptr},
        {"a writer's fault", -1, 0,
         [](QIODevice& d, const QString&) {
             d.write("part");
             throw FileError(QStringLiteral("сбой"));
         },
         "сбой"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        put(target, old);
        limitOutputSpaceForTests(c.space, c.err);
        bool aborted = false;
        QString message;
        try {
            writeOutputFile(target, c.write);
        } catch (const Abort&) {
            aborted = true;
        } catch (const FileError& e) {
            message = e.message();
        }
        limitOutputSpaceForTests(-1, 0);
        EXPECT_EQ(aborted, c.reason == nullptr);
        if (c.reason) {
            EXPECT_TRUE(message.contains(QString::fromUtf8(c.reason))) << message.toStdString();
        }
        if (c.space >= 0) {
            EXPECT_TRUE(message.contains(target)) << message.toStdString();
        }
        EXPECT_EQ(bytes(target), old);
        EXPECT_EQ(entries(), QStringList{QStringLiteral("report.pdf")});
    }
}

// A complete output replaces the old file whole, through a link that stays a
// link, keeping the old file's permissions; a new one is readable by all.
TEST_F(OutputWriting, ACompleteOutputTakesThePlaceOfTheOld) {
    const QString target = dir.filePath(QStringLiteral("book.xlsx"));
    put(target, "old");
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QString link = dir.filePath(QStringLiteral("link.xlsx"));
    ASSERT_TRUE(QFile::link(target, link));
    writeOutputFile(outputDestination(link), [](QIODevice& d, const QString&) { d.write("new"); });
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(bytes(target), QByteArray("new"));
    EXPECT_EQ(QFile::permissions(target), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                              QFileDevice::WriteUser);
    const QString fresh = dir.filePath(QStringLiteral("fresh.png"));
    writeOutputFile(fresh, [](QIODevice&, const QString& path) { put(path, "by name"); });
    EXPECT_EQ(bytes(fresh), QByteArray("by name"));
    EXPECT_TRUE(QFile::permissions(fresh) & QFileDevice::ReadOther);
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("book.xlsx"), QStringLiteral("fresh.png"),
                                      QStringLiteral("link.xlsx")}));
}

}  // namespace
