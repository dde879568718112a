#include "game/persist/workingimage.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <QSaveFile>
#include <memory>
#include <mutex>

#include "game/persist/exiforientation.h"
#include "game/persist/heifpicture.h"
#include "game/persist/programdir.h"
#include "game/persist/turnedjpeg.h"

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
    if (compression != 0 || w <= 0 || hgt == 0 || bpp <= 0 || bpp > 32 || offBits < 0) return false;
    const qint64 stride = (qint64(w) * bpp + 31) / 32 * 4;
    return dev.size() < qint64(offBits) + stride * std::abs(qint64(hgt));
}

// Qt's JPEG reader fills what a truncated file lacks with grey and says so
// only in a warning; this catches that warning for the one read.
thread_local bool t_catching = false;
thread_local bool t_truncated = false;
QtMessageHandler g_previous = nullptr;
void CatchTruncation(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (t_catching && msg.contains(QLatin1String("premature end"), Qt::CaseInsensitive)) {
        t_truncated = true;
        return;
    }
    if (g_previous) g_previous(type, ctx, msg);
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
    static std::once_flag installed;
    std::call_once(installed, [] { g_previous = qInstallMessageHandler(CatchTruncation); });
    t_catching = true;
    t_truncated = false;
    QImage img = reader.read();
    t_catching = false;
    if (img.isNull()) {
        r.error = Damaged(reader.errorString());
        return r;
    }
    if (t_truncated || (format == "bmp" && ShortBmp(dev))) {
        r.error = Truncated();
        return r;
    }
    r.error = SizeError(img.size(), maxPixels);
    if (!r.error.isEmpty()) return r;
    // Qt turns what its own readers know to be turned; PNG and WebP keep their
    // EXIF block where only we look.
    if (reader.transformation() == QImageIOHandler::TransformationNone)
        img = Oriented(std::move(img), ContainerOrientation(dev));
    r.image = Opaque(std::move(img));
    return r;
}

}  // namespace

PictureResult DecodePicture(QIODevice& dev, qint64 maxPixels) {
    // Large photos are fine; the default limit of 128 MB is not.
    QImageReader::setAllocationLimit(int(std::max<qint64>(maxPixels * 4 / (1024 * 1024), 1)));
    PictureResult r;
    const QByteArray head = dev.peek(64);
    if (head.isEmpty()) {
        r.error = QStringLiteral("the file is empty.");
        return r;
    }
    auto sizeError = [maxPixels](QSize size) { return SizeError(size, maxPixels); };
    // A turned JPEG is decoded straight into its upright picture.
    if (const int tag = JpegOrientation(dev.peek(128 * 1024)); tag >= 2) {
        const QByteArray data = dev.readAll();
        if (std::optional<TurnedJpeg> j = DecodeTurnedJpeg(data, tag, sizeError)) {
            r.image = std::move(j->image);
            r.error = j->failure == TurnedJpeg::Truncated ? Truncated()
                      : j->failure == TurnedJpeg::Damaged ? Damaged(j->reason)
                                                           : j->reason;
            return r;
        }
        dev.seek(0);
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
        QStringList more{QStringLiteral("*.") + QString::fromLatin1(f)};
        if (f == "jpeg") more << QStringLiteral("*.jpe");
        for (const QString& p : more)
            if (!patterns.contains(p)) patterns << p;
    }
    patterns << HeifPatterns();
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
