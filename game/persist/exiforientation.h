#pragma once
// The EXIF orientation tag of containers whose Qt readers do not apply it
// themselves (PNG's eXIf chunk, WebP's EXIF chunk).
#include <QIODevice>
#include <QImage>

namespace pz {

// The orientation (1 to 8) recorded in an EXIF block starting with its TIFF
// header (an "Exif\0\0" prefix is skipped); 0 when there is none.
int ExifOrientation(const QByteArray& exif);

// The orientation recorded in a PNG or WebP file on dev; 0 when the file
// records none or is neither. Leaves dev's position where it was.
int ContainerOrientation(QIODevice& dev);

// The picture turned and mirrored the way the tag says it was taken.
QImage Oriented(QImage image, int orientation);

}  // namespace pz
