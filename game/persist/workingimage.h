#pragma once
// The working bitmap: the picture on screen written again beside the game.
#include <QImage>
#include <QSaveFile>
#include <QString>
#include <functional>
#include <memory>
#include <thread>

namespace pz {

// "WholeImageTemp.bmp" in the cache folder.
QString WorkingBitmapPath();

// Writes the working bitmap on a worker thread, so that a large picture is on
// screen while its copy is still being written. Prepare opens the target
// first, so a folder that cannot be written is known before anything else
// changes; Begin then writes, and a failure later on (a full disk) is handed
// to the callback on the worker thread. The earlier file survives any
// failure and a cancelled write.
class BitmapWriter {
public:
    ~BitmapWriter() { Wait(); }
    using Done = std::function<void(const QString& error)>;
    // Empty string when the target is open; the reason otherwise.
    QString Prepare(const QString& path);
    void Begin(const QImage& image, Done onFailure);
    void Cancel();
    // Blocks until the write under way, if any, has finished.
    void Wait();

private:
    std::shared_ptr<QSaveFile> file_;
    std::thread worker_;
};

}  // namespace pz
