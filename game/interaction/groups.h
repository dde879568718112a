#pragma once
// Groups of joined pieces: merging, stacking order and alignment.
#include <cstdint>

#include "game/model/puzzlemodel.h"

namespace pz {

// Takes a group out of the stacking order and empties its list.
void RemoveGroup(PuzzleModel& m, int16_t group);

// Lifts the group of the selected piece to the top of the stacking order.
void ReOrderGroups(PuzzleModel& m);

// Merges SelectedGroup into the group of piece n (whose number survives).
void SetPieceGroup(PuzzleModel& m, int16_t n);

// Lays the group out around its lowest-numbered piece, first pulling that
// piece in so the group's bodies stay inside a play area of the given size.
// One-piece groups are left alone.
void AlignGroup(PuzzleModel& m, int16_t group, double scaleWidth, double scaleHeight);

// AlignGroup for every loose group in stacking order.
void AlignAllGroups(PuzzleModel& m, double scaleWidth, double scaleHeight);

}  // namespace pz
