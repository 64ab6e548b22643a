#pragma once
// Saving the calculation text after a successful run: the name rule, the
// refusal of the program folder and the replace question.
#include <QString>
#include <functional>

namespace volm {

class App;

namespace calc {

// The chosen name with ".txt" appended unless it already ends in ".txt" in any
// letter case: "a" -> "a.txt", "a.b" -> "a.b.txt", "r.TXT" stays.
QString textFileName(const QString& chosen);

// Offers the save dialog for the closed temporary text file and moves it to
// the chosen name. Returns the name it was saved under; empty when nothing was
// saved (cancelled, refused, not replaced). Throws FileError when the move fails.
QString offerCalcTextSave(App& app, const QString& tempPath);

// The temporary file of the run's text. Beside target when the text goes to a
// named file (created there empty, so that the final move is one rename on the
// same disk); otherwise "~$.tx_" of the work folder when this copy holds the
// scratch files, or a fresh name there when another copy does. Throws FileError.
QString textScratchPath(const App& app, const QString& target);

// Moves the temporary text to target, replacing a file of that name.
// Throws FileError when it cannot.
void moveCalcText(const QString& tempPath, const QString& target);

}  // namespace calc
}  // namespace volm
