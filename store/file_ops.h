#pragma once
// File operations of the file commands: the name rule, the block copy, and the
// checked replacement of a file by another.
#include <QString>
#include <functional>

namespace volm {

// Size of one block of the block copy (and the largest template accepted).
inline constexpr qint64 kCopyBlock = 500000;

// A name chosen in a dialog gets ".mdb" unless it already ends so (any case).
QString applyNameRule(const QString& name);

// The folder part of a path, up to and including the last "/"; empty when none.
QString folderOf(const QString& path);

// The file would land in the program folder programDir: its folder part is that
// folder with its separator, or the same folder reached by another spelling (a
// bare name, "..", a link) once made absolute from the program folder; or it is
// a hard link elsewhere to one of that folder's files.
bool inProgramFolder(const QString& programDir, const QString& fileName);

// Copies from into to (created or emptied) in blocks of kCopyBlock bytes;
// onBlock is told the size of every block written. Throws FileError.
void blockCopy(const QString& from, const QString& to, const std::function<void(qint64)>& onBlock = {});

// Replaces the file to by the file from in one atomic rename. Across file
// systems from is first copied next to to and that copy is renamed. On failure
// to is left as it was and FileError is thrown.
void replaceFile(const QString& from, const QString& to);

// The words of a failed system call: "Недостаточно места на диске." for a full
// disk or quota, the system's own text otherwise.
QString systemErrorText(int err);

// Both paths name one existing file: the same device and inode, reached by any
// spelling, link or hard link.
bool sameFile(const QString& a, const QString& b);

}  // namespace volm
