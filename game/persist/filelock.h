#pragma once
// An advisory flock on a file of its own, created if missing (a data file
// that is replaced by renaming cannot carry the lock). The lock goes with
// this object, or with the process when it ends, crashes included.
#include <QString>

namespace pz {

class FileLock {
public:
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Exclusive, trying for up to waitMs; false when not had.
    bool Exclusive(int waitMs = 0);
    // Shared (from exclusive: without a moment unlocked).
    bool Shared();

private:
    int fd_ = -1;
};

}  // namespace pz
