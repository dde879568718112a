#include "game/persist/workingimage.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QtEndian>
#include <memory>

#include "game/persist/exiforientation.h"
#include "game/persist/heifpicture.h"
#include "game/persist/jpegpicture.h"
#include "game/persist/programdir.h"

namespace pz {

namespace {

QString Truncated() {
    return QStringLiteral("the file ends before the picture does; it may not have been copied whole.");
}
QString Damaged(const QString& why) { return QStringLiteral("the picture is damaged or incomplete (%1).").arg(why); }

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
        QImage out(img.size(), QImage::Format_RGB32);
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

PictureResult DecodeWithQt(QIODevice& dev, qint64 maxPixels) {
    PictureResult r;
    QImageReader reader(&dev);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        r.error = QStringLiteral("the file does not hold a picture of a kind the game can read.");
        return r;
    }
    r.error = SizeError(reader.size(), maxPixels);
    if (!r.error.isEmpty()) return r;
    const QByteArray format = reader.format();
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
    if (!r.error.isEmpty()) return r;
    // Qt turns what its own readers know to be turned; PNG and WebP keep their
    // EXIF block where only we look.
    const int tag = reader.transformation() == QImageIOHandler::TransformationNone ? ContainerOrientation(dev) : 0;
    r.image = Oriented(Opaque(std::move(img)), tag);
    return r;
}

}  // namespace

PictureResult DecodePicture(QIODevice& dev, qint64 maxPixels) {
    // Large photos are fine; the default limit of 128 MB is not.
    // Qt decodes 16-bit pictures at 8 bytes a pixel before making them 4.
    QImageReader::setAllocationLimit(int(std::max<qint64>(maxPixels * 8 / (1024 * 1024), 1)));
    PictureResult r;
    const QByteArray head = dev.peek(64);
    if (head.isEmpty()) {
        r.error = QStringLiteral("the file is empty.");
        return r;
    }
    auto sizeError = [maxPixels](QSize size) { return SizeError(size, maxPixels); };
    // JPEG through libjpeg itself, which says when the data ends too soon
    // and turns a photo as it decodes.
    if (head.startsWith("\xff\xd8\xff")) {
        const QByteArray data = dev.readAll();
        if (std::optional<JpegPicture> j = DecodeJpeg(data, JpegOrientation(data), sizeError)) {
            r.image = std::move(j->image);
            r.error = j->failure == JpegPicture::Truncated ? Truncated()
                      : j->failure == JpegPicture::Damaged ? Damaged(j->reason)
                                                            : j->reason;
            return r;
        }
        dev.seek(0);   // CMYK: Qt's reader converts it
    }
    if (!LooksLikeHeif(head)) return DecodeWithQt(dev, maxPixels);
    const QByteArray data = dev.readAll();
    HeifResult heif = ReadHeif(data, sizeError);
    if (heif.image.isNull()) {
        r.error = heif.error;
        return r;
    }
    r.image = Opaque(std::move(heif.image));
    return r;
}

PictureResult ReadPicture(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        PictureResult r;
        r.error = f.errorString();
        return r;
    }
    return DecodePicture(f);
}

bool IsPictureFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    if (LooksLikeHeif(f.peek(64))) return true;
    QImageReader reader(&f);
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

QString BitmapWriter::Prepare(const QString& path) {
    Wait();
    file_ = std::make_shared<QSaveFile>(path);
    if (file_->open(QIODevice::WriteOnly)) return QString();
    const QString why = file_->errorString();
    file_.reset();
    return why;
}

void BitmapWriter::Begin(const QImage& image, Done onFailure) {
    if (!file_) return;
    worker_ = std::thread([file = std::move(file_), image, onFailure = std::move(onFailure)] {
        QString error;
        if (!image.save(file.get(), "BMP")) {
            file->cancelWriting();
            error = QStringLiteral("the bitmap could not be written");
        }
        if (error.isEmpty() && !file->commit()) error = file->errorString();
        if (!error.isEmpty() && onFailure) onFailure(error);
    });
}

void BitmapWriter::Cancel() {
    if (file_) file_->cancelWriting();
    file_.reset();
}

void BitmapWriter::Wait() {
    if (worker_.joinable()) worker_.join();
}

QString WorkingBitmapPath() { return QDir(CacheDirectory()).filePath(QStringLiteral("WholeImageTemp.bmp")); }

}  // namespace pz
