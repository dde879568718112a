#include "game/persist/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace pz {

namespace {
QString& Chosen() {
    static QString dir;
    return dir;
}
const char* const kBestTimes = "besttimes.txt";
}  // namespace

QString ProgramDirectory() {
    QString& dir = Chosen();
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(dir);
        const QString exe = QCoreApplication::applicationDirPath();
        if (!exe.isEmpty()) MoveEarlierBestTimes(exe, dir);
    }
    return dir;
}

void SetProgramDirectory(const QString& dir) { Chosen() = dir; }

QString ProgramFile(const QString& name) { return QDir(ProgramDirectory()).filePath(name); }

bool MoveEarlierBestTimes(const QString& fromDir, const QString& toDir) {
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
    QFile::remove(from);
    return true;
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
