// Speed of the bulk data-entry commands on a generated two-pipe network of
// 30,000 sections (30,001 nodes), each command on a fresh copy of the file:
//
//   autofill   heights 0..32767 with "add missing" (every existing node written,
//              the rest of the range added);
//   yes-all    "Да" for all on every section;
//   invert     every mark toggled;
//   apply      eight assignment rows on every (marked) section.
//
// Prints the time of each command, the number of status texts it showed and
// the time from the start of the command to its last status text.
//
//   volm_bench_entry [SECTIONS]
#include "bench/support/bench_support.h"
#include "bench/calc/network_generator.h"
#include "store/app.h"
#include "store/database.h"
#include "store/node_fill.h"
#include "store/repeated_entry.h"
#include "store/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using volm::bench::copyFile;
using volm::bench::Clock;
using volm::bench::seconds;

class QuietPerson : public volm::Person {
public:
    QStringList messages;
    void message(const QString& text) override { messages << text; }
    bool ask(const QString&) override { return true; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void status(const QString&) override {}
    void busy(bool) override {}
    void processEvents() override {}
};

struct Outcome {
    double total = 0;
    int statuses = 0;
    QString message;
};

// Starts the program over a copy of the network and times one command.
Outcome timed(const QString& programDir, const QString& network, const QString& work,
              const std::function<void(volm::App&, const std::function<void(const QString&)>&)>& command,
              const std::function<void(volm::App&)>& prepare = {}) {
    copyFile(network, work);
    {
        volm::Database settings;
        settings.open(QDir(programDir).filePath(QStringLiteral("Nastr.mdb")));
        settings.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='") + work + QStringLiteral("'"));
    }
    QuietPerson person;
    volm::App app(programDir, person);
    if (!volm::startUp(app)) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(person.messages.join(QLatin1Char('\n'))));
        return {};
    }
    if (prepare) prepare(app);
    Outcome out;
    const auto start = Clock::now();
    command(app, [&](const QString& s) {
        if (!s.isEmpty()) ++out.statuses;
    });
    out.total = seconds(start, Clock::now());
    out.message = person.messages.isEmpty() ? QString() : person.messages.last();
    volm::shutDown(app);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const int sections = argc > 1 ? std::atoi(argv[1]) : 30000;
    QTemporaryDir programDir, dataDir;
    const QDir bin(QStringLiteral(VOLM_BIN_DIR));
    if (!volm::bench::copyProgramFiles(bin.path(), programDir.path())) return 2;
    const QString network = dataDir.filePath(QStringLiteral("network.mdb"));
    if (!volm::bench::makeNetworkFile(bin.path(), network, sections)) return 2;
    const QString work = dataDir.filePath(QStringLiteral("work.mdb"));

    std::printf("%-10s %9s %9s %10s  %s\n", "command", "sections", "seconds", "statuses", "message");
    auto row = [&](const char* name, const Outcome& o) {
        std::printf("%-10s %9d %9.3f %10d  %s\n", name, sections, o.total, o.statuses, qPrintable(o.message));
    };

    row("autofill", timed(programDir.path(), network, work, [](volm::App& app, const auto& status) {
            volm::NodeFillHooks hooks;
            hooks.status = status;
            volm::AutoZapolUzlov(app, {QStringLiteral("0"), QStringLiteral("32767"), QStringLiteral("123,5"), true},
                                 hooks);
        }));
    row("yes-all", timed(programDir.path(), network, work, [](volm::App& app, const auto& status) {
            volm::markSections(app, volm::MarkOp::Yes, {}, true, {status, {}});
        }));
    row("invert", timed(programDir.path(), network, work, [](volm::App& app, const auto& status) {
            volm::markSections(app, volm::MarkOp::Toggle, {}, true, {status, {}});
        }));
    // Every section marked first (not timed), then the eight rows.
    row("apply", timed(
                     programDir.path(), network, work,
                     [](volm::App& app, const auto& status) {
            std::vector<volm::Assignment> rows{{"Ду", "150", ""},         {"КоэфМП", "0,3", ""},
                                               {"ДлНаУчПод", "1 025,5", ""}, {"РасхПод", "", "ДлНаУчПод"},
                                               {"Ду", "", "Ду"},            {"КоэфМП", "", "КоэфМП"},
                                               {"ДлНаУчПод", "", "РасхПод"}, {"РасхПод", "12,5", ""}};
            volm::applyAssignments(app, rows, {status, {}});
                     },
                     [](volm::App& app) {
                         app.dm.acGR.exec(QStringLiteral("UPDATE Табл SET Заполн_Уч='Д'"));
                         app.dm.atTabl->requery();
                     }));
    return 0;
}
