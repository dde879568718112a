#pragma once
// HEIF pictures (HEIC from phones, AVIF) through libheif.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

namespace pz {

// True when the first bytes of a file say HEIF or AVIF.
bool LooksLikeHeif(const QByteArray& head);

struct HeifResult {
    QImage image;   // upright, 8 bits a channel (RGB888 or RGBA8888); null on failure
    QString error;
};

// Decodes the primary image of a HEIF file held in memory (data must outlive
// the call) with its rotation, mirror and crop applied, as a viewer shows it.
// sizeError is asked about the picture's size before anything is decoded and
// refuses it with a reason.
HeifResult ReadHeif(const QByteArray& data, const std::function<QString(QSize)>& sizeError);

// The file patterns and MIME types of the HEIF kinds this build can decode.
QStringList HeifPatterns();
QStringList HeifMimeTypes();

}  // namespace pz
