#pragma once
// The folders the calculation file dialogs start in: the folder of the
// calculation last opened or saved, or the user's documents folder the first
// time, and never the program folder (where calculations may not be kept).
#include "store/app.h"
#include <QString>

namespace volm {

// The user's documents folder: App::documentsDir when set (tests), else the
// system's; with a trailing "/".
QString documentsFolder(const App& app);

// The path lies in the program folder or in a folder inside it.
bool underProgramFolder(const App& app, const QString& path);

// The start folder of the calculation dialogs ("Создать новый расчет",
// "Открыть расчет", "Сохранить расчет как..."), with a trailing "/": the folder
// of the calculation named in the settings while that folder exists and is not
// the program folder or one inside it; else the documents folder. Throws
// DatabaseError when the settings are not open.
QString calculationDialogFolder(App& app);

}  // namespace volm
