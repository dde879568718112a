#pragma once
// Which loose piece lies under the cursor, by the piece's exact shape.
#include "game/model/puzzlemodel.h"

namespace pz {

// The number (1..17) of the shape row that decides for piece p, or 0 when
// its position and flags match none (it cannot be picked).
int HitTableRow(const Grid& g, const PuzzleModel& m, int p);

// True when (x, y) lies strictly inside one of the piece's shape rectangles.
bool HitTestPiece(const Grid& g, const PuzzleModel& m, int p, double x, double y);

// The piece hit at (x, y): loose groups from the top of the stacking order
// down, inside a group the highest piece number first. 0 when none.
int FindPieceAt(const Grid& g, const PuzzleModel& m, double x, double y);

}  // namespace pz
