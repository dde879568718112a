#include "game/persist/workingimage.h"

#include <QDir>
#include <QImageReader>
#include <QSaveFile>
#include <memory>

#include "game/persist/programdir.h"

namespace pz {

PictureResult ReadPicture(const QString& path) {
    // Large photos are fine; the default limit of 128 MB is not.
    QImageReader::setAllocationLimit(2048);
    PictureResult r;
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > 32767 || size.height() > 32767)) {
        r.error = QStringLiteral("The picture is %1 x %2 pixels; at most 32767 pixels either way can be used.")
                      .arg(size.width())
                      .arg(size.height());
        return r;
    }
    QImage img = reader.read();
    if (img.isNull()) {
        r.error = reader.errorString();
        return r;
    }
    if (img.width() > 32767 || img.height() > 32767) {
        r.error = QStringLiteral("The picture is larger than 32767 pixels.");
        return r;
    }
    if (img.format() != QImage::Format_RGB32) img = img.convertToFormat(QImage::Format_RGB32);
    r.image = std::move(img);
    return r;
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
