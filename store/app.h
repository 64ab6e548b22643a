#pragma once
// The application frame: the program folder, the person, the data module and
// the program-wide state that the main window shows. The core never touches a
// widget; the window observes this object and hands its edit texts back to it.
#include "store/data_module.h"
#include "store/person.h"
#include <QLocale>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace volm {

class ScratchLock;

struct FontSizes {
    int data = 10;      // РШрифтаВТД: grid cells and text windows
    int titles = 10;    // РШрифтаВЗагКолТД: grid title rows
    int captions = 10;  // РШрифтаНаимПок: indicator captions above the main grids
};

class App : public QObject {
    Q_OBJECT
public:
    // programDir: the folder of the executable (a test passes a temporary folder).
    App(QString programDir, Person& person, QObject* parent = nullptr);
    ~App() override;

    const QString& programDir() const { return programDir_; }
    // programDir with a trailing separator, as written in messages.
    QString programDirSlash() const;
    // Makes the program folder the current directory.
    void enterProgramDir() const;
    // The folder of the settings file and the scratch files: the program folder
    // when the program may write there, otherwise the user's own data folder
    // (chosen at start-up; see chooseWorkDir). Empty until chosen.
    const QString& workDir() const { return workDir_; }
    void setWorkDir(QString dir);
    // A file of the work folder.
    QString workPath(const QString& name) const;
    // The work folder is not the program folder.
    bool workDirMoved() const;
    Person& person() const { return person_; }
    // The user's documents folder when it is not the system's (tests); see
    // documentsFolder (store/user_folders.h).
    QString documentsDir;

    DataModule dm;

    // The lock on the scratch database "~$.mdb", held from its creation at
    // start-up until it is deleted at shutdown (or the App ends).
    std::unique_ptr<ScratchLock> scratchLock;

    // Program-wide flags.
    bool RasVip = false;             // calculation done (copy of РасчетВыполнен)
    bool FormuliProvereny = false;   // formulas checked; the grids are shown only then
    int PervKolZag = 0;
    int PervKolTabl = 0;
    int PoslKlavisha = 0;            // key code of the last key pressed in a section grid

    // The main window's state as the core leaves it; the window shows it after
    // stateChanged() and writes its edit texts back before the core reads them.
    QString caption = QStringLiteral("ВОЛМ 1.0");
    QString calcNameText;            // calculation-name edit
    QString supplyNodeText;          // edit of NузПНапПод
    QString availNodeText;           // edit of NузРНап
    bool availNodeEnabled = false;
    bool gridsVisible = false;
    QString sectionSort = QStringLiteral("id ASC");  // "Сортировать по внутреннему счетчику"

    // Number format for SQL text: "." decimals, " " thousands; SistRazdelitel is the
    // locale's own decimal separator, remembered at start-up.
    QChar SistRazdelitel = QLatin1Char(',');
    QLocale locale;                  // the user's locale, for numbers shown to the person

    // Seams filled by the program, the runner and tests.
    std::function<bool(App&)> checkFormulas;   // formula check; true when it passes
    std::function<void(App&)> rebuildTables;   // table rebuild after a passed check
    std::function<void()> flushEditors;        // grids move pending cell texts into their cursors
    std::function<bool()> headerGridEditing;   // the header grid is editing in place
    std::function<bool()> sectionGridEditing;  // the section grid is editing in place
    std::function<bool()> sectionGridsFocused; // a section grid has the input focus

    // Tells the window that caption, edits, grids or flags changed.
    void changed() { Q_EMIT stateChanged(); }

Q_SIGNALS:
    void stateChanged();
    void fontsChanged(volm::FontSizes sizes);

private:
    QString programDir_;
    QString workDir_;
    Person& person_;
};

// Number text for SQL: general format, up to 15 significant digits, "." decimals.
QString formatChisel(double v);

}  // namespace volm
