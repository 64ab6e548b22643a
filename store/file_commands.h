#pragma once
// The file commands of the main window for calculation files ("Создать новый
// расчет", "Открыть расчет", "Сохранить расчет", "Сохранить расчет как...",
// "Сжать расчет") and for reference books ("Открыть справочники", "Сохранить
// справочники как...", "Сжать справочники"). Each runs its steps under their
// error contexts and reports a failure with the standard error report; dialogs,
// questions and messages go through the App's person. Every command that
// switches to another file ends in OtkritFaili.
#include "store/app.h"
#include <QString>

namespace volm {

inline const QString kDatabaseFilter = QStringLiteral("База данных (*.mdb)|*.mdb");

void saveCalculation(App& app);
void newCalculation(App& app);
void openCalculation(App& app);
void saveCalculationAs(App& app);
void compactCalculation(App& app);

void openReferenceBook(App& app);
void saveReferenceBookAs(App& app);
void compactReferenceBook(App& app);

}  // namespace volm
