#pragma once
// The example calculations shipped in the program folder's "examples" folder.
// An example is never opened in place: "Открыть пример" puts a copy of it in the
// user's documents folder, under a name no file there has yet, and opens the copy.
#include "store/app.h"
#include <QString>
#include <vector>

namespace volm {

struct Example {
    QString path;   // the shipped file
    QString title;  // the calculation's name (НазвРасч), or the file name
};

// The shipped examples, by file name.
std::vector<Example> shippedExamples(const App& app);

// fileName in folder, or, when a file of that name is there, "name (2).mdb",
// "name (3).mdb", ...: the first name no file has.
QString freeFileName(const QString& folder, const QString& fileName);

// Copies the example into the documents folder (made when missing) and opens
// the copy as "Открыть расчет" opens a chosen file. Failures are reported with
// the standard error report. Returns the copy's path, empty when none was made.
QString openExample(App& app, const QString& examplePath);

}  // namespace volm
