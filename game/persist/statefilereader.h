#pragma once
// A puzzle state file read from disk with its picture, checked and ready to
// be cut; nothing of the puzzle on screen is touched.
#include <QImage>
#include <QString>

#include "game/persist/statefile.h"

namespace pz {

struct StateFileRead {
    LoadedState state;
    QImage picture;   // null when the file cannot be used
    QString error;    // why not, for the player
};

StateFileRead ReadStateFile(const QString& file);

}  // namespace pz
