#pragma once
// JPEG photos taken with the camera turned, decoded straight into the upright
// picture: libjpeg's rows are written where the orientation puts them, so the
// picture is never held twice at full size.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace pz {

// The EXIF orientation of a JPEG from its first bytes (enough to hold its
// APP1 block); 0 when it has none or is no JPEG.
int JpegOrientation(const QByteArray& head);

struct TurnedJpeg {
    QImage image;   // RGB32, upright; null on failure
    enum Failure { None, Truncated, Damaged, Refused } failure = None;
    QString reason;   // libjpeg's words, or the size refusal
};

// Decodes a whole JPEG file held in data whose orientation is 2 to 8;
// nothing when libjpeg cannot write its colours as RGB (CMYK), for the
// ordinary reader to take. sizeError refuses an upright size with a reason.
std::optional<TurnedJpeg> DecodeTurnedJpeg(const QByteArray& data, int orientation,
                                           const std::function<QString(QSize)>& sizeError);

}  // namespace pz
