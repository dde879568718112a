#pragma once
// Reading the player's picture and writing the working bitmap.
#include <QImage>
#include <QString>

namespace pz {

struct PictureResult {
    QImage image;    // RGB32, null on failure
    QString error;   // why it failed, for the player
};

// Decodes a picture file (BMP, JPEG, GIF and whatever else Qt reads). Refuses
// pictures wider or taller than 32767 pixels before decoding them.
PictureResult ReadPicture(const QString& path);

// Writes the picture as a 24-bit bitmap, atomically: the target is replaced
// only by a complete file. Returns an empty string on success.
QString WriteBitmap(const QImage& image, const QString& path);

// "WholeImageTemp.bmp" in the program directory.
QString WorkingBitmapPath();

}  // namespace pz
