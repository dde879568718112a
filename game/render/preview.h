#pragma once
#include "game/model/settings.h"
#include "game/model/puzzlemodel.h"

namespace pz {

// Sizes the preview from the working picture and puts it at the top right
// of a play area scaleWidth wide: a 17-pixel caption bar at y = 4, the image
// from y = 22 (at a pixel ratio of 1; scaled with it). The image itself is made by the caller at PreviewWidth x
// PreviewHeight.
void PlacePreview(const Settings& s, PuzzleModel& m, float scaleWidth, int playAreaLeft = 0);

}  // namespace pz
