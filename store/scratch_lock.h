#pragma once
// The lock that keeps the scratch database "~$.mdb" to the running copy that
// created it. Another copy started from the same folder finds the file locked and
// treats it as a file that cannot be deleted, so it never removes a scratch
// database in use. The lock is an flock on a descriptor kept open for the
// program's whole life; the database engine's own locks are separate from it.
#include <QString>

namespace volm {

class ScratchLock {
public:
    // Locks the existing file at path; throws FileError when another copy holds
    // it or the file cannot be opened.
    explicit ScratchLock(const QString& path);
    ~ScratchLock();
    ScratchLock(const ScratchLock&) = delete;
    ScratchLock& operator=(const ScratchLock&) = delete;

    const QString& path() const { return path_; }
    // The file at path is still the one this lock holds.
    bool holdsFile() const;
    // Deletes the locked file (still under the lock), then releases the lock.
    // True when the file is gone afterwards.
    bool removeAndRelease();
    void release();

private:
    QString path_;  // absolute
    int fd_ = -1;
};

// Deletes the file unless another running copy holds a lock on it; true when the
// file is gone afterwards (also when it did not exist).
bool removeUnlessLocked(const QString& path);

// True when some process holds a lock on the file (this process's own locks
// included: each open of the file is a lock holder of its own).
bool isLocked(const QString& path);

}  // namespace volm
