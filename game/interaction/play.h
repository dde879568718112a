#pragma once
// Dragging, joining and locking groups home.
#include "game/model/puzzlemodel.h"

namespace pz {

// Distances strictly below this join (and lock) pieces at a pixel ratio of
// 1; it scales with the ratio (JoinToleranceOf).
constexpr int JoinTolerance = 5;

// The drag in progress: the group of the selected piece, or the preview by
// its caption bar.
struct Drag {
    bool Group = false, Preview = false;
};

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

// What locking a group home did: whether it completed the puzzle and, if
// so, the time the puzzle took (its clock is back at 0 by then). The game
// around it does the rest: stops the timer, offers a timed result to the
// best times, and rewrites them after every lock.
struct Locked {
    bool completed = false;
    int32_t seconds = 0;
};

// Locks a group at home: its pieces go to their home positions and into the
// at-home list, the group leaves the stacking order. Completes the puzzle
// when it was the last one.
Locked SetGroupInPlace(const Grid& g, PuzzleModel& m, int16_t group);

}  // namespace pz
