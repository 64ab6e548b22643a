#pragma once
// The files the program writes for the person (the calculation text, the
// results workbook, the printed report, the chart): which files they may be
// written to, and the one way they are written. An output goes to a new file
// beside its target, is flushed to the disk, and takes the target's place in
// one rename only when it is complete: a failure, a full disk or a stop leaves
// the old file as it was and no half-written one.
#include <QString>
#include <functional>

class QIODevice;

namespace volm {

class App;

enum class OutputKind { Text, Workbook, Report, Chart, Schematic };

// The files no output may be written to: the calculation, the reference book
// in use and every file of the program folder (absolute paths; empty: none).
struct ProtectedFiles {
    QString programDir;
    QString calculation;
    QString reference;
};

// The protected files of the program as it runs: its folder, the open
// calculation and reference book.
ProtectedFiles protectedFiles(const App& app);

// The name a save dialog proposes for an output: the calculation file's
// folder and name with extension (".txt") instead of its own; empty without one.
QString proposedOutputName(const QString& calculationFile, const QString& extension);

// The file an output name leads to: through a chain of links to its target
// (which may not exist yet; the links stay links). Empty when the chain cannot
// be resolved (a loop, a link without a target).
QString outputDestination(const QString& name);

// Why an output of kind cannot be written under name (whose destination is
// given): the name is empty; it is the calculation or the reference book (by
// any path, link or hard link); a file of the program folder (likewise); a
// folder, a device, a pipe or a socket; an existing database file; or its
// folder does not exist. Empty when it can be written.
QString refusedOutputTarget(const ProtectedFiles& files, OutputKind kind, const QString& name,
                            const QString& destination);

// Why two outputs cannot go to the destinations a and b: they are one file.
QString refusedSharedTarget(OutputKind kindA, OutputKind kindB, const QString& a, const QString& b);

// The file starts as a database file does (SQLite, or Jet/ACE).
bool looksLikeDatabase(const QString& path);

// A new empty file named by a QTemporaryFile pattern, left in place. Throws FileError.
QString newEmptyFile(const QString& pattern);

// A new empty file beside destination ("~$<name>.XXXXXX"), for an output that
// is written over a long time (the calculation text). Throws FileError.
QString scratchBeside(const QString& destination);

// Puts the finished scratch file in destination's place: flushed to the disk,
// with the permissions of the file it replaces, in one rename. On failure the
// scratch file is removed, destination is left as it was, and FileError is thrown.
void commitOutput(const QString& scratch, const QString& destination);

// Writes an output to destination: write fills the device, a new file beside
// destination whose path it is also given (for a library that opens the file
// by name). A failed write of the device, an exception of write (an Abort
// among them) or a failed flush removes the new file and leaves destination
// as it was; the failures are thrown as FileError naming destination ("...
// Недостаточно места на диске." for a full disk).
void writeOutputFile(const QString& destination, const std::function<void(QIODevice& device, const QString& path)>& write);

// For tests: the disk holds only bytes more bytes of the outputs written from
// now on (writes past them fail with err); a negative count lifts the limit.
void limitOutputSpaceForTests(qint64 bytes, int err);

}  // namespace volm
