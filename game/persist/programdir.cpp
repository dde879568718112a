#include "game/persist/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <memory>

#include "game/persist/filelock.h"
#include "platform/desktop/folders.h"

namespace pz {

namespace {
QString& Chosen() {
    static QString dir;
    return dir;
}
QString& ChosenCache() {
    static QString dir;
    return dir;
}
const char* const kBestTimes = "besttimes.txt";
}  // namespace

QString ProgramDirectory() {
    QString& dir = Chosen();
    if (dir.isEmpty()) {
        dir = desktop::GameDataFolder();
        QDir().mkpath(dir);
        const QString exe = QCoreApplication::applicationDirPath();
        if (!exe.isEmpty()) CopyEarlierBestTimes(exe, dir);
    }
    return dir;
}

void SetProgramDirectory(const QString& dir) { Chosen() = dir; }

QString ProgramFile(const QString& name) { return QDir(ProgramDirectory()).filePath(name); }

bool CopyEarlierBestTimes(const QString& fromDir, const QString& toDir) {
    const QString from = QDir(fromDir).filePath(QLatin1String(kBestTimes));
    const QString to = QDir(toDir).filePath(QLatin1String(kBestTimes));
    if (QFileInfo(fromDir).canonicalFilePath() == QFileInfo(toDir).canonicalFilePath()) return false;
    if (!QFileInfo(from).isFile() || QFileInfo::exists(to)) return false;
    // Copied under a temporary name and renamed, so a crash never leaves
    // half a file where the game would read it.
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part) || !QFile::rename(part, to)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

QString CacheDirectory() {
    QString& dir = ChosenCache();
    if (dir.isEmpty()) dir = desktop::GameCacheFolder();
    QDir().mkpath(dir);
    return dir;
}

void SetCacheDirectory(const QString& dir) { ChosenCache() = dir; }

void RemoveLeftoverWorkingCopy(const QString& path) {
    // Every running game holds a shared lock on this file; whoever gets it
    // exclusively is alone. The kernel lets go of a crashed game's lock.
    static std::unique_ptr<FileLock> running;
    running.reset();   // started again in this process (tests)
    const QString dir = QFileInfo(path).absolutePath();
    QDir().mkpath(dir);
    running = std::make_unique<FileLock>(dir + QStringLiteral("/running.lock"));
    if (running->Exclusive()) QFile::remove(path);
    running->Shared();
}

QString PictureStartFolder() { return PictureStartFolder(QCoreApplication::applicationDirPath()); }

QString PictureStartFolder(const QString& exeDir) {
    if (!exeDir.isEmpty()) {
        for (const char* relative : {"../share/puzzora/samples", "share/puzzora/samples"}) {
            const QString dir = QDir::cleanPath(QDir(exeDir).filePath(QLatin1String(relative)));
            if (QFileInfo(dir).isDir()) return dir;
        }
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
    return QDir::homePath();
}

}  // namespace pz
