#include "game/persist/filelock.h"

#include <QFile>
#include <QThread>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pz {

FileLock::FileLock(const QString& path)
    : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);   // lets go of the lock
}

bool FileLock::Exclusive(int waitMs) {
    for (int waited = 0; fd_ >= 0; waited += 10) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
        if (waited >= waitMs) break;
        QThread::msleep(10);
    }
    return false;
}

bool FileLock::Shared() { return fd_ >= 0 && ::flock(fd_, LOCK_SH) == 0; }

}  // namespace pz
