#include "game/persist/besttimesfile.h"

#include <QDir>
#include <QFile>

#include "game/persist/filelock.h"
#include "game/persist/programdir.h"
#include "platform/desktop/wholefile.h"

namespace pz {

QString BestTimesFile::Path() const {
    return path_.isEmpty() ? ProgramFile(QStringLiteral("besttimes.txt")) : path_;
}

std::optional<BestTimesTable> BestTimesFile::Read() const { return Read(nullptr); }

std::optional<BestTimesTable> BestTimesFile::Read(QString* failure) const {
    QFile f(Path());
    if (!f.exists()) return std::nullopt;
    if (!f.open(QIODevice::ReadOnly)) {
        if (failure)
            *failure = QStringLiteral("The best times could not be read from \"%1\": %2")
                           .arg(QDir::toNativeSeparators(f.fileName()), f.errorString());
        return std::nullopt;
    }
    // A damaged file gives what can be read of it; nothing stops the game.
    const QByteArray text = f.read(1 << 20);
    return ParseBestTimes(text.toStdString());
}

QString BestTimesFile::Told(const QString& failure) {
    if (failure.isEmpty() || failed_) return {};
    failed_ = true;
    return failure;
}

QString BestTimesFile::Write(const BestTimesTable& t) {
    const QString path = Path();
    const QString why = desktop::WriteWholeFile(path, QByteArray::fromStdString(FormatBestTimes(t)));
    if (why.isEmpty()) return {};
    return QStringLiteral("The best times could not be written to \"%1\": %2")
        .arg(QDir::toNativeSeparators(path), why);
}

BestTimesFile::Update BestTimesFile::Change(const BestTimesTable& inMemory, const BestTimesChange& change) {
    // A game stuck with the lock for more than a few seconds does not
    // freeze this one: the change then goes ahead without it.
    FileLock lock(Path() + QStringLiteral(".lock"));
    lock.Exclusive(5000);
    QString failure;
    const std::optional<BestTimesTable> onDisk = Read(&failure);
    Update u{onDisk.value_or(inMemory), QString()};
    if (change) change(u.table);
    // A file there that cannot be read is never written over: it may hold
    // other results; this change stays in memory only.
    if (failure.isEmpty()) failure = Write(u.table);
    u.failure = Told(failure);
    return u;
}

}  // namespace pz
