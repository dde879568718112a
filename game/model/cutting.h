#pragma once
// Cutting the working picture into piece images.
#include <vector>

#include "game/model/puzzlemodel.h"
#include "platform/display/surface.h"

namespace pz {

using display::Surface;

// Fits the picture into a play area of scaleWidth x scaleHeight pixels and
// derives the cut: puzzle and piece size, margins, home area, and each
// piece's body rectangle and home position. Throws OverflowError where a
// 16-bit quantity leaves its range, DivisionByZero for an empty grid, and
// std::range_error when the play area leaves no pixel for a piece.
void ComputeCutGeometry(const Grid& g, PuzzleModel& m, float scaleWidth, float scaleHeight);

// Rescales loose pieces from the previous play-area size to the new one and
// puts pieces at home onto their (new) home positions.
void ScalePiecesPosition(PuzzleModel& m, float scaleWidth, float scaleHeight);

// Insets s(j) of the knob curve for an edge of length k and depth d: one
// entry per drawn line, j = 0 first. A hole has d lines; a tab stops early
// when the curve closes (at most d + 1 lines, the last outside the image).
std::vector<int> CurveInsets(int k, int d, bool tab);

struct LineImages {
    Surface FrameLineH, FrameLineV, EdgeLineH, EdgeLineV, EdgeStubH, EdgeStubV;
};
// The six line images for the current geometry (not yet coloured), one
// pixel thick at scale 1 (OutlineWidth).
LineImages MakeLineImages(const Grid& g, const PuzzleModel& m);
// Fills all six with the outline colour.
void ResetOutlineColors(LineImages& lines, int32_t outlineColorFill);

// The piece images (index 0 unused) cut from the working picture, which must
// be PuzzleWidth x PuzzleHeight. Builds one coverage mask per edge shape and
// copies through it.
std::vector<Surface> CutPieces(const Grid& g, const PuzzleModel& m, const Surface& whole);

// The same cut made one single-line copy at a time, exactly as the rules
// read. Slow; kept to check CutPieces against and to measure it by.
std::vector<Surface> CutPiecesReference(const Grid& g, const PuzzleModel& m, const Surface& whole);

}  // namespace pz
