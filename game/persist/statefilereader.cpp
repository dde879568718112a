#include "game/persist/statefilereader.h"

#include <QDir>
#include <QFile>

#include "game/persist/workingimage.h"

namespace pz {

StateFileRead ReadStateFile(const QString& file) {
    StateFileRead out;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        out.error = f.errorString();
        return out;
    }
    if (f.size() > 64 * 1024 * 1024) {
        out.error = QStringLiteral("the file is far too large to be a puzzle state");
        return out;
    }
    try {
        out.state = ReadState(f.readAll().toStdString());
    } catch (const StateFileError& e) {
        out.error = QString::fromStdString(e.message);
        return out;
    }
    const QString picturePath = QString::fromStdString(out.state.ImageFileName);
    PictureResult pic = ReadPicture(picturePath);
    if (pic.image.isNull())
        out.error = QStringLiteral("its picture \"%1\" could not be opened: %2")
                        .arg(QDir::toNativeSeparators(picturePath), pic.error);
    else if (IsTooSmallPicture(pic.image))
        out.error = QStringLiteral("its picture \"%1\" is smaller than 33 x 32 pixels").arg(picturePath);
    else
        out.picture = std::move(pic.image);
    return out;
}

}  // namespace pz
