#pragma once
// The files the headless runner is given, checked before it computes anything:
// the calculation must not be one of the program's own files, and the text
// must not land on a file that is not a plain text file of the user's.
#include "calc/sizing.h"

#include <QString>
#include <optional>

namespace volm::runner {

struct Files {
    QString programDir;   // absolute, no trailing "/"
    QString calculation;  // absolute
    QString reference;    // absolute
    QString text;         // absolute; empty when no text is asked for
};

// Why the calculation cannot be computed (a file of the program folder, such as
// the template, or the reference book in use); empty when it can.
QString refusedCalculation(const Files& files);

// The file the text is to be written to, through a link to its target; the
// link itself stays. Empty when the name cannot be resolved.
QString textDestination(const QString& text);

// Why the text cannot be written to its (resolved) destination: the calculation
// itself, a file of the program folder, the reference book, an existing file
// that is not a regular file, or an existing database file; empty when it can.
QString refusedTextTarget(const Files& files, const QString& destination);

// The file starts as a database file does (SQLite, or Jet/ACE).
bool looksLikeDatabase(const QString& path);

// The argument of --size, INDICATOR:CRITERION<=LIMIT[,CRITERION<=LIMIT]: the
// indicator sized and one or two criteria (a limit may have a decimal point or
// comma: "Ду:УдПотПод<=80,5,СкорПод<=3.5"); nullopt when it is not so written.
std::optional<SizingRequest> parseSizeOption(const QString& text);

}  // namespace volm::runner
