// Feeds arbitrary bytes to the picture reader, over every kind it reads
// (Qt's readers and plugins, libheif): it must refuse what it cannot take
// with a reason, and what it accepts is an opaque picture within the limits.
#include <QBuffer>
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

#include "game/picture/picture.h"

namespace {
// Enough for any seed; the fuzzer's memory limit stays out of reach.
constexpr qint64 kFuzzPixels = 4 * 1024 * 1024;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);   // finds the image-format plugins
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const pz::PictureResult r = pz::DecodePicture(buffer, kFuzzPixels);
    if (r.image.isNull() == r.error.isEmpty()) std::abort();
    if (!r.image.isNull() && (r.image.format() != QImage::Format_RGB32 ||
                              qint64(r.image.width()) * r.image.height() > kFuzzPixels))
        std::abort();
    return 0;
}
