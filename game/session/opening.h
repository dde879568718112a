#pragma once
// A puzzle opened from a file: its picture read and the puzzle cut aside,
// off the interface thread; the window takes it over, or tells the player
// why not.
#include <QString>
#include <atomic>
#include <memory>

#include "game/session/puzzlesession.h"

namespace pz {

struct Opening {
    std::unique_ptr<PuzzleSession> session;
    QString message;   // what to tell the player when there is no session
    PlaySize size;     // the play area it was cut for
};

// A picture file as a new puzzle of settings.NumberOfPieces pieces, not
// yet scattered.
Opening OpenPictureFile(const QString& path, const Settings& settings, PlaySize size,
                        const std::atomic<bool>& cancel);
// A puzzle state file with its picture.
Opening OpenStateFile(const QString& file, const Settings& settings, PlaySize size, const std::atomic<bool>& cancel);

}  // namespace pz
