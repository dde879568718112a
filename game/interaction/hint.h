#pragma once
#include <cstdint>

#include "game/interaction/random.h"
#include "game/model/puzzlemodel.h"

namespace pz {

// The loose group a hint places: a uniform draw over the stacking order,
// drawn again while it lands on a group already home (at most 1000 draws;
// the last one drawn stands). Needs at least one loose group.
int16_t ChooseHintGroup(const PuzzleModel& m, Random& rnd);

}  // namespace pz
