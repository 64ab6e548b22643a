#pragma once
// The program started on a calculation, as the benchmarks of the windows need
// it: the settings of the program folder name the calculation, and start-up
// runs with the program's own formula check.
#include "bench/support/bench_support.h"
#include "formulas/catalogue_check.h"
#include "store/app.h"
#include "store/database.h"
#include "store/startup.h"

#include <cstdio>

namespace volm::bench {

// The settings of the program folder name calc as the calculation to open.
inline void nameInSettings(const QString& programDir, const QString& calc) {
    volm::Database settings;
    settings.open(QDir(programDir).filePath(QStringLiteral("Nastr.mdb")));
    settings.exec(QStringLiteral("UPDATE Настройки SET ФайлГР='") + calc + QStringLiteral("'"));
}

// Start-up with the formula check; false, the reason printed, when it fails.
inline bool started(volm::App& app, const QuietPerson& person) {
    volm::useFormulaCheck(app);
    if (volm::startUp(app)) return true;
    std::fprintf(stderr, "start-up failed: %s\n", qPrintable(person.messages.join(QLatin1Char('\n'))));
    return false;
}

}  // namespace volm::bench
