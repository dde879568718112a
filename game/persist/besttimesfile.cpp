#include "game/persist/besttimesfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

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

}  // namespace pz
