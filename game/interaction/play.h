#pragma once
// Dragging, joining and locking groups home.
#include "game/model/puzzlemodel.h"

namespace pz {

// Distances strictly below this join (and lock) pieces at a pixel ratio of
// 1; it scales with the ratio (JoinToleranceOf).
constexpr int JoinTolerance = 5;

// Moves the selected piece's group so that the piece's image is centred on
// (x, y); each axis stays put while moving along it would put the group's
// images on or past an edge of the play area.
void DragGroupTo(PuzzleModel& m, double x, double y, double scaleWidth, double scaleHeight);

// Moves the preview so that the cursor holds its caption bar at the bar's
// horizontal centre, 8 pixels (scaled) below its top; each axis is kept inside.
void DragPreviewTo(PuzzleModel& m, double x, double y, double scaleWidth, double scaleHeight);

// True when (x, y) lies strictly inside the preview's caption bar.
bool OnPreviewCaption(const PuzzleModel& m, double x, double y);

// The selected piece lies within the tolerance of its home on both axes.
bool IsAtHome(const PuzzleModel& m, int piece);

// Joins the released group (SelectedGroup) with every grid neighbour found
// within tolerance, snapping and merging as it goes. Neighbours locked home
// are left alone.
void JoinPass(const Grid& g, PuzzleModel& m, double scaleWidth, double scaleHeight);

// What locking needs of the game around it.
class PlacingHost {
public:
    virtual ~PlacingHost() = default;
    virtual void StopTimer() = 0;
    // The puzzle is complete and timed: offer the result to the best times.
    virtual void BestTimeEntry() = 0;
    // Rewrite the best-times file (after every lock).
    virtual void SaveBestTimes() = 0;
};

// Locks a group at home: its pieces go to their home positions and into the
// at-home list, the group leaves the stacking order. Completes the puzzle
// when it was the last one, offering a timed result to the best times.
void SetGroupInPlace(const Grid& g, PuzzleModel& m, int16_t group, bool timePuzzle, PlacingHost& host);

// Kept for the Hint command; it has nothing to do.
inline void MoveGroupToPlace(PuzzleModel&, int16_t) {}

}  // namespace pz
