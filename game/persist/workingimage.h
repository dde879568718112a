#pragma once
// Reading the player's picture and writing the working bitmap.
#include <QImage>
#include <QString>
#include <QStringList>
#include <QSaveFile>
#include <functional>
#include <memory>
#include <thread>

namespace pz {

struct PictureResult {
    QImage image;    // RGB32, upright, null on failure
    QString error;   // why it failed, for the player
};

// The largest picture the game takes: the geometry counts in 16-bit
// pixels, and the decoded picture must stay within 2 GiB.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr qint64 kMaxPicturePixels = qint64(1) << 29;

// Transparent parts of a picture are shown over white, the paper a puzzle
// is printed on; half-transparent ones are blended with it.
inline constexpr QRgb kTransparentBackground = 0xffffffff;

// The game cuts pictures of at least 33 x 33 pixels.
inline bool IsTooSmallPicture(const QImage& image) { return image.width() <= 32 || image.height() <= 32; }

// Decodes a picture file by its content, whatever its name says: BMP, JPEG,
// GIF, PNG and whatever else Qt's readers take (WebP and TIFF with the
// image-format plugins), HEIC/HEIF and AVIF through libheif. The picture
// comes upright, as its EXIF orientation (or HEIF's rotation and mirror)
// says; of a file with several images, the first or primary one. Pictures
// over the size limit are refused before they are decoded.
PictureResult ReadPicture(const QString& path);
// The same for a picture held by an open, seekable device, with a lower
// limit on its pixels where wanted.
PictureResult DecodePicture(QIODevice& dev, qint64 maxPixels = kMaxPicturePixels);

// Whether the file holds a picture ReadPicture would try: its content is
// of a kind the game reads.
bool IsPictureFile(const QString& path);

// The open dialog's picture patterns ("*.bmp;*.jpg;*.gif" first, then every
// other kind this build reads) and the MIME types of the same kinds,
// decided at run time from the readers that are installed.
QString PicturePatterns();
QStringList PictureMimeTypes();

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
