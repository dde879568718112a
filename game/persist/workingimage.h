#pragma once
// Reading the player's picture and writing the working bitmap.
#include <QImage>
#include <QString>
#include <QSaveFile>
#include <functional>
#include <memory>
#include <thread>

namespace pz {

struct PictureResult {
    QImage image;    // RGB32, null on failure
    QString error;   // why it failed, for the player
};

// The game cuts pictures of at least 33 x 33 pixels.
inline bool IsTooSmallPicture(const QImage& image) { return image.width() <= 32 || image.height() <= 32; }

// Decodes a picture file (BMP, JPEG, GIF and whatever else Qt reads). Refuses
// pictures wider or taller than 32767 pixels before decoding them.
PictureResult ReadPicture(const QString& path);

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
