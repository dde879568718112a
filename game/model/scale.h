#pragma once
// The few fixed sizes a player sees or feels, in play-area pixels. The play
// area works in the screen's own pixels, so on a scaled screen (a pixel
// ratio above 1) these grow with the ratio and play feels the same.
#include <algorithm>
#include <cmath>

#include "game/model/puzzlemodel.h"

namespace pz {

// n pixels of a screen at scale 1, at the play area's pixel ratio.
inline int Scaled(const PuzzleModel& m, int n) { return int(std::lround(n * m.View.PixelRatio)); }

// Pieces closer than this on both axes join, and a group this close to home
// locks (strictly less: 4 pixels off joins at scale 1, 5 does not).
inline double JoinToleranceOf(const PuzzleModel& m) { return 5.0 * m.View.PixelRatio; }

// Thickness of the piece outlines and of the home frame.
inline int OutlineWidth(const PuzzleModel& m) { return std::max(1, Scaled(m, 1)); }

// The preview's caption bar: 4 pixels in from the top right of the play
// area, 17 high, one row above the image; the cursor holds it 8 below its
// top; its text is 12 pixels high, one pixel in from its corner.
struct CaptionMetrics {
    int inset, height, gap, grab, textOffset, textPixels;
};
inline CaptionMetrics CaptionMetricsOf(const PuzzleModel& m) {
    return {Scaled(m, 4), Scaled(m, 17), std::max(1, Scaled(m, 1)), Scaled(m, 8), Scaled(m, 1), Scaled(m, 12)};
}

}  // namespace pz
