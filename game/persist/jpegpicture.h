#pragma once
// JPEG pictures through libjpeg, decoded straight into the upright picture:
// rows of a photo taken with the camera turned are written where its
// orientation puts them, so the picture is never held twice at full size.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace pz {

// The EXIF orientation of a JPEG, from its marker segments before the
// first scan; 0 when it has none or is no JPEG.
int JpegOrientation(const QByteArray& head);

struct JpegPicture {
    QImage image;   // RGB32, upright; null on failure
    enum Failure { None, Truncated, Damaged, Refused } failure = None;
    QString reason;   // libjpeg's words, or the size refusal
};

// Decodes a whole JPEG file held in data, turned and mirrored as the
// orientation (0 or 1: as stored; 2 to 8) says; nothing when libjpeg cannot
// write its colours as RGB (CMYK), for Qt's reader to take. A file that
// ends before its last row is refused. sizeError refuses an upright size
// with a reason.
std::optional<JpegPicture> DecodeJpeg(const QByteArray& data, int orientation,
                                      const std::function<QString(QSize)>& sizeError);

}  // namespace pz
