#pragma once
// HEIF pictures (HEIC from phones, AVIF) through libheif.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "game/picture/srgb.h"

namespace pz {

// True when the first bytes of a file may be HEIF or AVIF, whatever brand
// it names (mif1, msf1, heic, avif, ...): only reading it says for sure.
bool MaybeHeif(const QByteArray& head);

struct HeifResult {
    QImage image;   // upright: RGB32, or RGBA8888 with alpha; null on failure
    QString error;
    bool notHeif = false;   // libheif found no HEIF file at all
    // What its colour profile or coded colour description asks for; none
    // for sRGB.
    std::unique_ptr<SrgbConversion> toSrgb;
};

// Decodes the primary image of a HEIF file held in memory (data must outlive
// the call) with its rotation, mirror and crop applied, as a viewer shows it.
// sizeError is asked about the picture's size before anything is decoded and
// refuses it with a reason. Damage the decoder only warns of is refused.
HeifResult ReadHeif(const QByteArray& data, const std::function<QString(QSize)>& sizeError);

// Whether data holds a HEIF picture libheif can read: its boxes and its
// primary image are read, nothing is decoded.
bool IsHeifData(const QByteArray& data);

// The file patterns and MIME types of the HEIF kinds this build can decode.
QStringList HeifPatterns();
QStringList HeifMimeTypes();

}  // namespace pz
