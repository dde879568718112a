#pragma once
// What a picture file says besides its pixels, where Qt's readers do not
// act on it: the EXIF orientation (PNG's eXIf chunk, WebP's EXIF chunk),
// applied here, and the embedded ICC profile (PNG, WebP, TIFF).
#include <QIODevice>
#include <QImage>
#include <cstdint>

namespace pz {

// The orientation (1 to 8) recorded in an EXIF block starting with its TIFF
// header (an "Exif\0\0" prefix is skipped); 0 when there is none.
int ExifOrientation(const QByteArray& exif);

// The orientation recorded in a PNG or WebP file on dev; 0 when the file
// records none or is neither. Leaves dev's position where it was.
int ContainerOrientation(QIODevice& dev);

// The ICC profile embedded in a PNG (iCCP), WebP (ICCP) or TIFF (tag
// 34675) file on dev; empty when there is none or the file is none of
// these. Leaves dev's position where it was.
QByteArray ContainerIccProfile(QIODevice& dev);

// What the primary image of a HEIF file says of itself when it is a grid
// (a picture put together from tiles), read from the file's boxes before
// libheif makes anything of it. grid is false when the primary image is no
// grid or its boxes cannot be read, which libheif then tells of.
struct HeifGrid {
    bool grid = false;
    int rows = 0, columns = 0;
    QSize output;           // the size of the picture the tiles make
    int references = 0;     // the tiles it names
    int mostRepeated = 0;   // the most times it names one tile
};
HeifGrid ReadHeifGrid(const QByteArray& file);

// Copies rows [r0, r0 + count) of a w x h stored picture (RGB32 pixels, w
// to a row, from rows) to their places in the upright picture out, as the
// tag defines them.
void PlaceRows(QImage& out, int tag, const uint32_t* rows, int r0, int count, int w, int h);

// The RGB32 picture turned and mirrored the way the tag says it was taken.
QImage Oriented(const QImage& picture, int orientation);

}  // namespace pz
