#include "store/app.h"

#include "store/scratch_lock.h"

#include <QDir>

namespace volm {

App::App(QString programDir, Person& person, QObject* parent)
    : QObject(parent), programDir_(std::move(programDir)), person_(person) {
    while (programDir_.size() > 1 && programDir_.endsWith(QLatin1Char('/'))) programDir_.chop(1);
}

// The data module's cursors and connections go first; the scratch lock is
// released last, after the scratch connection is closed.
App::~App() {
    dm.closeCalculation();
    dm.closeReference();
    dm.atVKol.reset();
    dm.atKopPolya.reset();
    dm.atZavisimostPokazatelei.reset();
    dm.acVremDB.close();
    dm.atNastr.reset();
    dm.acNastr.close();
    scratchLock.reset();
}

QString App::programDirSlash() const {
    return programDir_.endsWith(QLatin1Char('/')) ? programDir_ : programDir_ + QLatin1Char('/');
}

void App::enterProgramDir() const { QDir::setCurrent(programDir_); }

void App::setWorkDir(QString dir) {
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
    workDir_ = std::move(dir);
}

QString App::workPath(const QString& name) const {
    return (workDir_.isEmpty() ? programDir_ : workDir_) + QLatin1Char('/') + name;
}

bool App::workDirMoved() const { return !workDir_.isEmpty() && workDir_ != programDir_; }

QString formatChisel(double v) { return QString::number(v, 'g', 15); }

}  // namespace volm
