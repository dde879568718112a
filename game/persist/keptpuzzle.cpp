#include "game/persist/keptpuzzle.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "game/persist/filelock.h"
#include "game/persist/programdir.h"
#include "platform/desktop/wholefile.h"

namespace pz {

namespace {

QString KeptFolder() { return ProgramFile(QStringLiteral("kept")); }
QString LockPath() { return ProgramFile(QStringLiteral("kept.lock")); }

// A state file's path record holds 128 characters.
constexpr qsizetype kPathRecord = 128;

// Every picture in the folder but the one the kept state names.
void RemoveOtherPictures(const QString& keep) {
    QDir dir(KeptFolder());
    for (const QString& name : dir.entryList(QDir::Files))
        if (dir.filePath(name) != keep) dir.remove(name);
}

}  // namespace

QString KeptStatePath() { return ProgramFile(QStringLiteral("kept.psf")); }

QString KeptPuzzle::PicturePathFor(const QString& imageName) {
    // Named as the photo was, so that a result entered after a resume names
    // the picture as before; the content is PNG whatever the name says.
    const QString name = QFileInfo(imageName.trimmed()).fileName();
    for (const QString& candidate : {name, QStringLiteral("picture.png")}) {
        if (candidate.isEmpty()) continue;
        const QString path = QDir(KeptFolder()).filePath(candidate);
        if (path.toUtf8().size() <= kPathRecord) return path;
    }
    return {};
}

void KeptPuzzle::Keep(QByteArray state, const QImage& picture, const QString& picturePath) {
    Wait();
    writing_ = std::async(std::launch::async, [this, state = std::move(state), picture, picturePath] {
        FileLock lock(LockPath());
        if (!lock.Exclusive(10000)) return;
        QDir().mkpath(KeptFolder());
        // Another game may have written a picture of the same name since.
        const QFileInfo was(picturePath);
        const bool same = picture.cacheKey() == pictureKey_ && picturePath == picturePath_ && was.exists() &&
                          was.lastModified() == pictureWritten_;
        if (!same) {
            QSaveFile f(picturePath);
            // Fast compression: a 24-megapixel photo takes a second or two,
            // once per puzzle, here off the interface thread.
            if (!f.open(QIODevice::WriteOnly) || !picture.save(&f, "PNG", 80) || !f.commit()) return;
            pictureKey_ = picture.cacheKey();
            picturePath_ = picturePath;
            pictureWritten_ = QFileInfo(picturePath).lastModified();
        }
        if (!desktop::WriteWholeFile(KeptStatePath(), state).isEmpty()) return;
        RemoveOtherPictures(picturePath);
    });
}

void KeptPuzzle::Remove() {
    Wait();
    FileLock lock(LockPath());
    if (!lock.Exclusive(10000)) return;
    QFile::remove(KeptStatePath());
    RemoveOtherPictures(QString());
    pictureKey_ = 0;
}

void KeptPuzzle::Wait() {
    if (writing_.valid()) writing_.wait();
}

}  // namespace pz
