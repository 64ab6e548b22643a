#pragma once
// What the benchmarks share: wall-clock seconds, a person that keeps its
// messages and answers nothing, and a writable copy of a shipped file.
#include "store/person.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <chrono>

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

}  // namespace volm::bench
