#pragma once
// The kept puzzle: the unfinished puzzle on screen, written on every way out
// of the game and every so often while it is played, with a lossless copy
// of the picture it was cut from, so that it comes back (puzzora --resume,
// or the setting) even when the photo has gone. One kept puzzle at a time,
// the latest; the files are "kept.psf" and "kept/<picture's name>" in the
// program directory.
#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <future>

namespace pz {

QString KeptStatePath();

class KeptPuzzle {
public:
    ~KeptPuzzle() { Wait(); }
    // Where the copy of a picture of this file name goes: the kept state
    // file names it. Empty when no path would fit a state file's record.
    static QString PicturePathFor(const QString& imageName);
    // Writes the kept state file (state, naming picturePath) and, unless
    // this keeper wrote that same picture there last, the picture, on a
    // worker thread, after a write under way. Each file is replaced whole;
    // two games keeping at once take turns through a lock, and the last one
    // leaves its own state and picture, never a mix.
    void Keep(QByteArray state, const QImage& picture, const QString& picturePath);
    // Removes the kept puzzle and its picture.
    void Remove();
    // Blocks until the write under way, if any, is done.
    void Wait();

private:
    std::future<void> writing_;
    // The picture this keeper wrote last, and the file as it left it.
    qint64 pictureKey_ = 0;
    QString picturePath_;
    QDateTime pictureWritten_;
};

}  // namespace pz
