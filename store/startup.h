#pragma once
// Start-up, shutdown and the scratch database; the (re)opening of the files
// named in the settings; the commit of the main window's pending edits.
#include "store/app.h"
#include <QLocale>
#include <QString>
#include <QStringList>

namespace volm {

// Start-up, once, when the main window is first shown: the settings file, the
// scratch database "~$.mdb" (created and locked), OtkritFaili, the number format,
// the fonts. An exception ends start-up with the standard error report naming the
// failing step; whatever was opened so far stays open. True when every step ran.
bool startUp(App& app);
// The same with the calculation and the reference book named here instead of
// in the settings, which are left as they are.
bool startUp(App& app, const QString& calculation, const QString& referenceBook);

// Shutdown: commits pending edits, closes the scratch database and deletes the
// scratch files. Failures are reported; the program closes anyway. True when
// every step ran.
bool shutDown(App& app);

// (Re)opens the calculation file and the reference book named in the settings,
// reads the flags, checks the formulas and rebuilds the tables (the App's
// CatalogueCheck). Throws for the caller's report; on an exception both files
// are left closed (no calculation open). Ends with App::calculationOpened.
void OtkritFaili(App& app);
// The same for the files named: the calculation (empty: none) and the
// reference book. The settings are neither read nor written.
void openCalculation(App& app, const QString& calculation, const QString& referenceBook);

// Closes the calculation file and the reference book and leaves the program in
// the state of no calculation open (flags cleared; App::calculationClosed).
void closeFiles(App& app);

// The calculation name and the head nodes as stored in НазвРасч (a node that is
// not a whole number as it is, for the run's check to name); empty texts when no
// calculation is open.
HeaderTexts storedHeader(const App& app);

// Commits the main window's pending edits: the header row, the section row, the
// calculation name and the two node numbers. Throws for the caller's report.
void SohranitDannie(App& app);

// The work folder for a program folder: the program folder itself when a file
// can be created there, otherwise the user's data folder (AppLocalDataLocation).
QString chooseWorkDir(const QString& programDir);
// A file can be created in the folder.
bool folderWritable(const QString& dir);
// Copies the settings file whole (written beside its place, then renamed);
// throws FileError naming both files and the reason.
void copySettingsFile(const QString& from, const QString& to);

// What the settings file is opened as, in the refusal of a file with triggers.
extern const QString kSettingsRole;

// Creates an empty database file; throws DatabaseError when the file exists.
void SozdatBazu(const QString& path);

// The font sizes of the settings row (10 where a size is not given).
FontSizes readFontSizes(App& app);
// Reads the font sizes and hands them to the windows (App::fontsChanged).
void PrimenitShrifti(App& app);

// FormatChisel and SistRazdelitel from the user's locale.
void setUpNumberFormat(App& app, const QLocale& locale = QLocale::system());

// The scratch database's tables, one CREATE TABLE statement each, in order.
const QStringList& scratchTableStatements();

// Scratch file names, in the work folder (App::workPath).
inline const QString kScratchDb = QStringLiteral("~$.mdb");
inline const QString kCompactTarget = QStringLiteral("~$$.mdb");
inline const QString kCalcText = QStringLiteral("~$.tx_");
inline const QString kSettingsFile = QStringLiteral("Nastr.mdb");
inline const QString kTemplateFile = QStringLiteral("GidrRas.mdb");

// The settings cursor on its one row; throws DatabaseError when the settings
// file is not open (start-up failed at its first step).
Table& goToSettingsRow(App& app);

// The report precision, the digits after the separator of every number shown
// of a result: the settings' ТочностьЧиселВОтч, 0 to 7, read as the report reads
// it; 2 while the settings are not open.
int reportPrecision(App& app);

// Sets one column of the settings row and posts it.
void writeSetting(App& app, const QString& column, const QVariant& value);

}  // namespace volm
