#include "game/session/opening.h"

#include <QDir>

#include "game/model/grid.h"
#include "game/persist/statefilereader.h"
#include "game/picture/wall.h"

namespace pz {

Opening OpenPictureFile(const QString& path, const Settings& settings, PlaySize size,
                        const std::atomic<bool>& cancel) {
    Opening out;
    out.size = size;
    PictureResult pic = ReadPictureBehindWall(path, &cancel);
    if (pic.image.isNull()) {
        if (!pic.error.isEmpty())
            out.message = QStringLiteral("The picture \"%1\" could not be opened: %2")
                              .arg(QDir::toNativeSeparators(path), pic.error);
        return out;
    }
    PuzzleSession::Made made = PuzzleSession::FromPicture(std::move(pic.image), settings, size);
    out.session = std::move(made.session);
    out.message = made.refusal;
    return out;
}

Opening OpenStateFile(const QString& file, const Settings& settings, PlaySize size, const std::atomic<bool>& cancel) {
    Opening out;
    out.size = size;
    auto fail = [&](const QString& why) {
        out.message = QStringLiteral("The puzzle state file \"%1\" could not be loaded: %2")
                          .arg(QDir::toNativeSeparators(file), why);
        return std::move(out);
    };
    StateFileRead read = ReadStateFile(file);
    if (!read.ok) return fail(read.error);
    const QString picturePath = QString::fromStdString(read.state.ImageFileName);
    PictureResult pic = ReadPictureBehindWall(picturePath, &cancel);
    if (pic.image.isNull() && pic.error.isEmpty()) return out;   // cancelled
    if (pic.image.isNull())
        return fail(QStringLiteral("its picture \"%1\" could not be opened: %2")
                        .arg(QDir::toNativeSeparators(picturePath), pic.error));
    if (IsTooSmallPicture(pic.image.width(), pic.image.height()))
        return fail(QStringLiteral("its picture \"%1\" is smaller than 33 x 32 pixels").arg(picturePath));
    PuzzleSession::Made made = PuzzleSession::FromState(std::move(read.state), std::move(pic.image),
                                                        file.toStdString(), settings, size);
    if (!made.session) return fail(made.refusal);
    out.session = std::move(made.session);
    return out;
}

}  // namespace pz
