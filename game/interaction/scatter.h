#pragma once
#include "game/interaction/random.h"
#include "game/model/puzzlemodel.h"

namespace pz {

// Resets the puzzle to single pieces and scatters them at random over a play
// area of the given size; every piece image lands wholly inside it.
void Scramble(const Grid& g, PuzzleModel& m, float scaleWidth, float scaleHeight, Random& rnd);

}  // namespace pz
