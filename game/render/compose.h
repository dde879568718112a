#pragma once
// Composing one frame of the play area into the back buffer.
#include <vector>

#include "game/model/cutting.h"
#include "game/model/globals.h"
#include "game/model/puzzlemodel.h"
#include "game/render/bandworker.h"
#include "platform/display/surface.h"

namespace pz {

// Every image a cut puzzle is drawn from.
struct PuzzleImages {
    std::vector<Surface> PieceImages;   // 1..N
    Surface PreviewImage;
    LineImages Lines;
    // The preview's caption bar with its text, made when its size or colours
    // change, so that frames only copy it.
    mutable Surface CaptionBar;
    mutable int32_t captionBack = -1, captionText = -1;
    void Release() {
        PieceImages.clear();
        PreviewImage = Surface();
        Lines = LineImages();
        CaptionBar = Surface();
    }
};

// Draws the whole frame: background, home frame (unless complete), pieces at
// home, the preview, then the loose groups bottom to top with their outlines.
// Images partly outside the back buffer are clipped. Given a worker, large
// frames are drawn as two bands at once, each in the same order.
void ComposeFrame(const Globals& g, const PuzzleModel& m, const PuzzleImages& images,
                  Surface& backBuffer, BandWorker* worker = nullptr);

// The outline of one loose piece: full lines at the rim, two straight stubs
// on an edge with a tab or hole, nothing on a joined edge. Drawn only inside
// clip, when given.
void DrawOutline(const Globals& g, const PuzzleModel& m, const LineImages& li, int piece,
                 Surface& target, const display::Rect* clip = nullptr);

}  // namespace pz
