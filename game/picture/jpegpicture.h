#pragma once
// JPEG pictures through libjpeg, decoded straight into the upright picture:
// rows of a photo taken with the camera turned are written where its
// orientation puts them, so the picture is never held twice at full size.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>
#include <functional>

namespace pz {

// The EXIF orientation of a JPEG, from its marker segments before the
// first scan; 0 when it has none or is no JPEG.
int JpegOrientation(const QByteArray& head);

struct JpegPicture {
    QImage image;   // RGB32, upright, in sRGB; null on failure
    enum Failure { None, Truncated, Damaged, Refused, Cancelled } failure = None;
    QString reason;   // libjpeg's words, or the size refusal
};

// Decodes a whole JPEG file held in data, turned and mirrored as the
// orientation (0 or 1: as stored; 2 to 8) says, its colours converted to
// sRGB when it carries an ICC profile. CMYK files (inverted, as Adobe
// writes them) are converted by their profile, or as Qt's reader converts
// them when they have none. A file that ends before its last row is
// refused. sizeError refuses an upright size with a reason; a set cancel
// flag stops the decode within a scan row.
JpegPicture DecodeJpeg(const QByteArray& data, int orientation, const std::function<QString(QSize)>& sizeError,
                       const std::atomic<bool>* cancel = nullptr);

}  // namespace pz
