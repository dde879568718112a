#pragma once
// Composing one frame of the play area into the back buffer.
#include <vector>

#include "game/model/cutting.h"
#include "game/model/globals.h"
#include "game/model/puzzlemodel.h"
#include "platform/display/surface.h"

namespace pz {

// Every image a cut puzzle is drawn from.
struct PuzzleImages {
    std::vector<Surface> PieceImages;   // 1..N
    Surface PreviewImage;
    LineImages Lines;
    void Release() {
        PieceImages.clear();
        PreviewImage = Surface();
        Lines = LineImages();
    }
};

// Draws the whole frame: background, home frame (unless complete), pieces at
// home, the preview, then the loose groups bottom to top with their outlines.
// Images partly outside the back buffer are clipped.
void ComposeFrame(const Globals& g, const PuzzleModel& m, const PuzzleImages& images,
                  Surface& backBuffer);

// The outline of one loose piece: full lines at the rim, two straight stubs
// on an edge with a tab or hole, nothing on a joined edge.
void DrawOutline(const Globals& g, const PuzzleModel& m, const LineImages& li, int piece,
                 Surface& target);

}  // namespace pz
