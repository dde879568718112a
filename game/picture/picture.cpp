#include "game/picture/picture.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <functional>
#include <future>
#include <memory>

#include "game/picture/containers.h"
#include "game/picture/heifpicture.h"
#include "game/picture/jpegpicture.h"
#include "game/picture/newpicture.h"
#include "game/picture/srgb.h"

namespace pz {

namespace {

QString Truncated() {
    return QStringLiteral("the file ends before the picture does; it may not have been copied whole.");
}
QString Damaged(const QString& why) { return QStringLiteral("the picture is damaged or incomplete (%1).").arg(why); }

bool Cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

PictureSizeHook sizeHook = nullptr;

// The largest file read as a picture: a JPEG at the pixel limit and the
// lowest compression is about 1.5 GB.
constexpr qint64 kMaxPictureFile = qint64(2) << 30;

// The file's bytes: mapped when it is a file (its pages read only as the
// decoder comes to them), else read.
QByteArray Whole(QIODevice& dev) {
    if (auto* file = qobject_cast<QFile*>(&dev)) {
        if (uchar* p = file->map(0, file->size()))
            return QByteArray::fromRawData(reinterpret_cast<const char*>(p), qsizetype(file->size()));
    }
    dev.seek(0);
    return dev.readAll();
}

QString SizeError(QSize size, qint64 maxPixels) {
    if (!size.isValid() || size.isEmpty()) return QString();   // the decoder says what is wrong
    if (size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide &&
        qint64(size.width()) * size.height() <= maxPixels)
        return QString();
    return QStringLiteral("the picture is %1 x %2 pixels; at most %3 pixels either way and %4 million in all can be used.")
        .arg(size.width())
        .arg(size.height())
        .arg(kMaxPictureSide)
        .arg(maxPixels / 1000000);
}

// The picture as the game plays it: opaque RGB32, transparent parts over
// the documented background whatever colour the decoder left in them.
QImage Opaque(QImage img) {
    if (img.hasAlphaChannel()) {
        QImage out = MakeNewPicture(img.size()).image;
        out.fill(kTransparentBackground);
        QPainter p(&out);
        p.drawImage(0, 0, img);
        return out;
    }
    if (img.format() != QImage::Format_RGB32) img = img.convertToFormat(QImage::Format_RGB32);
    return img;
}

// An uncompressed BMP shorter than its rows: Qt's reader shows the missing
// rows black without a word.
bool ShortBmp(QIODevice& dev) {
    const qint64 was = dev.pos();
    dev.seek(0);
    const QByteArray h = dev.peek(54);
    dev.seek(was);
    if (h.size() < 54 || !h.startsWith("BM")) return false;
    auto le32 = [&](int at) { return qFromLittleEndian<qint32>(h.constData() + at); };
    const qint32 offBits = le32(10), w = le32(18), hgt = le32(22), compression = le32(30);
    const int bpp = qFromLittleEndian<quint16>(h.constData() + 28);
    // Uncompressed rows, with or without colour masks.
    if ((compression != 0 && compression != 3 && compression != 6) || w <= 0 || hgt == 0 || bpp <= 0 || bpp > 32 ||
        offBits < 0)
        return false;
    const qint64 stride = (qint64(w) * bpp + 31) / 32 * 4;
    return dev.size() < qint64(offBits) + stride * std::abs(qint64(hgt));
}

// A GIF ends with its trailer byte; Qt's reader shows a cut one's missing
// rows without a word.
bool ShortGif(QIODevice& dev) {
    const qint64 was = dev.pos();
    const bool whole = dev.seek(dev.size() - 1) && dev.peek(1) == QByteArray(1, '\x3b');
    dev.seek(was);
    return !whole;
}

// The picture's colours made sRGB, the two halves on two cores.
void ToSrgb(QImage& img, const SrgbConversion* toSrgb) {
    if (!toSrgb || img.isNull()) return;
    const int h = img.height(), half = h / 2;
    auto rows = [&img, toSrgb](int from, int to) {
        for (int y = from; y < to; ++y) toSrgb->Apply(reinterpret_cast<uint32_t*>(img.scanLine(y)), size_t(img.width()));
    };
    img.detach();   // scanLine() of a shared image would copy it on both threads
    std::future<void> other = std::async(std::launch::async, rows, half, h);
    rows(0, half);
    other.wait();
}

QSize GifScreen(QIODevice& dev) {
    const QByteArray h = dev.peek(10);
    if (h.size() < 10) return {};
    return QSize(qFromLittleEndian<quint16>(h.constData() + 6), qFromLittleEndian<quint16>(h.constData() + 8));
}

// The most Qt's reading and the steps after it hold at once: what Qt
// decodes, beside its turned copy or beside its opaque 32-bit copy when that
// differs; that copy beside its upright one when the file says it was
// taken turned.
QString MemoryError(QImageReader& reader, QSize size, bool turned) {
    const qint64 pixels = qint64(size.width()) * size.height();
    const QImage::Format decoded = reader.imageFormat();
    const qint64 bytes = decoded == QImage::Format_Invalid ? 4 : std::max(1, QImage::toPixelFormat(decoded).bitsPerPixel() / 8);
    const bool copied = decoded != QImage::Format_RGB32;
    const qint64 peak = pixels * std::max({bytes * (turned ? 2 : 1), bytes + (copied ? 4 : 0), qint64(turned ? 8 : 4)});
    if (size.isEmpty() || peak <= PictureBudget(pixels, false)) return {};
    return QStringLiteral("a picture of %1 x %2 pixels%3 would need %4 MB to read, more than the game gives one "
                          "picture (%5 MB).")
        .arg(size.width())
        .arg(size.height())
        .arg(bytes > 4 ? QStringLiteral(" at 16 bits a channel") : QString())
        .arg(peak >> 20)
        .arg(PictureBudget(pixels, false) >> 20);
}

PictureResult DecodeWithQt(QIODevice& dev, qint64 maxPixels, const std::atomic<bool>* cancel) {
    PictureResult r;
    QImageReader reader(&dev);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        r.error = QStringLiteral("the file does not hold a picture of a kind the game can read.");
        return r;
    }
    const QByteArray format = reader.format();
    // A GIF is decoded at the size of its screen, whatever its first frame says.
    const QSize size = format == "gif" ? GifScreen(dev) : reader.size();
    r.error = SizeError(size, maxPixels);
    // Qt turns what its own readers know to be turned; PNG and WebP keep their
    // EXIF block where only we look.
    const bool turnedByQt = reader.transformation() != QImageIOHandler::TransformationNone;
    const int tag = turnedByQt ? 0 : ContainerOrientation(dev);
    if (r.error.isEmpty()) r.error = MemoryError(reader, size, turnedByQt || tag >= 2);
    if (!r.error.isEmpty()) return r;
    if (sizeHook) sizeHook(size, false);
    QImage img = reader.read();
    if (img.isNull()) {
        r.error = Damaged(reader.errorString());
        return r;
    }
    if ((format == "bmp" && ShortBmp(dev)) || (format == "gif" && ShortGif(dev))) {
        r.error = Truncated();
        return r;
    }
    r.error = SizeError(img.size(), maxPixels);
    if (!r.error.isEmpty() || Cancelled(cancel)) return r;
    // Qt's own colour spaces are left alone: they take matrix profiles only,
    // and make one of PNG's gamma alone.
    const std::unique_ptr<SrgbConversion> toSrgb = SrgbConversion::FromIcc(ContainerIccProfile(dev));
    img.setColorSpace(QColorSpace());   // sRGB once made so, like every picture the game reads
    img = Opaque(std::move(img));
    ToSrgb(img, toSrgb.get());
    r.image = Oriented(img, tag);
    return r;
}

// A HEIF picture (AVIF too) into r; false when libheif finds the file is
// none after all.
bool DecodeHeif(QIODevice& dev, const std::function<QString(QSize)>& sizeError, const std::atomic<bool>* cancel,
                PictureResult& r) {
    const QByteArray data = Whole(dev);
    HeifResult heif = ReadHeif(data, sizeError);
    if (heif.notHeif) return false;
    if (heif.image.isNull() || Cancelled(cancel)) {
        r.error = Cancelled(cancel) ? QString() : heif.error;
        return true;
    }
    r.image = Opaque(std::move(heif.image));
    ToSrgb(r.image, heif.toSrgb.get());
    return true;
}

}  // namespace

PictureResult DecodePicture(QIODevice& dev, qint64 maxPixels, const std::atomic<bool>* cancel) {
    // Large photos are fine; the default limit of 128 MB is not. What Qt
    // decodes may take the whole budget of the largest picture.
    QImageReader::setAllocationLimit(int(std::max<qint64>(PictureBudget(maxPixels, false) >> 20, 1)));
    PictureResult r;
    const QByteArray head = dev.peek(64);
    if (head.isEmpty()) {
        r.error = QStringLiteral("the file is empty.");
        return r;
    }
    // No picture the game takes comes near this; a file this large (a sparse
    // one that merely starts like a picture) is not read into memory.
    if (dev.size() > kMaxPictureFile) {
        r.error = QStringLiteral("the file is %1 MB, far more than a picture the game can take.").arg(dev.size() >> 20);
        return r;
    }
    const bool maybeHeif = MaybeHeif(head);
    auto sizeError = [maxPixels, heif = maybeHeif](QSize size) {
        QString refusal = SizeError(size, maxPixels);
        if (refusal.isEmpty() && sizeHook) sizeHook(size, heif);
        return refusal;
    };
    // JPEG through libjpeg itself, which says when the data ends too soon,
    // turns a photo and makes its colours sRGB as it decodes.
    if (head.startsWith("\xff\xd8\xff")) {
        const QByteArray data = Whole(dev);
        JpegPicture j = DecodeJpeg(data, JpegOrientation(data), sizeError, cancel);
        r.image = std::move(j.image);
        r.error = j.failure == JpegPicture::Truncated ? Truncated()
                  : j.failure == JpegPicture::Damaged ? Damaged(j.reason)
                                                      : j.reason;
        return r;
    }
    // HEIF of any brand is known by libheif reading it; a file that only
    // looked like one goes to Qt's readers.
    if (maybeHeif) {
        if (DecodeHeif(dev, sizeError, cancel, r)) return r;
        dev.seek(0);
    }
    return DecodeWithQt(dev, maxPixels, cancel);
}

void SetPictureSizeHook(PictureSizeHook hook) { sizeHook = hook; }

PictureResult ReadPicture(const QString& path, const std::atomic<bool>* cancel) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        PictureResult r;
        r.error = f.errorString();
        return r;
    }
    PictureResult r = DecodePicture(f, kMaxPicturePixels, cancel);
    if (Cancelled(cancel)) return {};
    return r;
}

bool IsPicture(QIODevice& dev) {
    if (MaybeHeif(dev.peek(64)) && IsHeifData(Whole(dev))) return true;
    dev.seek(0);
    QImageReader reader(&dev);
    reader.setDecideFormatFromContent(true);
    return reader.canRead();
}

QString PicturePatterns() {
    QStringList patterns{QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.gif")};
    for (const QByteArray& f : QImageReader::supportedImageFormats()) {
        patterns << QStringLiteral("*.") + QString::fromLatin1(f);
        if (f == "jpeg") patterns << QStringLiteral("*.jpe");
    }
    patterns << HeifPatterns();
    // Cameras and phones name their files in capitals (DSC_0001.JPG,
    // IMG_0001.HEIC), and some file dialogs match case exactly.
    for (qsizetype i = 0, n = patterns.size(); i < n; ++i) patterns << patterns[i].toUpper();
    patterns.removeDuplicates();
    return patterns.join(';');
}

QStringList PictureMimeTypes() {
    QStringList types;
    for (const QByteArray& m : QImageReader::supportedMimeTypes()) types << QString::fromLatin1(m);
    types << HeifMimeTypes();
    types.removeDuplicates();
    return types;
}

}  // namespace pz
