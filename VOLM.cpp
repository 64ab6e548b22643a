// ВОЛМ: hydraulic calculation of water heating networks. The program folder is
// the folder of the executable; the main window's first show starts the program
// up and its close shuts it down. "VOLM FILE.mdb" opens the file once started.
#include "formulas/catalogue_check.h"
#include "store/app.h"
#include "store/start_arguments.h"
#include "store/startup.h"
#include "ui/main_window.h"
#include "ui/qt_person.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <csignal>

namespace {

// A request to end the program from outside (the session logging out, kill):
// the window is closed as if by "Выход", so that pending edits are committed and
// the scratch files are deleted.
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Read before anything makes the program folder the current one.
    const volm::StartArguments startArguments =
        volm::readStartArguments(QCoreApplication::arguments().mid(1), QDir::currentPath());
    QApplication::setApplicationName(QStringLiteral("ВОЛМ"));
    // The window icon and the menu entry (volm.desktop) the desktop matches it to.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/volm-256.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("volm"));

    // Qt's own texts (file dialogs, standard buttons) in Russian.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    volm::ui::QtPerson person;
    volm::App app(QCoreApplication::applicationDirPath(), person);
    volm::FormulaCatalogueCheck formulaCheck;
    app.setCatalogueCheck(&formulaCheck);
    // The work folder is known before the window shows: the window opens at the
    // size and place it remembers there.
    app.setWorkDir(volm::chooseWorkDir(app.programDir()));

    volm::ui::TMainForm window(app);
    person.setWindow(&window);
    window.setStartArguments(startArguments);
    person.showStatus = [&window](const QString& text) { window.setStatusText(text); };
    window.showAtLastPlacement();

    for (int sig : {SIGTERM, SIGINT, SIGHUP}) std::signal(sig, requestStop);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &window, [&window] {
        if (stopRequested) window.close();  // refused while a long command runs; tried again
    });
    stopWatch.start(200);
    const int rc = QApplication::exec();
    person.showStatus = nullptr;
    return rc;
}
