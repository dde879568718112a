#include "game/persist/workingimage.h"

#include <QDir>

#include "game/persist/programdir.h"

namespace pz {

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
