#pragma once
// Reading the player's picture: by its content, upright, in sRGB.
#include <QImage>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <atomic>

namespace pz {

struct PictureResult {
    QImage image;    // RGB32, upright, null on failure
    QString error;   // why it failed, for the player; empty when cancelled
};

// The largest picture the game takes: the geometry counts in 16-bit
// pixels, and the decoded picture must stay within 2 GiB.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr qint64 kMaxPicturePixels = qint64(1) << 29;

// The memory a picture of this many pixels may cost at the peak: 1.2 times
// its 32-bit size and 300 MB (600 MB for HEIF, whose decoders keep more).
inline qint64 PictureBudget(qint64 pixels, bool heif) {
    return pixels * 4 * 6 / 5 + (qint64(heif ? 600 : 300) << 20);
}

// Transparent parts of a picture are shown over white, the paper a puzzle
// is printed on; half-transparent ones are blended with it.
inline constexpr QRgb kTransparentBackground = 0xffffffff;

// Decodes a picture file by its content, whatever its name says: BMP, JPEG,
// GIF, PNG and whatever else Qt's readers take (WebP and TIFF with the
// image-format plugins), HEIF of every brand and AVIF through libheif. The
// picture comes upright, as its EXIF orientation (or HEIF's rotation and
// mirror) says, and in sRGB, as its ICC profile or HEIF colour description
// says; of a file with several images, the first or primary one. Pictures
// over the size limit are refused before they are decoded. A set cancel
// flag ends the read early (at once for JPEG) with a null image and no
// error; it may be set from another thread.
PictureResult ReadPicture(const QString& path, const std::atomic<bool>* cancel = nullptr);
// The same for a picture held by an open, seekable device, with a lower
// limit on its pixels where wanted.
PictureResult DecodePicture(QIODevice& dev, qint64 maxPixels = kMaxPicturePixels,
                            const std::atomic<bool>* cancel = nullptr);

// Told of a picture's size once it is known and within the limits, before
// anything of that size is made (the decoder program sets its memory limit
// there); heif for HEIF and AVIF.
using PictureSizeHook = void (*)(QSize size, bool heif);
void SetPictureSizeHook(PictureSizeHook hook);

// Whether the file on dev holds a picture ReadPicture would try: its header
// reads as a kind the game reads (HEIF by reading its boxes, whatever its
// brand). The game asks behind the wall (IsPictureBehindWall).
bool IsPicture(QIODevice& dev);

// The open dialog's picture patterns ("*.bmp;*.jpg;*.gif" first, then every
// other kind this build reads) and the MIME types of the same kinds,
// decided at run time from the readers that are installed.
QString PicturePatterns();
QStringList PictureMimeTypes();

}  // namespace pz
