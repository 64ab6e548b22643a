// ВОЛМ: hydraulic calculation of water heating networks. The program folder is
// the folder of the executable; the main window's first show starts the program
// up and its close shuts it down.
#include "formulas/formula_check.h"
#include "formulas/table_structure.h"
#include "store/app.h"
#include "ui/main_window.h"
#include "ui/qt_person.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ВОЛМ"));

    // Qt's own texts (file dialogs, standard buttons) in Russian.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    volm::ui::QtPerson person;
    volm::App app(QCoreApplication::applicationDirPath(), person);
    app.checkFormulas = [](volm::App& a) { return volm::ProveritFormuli(a); };
    app.rebuildTables = [](volm::App& a) { volm::NastroitStrukturuTablic(a); };

    volm::ui::TMainForm window(app);
    person.setWindow(&window);
    person.showStatus = [&window](const QString& text) { window.setStatusText(text); };
    window.show();
    const int rc = QApplication::exec();
    person.showStatus = nullptr;
    return rc;
}
