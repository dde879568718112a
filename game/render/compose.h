#pragma once
// Composing the play area into the back buffer: a whole frame, or only the
// rectangles a change touched, with the same result there.
#include <vector>

#include "game/model/cutting.h"
#include "game/model/settings.h"
#include "game/model/puzzlemodel.h"
#include "game/render/bandworker.h"
#include "game/render/puzzleimages.h"
#include "platform/display/surface.h"

namespace pz {

using display::Rect;

// Draws the whole frame: background, home frame (unless complete), pieces at
// home, the preview, then the loose groups bottom to top with their outlines.
// Images partly outside the back buffer are clipped. Given a worker, large
// frames are drawn as two bands at once, each in the same order. Every
// compose, whole or in parts, is a new generation of the back buffer.
void ComposeFrame(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                  DrawCache& cache, Surface& backBuffer, BandWorker* worker = nullptr);

// Draws the frame inside the given rectangles only (they must not overlap),
// leaving the rest of the back buffer as it was: inside them the result is
// the whole frame's, pixel for pixel. A loose group named by leaveOut is
// left out of it.
void ComposeRects(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                  DrawCache& cache, Surface& backBuffer, const std::vector<Rect>& rects, int leaveOut = 0);

// One loose group alone, inside the given rectangles (inside the back buffer,
// not overlapping): its pieces in list order, each with its outline.
void ComposeGroup(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                  Surface& backBuffer, const std::vector<Rect>& clips, int group);

// The outline of one loose piece: full lines at the rim, two straight stubs
// on an edge with a tab or hole, nothing on a joined edge. Drawn only inside
// clip, when given.
void DrawOutline(const Grid& g, const PuzzleModel& m, const LineImages& li, int piece,
                 Surface& target, const Rect* clip = nullptr);

}  // namespace pz
