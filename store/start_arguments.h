#pragma once
// The program's command line: "VOLM [FILE.mdb]". A file given there (by the
// desktop's "Open with" among others) is opened as "Открыть расчет" opens a
// chosen file; anything else on the line is told to the person.
#include <QString>
#include <QStringList>

namespace volm {

struct StartArguments {
    QString calculation;  // the file to open, an absolute path; empty: none
    QString message;      // what the person is told about the rest; empty: nothing
};

// arguments: the command line without the program name and without the
// toolkit's own options; a relative name is taken from currentDir, a file URL
// as its local file.
StartArguments readStartArguments(const QStringList& arguments, const QString& currentDir);

}  // namespace volm
