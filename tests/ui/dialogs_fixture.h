#pragma once
// A program folder in a temporary directory with the shipped settings file,
// template and reference book, a calculation made from the template outside it,
// and an App started over them with the scripted person. The formula check and
// the table rebuild are counted instead of run.
#include "commands/run_command.h"
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"
#include "tests/support/fake_catalogue_check.h"
#include "tests/support/program_folder.h"
#include "tests/support/fake_person.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace volm::test {

struct DialogsFixture {
    QTemporaryDir programDir;
    QTemporaryDir calcDir;
    FakePerson person;
    FakeCatalogueCheck catalogue;
    std::unique_ptr<App> app;
    int checks = 0;
    int rebuilds = 0;
    bool checkPasses = true;

    QString calcPath() const { return calcDir.filePath(QStringLiteral("calc.mdb")); }

    // False (with a QWARN) when the folder could not be laid out or start-up failed.
    // The calculation is a copy of calcSource of the build's program folder.
    bool start(const QString& calcSource = QStringLiteral("GidrRas.mdb")) {
        const QDir bin(QStringLiteral(VOLM_BIN_DIR));
        for (const char* name : {"Nastr.mdb", "GidrRas.mdb", "Spr.mdb"}) {
            if (!QFile::copy(volm::test::shippedFile(QString::fromLatin1(name)), programDir.filePath(QString::fromLatin1(name)))) {
                qWarning("cannot copy %s from %s", name, VOLM_SHIPPED_DIR);
                return false;
            }
            QFile::setPermissions(programDir.filePath(QString::fromLatin1(name)),
                                  QFile::ReadOwner | QFile::WriteOwner);
        }
        QFile::copy(bin.filePath(calcSource), calcPath());
        QFile::setPermissions(calcPath(), QFile::ReadOwner | QFile::WriteOwner);
        {
            Database settings;
            settings.open(programDir.filePath(QStringLiteral("Nastr.mdb")));
            settings.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='") + calcPath() + QStringLiteral("'"));
        }
        app = std::make_unique<App>(programDir.path(), person);
        catalogue.onCheck = [this](App& a) {
            ++checks;
            a.FormuliProvereny = checkPasses;
            return checkPasses;
        };
        catalogue.onRebuild = [this](App&) { ++rebuilds; };
        app->setCatalogueCheck(&catalogue);
        const bool ok = startUp(*app);
        checks = rebuilds = 0;
        person.clear();
        return ok && app->dm.acGR.isOpen();
    }

    // Runs the open calculation without the question, from the head nodes
    // stored in НазвРасч.
    RunOutcome run() {
        const HeaderTexts stored = storedHeader(*app);
        RunOptions options;
        options.ask = false;
        options.supplyNodeText = stored.supplyNode;
        options.availNodeText = stored.availNode;
        return runCalculation(*app, options);
    }

    ~DialogsFixture() {
        if (app) shutDown(*app);
    }
};

// Runs action on the modal dialog once it is shown (for the static launchers).
inline void whenModal(std::function<void(QWidget*)> action, int attempts = 200) {
    QTimer::singleShot(10, [action, attempts] {
        if (QWidget* w = QApplication::activeModalWidget()) action(w);
        else if (attempts > 0) whenModal(action, attempts - 1);
    });
}

}  // namespace volm::test
