#pragma once
// Which rectangles of the play area a change redraws: plain rectangle rules
// over the model, apart from any pixels.
#include <vector>

#include "game/model/puzzlemodel.h"
#include "platform/display/rect.h"

namespace pz {

using display::Rect;

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

// The parts of the rectangles inside width x height, empty ones left out.
std::vector<Rect> ClippedRects(const std::vector<Rect>& rects, int width, int height);

// Whether the two rectangles share a pixel.
bool RectsMeet(const Rect& a, const Rect& b);

}  // namespace pz
