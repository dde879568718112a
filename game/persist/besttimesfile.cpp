#include "game/persist/besttimesfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "game/persist/programdir.h"

namespace pz {

QString BestTimesFile::Path() const {
    return path_.isEmpty() ? ProgramFile(QStringLiteral("besttimes.txt")) : path_;
}

std::optional<BestTimesTable> BestTimesFile::Read() const {
    QFile f(Path());
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return std::nullopt;
    // A damaged file gives what can be read of it; nothing stops the game.
    const QByteArray text = f.read(1 << 20);
    return ParseBestTimes(text.toStdString());
}

QString BestTimesFile::Write(const BestTimesTable& t) {
    QSaveFile f(Path());
    const std::string text = FormatBestTimes(t);
    const bool ok = f.open(QIODevice::WriteOnly) && f.write(text.data(), qint64(text.size())) == qint64(text.size()) &&
                    f.commit();
    if (ok || failed_) return {};
    failed_ = true;
    return QStringLiteral("The best times could not be written to \"%1\": %2")
        .arg(QDir::toNativeSeparators(f.fileName()), f.errorString());
}

namespace {
// An exclusive flock on a file of its own (the data file itself is replaced
// by renaming, so it cannot carry the lock). A game that holds it for more
// than a few seconds is stuck; the change then goes ahead without it rather
// than freeze this one.
class FileLock {
public:
    explicit FileLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        for (int tries = 0; fd_ >= 0 && tries < 500; ++tries) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
            QThread::msleep(10);
        }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);   // lets go of the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};
}  // namespace

BestTimesFile::Update BestTimesFile::Change(const BestTimesTable& inMemory, const BestTimesChange& change) {
    const FileLock lock(Path() + QStringLiteral(".lock"));
    Update u{Read().value_or(inMemory), QString()};
    if (change) change(u.table);
    u.failure = Write(u.table);
    return u;
}

}  // namespace pz
