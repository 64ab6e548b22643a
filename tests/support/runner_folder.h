#pragma once
// The headless runner as a process over a copy of the program folder: the
// runner (and, for the report and the chart, the graphics runner beside it)
// with the settings, the reference book, the template and the report
// definitions, a folder for calculations and outputs, and a temporary folder of
// its own that the tests expect to find empty afterwards.
#include <gtest/gtest.h>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace volm::test {

struct RunResult {
    int status = -1;
    bool crashed = false;
    QString out, err;
};

class RunnerFolder : public ::testing::Test {
protected:
    // runnerExe: the built volm-run; graphics: volm-run-graphics goes beside it.
    RunnerFolder(const QString& runnerExe, bool graphics) : runnerExe_(runnerExe), graphics_(graphics) {}
    void SetUp() override;

    QTemporaryDir prog;  // the program folder's copy, with the runner
    QTemporaryDir data;  // calculations and outputs
    QTemporaryDir tmp;   // the runner's temporary folder

    QString runner() const { return prog.filePath(QStringLiteral("volm-run")); }
    // A copy of an example of the program folder in the data folder (made once).
    QString calc(const QString& name = QStringLiteral("c.mdb"), const QString& example = QStringLiteral("method_example.mdb"));
    // The C locale, the temporary folder, no display and no session runtime
    // folder (Qt complains of its absence, and makes "runtime-<user>" in the
    // temporary folder, every Qt program's and not the runner's).
    QProcessEnvironment environment() const;
    RunResult run(const QStringList& args);
    static RunResult finished(QProcess& p);
    // The first column of the first row of a query on a database file.
    static QVariant value(const QString& file, const QString& sql);
    // The names in a folder, hidden ones too, sorted.
    static QStringList entries(const QString& dir);
    // What the runners left in their temporary folder.
    QStringList leftInTemporaryFolder() const;
    static void put(const QString& path, const QByteArray& bytes);

private:
    QString runnerExe_;
    bool graphics_;
};

}  // namespace volm::test
