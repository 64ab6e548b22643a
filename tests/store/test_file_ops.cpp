// The file operations under the file commands: the name rule, the
// program-folder test, the block copy and the checked replacement of a file.
#include "store/app.h"
#include "store/errors.h"
#include "store/file_commands.h"
#include "store/file_ops.h"
#include "tests/support/fake_person.h"
#include "tests/support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace volm;
using namespace volm::test;

namespace {

// --- Name rule and program-folder test ---------------------------------------

struct NameCase {
    const char* chosen;
    const char* result;
};

class NameRule : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameRule, AppendsMdbUnlessTheNameEndsSo) {
    EXPECT_EQ(applyNameRule(QString::fromUtf8(GetParam().chosen)), QString::fromUtf8(GetParam().result));
}

INSTANTIATE_TEST_SUITE_P(Cases, NameRule,
                         ::testing::Values(NameCase{"abc", "abc.mdb"}, NameCase{"x.MdB", "x.MdB"},
                                           NameCase{"plan.txt", "plan.txt.mdb"}, NameCase{"mdb", "mdb.mdb"},
                                           NameCase{".mdb", ".mdb"}, NameCase{"/дом/Расчет.MDB", "/дом/Расчет.MDB"},
                                           NameCase{"/дом/расчет.mdbx", "/дом/расчет.mdbx.mdb"}));

TEST(ProgramFolderTest, ComparesTheFolderPartAndTheFolderItself) {
    EXPECT_TRUE(inProgramFolder("/opt/volm", "/opt/volm/x.mdb"));
    EXPECT_FALSE(inProgramFolder("/opt/volm", "/opt/volm/sub/x.mdb"));
    EXPECT_FALSE(inProgramFolder("/opt/volm", "/opt/volmx/x.mdb"));
    EXPECT_FALSE(inProgramFolder("/opt/volm", "/opt/VOLM/x.mdb"));
    EXPECT_FALSE(inProgramFolder("/opt/volm", "x.mdb"));  // no such folder to be the same as

    // An existing program folder reached by another spelling is still that folder.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("prog/sub"));
    const QString prog = dir.filePath("prog");
    ASSERT_TRUE(QFile::link(prog, dir.filePath("link")));
    EXPECT_TRUE(inProgramFolder(prog, "x.mdb"));
    EXPECT_TRUE(inProgramFolder(prog, prog + "/sub/../x.mdb"));
    EXPECT_TRUE(inProgramFolder(prog, dir.filePath("link/x.mdb")));
    EXPECT_FALSE(inProgramFolder(prog, prog + "/sub/x.mdb"));
    EXPECT_FALSE(inProgramFolder(prog, dir.filePath("x.mdb")));
}

// --- Block copy and replacement ----------------------------------------------

TEST(BlockCopy, CopiesWholeBlocksThenTheRemainder) {
    QTemporaryDir dir;
    QByteArray data(1200000, '\0');
    for (int i = 0; i < data.size(); ++i) data[i] = char(i * 7 + i / 1000);
    QFile src(dir.filePath("src"));
    ASSERT_TRUE(src.open(QIODevice::WriteOnly));
    src.write(data);
    src.close();
    QFile old(dir.filePath("dst"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(2000000, 'x'));  // a longer file is emptied first
    old.close();

    std::vector<qint64> blocks;
    blockCopy(dir.filePath("src"), dir.filePath("dst"), [&](qint64 n) { blocks.push_back(n); });
    EXPECT_EQ(blocks, (std::vector<qint64>{500000, 500000, 200000}));
    EXPECT_EQ(fileBytes(dir.filePath("dst")), data);
    EXPECT_THROW(blockCopy(dir.filePath("нет"), dir.filePath("dst2")), FileError);
    EXPECT_FALSE(QFile::exists(dir.filePath("dst2")));
}

TEST(ReplaceFile, ReplacesInOneStepOrLeavesTheTargetAlone) {
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write("new", "compacted");
    write("target", "original");
    replaceFile(dir.filePath("new"), dir.filePath("target"));
    EXPECT_EQ(fileBytes(dir.filePath("target")), "compacted");
    EXPECT_FALSE(QFile::exists(dir.filePath("new")));

    // Nothing to put in its place: the target stays as it was.
    try {
        replaceFile(dir.filePath("new"), dir.filePath("target"));
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ(e.className(), "EInOutError");
    }
    EXPECT_EQ(fileBytes(dir.filePath("target")), "compacted");
}

TEST(ReplaceFile, WorksAcrossFileSystems) {
    QTemporaryDir here;
    QTemporaryDir there(QStringLiteral("/dev/shm/volm-XXXXXX"));
    struct stat a, b;
    if (!there.isValid() || ::stat(QFile::encodeName(here.path()), &a) != 0 ||
        ::stat(QFile::encodeName(there.path()), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system";
    QFile n(here.filePath("new")), t(there.filePath("target"));
    ASSERT_TRUE(n.open(QIODevice::WriteOnly) && t.open(QIODevice::WriteOnly));
    n.write(QByteArray(700000, 'n'));
    t.write("old");
    n.close();
    t.close();
    replaceFile(here.filePath("new"), there.filePath("target"));
    EXPECT_EQ(fileBytes(there.filePath("target")), QByteArray(700000, 'n'));
    EXPECT_FALSE(QFile::exists(here.filePath("new")));
    EXPECT_EQ(QDir(there.path()).entryList(QDir::Files), QStringList{"target"});
}

}  // namespace
