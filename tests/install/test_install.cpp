// The installed program: `cmake --install` into a temporary prefix gives the
// program folder, the links on the PATH, the menu entry and the icon; the
// installed runner and program work from that folder made read-only, run as an
// ordinary user (nobody, when the tests run as root); cpack packs the same tree
// into a Debian package.
#include "store/database.h"
#include "volm_version.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <QThread>

#include <cctype>
#include <memory>
#include <ostream>
#include <string>
#include <pwd.h>
#include <unistd.h>

namespace volm::test {
namespace {

const QString kProgramDir = QStringLiteral("lib/volm");

struct Result {
    int status = -1;
    QString out, err;
};

Result runProcess(const QString& program, const QStringList& args,
                  const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), int ms = 180000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Every file under dir (relative path, size, modification time): what a run
// must leave as it found.
QStringList snapshot(const QString& dir) {
    QStringList all;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        all << QDir(dir).relativeFilePath(f.filePath()) + QLatin1Char(' ') + QString::number(f.size()) +
                   QLatin1Char(' ') + QString::number(f.lastModified().toMSecsSinceEpoch());
    }
    all.sort();
    return all;
}

void setMode(const QString& path, bool writable) {
    QFile::Permissions p = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner |
                           QFile::ExeGroup | QFile::ExeOther;
    if (writable) p |= QFile::WriteOwner;
    if (QFileInfo(path).isFile() && !QFileInfo(path).isExecutable())
        p &= ~(QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    QFile::setPermissions(path, p);
}

// The whole tree readable by everybody, writable by nobody (or back).
void setTreeWritable(const QString& dir, bool writable) {
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) setMode(it.next(), writable);
    setMode(dir, writable);
}

// The tree installed once for the whole suite; its program folder is read-only.
class Installed : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        root_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(root_->isValid());
        QFile::setPermissions(root_->path(), QFile::permissions(root_->path()) | QFile::ExeOther | QFile::ReadOther |
                                                 QFile::ExeGroup | QFile::ReadGroup);
        const Result r = runProcess(QStringLiteral(VOLM_CMAKE),
                                    {QStringLiteral("--install"), QStringLiteral(VOLM_BUILD_DIR), QStringLiteral("--prefix"),
                                     prefix()});
        ASSERT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
        setTreeWritable(prefix() + QLatin1Char('/') + kProgramDir, false);
    }
    static void TearDownTestSuite() {
        if (root_) setTreeWritable(prefix() + QLatin1Char('/') + kProgramDir, true);
        root_.reset();
    }

protected:
    static QString prefix() { return root_->filePath(QStringLiteral("prefix")); }
    static QString at(const QString& relative) { return prefix() + QLatin1Char('/') + relative; }
    static QString programDir() { return at(kProgramDir); }

    // A home folder of the ordinary user the installed program runs as.
    struct User {
        QTemporaryDir home;
        uid_t uid = getuid();
        gid_t gid = getgid();
        User() {
            if (getuid() == 0)
                if (const passwd* pw = getpwnam("nobody")) uid = pw->pw_uid, gid = pw->pw_gid;
            QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            give(home.path());
        }
        void give(const QString& path) const {
            if (getuid() == 0) {
                EXPECT_EQ(::chown(QFile::encodeName(path).constData(), uid, gid), 0);
            }
        }
        QString dataDir() const { return home.filePath(QStringLiteral(".local/share/ВОЛМ")); }
        QProcessEnvironment environment() const {
            QProcessEnvironment env;
            env.insert(QStringLiteral("HOME"), home.path());
            env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
            env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
            env.insert(QStringLiteral("TMPDIR"), home.path());
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            return env;
        }
        // The command line that runs program as this user.
        QStringList command(const QString& program, const QStringList& args) const {
            if (getuid() != 0) return QStringList{program} + args;
            return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(uid),
                               QStringLiteral("--regid=%1").arg(gid), QStringLiteral("--clear-groups"), program} +
                   args;
        }
        Result run(const QString& program, const QStringList& args) const {
            const QStringList c = command(program, args);
            return runProcess(c.first(), c.mid(1), environment());
        }
    };

    static QVariant value(const QString& file, const QString& sql) {
        Database db;
        db.open(file);
        auto st = db.prepare(sql);
        return st->step() ? st->column(0) : QVariant();
    }

private:
    static inline std::unique_ptr<QTemporaryDir> root_;
};

// --- the installed tree ----------------------------------------------------

enum class Kind { File, Executable, Folder, Link };
struct Entry {
    const char* path;
    Kind kind;
    const char* target = nullptr;  // what a link resolves to, relative to the prefix
};

void PrintTo(const Entry& e, std::ostream* os) { *os << e.path; }

// What a link holds, as written.
QString linkText(const QString& path) {
    char buf[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buf, sizeof buf);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buf, int(n)));
}

class InstalledTree : public Installed, public ::testing::WithParamInterface<Entry> {};

TEST_P(InstalledTree, HasEntry) {
    const Entry& e = GetParam();
    const QFileInfo f(at(QString::fromUtf8(e.path)));
    switch (e.kind) {
    case Kind::File:
        EXPECT_TRUE(f.isFile() && !f.isSymLink() && f.size() > 0) << e.path;
        break;
    case Kind::Executable:
        EXPECT_TRUE(f.isFile() && !f.isSymLink() && f.isExecutable()) << e.path;
        break;
    case Kind::Folder:
        EXPECT_TRUE(f.isDir() && !QDir(f.filePath()).isEmpty()) << e.path;
        break;
    case Kind::Link:
        ASSERT_TRUE(f.isSymLink()) << e.path;
        // Relative, so that the link holds in the package and under any prefix.
        EXPECT_FALSE(linkText(f.filePath()).startsWith(QLatin1Char('/'))) << e.path;
        EXPECT_EQ(f.canonicalFilePath(), QFileInfo(at(QString::fromUtf8(e.target))).canonicalFilePath()) << e.path;
        break;
    }
}

const Entry kTree[] = {
    {"lib/volm/VOLM", Kind::Executable},
    {"lib/volm/volm-run", Kind::Executable},
    {"lib/volm/GidrRas.mdb", Kind::File},
    {"lib/volm/Spr.mdb", Kind::File},
    {"lib/volm/Nastr.mdb", Kind::File},
    {"lib/volm/help/index.html", Kind::File},
    {"lib/volm/examples/one_pipe.mdb", Kind::File},
    {"lib/volm/examples/two_pipe.mdb", Kind::File},
    {"lib/volm/examples/method_example.mdb", Kind::File},
    {"lib/volm/examples/regime_faults.mdb", Kind::File},
    {"lib/volm/examples/two_loops.mdb", Kind::File},
    {"bin/volm-run", Kind::Link, "lib/volm/volm-run"},
    {"bin/volm", Kind::Link, "lib/volm/VOLM"},
    {"share/applications/volm.desktop", Kind::File},
    {"share/mime/packages/volm.xml", Kind::File},
    {"share/icons/hicolor/scalable/apps/volm.svg", Kind::File},
    {"share/icons/hicolor/16x16/apps/volm.png", Kind::File},
    {"share/icons/hicolor/48x48/apps/volm.png", Kind::File},
    {"share/icons/hicolor/256x256/apps/volm.png", Kind::File},
};
INSTANTIATE_TEST_SUITE_P(Install, InstalledTree, ::testing::ValuesIn(kTree), [](const auto& info) {
    std::string name = info.param.path;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

// The program folder holds what the build's program folder holds (the report
// definitions and help pages whatever their names; no scratch file of a run
// from there), and no test or build tool; the database files as generated.
TEST_F(Installed, ProgramFolderIsTheBuildsProgramFolder) {
    const QString build = QStringLiteral(VOLM_BIN_DIR);
    QStringList wanted;
    for (const QString& name : QDir(build).entryList({QStringLiteral("*.mdb"), QStringLiteral("*.rav")}, QDir::Files))
        if (!name.startsWith(QLatin1String("~$"))) wanted << name;
    for (const char* sub : {"help", "examples"})
        for (const QString& name : QDir(build + QLatin1Char('/') + QString::fromUtf8(sub)).entryList(QDir::Files))
            wanted << QString::fromUtf8(sub) + QLatin1Char('/') + name;
    wanted << QStringLiteral("VOLM") << QStringLiteral("volm-run") << QStringLiteral("volm-run-graphics");
    wanted.sort();

    QStringList installed;
    QDirIterator it(programDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) installed << QDir(programDir()).relativeFilePath(it.next());
    installed.sort();
    EXPECT_EQ(installed, wanted);

    auto bytes = [](const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    };
    for (const QString& name : wanted) {
        const QString mine = programDir() + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1String(".rav")) || name.startsWith(QLatin1String("help/"))) {
            EXPECT_EQ(bytes(mine), bytes(build + QLatin1Char('/') + name)) << name.toStdString();
        } else if (name.endsWith(QLatin1String(".mdb")) && !name.contains(QLatin1Char('/'))) {
            EXPECT_EQ(bytes(mine), bytes(QStringLiteral(VOLM_SHIPPED_DIR "/") + name)) << name.toStdString();
        }
    }
}

TEST_F(Installed, MenuEntryNamesTheProgramItsIconAndCategories) {
    QFile f(at(QStringLiteral("share/applications/volm.desktop")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("[Desktop Entry]"));
    auto key = [&](const QString& k) {
        for (const QString& l : lines)
            if (l.startsWith(k + QLatin1Char('='))) return l.mid(k.size() + 1);
        return QString();
    };
    EXPECT_EQ(key(QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(key(QStringLiteral("Name")), QStringLiteral("ВОЛМ — гидравлический расчет тепловых сетей"));
    EXPECT_EQ(key(QStringLiteral("Icon")), QStringLiteral("volm"));
    const QStringList categories = key(QStringLiteral("Categories")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    EXPECT_TRUE(categories.contains(QStringLiteral("Science")) && categories.contains(QStringLiteral("Engineering")));
    // Exec names the link on the PATH and hands it the file opened with it.
    EXPECT_EQ(key(QStringLiteral("Exec")), QStringLiteral("volm %f"));
    EXPECT_TRUE(QFileInfo(at(QStringLiteral("bin/volm"))).isSymLink());
    EXPECT_EQ(key(QStringLiteral("MimeType")), QStringLiteral("application/x-volm-calculation;"));
}

// With the installed type known to the desktop, a calculation file is offered
// to the program and a Microsoft Access file of the same extension is not.
TEST_F(Installed, CalculationFilesGetTheirOwnType) {
    QTemporaryDir data;
    const QString mime = data.filePath(QStringLiteral("share/mime"));
    ASSERT_TRUE(QDir().mkpath(mime + QStringLiteral("/packages")));
    ASSERT_TRUE(QFile::copy(at(QStringLiteral("share/mime/packages/volm.xml")), mime + QStringLiteral("/packages/volm.xml")));
    const QString system = QStringLiteral("/usr/share/mime/packages/freedesktop.org.xml");
    if (QFileInfo(system).isFile()) QFile::copy(system, mime + QStringLiteral("/packages/freedesktop.org.xml"));
    const Result update = runProcess(QStringLiteral("update-mime-database"), {mime});
    ASSERT_EQ(update.status, 0) << update.err.toStdString();

    // Only this process looks types up, and only here: the folders are read at the first look-up.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(data.filePath(QStringLiteral("share"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.filePath(QStringLiteral("home"))));
    QTemporaryDir files;
    auto typeOf = [&](const char* name, const QByteArray& content) {
        QFile f(files.filePath(QString::fromUtf8(name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size()) return QStringLiteral("not written");
        f.close();
        return QMimeDatabase().mimeTypeForFile(f.fileName()).name();
    };
    QFile example(programDir() + QStringLiteral("/examples/two_pipe.mdb"));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    const QString calculation = typeOf("сеть.mdb", example.readAll());
    EXPECT_EQ(calculation, QStringLiteral("application/x-volm-calculation"));
    EXPECT_TRUE(QMimeDatabase().mimeTypeForName(calculation).inherits(QStringLiteral("application/vnd.sqlite3")));
    if (QFileInfo(system).isFile())
        EXPECT_EQ(typeOf("access.mdb", QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2028, '\0')),
                  QStringLiteral("application/vnd.ms-access"));
}

// A PNG's width and height from its header.
QSize pngSize(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.read(24);
    if (b.size() < 24 || !b.startsWith("\x89PNG")) return {};
    auto be32 = [&](int at) {
        return int((uchar(b[at]) << 24) | (uchar(b[at + 1]) << 16) | (uchar(b[at + 2]) << 8) | uchar(b[at + 3]));
    };
    return QSize(be32(16), be32(20));
}

TEST_F(Installed, IconSizesMatchTheirFolders) {
    const QString hicolor = at(QStringLiteral("share/icons/hicolor"));
    int count = 0;
    for (const QString& folder : QDir(hicolor).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (folder == QLatin1String("scalable")) continue;
        const QStringList wh = folder.split(QLatin1Char('x'));
        ASSERT_EQ(wh.size(), 2) << folder.toStdString();
        EXPECT_EQ(pngSize(hicolor + QLatin1Char('/') + folder + QStringLiteral("/apps/volm.png")),
                  QSize(wh[0].toInt(), wh[1].toInt()))
            << folder.toStdString();
        ++count;
    }
    EXPECT_GE(count, 4);
    QFile svg(hicolor + QStringLiteral("/scalable/apps/volm.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
}

TEST_F(Installed, RunnerOnThePathTellsTheVersion) {
    const Result r = runProcess(at(QStringLiteral("bin/volm-run")), {QStringLiteral("--version")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("volm-run (ВОЛМ) " VOLM_VERSION "\n"));
}

// --- the installed runner and program at work ---------------------------------

class InstalledRunner : public Installed, public ::testing::WithParamInterface<const char*> {};

// The installed runner, started through its link on the PATH as an ordinary
// user, computes a copy of an installed example and stores the results; the
// read-only program folder stays as it was.
TEST_P(InstalledRunner, ComputesACopyOfAnInstalledExample) {
    User user;
    const QString calc = user.home.filePath(QStringLiteral("calc.mdb"));
    ASSERT_TRUE(QFile::copy(programDir() + QStringLiteral("/examples/") + QString::fromUtf8(GetParam()) + QStringLiteral(".mdb"), calc));
    QFile::setPermissions(calc, QFile::ReadOwner | QFile::WriteOwner);
    user.give(calc);
    EXPECT_EQ(value(calc, QStringLiteral("SELECT count(*) FROM Табл WHERE ПНапКонПод IS NOT NULL")), 0);
    const QStringList before = snapshot(programDir());

    const Result r = user.run(at(QStringLiteral("bin/volm-run")), {calc});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // The outcome's first line; the regime warnings may follow it.
    EXPECT_EQ(r.out.section(QLatin1Char('\n'), 0, 0), QStringLiteral("Расчет выполнен успешно."));
    EXPECT_EQ(value(calc, QStringLiteral("SELECT РасчетВыполнен FROM НазвРасч")), 1);
    EXPECT_GT(value(calc, QStringLiteral("SELECT count(*) FROM Табл")).toInt(), 0);
    EXPECT_EQ(value(calc, QStringLiteral("SELECT count(*) FROM Табл WHERE ПНапКонПод IS NULL")), 0);
    EXPECT_EQ(snapshot(programDir()), before);
}
INSTANTIATE_TEST_SUITE_P(Install, InstalledRunner, ::testing::Values("one_pipe", "two_pipe", "method_example", "regime_faults", "two_loops"),
                         [](const auto& info) { return std::string(info.param); });

// The installed program, started through its link as an ordinary user, starts
// up from the read-only program folder with its settings and scratch files in
// the user's data folder, and shuts down cleanly when asked to end.
TEST_F(Installed, ProgramStartsFromTheReadOnlyFolder) {
    User user;
    const QStringList before = snapshot(programDir());
    const QStringList c = user.command(at(QStringLiteral("bin/volm")), {});
    QProcess p;
    p.setProcessEnvironment(user.environment());
    p.start(c.first(), c.mid(1));
    ASSERT_TRUE(p.waitForStarted());
    const QString scratch = user.dataDir() + QStringLiteral("/~$.mdb");
    for (int i = 0; i < 300 && !QFileInfo::exists(scratch) && p.state() == QProcess::Running; ++i) QThread::msleep(100);
    const bool started = QFileInfo::exists(scratch);
    QThread::msleep(500);
    p.terminate();  // the program closes its window as by "Выход"
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        FAIL() << "the program did not end: " << p.readAllStandardError().toStdString();
    }
    EXPECT_TRUE(started) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(QFileInfo(user.dataDir() + QStringLiteral("/Nastr.mdb")).isFile());
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_EQ(snapshot(programDir()), before);
}

// --- the Debian package -----------------------------------------------------

// cpack of the build folder, into a temporary folder.
TEST(Package, HoldsTheInstalledTreeAndDependsOnItsLibraries) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const Result made = runProcess(QStringLiteral(VOLM_CPACK),
                                   {QStringLiteral("--config"), QStringLiteral(VOLM_BUILD_DIR "/CPackConfig.cmake"),
                                    QStringLiteral("-B"), out.path()});
    ASSERT_EQ(made.status, 0) << made.out.toStdString() << made.err.toStdString();
    const QString deb = out.filePath(QStringLiteral("volm_" VOLM_VERSION "_amd64.deb"));
    ASSERT_TRUE(QFileInfo(deb).isFile()) << QDir(out.path()).entryList().join(QLatin1Char(' ')).toStdString();

    const Result listing = runProcess(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
    ASSERT_EQ(listing.status, 0);
    QStringList paths;  // "./usr/bin/volm-run -> ../lib/volm/volm-run"
    for (const QString& line : listing.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.contains(QLatin1String(" root/root "))) << line.toStdString();
        paths << line.section(QRegularExpression(QStringLiteral("\\s+")), 5);
    }
    for (const char* wanted :
         {"./usr/lib/volm/VOLM", "./usr/lib/volm/volm-run", "./usr/lib/volm/GidrRas.mdb", "./usr/lib/volm/Spr.mdb",
          "./usr/lib/volm/Nastr.mdb", "./usr/lib/volm/help/index.html", "./usr/lib/volm/examples/two_pipe.mdb",
          "./usr/bin/volm-run -> ../lib/volm/volm-run", "./usr/bin/volm -> ../lib/volm/VOLM",
          "./usr/share/applications/volm.desktop", "./usr/share/mime/packages/volm.xml",
          "./usr/share/icons/hicolor/scalable/apps/volm.svg",
          "./usr/share/icons/hicolor/48x48/apps/volm.png"})
        EXPECT_TRUE(paths.contains(QString::fromUtf8(wanted))) << wanted << "\n" << listing.out.toStdString();
    for (const QString& path : paths) EXPECT_TRUE(path.startsWith(QLatin1String("./usr/"))) << path.toStdString();

    auto field = [&](const char* name) {
        return runProcess(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QString::fromUtf8(name)}).out.trimmed();
    };
    EXPECT_EQ(field("Package"), QStringLiteral("volm"));
    EXPECT_EQ(field("Version"), QStringLiteral(VOLM_VERSION));
    EXPECT_EQ(field("Architecture"), QStringLiteral("amd64"));
    // Taken from the libraries the executables link.
    const QString depends = field("Depends");
    for (const char* library : {"libc6", "libqt6core6", "libqt6widgets6", "libsqlite3-0", "qt6-qpa-plugins"})
        EXPECT_TRUE(depends.contains(QString::fromUtf8(library))) << library << " not in " << depends.toStdString();
    const QString description = field("Description");
    EXPECT_TRUE(description.contains(QLatin1String("district-heating"))) << description.toStdString();
    EXPECT_TRUE(description.contains(QStringLiteral("тепловых сетей"))) << description.toStdString();
}

}  // namespace
}  // namespace volm::test
