#pragma once
// What the benchmarks share: wall-clock seconds, a person that keeps its
// messages and answers nothing, and a writable copy of a shipped file.
#include "store/person.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace volm::bench {

using Clock = std::chrono::steady_clock;
inline double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

class QuietPerson : public volm::Person {
public:
    QStringList messages;
    void message(const QString& text) override { messages << text; }
    bool ask(const QString&) override { return false; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void status(const QString&) override {}
    void busy(bool) override {}
    void processEvents() override {}
};

// A copy the owner may write; false when it cannot be made.
inline bool copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) return false;
    return QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
}

// The program's files (settings, template, reference book) copied from binDir
// into folder, writable; false, with a line on standard error, when one cannot be.
inline bool copyProgramFiles(const QString& binDir, const QString& folder) {
    for (const char* name : {"Nastr.mdb", "GidrRas.mdb", "Spr.mdb"})
        if (!copyFile(QDir(binDir).filePath(QString::fromLatin1(name)), QDir(folder).filePath(QString::fromLatin1(name)))) {
            std::fprintf(stderr, "cannot copy %s from %s\n", name, qPrintable(binDir));
            return false;
        }
    return true;
}

// Runs exe with args, its standard output thrown away: the wall seconds and the
// peak resident memory (MB) of the process; false when it cannot start or
// exits with a status other than 0.
inline bool runProcess(const QByteArray& exe, const QStringList& args, double& wall, double& peakMb) {
    std::vector<QByteArray> bytes{exe};
    for (const QString& a : args) bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    wall = seconds(t0, Clock::now());
    peakMb = usage.ru_maxrss / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A program folder "program" in work with writable copies of the shipped
// settings, reference books and template from bin.
inline QString programFolder(const QTemporaryDir& work, const QString& bin) {
    const QString program = work.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    for (const char* f : {"Nastr.mdb", "Spr.mdb", "GidrRas.mdb"})
        copyFile(bin + QLatin1Char('/') + QString::fromUtf8(f), program + QLatin1Char('/') + QString::fromUtf8(f));
    return program;
}

// A new calculation "network.mdb" in work: a copy of the shipped template.
inline QString blankCalculation(const QTemporaryDir& work, const QString& bin) {
    const QString calc = work.filePath(QStringLiteral("network.mdb"));
    copyFile(bin + QStringLiteral("/GidrRas.mdb"), calc);
    return calc;
}

}  // namespace volm::bench
