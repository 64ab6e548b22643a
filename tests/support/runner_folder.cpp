#include "tests/support/runner_folder.h"

#include "store/database.h"
#include "tests/support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace volm::test {

void RunnerFolder::SetUp() {
    ASSERT_TRUE(prog.isValid() && data.isValid() && tmp.isValid());
    ASSERT_TRUE(QFile::copy(runnerExe_, runner()));
    QStringList files{QStringLiteral("Nastr.mdb"), QStringLiteral("Spr.mdb"), QStringLiteral("GidrRas.mdb")};
    if (graphics_) {
        const QString graphics = QFileInfo(runnerExe_).absolutePath() + QStringLiteral("/volm-run-graphics");
        ASSERT_TRUE(QFile::copy(graphics, prog.filePath(QStringLiteral("volm-run-graphics"))));
        files << QStringLiteral("0.rav") << QStringLiteral("1.rav");
    }
    for (const QString& f : files) {
        const QString to = prog.filePath(f);
        ASSERT_TRUE(QFile::copy(f.endsWith(QLatin1String(".mdb")) ? shippedFile(f) : QStringLiteral(VOLM_BIN_DIR "/") + f, to));
        QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner);
    }
}

QString RunnerFolder::calc(const QString& name, const QString& example) {
    const QString path = data.filePath(name);
    if (!QFile::exists(path)) {
        EXPECT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/") + example, path));
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    }
    return path;
}

QProcessEnvironment RunnerFolder::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("TMPDIR"), tmp.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    return env;
}

RunResult RunnerFolder::run(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(runner(), args);
    EXPECT_TRUE(p.waitForFinished(180000));
    return finished(p);
}

RunResult RunnerFolder::finished(QProcess& p) {
    RunResult r;
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.status = r.crashed ? -1 : p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QVariant RunnerFolder::value(const QString& file, const QString& sql) {
    Database db;
    db.open(file);
    auto st = db.prepare(sql);
    return st->step() ? st->column(0) : QVariant();
}

QStringList RunnerFolder::entries(const QString& dir) {
    QStringList l = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    l.sort();
    return l;
}

QStringList RunnerFolder::leftInTemporaryFolder() const {
    QStringList left = entries(tmp.path());
    left.removeIf([](const QString& name) { return name.startsWith(QStringLiteral("runtime-")); });
    return left;
}

void RunnerFolder::put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace volm::test
