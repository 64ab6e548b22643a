#pragma once
// The application frame: the program folder, the person, the data module with
// the open files and the program-wide flags. Who checks the formulas and who
// holds the grids' editors are handed in from above (CatalogueCheck,
// EditorHost). The core never touches a widget; the window observes this
// object and keeps its own state (caption, edits, grids).
#include "store/catalogue_check.h"
#include "store/change_record.h"
#include "store/data_module.h"
#include "store/editor_host.h"
#include "store/person.h"
#include <QLocale>
#include <QObject>
#include <QString>
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

    // The formula layer's check and rebuild; nullptr: none (see CatalogueCheck).
    CatalogueCheck* catalogueCheck() const { return check_; }
    void setCatalogueCheck(CatalogueCheck* check) { check_ = check; }
    // The window's grids and edits; without one set, a host with nothing pending.
    EditorHost& editors() const { return editors_ ? *editors_ : noEditors_; }
    void setEditorHost(EditorHost* host) { editors_ = host; }

    DataModule dm;
    // What the person's commands change in the calculation file, step by step,
    // for taking them back (watching the file while the window attaches it).
    ChangeRecorder changes;

    // The lock on the scratch database "~$.mdb", held from its creation at
    // start-up until it is deleted at shutdown (or the App ends).
    std::unique_ptr<ScratchLock> scratchLock;

    // Program-wide flags.
    bool RasVip = false;             // calculation done (copy of РасчетВыполнен)
    bool FormuliProvereny = false;   // formulas checked; the grids are shown only then
    QString sectionSort = QStringLiteral("id ASC");  // "Сортировать по внутреннему счетчику"
    // How the calculation and the reference book are checked when opened: every
    // page where the grids show the tables (the window), the header and schema
    // where every command runs in a transaction that stops at a damaged page
    // with its message (the runner).
    FileCheck fileCheck = FileCheck::EveryPage;

    // Number format for SQL text: "." decimals, " " thousands; SistRazdelitel is the
    // locale's own decimal separator, remembered at start-up.
    QChar SistRazdelitel = QLatin1Char(',');
    QLocale locale;                  // the user's locale, for numbers shown to the person

    // Tells the window that files, cursors or flags changed.
    void changed() { Q_EMIT stateChanged(); }

Q_SIGNALS:
    void stateChanged();
    void fontsChanged(volm::FontSizes sizes);
    // No calculation is open any more (its files closed, its flags cleared).
    void calculationClosed();
    // OtkritFaili has ended, whether or not the named files could be opened.
    void calculationOpened();
    // The tables now have the columns of a one- or two-pipe network.
    void tablesShaped(bool twoPipe);

private:
    QString programDir_;
    QString workDir_;
    Person& person_;
    CatalogueCheck* check_ = nullptr;
    EditorHost* editors_ = nullptr;
    mutable EditorHost noEditors_;
};

// Number text for SQL: general format, up to 15 significant digits, "." decimals.
QString formatChisel(double v);

}  // namespace volm
