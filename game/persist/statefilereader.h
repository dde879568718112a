#pragma once
// A puzzle state file read from disk and checked; nothing of the puzzle on
// screen is touched.
#include <QString>

#include "game/persist/statefile.h"

namespace pz {

struct StateFileRead {
    LoadedState state;
    bool ok = false;
    QString error;   // why not, for the player
};

StateFileRead ReadStateFile(const QString& file);

}  // namespace pz
