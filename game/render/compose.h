#pragma once
// Composing the play area into the back buffer: a whole frame, or only the
// rectangles a change touched, with the same result there.
#include <vector>

#include "game/model/cutting.h"
#include "game/model/globals.h"
#include "game/model/puzzlemodel.h"
#include "game/render/bandworker.h"
#include "platform/display/surface.h"

namespace pz {

using display::Rect;

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

// What frames are drawn from besides the images: the preview's caption bar
// with its text, made again only when its size, colours or text size
// change, so that a frame just copies it; and each piece image's opaque runs,
// built before composing so that bands drawn at once only read them.
class DrawCache {
public:
    void Prepare(const Globals& g, const PuzzleModel& m, const PuzzleImages& images);
    const Surface& CaptionBar() const { return captionBar_; }
    void Clear() { *this = DrawCache(); }

private:
    Surface captionBar_;
    int32_t captionBack_ = -1, captionText_ = -1;
    int captionPixels_ = 0, captionOffset_ = 0;
};

// Draws the whole frame: background, home frame (unless complete), pieces at
// home, the preview, then the loose groups bottom to top with their outlines.
// Images partly outside the back buffer are clipped. Given a worker, large
// frames are drawn as two bands at once, each in the same order.
void ComposeFrame(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                  Surface& backBuffer, BandWorker* worker = nullptr);

// Draws the frame inside the given rectangles only (they must not overlap),
// leaving the rest of the back buffer as it was: inside them the result is
// the whole frame's, pixel for pixel.
void ComposeRects(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                  Surface& backBuffer, const std::vector<Rect>& rects);

// What a dragged group is drawn over: the frame without it. While a group
// is dragged it is the top of the loose groups and nothing else on the frame
// changes, so a step copies what the group left and entered back from here
// and draws the group over it, instead of composing every piece under it.
// The pixels are kept from one drag to the next, so that a press only copies.
class DragLayer {
public:
    // Made from a whole frame of the model as it stands (the group raised or
    // not yet): the group's own place is composed again without it.
    void Begin(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
               const Surface& frame, int group);
    void End() { group_ = 0; }
    void Release() { *this = DragLayer(); }
    // Composes a step's rectangles (not overlapping): from the layer while the
    // group it was made for is still the top loose group of a frame of its
    // size, as ComposeRects does otherwise. The result is the same.
    void Compose(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                 Surface& backBuffer, const std::vector<Rect>& rects) const;

private:
    Surface below_;
    int group_ = 0;
};

// The outline of one loose piece: full lines at the rim, two straight stubs
// on an edge with a tab or hole, nothing on a joined edge. Drawn only inside
// clip, when given.
void DrawOutline(const Globals& g, const PuzzleModel& m, const LineImages& li, int piece,
                 Surface& target, const Rect* clip = nullptr);

// Where a piece can put pixels: its image, and its outline round it.
Rect PieceFootprint(const PuzzleModel& m, int piece);

// The places a change may have redrawn, gathered before and after it.
class Damage {
public:
    void Add(const Rect& r);
    void AddPiece(const PuzzleModel& m, int piece) { Add(PieceFootprint(m, piece)); }
    // The bounding rectangle of the group's pieces.
    void AddGroup(const PuzzleModel& m, int group);
    // The preview's caption bar and image.
    void AddPreview(const PuzzleModel& m);
    // Every piece whose place, outline, group or layer differs between the two
    // models, where it was and where it is; and every group that the change
    // lifted over others.
    void AddChanges(const PuzzleModel& before, const PuzzleModel& after);
    bool Empty() const { return rects_.empty(); }
    // The union of everything added, clipped to width x height, as rectangles
    // that do not overlap; their bounding rectangle alone where that is at
    // most a quarter larger than the union.
    std::vector<Rect> Rects(int width, int height) const;

private:
    std::vector<Rect> rects_;
};

// The union of rects, clipped to width x height, as non-overlapping rectangles
// (bands of rows, runs of columns in each).
std::vector<Rect> DisjointRects(const std::vector<Rect>& rects, int width, int height);

}  // namespace pz
